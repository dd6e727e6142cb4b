#pragma once

#include "markdown/MarkdownDocument.h"
#include "markdown/view/MarkdownStyles.h"

#include <QTextBrowser>

#include <memory>
#include <optional>

namespace vantel {

// A read-only view of one Markdown file of the bundle, shown in one of the looks.
class CustomMarkdownTextView : public QTextBrowser {
    Q_OBJECT

public:
    explicit CustomMarkdownTextView(QWidget* parent = nullptr);
    ~CustomMarkdownTextView() override;

    // Loads the bundle resource of that name; a missing one keeps the current document.
    void loadMarkdown(const std::optional<QString>& name);
    void showMarkdown(MarkdownStyles style);
    void applyStyle(MarkdownStyles style);

    MarkdownDocument* markdown() const { return m_markdown.get(); }
    std::optional<MarkdownStyles> style() const { return m_style; }

private:
    std::unique_ptr<MarkdownDocument> m_markdown;
    std::optional<MarkdownStyles> m_style;
};

} // namespace vantel
