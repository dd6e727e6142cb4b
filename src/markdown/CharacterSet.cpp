#include "markdown/CharacterSet.h"

#include <QChar>
#include <QTextBoundaryFinder>

namespace vantel {

bool CharacterSet::containsScalar(Kind set, char32_t scalar)
{
    const bool isNewline = (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028
        || scalar == 0x2029;
    const bool isWhitespace = scalar == 0x09 || QChar::category(scalar) == QChar::Separator_Space;
    switch (set) {
    case newlines: return isNewline;
    case whitespaces: return isWhitespace;
    case whitespacesAndNewlines: return isNewline || isWhitespace;
    }
    return false;
}

bool CharacterSet::characterInSet(const QString& character, Kind set)
{
    for (const char32_t scalar : character.toUcs4()) {
        if (!containsScalar(set, scalar))
            return false;
    }
    return true;
}

QStringList CharacterSet::characters(const QString& text)
{
    QStringList result;
    if (text.isEmpty())
        return result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (true) {
        const qsizetype next = finder.toNextBoundary();
        if (next <= start)
            break;
        result.append(text.mid(start, next - start));
        start = next;
    }
    if (start < text.size())
        result.append(text.mid(start));
    return result;
}

QString CharacterSet::trimmed(const QString& text, Kind set)
{
    // Every character of these sets lies in the basic plane, so code units suffice.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && containsScalar(set, text.at(begin).unicode()))
        ++begin;
    while (end > begin && containsScalar(set, text.at(end - 1).unicode()))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace vantel
