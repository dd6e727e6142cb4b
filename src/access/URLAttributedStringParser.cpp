#include "access/URLAttributedStringParser.h"

#include "access/URLParams.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpression>

namespace vantel {

// A "-" between "\d" and "\." must be escaped here, or the class does not
// compile and scheme and host would never be coloured.
const QString URLAttributedStringParser::regExDefinitionScheme = QStringLiteral(R"(\A[\w\d\-\.\+]+?:)");
const QString URLAttributedStringParser::regExDefinitionDomain =
    QStringLiteral(R"(\A[\w\d\-\.\+]+?:\/{0,3}(?<capture>[^\?^\/]+)\??)");
const QString URLAttributedStringParser::regExDefinitionQuery = QStringLiteral(R"(\?(?<capture>[\S\s]*)\Z)");
const QString URLAttributedStringParser::regExDefinitionQueryDivider1 = QStringLiteral(R"(\?*(?<capture>[\=]{1}))");
const QString URLAttributedStringParser::regExDefinitionQueryDivider2 = QStringLiteral(R"(\?*(?<capture>[\&]{1}))");

namespace {

QTextCharFormat foreground(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    return format;
}

} // namespace

QTextCharFormat URLAttributedString::formatAt(qsizetype position) const
{
    for (const QTextLayout::FormatRange& range : formats)
        if (position >= range.start && position < range.start + range.length)
            return range.format;
    return {};
}

QColor URLAttributedStringParser::schemeColor() { return QColor(175, 82, 222); }
QColor URLAttributedStringParser::domainColor() { return QColor(48, 176, 199); }
QColor URLAttributedStringParser::queryColor() { return QColor(255, 149, 0); }
QColor URLAttributedStringParser::queryDivider1Color() { return QColor(162, 132, 94); }
QColor URLAttributedStringParser::queryDivider2Color() { return QColor(142, 142, 147); }
QColor URLAttributedStringParser::placeholderColor() { return QColor(255, 59, 48); }

QColor URLAttributedStringParser::labelColor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(QPalette::WindowText);
    return QColor(Qt::black);
}

URLAttributedStringParser::URLAttributedStringParser()
{
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font_.setPointSizeF(12.0);
    font_.setWeight(QFont::Normal);

    QTextCharFormat placeholder = foreground(placeholderColor());
    placeholder.setFontUnderline(true);
    placeholder.setUnderlineStyle(QTextCharFormat::SingleUnderline);

    definitions_ = {
        {QStringLiteral("Scheme"), foreground(schemeColor()), regExDefinitionScheme},
        {QStringLiteral("Domain"), foreground(domainColor()), regExDefinitionDomain},
        {QStringLiteral("Query"), foreground(queryColor()), regExDefinitionQuery},
        {QStringLiteral("QueryDivider1"), foreground(queryDivider1Color()), regExDefinitionQueryDivider1},
        {QStringLiteral("QueryDivider2"), foreground(queryDivider2Color()), regExDefinitionQueryDivider2},
        {QStringLiteral("Placeholder1"), placeholder, rawValue(URLParams::userInput)},
        {QStringLiteral("Placeholder2"), placeholder, rawValue(URLParams::selectedFileObjects)},
    };
}

URLAttributedString URLAttributedStringParser::attributedString(const QString& urlTemplate) const
{
    URLAttributedString result;
    result.text = urlTemplate;
    if (urlTemplate.isEmpty())
        return result;

    QTextCharFormat base;
    base.setForeground(labelColor());
    base.setFont(font_);
    // One format per position; later definitions override the attributes
    // they set, so they win where ranges overlap.
    QList<QTextCharFormat> perCharacter(urlTemplate.size(), base);

    if (urlTemplate.size() > 4) {
        for (const URLAttributedStringDefinition& definition : definitions_) {
            const QRegularExpression expression(definition.regexDefinition,
                                                QRegularExpression::UseUnicodePropertiesOption);
            if (!expression.isValid())
                continue;
            const bool hasCapture = expression.namedCaptureGroups().contains(QStringLiteral("capture"));
            auto it = expression.globalMatch(urlTemplate);
            while (it.hasNext()) {
                const QRegularExpressionMatch match = it.next();
                qsizetype start = match.capturedStart();
                qsizetype length = match.capturedLength();
                if (hasCapture && match.capturedStart(QStringLiteral("capture")) >= 0) {
                    start = match.capturedStart(QStringLiteral("capture"));
                    length = match.capturedLength(QStringLiteral("capture"));
                }
                if (start < 0 || length < 0 || start + length > urlTemplate.size())
                    continue;
                for (qsizetype i = start; i < start + length; ++i)
                    perCharacter[i].merge(definition.attributedStringKeys);
            }
        }
    }

    // Runs of equal formats become one range each.
    qsizetype runStart = 0;
    for (qsizetype i = 1; i <= perCharacter.size(); ++i) {
        if (i == perCharacter.size() || perCharacter.at(i) != perCharacter.at(runStart)) {
            QTextLayout::FormatRange range;
            range.start = static_cast<int>(runStart);
            range.length = static_cast<int>(i - runStart);
            range.format = perCharacter.at(runStart);
            result.formats.append(range);
            runStart = i;
        }
    }
    return result;
}

} // namespace vantel
