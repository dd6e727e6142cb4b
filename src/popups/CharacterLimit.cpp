#include "popups/CharacterLimit.h"

#include <QTextBoundaryFinder>

namespace vantel {

namespace {

// Whether every UTF-16 unit is a character of its own: text below the
// combining marks, without a CR LF pair. Spares the boundary finder for the
// common case; anything else asks it.
bool isSimpleText(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300)
            return false;
    }
    return !text.contains(QStringLiteral("\r\n"));
}

} // namespace

qsizetype characterCount(const QString& text)
{
    if (isSimpleText(text))
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString leftCharacters(const QString& text, qsizetype count)
{
    if (count <= 0)
        return {};
    if (isSimpleText(text))
        return text.left(count);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype seen = 0;
    qsizetype position = 0;
    while (seen < count) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        position = next;
        ++seen;
    }
    return text.left(position);
}

} // namespace vantel
