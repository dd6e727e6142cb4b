#pragma once

#include <optional>

namespace vantel {

// Font traits of a style object; the raw values are stable.
enum class FontStyle : int {
    normal = 0,
    bold = 1,
    italic = 2,
    boldItalic = 3,
};

inline std::optional<FontStyle> fontStyleFromRawValue(int raw)
{
    if (raw < 0 || raw > 3)
        return std::nullopt;
    return static_cast<FontStyle>(raw);
}

inline bool fontStyleIsItalic(FontStyle style)
{
    return style == FontStyle::italic || style == FontStyle::boldItalic;
}

inline bool fontStyleIsBold(FontStyle style)
{
    return style == FontStyle::bold || style == FontStyle::boldItalic;
}

} // namespace vantel
