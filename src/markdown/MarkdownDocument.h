#pragma once

#include "markdown/AttributedText.h"
#include "markdown/BasicStyles.h"
#include "markdown/CharacterRule.h"
#include "markdown/FrontMatterRule.h"
#include "markdown/LineRule.h"
#include "markdown/LineStyles.h"
#include "markdown/LinkStyles.h"
#include "markdown/MarkdownLine.h"
#include "markdown/MarkdownLineProcessor.h"
#include "markdown/MarkdownTokeniser.h"
#include "markdown/PerformanceLog.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

// One Markdown text, the engine configured with the rule tables, and the
// style objects that say how each kind of line and inline text looks.
class MarkdownDocument {
public:
    explicit MarkdownDocument(const QString& string);
    // None when the file cannot be read as UTF-8 text.
    static std::unique_ptr<MarkdownDocument> fromFile(const QString& path);

    MarkdownDocument(const MarkdownDocument&) = delete;
    MarkdownDocument& operator=(const MarkdownDocument&) = delete;

    // The rule tables every new document is created with.
    static QList<LineRule> lineRules();
    static void setLineRules(QList<LineRule> rules);
    static QList<FrontMatterRule> frontMatterRules();
    static void setFrontMatterRules(QList<FrontMatterRule> rules);
    static QList<CharacterRule> characterRules();
    static void setCharacterRules(QList<CharacterRule> rules);

    MarkdownLineProcessor& lineProcessor() { return *m_lineProcessor; }
    MarkdownTokeniser& tokeniser() { return *m_tokeniser; }
    PerformanceLog& perfomanceLog() { return m_perfomanceLog; }
    const QHash<QString, QString>& frontMatterAttributes() const { return m_lineProcessor->frontMatterAttributes; }

    void setFontSizeForAllStyles(qreal size);
    void setColorForAllStyles(const QColor& color);
    void setFontNameForAllStyles(const QString& name);

    // Renders `string` (replaced first when a text is given).
    AttributedText renderAttributedString(const std::optional<QString>& text = std::nullopt);
    AttributedText attributedStringForLine(QList<Token> tokens, const MarkdownLine& line);
    TextFont fontForLine(const MarkdownLine& line, std::optional<CharacterStyle> characterOverride = std::nullopt) const;
    QColor colorForLine(const MarkdownLine& line) const;

    LineStyles h1;
    LineStyles h2;
    LineStyles h3;
    LineStyles h4;
    LineStyles h5;
    LineStyles h6;
    LineStyles body;
    LineStyles blockquotes;
    LinkStyles link;
    BasicStyles bold;
    BasicStyles italic;
    BasicStyles code;
    BasicStyles strikethrough;

    QString bullet = QStringLiteral("\u30FB");
    bool underlineLinks = false;
    QString string;
    // Working state of the renderer; carried from one rendering into the next.
    int orderedListCount = 0;
    int orderedListIndentFirstOrderCount = 0;
    int orderedListIndentSecondOrderCount = 0;
    bool applyAttachments = true;
    // The application's images by name; without it attachments have no image.
    std::function<QImage(const QString&)> imageProvider;

private:
    template <typename Apply>
    void forAllStyles(Apply apply);
    const LineStyles* headingStyles(MarkdownLineStyle style) const;

    std::unique_ptr<MarkdownLineProcessor> m_lineProcessor;
    std::unique_ptr<MarkdownTokeniser> m_tokeniser;
    PerformanceLog m_perfomanceLog;
};

} // namespace vantel
