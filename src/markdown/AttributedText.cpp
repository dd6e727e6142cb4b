#include "markdown/AttributedText.h"

namespace vantel {

const QChar AttributedText::attachmentCharacter = QChar(0xFFFC);

void AttributedText::appendRun(const QString& text, std::optional<TextAttributes> attributes,
                               std::optional<TextAttachment> attachment)
{
    if (text.isEmpty())
        return;
    m_runs.append(TextRun{m_text.size(), text.size(), std::move(attributes), std::move(attachment)});
    m_text += text;
}

void AttributedText::append(const QString& text, const TextAttributes& attributes)
{
    appendRun(text, attributes, std::nullopt);
}

void AttributedText::appendPlain(const QString& text)
{
    appendRun(text, std::nullopt, std::nullopt);
}

void AttributedText::appendAttachment(const TextAttachment& attachment)
{
    appendRun(QString(attachmentCharacter), std::nullopt, attachment);
}

void AttributedText::append(const AttributedText& other)
{
    for (const TextRun& run : other.m_runs)
        appendRun(other.textOf(run), run.attributes, run.attachment);
}

const TextRun* AttributedText::runAt(qsizetype position) const
{
    for (const TextRun& run : m_runs) {
        if (position >= run.start && position < run.start + run.length)
            return &run;
    }
    return nullptr;
}

QList<TextRun> AttributedText::runsWithText(const QString& text) const
{
    QList<TextRun> found;
    for (const TextRun& run : m_runs) {
        if (textOf(run) == text)
            found.append(run);
    }
    return found;
}

} // namespace vantel
