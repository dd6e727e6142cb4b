#include "markdown/view/CustomMarkdownTextView.h"

#include "access/OpenObject.h"
#include "markdown/SystemAppearance.h"
#include "markdown/TextDocumentWriter.h"
#include "markdown/view/MarkdownResources.h"

#include <QScrollBar>

namespace vantel {

CustomMarkdownTextView::CustomMarkdownTextView(QWidget* parent)
    : QTextBrowser(parent)
{
    // Links leave the view for the desktop, as URL entries do; the view
    // never navigates itself.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (!url.scheme().isEmpty())
            OpenObject::shared().openAddress(url);
    });
}

CustomMarkdownTextView::~CustomMarkdownTextView() = default;

void CustomMarkdownTextView::loadMarkdown(const std::optional<QString>& name)
{
    if (!name)
        return;
    const std::optional<QString> path = MarkdownResources::pathForResource(*name);
    if (!path)
        return;
    m_markdown = MarkdownDocument::fromFile(*path);
    if (m_markdown)
        m_markdown->imageProvider = &MarkdownResources::image;
}

void CustomMarkdownTextView::showMarkdown(MarkdownStyles style)
{
    if (!m_markdown || m_markdown->string.isEmpty())
        return;
    applyStyle(style);
    const AttributedText rendered = m_markdown->renderAttributedString();
    if (rendered.isEmpty())
        return;

    setReadOnly(false);
    setUndoRedoEnabled(false);
    TextDocumentWriter::write(rendered, *document());
    moveCursor(QTextCursor::Start);
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::LinksAccessibleByMouse
                            | Qt::LinksAccessibleByKeyboard);
}

void CustomMarkdownTextView::applyStyle(MarkdownStyles style)
{
    if (!m_markdown)
        return;
    m_style = style;
    MarkdownDocument& document = *m_markdown;

    document.setFontNameForAllStyles(SystemAppearance::systemFontFamily());

    const qreal bodySize =
        style == MarkdownStyles::help ? SystemAppearance::smallSystemFontSize() : SystemAppearance::systemFontSize();
    const qreal step = style == MarkdownStyles::hotkeyOverview ? 1 : 2;
    document.body.fontSize = bodySize;
    if (style == MarkdownStyles::help) {
        document.italic.fontSize = bodySize;
        document.code.fontSize = bodySize;
    } else if (style == MarkdownStyles::hotkeyOverview) {
        document.body.fontName = SystemAppearance::monospacedFontFamily();
        document.body.color = SystemAppearance::linkColor();
        document.italic.color = QColor(Qt::transparent);
        document.code.fontSize = bodySize;
        document.code.color = SystemAppearance::labelColor();
    }

    document.h3.fontSize = bodySize + step;
    document.h2.fontSize = document.h3.fontSize + step;
    document.h1.fontSize = document.h2.fontSize + step;
    if (const std::optional<QColor> accent = MarkdownResources::color(QStringLiteral("tarnwickOrange"))) {
        document.h1.color = *accent;
        document.h2.color = *accent;
        document.h3.color = *accent;
    }
    document.h1.fontStyle = FontStyle::bold;
    document.h2.fontStyle = FontStyle::bold;
    document.h3.fontStyle = FontStyle::bold;

    const bool centredHeadings = style == MarkdownStyles::panelCentered || style == MarkdownStyles::hotkeyOverview;
    const TextAlignment headings = centredHeadings ? TextAlignment::center : TextAlignment::left;
    document.h1.alignment = headings;
    document.h2.alignment = headings;
    document.h3.alignment = headings;
    document.body.alignment = style == MarkdownStyles::panelCentered ? TextAlignment::center : TextAlignment::left;
}

} // namespace vantel
