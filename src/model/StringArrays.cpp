#include "model/StringArrays.h"

#include <QSet>

namespace vantel {

QStringList uniqued(const QStringList& strings)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString& s : strings) {
        if (seen.contains(s))
            continue;
        seen.insert(s);
        result.append(s);
    }
    return result;
}

bool containsSameElements(const QStringList& lhs, const QStringList& rhs)
{
    return QSet<QString>(lhs.cbegin(), lhs.cend()) == QSet<QString>(rhs.cbegin(), rhs.cend());
}

} // namespace vantel
