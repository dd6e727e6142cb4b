#pragma once

#include <QString>
#include <QVariant>

namespace vantel::platform {

// What a predicate reads its key paths from (entries, tags). Answers a bool,
// QString, QStringList, number or QDateTime; an invalid QVariant is nil.
// Predicates may be evaluated on any thread, so implementations must be safe
// to read concurrently.
class KeyValueAccessor {
public:
    virtual ~KeyValueAccessor() = default;
    virtual QVariant valueForKey(const QString& key) const = 0;
};

} // namespace vantel::platform
