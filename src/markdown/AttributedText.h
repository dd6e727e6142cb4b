#pragma once

#include "markdown/TextAlignment.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

#include <optional>

namespace vantel {

// A resolved font: family, point size and the two traits.
struct TextFont {
    QString family;
    qreal pointSize = 0;
    bool bold = false;
    bool italic = false;

    bool operator==(const TextFont&) const = default;
};

// Paragraph layout in points.
struct ParagraphStyle {
    TextAlignment alignment = TextAlignment::left;
    qreal lineSpacing = 0;
    qreal paragraphSpacing = 0;
    qreal headIndent = 0;
    qreal firstLineHeadIndent = 0;
    QList<qreal> tabStops; // left-aligned stops
    qreal defaultTabInterval = 0;

    bool operator==(const ParagraphStyle&) const = default;
};

struct TextAttributes {
    TextFont font;
    QColor foregroundColor;
    ParagraphStyle paragraphStyle;
    std::optional<QString> link;
    int strikethroughStyle = 0; // 0 none, 1 single
    int underlineStyle = 0;     // 0 none, 1 single
    std::optional<QColor> underlineColor;
};

// An inline image; `image` is null when the named image does not exist.
struct TextAttachment {
    QString imageName;
    QImage image;
};

// One run of text. A run without attributes (the line feeds between lines)
// or one that holds an attachment carries no text attributes.
struct TextRun {
    qsizetype start = 0;
    qsizetype length = 0;
    std::optional<TextAttributes> attributes;
    std::optional<TextAttachment> attachment;
};

// Styled text built by appending runs; the engine's output, free of any view.
class AttributedText {
public:
    static const QChar attachmentCharacter; // U+FFFC

    void append(const QString& text, const TextAttributes& attributes);
    void appendPlain(const QString& text);
    void appendAttachment(const TextAttachment& attachment);
    void append(const AttributedText& other);

    const QString& string() const { return m_text; }
    const QList<TextRun>& runs() const { return m_runs; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    QString textOf(const TextRun& run) const { return m_text.mid(run.start, run.length); }
    // The run that covers `position`, if any.
    const TextRun* runAt(qsizetype position) const;
    // Runs whose text is exactly `text` (tests and callers look runs up by their text).
    QList<TextRun> runsWithText(const QString& text) const;

private:
    void appendRun(const QString& text, std::optional<TextAttributes> attributes,
                   std::optional<TextAttachment> attachment);

    QString m_text;
    QList<TextRun> m_runs;
};

} // namespace vantel
