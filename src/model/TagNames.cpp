#include "model/TagNames.h"

#include <utility>

namespace vantel {

QString normalizeTagName(const QString& name)
{
    if (name.isEmpty())
        return name;
    if (!name.contains(QLatin1Char('|')))
        return name.trimmed();
    // A level of blanks is dropped like an empty one: keeping it as an empty
    // level would leave a doubled separator that a second pass removes.
    QStringList levels;
    for (const QString& part : name.split(QLatin1Char('|'))) {
        const QString level = part.trimmed();
        if (!level.isEmpty())
            levels.append(level);
    }
    return levels.join(QLatin1Char('|'));
}

QStringList normalizeTagNames(const QStringList& names)
{
    QStringList result;
    result.reserve(names.size());
    for (const QString& name : names) {
        QString normalised = normalizeTagName(name);
        // Repeats as given stay; only normalising makes none.
        if (normalised != name && result.contains(normalised))
            continue;
        result.append(std::move(normalised));
    }
    return result;
}

bool isSubTag(const QString& child, const QString& parent)
{
    if (child.isEmpty() || parent.isEmpty())
        return false;
    if (child == parent)
        return true;
    const QStringList childLevels = child.split(QLatin1Char('|'));
    const QStringList parentLevels = parent.split(QLatin1Char('|'));
    if (childLevels.size() < parentLevels.size())
        return false;
    for (qsizetype i = 0; i < parentLevels.size(); ++i)
        if (childLevels.at(i) != parentLevels.at(i))
            return false;
    return true;
}

} // namespace vantel
