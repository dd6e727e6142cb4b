#pragma once

#include <QString>
#include <QStringView>

namespace vantel {

// Plain string order by Unicode code points (UTF-16 order differs for
// characters beyond the basic plane): negative, zero or positive.
int compareCodePoints(QStringView a, QStringView b);

inline bool codePointLess(QStringView a, QStringView b)
{
    return compareCodePoints(a, b) < 0;
}

} // namespace vantel
