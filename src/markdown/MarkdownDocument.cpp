#include "markdown/MarkdownDocument.h"

#include "markdown/CharacterSet.h"
#include "markdown/SystemAppearance.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <mutex>

namespace vantel {

namespace {

struct RuleTables {
    std::mutex mutex;
    QList<LineRule> lineRules;
    QList<FrontMatterRule> frontMatterRules;
    QList<CharacterRule> characterRules;
};

QList<LineRule> defaultLineRules()
{
    using S = MarkdownLineStyle;
    const QString tab = QStringLiteral("\t");
    return {
        LineRule(QStringLiteral("="), S::previousH1, Remove::entireLine, true, ChangeApplication::previous),
        LineRule(QStringLiteral("-"), S::previousH2, Remove::entireLine, true, ChangeApplication::previous),
        LineRule(tab + tab + QStringLiteral("- "), S::unorderedListIndentSecondOrder, Remove::leading, false),
        LineRule(tab + QStringLiteral("- "), S::unorderedListIndentFirstOrder, Remove::leading, false),
        LineRule(QStringLiteral("- "), S::unorderedList, Remove::leading, true),
        LineRule(tab + tab + QStringLiteral("* "), S::unorderedListIndentSecondOrder, Remove::leading, false),
        LineRule(tab + QStringLiteral("* "), S::unorderedListIndentFirstOrder, Remove::leading, false),
        LineRule(tab + tab + QStringLiteral("1. "), S::orderedListIndentSecondOrder, Remove::leading, false),
        LineRule(tab + QStringLiteral("1. "), S::orderedListIndentFirstOrder, Remove::leading, false),
        LineRule(QStringLiteral("1. "), S::orderedList, Remove::leading, true),
        LineRule(QStringLiteral("* "), S::unorderedList, Remove::leading, true),
        LineRule(QStringLiteral("    "), S::codeblock, Remove::leading, false),
        LineRule(tab, S::codeblock, Remove::leading, false),
        LineRule(QStringLiteral(">"), S::blockquote, Remove::leading, true),
        LineRule(QStringLiteral("###### "), S::h6, Remove::both, true),
        LineRule(QStringLiteral("##### "), S::h5, Remove::both, true),
        LineRule(QStringLiteral("#### "), S::h4, Remove::both, true),
        LineRule(QStringLiteral("### "), S::h3, Remove::both, true),
        LineRule(QStringLiteral("## "), S::h2, Remove::both, true),
        LineRule(QStringLiteral("# "), S::h1, Remove::both, true),
    };
}

QList<CharacterRule> defaultCharacterRules()
{
    using T = CharacterRuleTagType;
    using C = CharacterStyle;
    const QStringList escape{QStringLiteral("\\")};
    const auto tag = [](const char* text, T type) { return CharacterRuleTag{QString::fromUtf8(text), type}; };
    return {
        CharacterRule(tag("![", T::open), {tag("]", T::close), tag("[", T::metadataOpen), tag("]", T::metadataClose)},
                      escape, {{1, C::image}}, 1, 1, true, true, false, false),
        CharacterRule(tag("![", T::open), {tag("]", T::close), tag("(", T::metadataOpen), tag(")", T::metadataClose)},
                      escape, {{1, C::image}}, 1, 1, false, true, false, false),
        CharacterRule(tag("[", T::open), {tag("]", T::close), tag("[", T::metadataOpen), tag("]", T::metadataClose)},
                      escape, {{1, C::link}}, 1, 1, true, true, false, false),
        CharacterRule(tag("[", T::open), {tag("]", T::close), tag("(", T::metadataOpen), tag(")", T::metadataClose)},
                      escape, {{1, C::link}}, 1, 1, false, true, false, false),
        CharacterRule(tag("`", T::repeating), {}, escape, {{1, C::code}}, 1, 1, false, false, true, true),
        CharacterRule(tag("~", T::repeating), {}, escape, {{2, C::strikethrough}}, 2, 2, false, false, false, false),
        CharacterRule(tag("*", T::repeating), {}, escape, {{1, C::italic}, {2, C::bold}}, 1, 2, false, false, false,
                      false),
        CharacterRule(tag("_", T::repeating), {}, escape, {{1, C::italic}, {2, C::bold}}, 1, 2, false, false, false,
                      false),
    };
}

RuleTables& ruleTables()
{
    // Initialised once, on first use; the local static makes that thread-safe.
    static RuleTables tables{{}, defaultLineRules(), {FrontMatterRule{QStringLiteral("---"), QStringLiteral("---"), QLatin1Char(':')}},
                             defaultCharacterRules()};
    return tables;
}

struct FontChoice {
    std::optional<QString> name;
    qreal size = 0;
    FontStyle fontStyle = FontStyle::normal;
};

template <typename Style>
FontChoice choiceOf(const Style& style)
{
    return FontChoice{style.fontName, style.fontSize, style.fontStyle};
}

bool isListStyle(MarkdownLineStyle style)
{
    switch (style) {
    case MarkdownLineStyle::unorderedList:
    case MarkdownLineStyle::unorderedListIndentFirstOrder:
    case MarkdownLineStyle::unorderedListIndentSecondOrder:
    case MarkdownLineStyle::orderedList:
    case MarkdownLineStyle::orderedListIndentFirstOrder:
    case MarkdownLineStyle::orderedListIndentSecondOrder:
        return true;
    default:
        return false;
    }
}

ParagraphStyle listParagraph(qreal headIndent)
{
    ParagraphStyle style;
    style.tabStops = {30, 30};
    style.defaultTabInterval = 30;
    style.headIndent = headIndent;
    style.firstLineHeadIndent = 0;
    return style;
}

} // namespace

MarkdownDocument::MarkdownDocument(const QString& string)
    : string(string)
    , m_lineProcessor(std::make_unique<MarkdownLineProcessor>(lineRules(), MarkdownLineStyle::body, frontMatterRules()))
    , m_tokeniser(std::make_unique<MarkdownTokeniser>(characterRules()))
    , m_perfomanceLog("MarkdownDocumentPerformanceLogging", QStringLiteral("Markdown Document"),
                      {QStringLiteral("MarkdownDocument"), QStringLiteral("Markdown Document Performance")})
{
    setColorForAllStyles(SystemAppearance::labelColor());
}

std::unique_ptr<MarkdownDocument> MarkdownDocument::fromFile(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return nullptr;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return nullptr;
    return std::make_unique<MarkdownDocument>(text);
}

QList<LineRule> MarkdownDocument::lineRules()
{
    std::lock_guard lock(ruleTables().mutex);
    return ruleTables().lineRules;
}

void MarkdownDocument::setLineRules(QList<LineRule> rules)
{
    std::lock_guard lock(ruleTables().mutex);
    ruleTables().lineRules = std::move(rules);
}

QList<FrontMatterRule> MarkdownDocument::frontMatterRules()
{
    std::lock_guard lock(ruleTables().mutex);
    return ruleTables().frontMatterRules;
}

void MarkdownDocument::setFrontMatterRules(QList<FrontMatterRule> rules)
{
    std::lock_guard lock(ruleTables().mutex);
    ruleTables().frontMatterRules = std::move(rules);
}

QList<CharacterRule> MarkdownDocument::characterRules()
{
    std::lock_guard lock(ruleTables().mutex);
    return ruleTables().characterRules;
}

void MarkdownDocument::setCharacterRules(QList<CharacterRule> rules)
{
    std::lock_guard lock(ruleTables().mutex);
    ruleTables().characterRules = std::move(rules);
}

template <typename Apply>
void MarkdownDocument::forAllStyles(Apply apply)
{
    apply(h1);
    apply(h2);
    apply(h3);
    apply(h4);
    apply(h5);
    apply(h6);
    apply(body);
    apply(italic);
    apply(bold);
    apply(code);
    apply(link);
    apply(blockquotes);
    apply(strikethrough);
}

void MarkdownDocument::setFontSizeForAllStyles(qreal size)
{
    forAllStyles([size](auto& style) { style.fontSize = size; });
}

void MarkdownDocument::setColorForAllStyles(const QColor& color)
{
    forAllStyles([&color](auto& style) { style.color = color; });
}

void MarkdownDocument::setFontNameForAllStyles(const QString& name)
{
    forAllStyles([&name](auto& style) { style.fontName = name; });
}

AttributedText MarkdownDocument::renderAttributedString(const std::optional<QString>& text)
{
    m_perfomanceLog.begin();
    if (text)
        string = *text;
    AttributedText result;

    m_lineProcessor->processEmptyStrings = MarkdownLineStyle::body;
    const QList<MarkdownLine> lines = m_lineProcessor->processLines(string);

    QList<MarkdownLine> contentLines;
    QHash<QString, QString> references;
    const QString separator = QStringLiteral("]:");
    for (const MarkdownLine& line : lines) {
        if (!line.line.startsWith(QLatin1Char('[')) || !line.line.contains(separator)) {
            contentLines.append(line);
            continue;
        }
        const QStringList pieces = line.line.split(separator);
        if (pieces.size() < 2)
            continue;
        const QString key = CharacterSet::trimmed(pieces.at(0).mid(1), CharacterSet::whitespacesAndNewlines);
        references.insert(key, CharacterSet::trimmed(pieces.at(1), CharacterSet::whitespacesAndNewlines));
    }

    m_perfomanceLog.logElapsed(QStringLiteral("(line processing complete)"));
    m_tokeniser->metadataLookup = references;

    for (qsizetype index = 0; index < contentLines.size(); ++index) {
        if (index > 0)
            result.appendPlain(QStringLiteral("\n"));
        const MarkdownLine& line = contentLines.at(index);
        QList<Token> tokens = m_tokeniser->tokenise(line.line);
        m_perfomanceLog.logElapsed(QStringLiteral("(tokenising complete for line %1").arg(index));
        result.append(attributedStringForLine(std::move(tokens), line));
    }

    m_perfomanceLog.finish();
    return result;
}

AttributedText MarkdownDocument::attributedStringForLine(QList<Token> tokens, const MarkdownLine& line)
{
    const LineStyles* paragraphObject = &body;
    std::optional<ParagraphStyle> paragraph;
    QString indent;
    QString marker;

    switch (line.lineStyle) {
    case MarkdownLineStyle::unorderedList:
        orderedListCount = orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        marker = bullet;
        paragraph = listParagraph(30);
        break;
    case MarkdownLineStyle::unorderedListIndentFirstOrder:
        orderedListIndentFirstOrderCount += 1;
        orderedListIndentSecondOrderCount = 0;
        marker = bullet;
        indent = QStringLiteral("\t");
        paragraph = listParagraph(60);
        break;
    case MarkdownLineStyle::unorderedListIndentSecondOrder:
        orderedListIndentSecondOrderCount += 1;
        marker = bullet;
        indent = QStringLiteral("\t\t");
        paragraph = listParagraph(90);
        break;
    case MarkdownLineStyle::orderedList:
        orderedListCount += 1;
        orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        marker = QStringLiteral("%1.").arg(orderedListCount);
        paragraph = listParagraph(30);
        break;
    case MarkdownLineStyle::orderedListIndentFirstOrder:
        orderedListIndentFirstOrderCount += 1;
        orderedListIndentSecondOrderCount = 0;
        marker = QStringLiteral("%1.").arg(orderedListIndentFirstOrderCount);
        indent = QStringLiteral("\t");
        paragraph = listParagraph(60);
        break;
    case MarkdownLineStyle::orderedListIndentSecondOrder:
        orderedListIndentSecondOrderCount += 1;
        marker = QStringLiteral("%1.").arg(orderedListIndentSecondOrderCount);
        indent = QStringLiteral("\t\t");
        paragraph = listParagraph(90);
        break;
    case MarkdownLineStyle::blockquote:
        orderedListCount = orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        paragraph = ParagraphStyle();
        paragraph->firstLineHeadIndent = 20;
        paragraph->headIndent = 20;
        paragraphObject = &blockquotes;
        break;
    case MarkdownLineStyle::codeblock:
        orderedListCount = orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        paragraph = ParagraphStyle();
        paragraph->firstLineHeadIndent = 20;
        break;
    case MarkdownLineStyle::h1:
    case MarkdownLineStyle::h2:
    case MarkdownLineStyle::h3:
    case MarkdownLineStyle::h4:
    case MarkdownLineStyle::h5:
    case MarkdownLineStyle::h6:
        orderedListCount = orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        paragraphObject = headingStyles(line.lineStyle);
        break;
    case MarkdownLineStyle::yaml:
    case MarkdownLineStyle::previousH1:
    case MarkdownLineStyle::previousH2:
    case MarkdownLineStyle::body:
    case MarkdownLineStyle::referencedLink:
        orderedListCount = orderedListIndentFirstOrderCount = orderedListIndentSecondOrderCount = 0;
        break;
    }

    if (isListStyle(line.lineStyle))
        tokens.prepend(Token(TokenType::string, indent + marker + QStringLiteral("\t")));

    ParagraphStyle paragraphStyle = paragraph.value_or(ParagraphStyle());
    if (paragraphObject->alignment != TextAlignment::left)
        paragraphStyle.alignment = paragraphObject->alignment;
    paragraphStyle.lineSpacing = paragraphObject->lineSpacing;
    paragraphStyle.paragraphSpacing = paragraphObject->paragraphSpacing;

    AttributedText result;
    for (const Token& token : std::as_const(tokens)) {
        TextAttributes attributes;
        attributes.font = fontForLine(line);
        attributes.foregroundColor = colorForLine(line);
        attributes.paragraphStyle = paragraphStyle;

        if (!token.characterStyles.isEmpty()) {
            QList<CharacterStyle> styles;
            bool ours = true;
            for (const CharacterStyling& styling : token.characterStyles) {
                if (const auto style = styling.characterStyle())
                    styles.append(*style);
                else
                    ours = false;
            }
            if (!ours)
                continue;

            if (styles.contains(CharacterStyle::italic)) {
                attributes.font = fontForLine(line, CharacterStyle::italic);
                attributes.foregroundColor = italic.color;
            }
            if (styles.contains(CharacterStyle::bold)) {
                attributes.font = fontForLine(line, CharacterStyle::bold);
                attributes.foregroundColor = bold.color;
            }
            if (const qsizetype k = styles.indexOf(CharacterStyle::link); k >= 0 && token.metadataStrings.size() > k) {
                attributes.foregroundColor = link.color;
                attributes.font = fontForLine(line, CharacterStyle::link);
                attributes.link = token.metadataStrings.at(k);
                if (underlineLinks) {
                    attributes.underlineStyle = static_cast<int>(link.underlineStyle);
                    attributes.underlineColor = link.underlineColor();
                }
            }
            if (styles.contains(CharacterStyle::strikethrough)) {
                attributes.font = fontForLine(line);
                attributes.strikethroughStyle = 1;
                attributes.foregroundColor = strikethrough.color;
            }
            if (const qsizetype k = styles.indexOf(CharacterStyle::image); k >= 0 && token.metadataStrings.size() > k) {
                if (applyAttachments) {
                    const QString name = token.metadataStrings.at(k);
                    result.appendAttachment(TextAttachment{name, imageProvider ? imageProvider(name) : QImage()});
                }
                continue;
            }
            if (styles.contains(CharacterStyle::code)) {
                attributes.foregroundColor = code.color;
                attributes.font = fontForLine(line, CharacterStyle::code);
            }
        }
        result.append(token.outputString(), attributes);
    }
    return result;
}

const LineStyles* MarkdownDocument::headingStyles(MarkdownLineStyle style) const
{
    switch (style) {
    case MarkdownLineStyle::h1: return &h1;
    case MarkdownLineStyle::h2: return &h2;
    case MarkdownLineStyle::h3: return &h3;
    case MarkdownLineStyle::h4: return &h4;
    case MarkdownLineStyle::h5: return &h5;
    case MarkdownLineStyle::h6: return &h6;
    default: return nullptr;
    }
}

TextFont MarkdownDocument::fontForLine(const MarkdownLine& line, std::optional<CharacterStyle> characterOverride) const
{
    FontChoice choice;
    if (const LineStyles* heading = headingStyles(line.lineStyle))
        choice = choiceOf(*heading);
    else if (line.lineStyle == MarkdownLineStyle::blockquote)
        choice = choiceOf(blockquotes);
    else if (line.lineStyle == MarkdownLineStyle::codeblock)
        choice = choiceOf(code);
    else
        choice = choiceOf(body);

    std::optional<QString> name = choice.name ? choice.name : body.fontName;
    qreal size = choice.size;
    bool isItalic = fontStyleIsItalic(choice.fontStyle);
    bool isBold = fontStyleIsBold(choice.fontStyle);

    if (characterOverride) {
        const BasicStyles* object = nullptr;
        switch (*characterOverride) {
        case CharacterStyle::bold: object = &bold; isBold = true; break;
        case CharacterStyle::italic: object = &italic; isItalic = true; break;
        case CharacterStyle::code: object = &code; break;
        case CharacterStyle::link: object = &link; break;
        default: break;
        }
        if (object) {
            if (object->fontName)
                name = object->fontName;
            size = object->fontSize;
        }
    }

    if (size == 0)
        size = SystemAppearance::systemFontSize();
    TextFont font;
    font.family = (name && SystemAppearance::hasFontFamily(*name)) ? *name : SystemAppearance::systemFontFamily();
    font.pointSize = size;
    font.italic = isItalic;
    font.bold = isBold;
    return font;
}

QColor MarkdownDocument::colorForLine(const MarkdownLine& line) const
{
    switch (line.lineStyle) {
    case MarkdownLineStyle::h1:
    case MarkdownLineStyle::previousH1: return h1.color;
    case MarkdownLineStyle::h2:
    case MarkdownLineStyle::previousH2: return h2.color;
    case MarkdownLineStyle::h3: return h3.color;
    case MarkdownLineStyle::h4: return h4.color;
    case MarkdownLineStyle::h5: return h5.color;
    case MarkdownLineStyle::h6: return h6.color;
    case MarkdownLineStyle::blockquote: return blockquotes.color;
    case MarkdownLineStyle::codeblock: return code.color;
    default: return body.color;
    }
}

} // namespace vantel
