#pragma once

#include "markdown/BasicStyles.h"

#include <optional>

namespace vantel {

// Underline styles by their stable raw values.
enum class UnderlineStyle : int {
    none = 0,
    single = 1,
    thick = 2,
    doubleLine = 9,
};

class LinkStyles : public BasicStyles {
public:
    UnderlineStyle underlineStyle = UnderlineStyle::single;

    // Taken from `color` on first read and kept from then on.
    QColor underlineColor() const
    {
        if (!m_underlineColor)
            m_underlineColor = color;
        return *m_underlineColor;
    }
    void setUnderlineColor(const QColor& value) { m_underlineColor = value; }

private:
    mutable std::optional<QColor> m_underlineColor;
};

} // namespace vantel
