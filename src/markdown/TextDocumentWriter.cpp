#include "markdown/TextDocumentWriter.h"

#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>

namespace vantel {

namespace {

Qt::Alignment alignmentOf(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::left: return Qt::AlignLeft;
    case TextAlignment::right: return Qt::AlignRight;
    case TextAlignment::center: return Qt::AlignHCenter;
    case TextAlignment::justified: return Qt::AlignJustify;
    case TextAlignment::natural: return Qt::AlignLeft;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat blockFormatOf(const ParagraphStyle& style)
{
    QTextBlockFormat format;
    format.setAlignment(alignmentOf(style.alignment));
    format.setLeftMargin(style.headIndent);
    format.setTextIndent(style.firstLineHeadIndent - style.headIndent);
    format.setBottomMargin(style.paragraphSpacing);
    if (style.lineSpacing > 0)
        format.setLineHeight(style.lineSpacing, QTextBlockFormat::LineDistanceHeight);
    QList<QTextOption::Tab> tabs;
    for (const qreal position : style.tabStops)
        tabs.append(QTextOption::Tab(position, QTextOption::LeftTab));
    if (!tabs.isEmpty())
        format.setTabPositions(tabs);
    return format;
}

QTextCharFormat charFormatOf(const TextAttributes& attributes)
{
    QTextCharFormat format;
    QFont font(attributes.font.family);
    if (attributes.font.pointSize > 0)
        font.setPointSizeF(attributes.font.pointSize);
    font.setItalic(attributes.font.italic);
    font.setBold(attributes.font.bold);
    format.setFont(font);
    format.setForeground(attributes.foregroundColor);
    if (attributes.link) {
        format.setAnchor(true);
        format.setAnchorHref(*attributes.link);
    }
    format.setFontStrikeOut(attributes.strikethroughStyle != 0);
    if (attributes.underlineStyle != 0) {
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        if (attributes.underlineColor)
            format.setUnderlineColor(*attributes.underlineColor);
    }
    return format;
}

} // namespace

void TextDocumentWriter::write(const AttributedText& text, QTextDocument& document)
{
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool blockFormatted = false;
    int imageNumber = 0;
    qreal tabInterval = 0;

    for (const TextRun& run : text.runs()) {
        if (run.attachment) {
            // An attachment without an image takes no room.
            if (!run.attachment->image.isNull()) {
                const QUrl name(QStringLiteral("vantel-image://%1/%2").arg(imageNumber++).arg(run.attachment->imageName));
                document.addResource(QTextDocument::ImageResource, name, run.attachment->image);
                QTextImageFormat image;
                image.setName(name.toString());
                cursor.insertImage(image);
            }
            continue;
        }
        const QString runText = text.textOf(run);
        const QStringList pieces = runText.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                cursor.insertBlock();
                blockFormatted = false;
            }
            if (!run.attributes) {
                cursor.insertText(pieces.at(i), QTextCharFormat());
                continue;
            }
            if (!blockFormatted) {
                cursor.setBlockFormat(blockFormatOf(run.attributes->paragraphStyle));
                blockFormatted = true;
                if (run.attributes->paragraphStyle.defaultTabInterval > 0)
                    tabInterval = run.attributes->paragraphStyle.defaultTabInterval;
            }
            cursor.insertText(pieces.at(i), charFormatOf(*run.attributes));
        }
    }
    cursor.endEditBlock();

    if (tabInterval > 0) {
        QTextOption option = document.defaultTextOption();
        option.setTabStopDistance(tabInterval);
        document.setDefaultTextOption(option);
    }
}

} // namespace vantel
