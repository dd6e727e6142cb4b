#pragma once

#include <QString>

namespace vantel {

// Tag names have levels separated by "|": "Development|Tools" lies below
// "Development".

// Trims blanks around the name and around each level and drops empty levels,
// so leading, trailing and doubled separators vanish. An empty name stays
// empty. The result is normalised already (normalising twice changes nothing).
QString normalizeTagName(const QString& name);

// Whether `child` lies below `parent` by whole levels; a tag lies below
// itself. False when either name is empty.
bool isSubTag(const QString& child, const QString& parent);

} // namespace vantel
