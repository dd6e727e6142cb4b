#pragma once

#include <QList>
#include <QMetaType>
#include <QPair>
#include <QVariant>

#include <optional>

namespace vantel::platform {

// A dictionary whose keys need not be strings (e.g. URL -> data), in the order
// of the archive. Dictionaries whose keys are all strings travel as QVariantMap.
struct KeyedDictionary {
    QList<QPair<QVariant, QVariant>> entries;

    bool operator==(const KeyedDictionary&) const = default;

    // The value stored under `key`, or a null QVariant.
    QVariant value(const QVariant& key) const;
    // Accepts a KeyedDictionary or a QVariantMap (what an archive's dictionary
    // with only string keys, or an empty one, decodes to); none for anything else.
    static std::optional<KeyedDictionary> from(const QVariant& value);
};

} // namespace vantel::platform

Q_DECLARE_METATYPE(vantel::platform::KeyedDictionary)
