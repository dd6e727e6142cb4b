#include "access/URLRegExParser.h"

#include "access/URLInputDialogProvider.h"
#include "model/CharacterSet.h"

#include <QRegularExpression>

#include <algorithm>

namespace vantel {

namespace {

// What a placeholder value may hold unencoded: what every URL component
// allows, less "+", which a query or a form reads as a space.
const CharacterSet& placeholderValueAllowed()
{
    static const CharacterSet allowed = urlComponentAllowed().subtracting("+");
    return allowed;
}

QList<RegExURLMatch> sortedByPosition(QList<RegExURLMatch> matches)
{
    std::stable_sort(matches.begin(), matches.end(),
                     [](const RegExURLMatch& a, const RegExURLMatch& b) { return a.rangeStart < b.rangeStart; });
    return matches;
}

} // namespace

std::unique_ptr<URLRegExParser> URLRegExParser::create(const QString& urlString,
                                                       const std::optional<QVariantList>& objects)
{
    if (urlString.isEmpty())
        return nullptr;
    return std::make_unique<URLRegExParser>(urlString, objects);
}

URLRegExParser::URLRegExParser(const QString& urlString, const std::optional<QVariantList>& objects)
    : currentURLString_(urlString)
    , currentObjects_(objects)
{
}

void URLRegExParser::findPlaceholders()
{
    if (currentURLString_.isEmpty())
        return;
    regExURLMatches_.clear();
    for (const URLParams param : allURLParams()) {
        const QRegularExpression expression = regularExpression(param);
        if (!expression.isValid())
            continue;
        auto it = expression.globalMatch(currentURLString_);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedStart() < 0)
                continue;
            regExURLMatches_.append(
                RegExURLMatch{match.captured(), match.capturedStart(), match.capturedLength(), param, std::nullopt});
        }
    }
}

QString URLRegExParser::urlStringWithoutPlaceholders()
{
    findPlaceholders();
    if (regExURLMatches_.isEmpty())
        return currentURLString_;
    const QList<RegExURLMatch> matches = sortedByPosition(regExURLMatches_);
    QString result = currentURLString_;
    for (auto it = matches.crbegin(); it != matches.crend(); ++it)
        result.remove(it->rangeStart, it->rangeLength);
    return result;
}

std::optional<QString> URLRegExParser::replacePlaceholders(const QString& separator)
{
    QString result = currentURLString_;
    if (regExURLMatches_.isEmpty())
        return result;
    regExURLMatches_ = sortedByPosition(regExURLMatches_);

    for (RegExURLMatch& match : regExURLMatches_) {
        if (match.urlParam == URLParams::selectedFileObjects) {
            match.replaceWith = selectedFileObjectsString(currentObjects_, separator);
            continue;
        }
        const QRegularExpression expression = regularExpression(URLParams::userInput);
        const QRegularExpressionMatch own = expression.match(match.value);
        if (!expression.isValid() || !own.hasMatch())
            continue;
        const QString question = own.captured(QStringLiteral("question"));
        const std::optional<QString> answer = showURLInputDialog(currentURLString_, question);
        if (!answer)
            return std::nullopt;
        match.replaceWith = addingPercentEncoding(*answer, placeholderValueAllowed()).value_or(QString());
    }

    for (auto it = regExURLMatches_.crbegin(); it != regExURLMatches_.crend(); ++it) {
        if (!it->replaceWith)
            continue;
        result.replace(it->rangeStart, it->rangeLength, *it->replaceWith);
    }
    return result;
}

std::optional<QString> URLRegExParser::selectedFileObjectsString(const std::optional<QVariantList>& objects,
                                                                 const QString& separator)
{
    if (!objects || objects->isEmpty())
        return QString();
    QStringList texts;
    for (const QVariant& object : *objects)
        if (object.typeId() == QMetaType::QString && !object.toString().isEmpty())
            texts.append(object.toString());
    return addingPercentEncoding(texts.join(separator), placeholderValueAllowed());
}

} // namespace vantel
