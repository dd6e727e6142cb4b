#pragma once

#include <optional>

namespace vantel {

// The kind of a Markdown line after the line rules have run.
enum class MarkdownLineStyle {
    yaml,
    h1,
    h2,
    h3,
    h4,
    h5,
    h6,
    previousH1,
    previousH2,
    body,
    blockquote,
    codeblock,
    unorderedList,
    unorderedListIndentFirstOrder,
    unorderedListIndentSecondOrder,
    orderedList,
    orderedListIndentFirstOrder,
    orderedListIndentSecondOrder,
    referencedLink,
};

// The style that a line of this style gives to the line above it: underlines
// make headings of the text above them.
inline std::optional<MarkdownLineStyle> styleForPreviousLine(MarkdownLineStyle style)
{
    switch (style) {
    case MarkdownLineStyle::previousH1: return MarkdownLineStyle::h1;
    case MarkdownLineStyle::previousH2: return MarkdownLineStyle::h2;
    default: return std::nullopt;
    }
}

} // namespace vantel
