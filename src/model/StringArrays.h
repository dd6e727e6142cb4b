#pragma once

#include <QStringList>

namespace vantel {

// The strings without repeats; the first occurrence of each stays, in order.
QStringList uniqued(const QStringList& strings);

// Both hold the same set of strings (order and repeats ignored, exact case).
bool containsSameElements(const QStringList& lhs, const QStringList& rhs);

} // namespace vantel
