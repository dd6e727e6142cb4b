#pragma once

#include <QString>
#include <QStringList>

namespace vantel {

// Tag names have levels separated by "|": "Development|Tools" lies below
// "Development".

// Trims blanks around the name and around each level and drops empty levels,
// so leading, trailing and doubled separators vanish. An empty name stays
// empty. The result is normalised already (normalising twice changes nothing).
QString normalizeTagName(const QString& name);

// The names as an entry stores them: each normalised, in order, so the
// entry's names match the tag records' names exactly. A name that normalising
// turns into one already listed is dropped.
QStringList normalizeTagNames(const QStringList& names);

// Whether `child` lies below `parent` by whole levels; a tag lies below
// itself. False when either name is empty.
bool isSubTag(const QString& child, const QString& parent);

} // namespace vantel
