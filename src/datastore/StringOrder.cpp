#include "datastore/StringOrder.h"

#include <QStringView>

namespace vantel {

namespace {

// Surrogates sort above every other UTF-16 unit, as their code points do.
constexpr char32_t orderKey(char16_t unit)
{
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return char32_t(unit) + 0x2000;
    if (unit >= 0xE000)
        return char32_t(unit) - 0x800;
    return unit;
}

} // namespace

int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const QChar* pa = a.data();
    const QChar* pb = b.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ua = pa[i].unicode();
        const char16_t ub = pb[i].unicode();
        if (ua != ub)
            return orderKey(ua) < orderKey(ub) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace vantel
