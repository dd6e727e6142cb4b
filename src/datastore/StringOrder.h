#pragma once

#include <QString>

namespace vantel {

// Plain string order by Unicode code points (UTF-16 order differs for
// characters beyond the basic plane): negative, zero or positive.
int compareCodePoints(const QString& a, const QString& b);

inline bool codePointLess(const QString& a, const QString& b)
{
    return compareCodePoints(a, b) < 0;
}

} // namespace vantel
