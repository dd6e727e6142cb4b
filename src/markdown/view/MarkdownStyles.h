#pragma once

namespace vantel {

// The looks a Markdown text view can give its document.
enum class MarkdownStyles {
    whatsNew,
    info,
    panelCentered,
    panelLeft,
    help,
    hotkeyOverview,
};

} // namespace vantel
