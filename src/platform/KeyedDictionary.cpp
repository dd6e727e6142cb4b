#include "platform/KeyedDictionary.h"

#include <QVariantMap>

namespace vantel::platform {

QVariant KeyedDictionary::value(const QVariant& key) const
{
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (it->first == key)
            return it->second;
    }
    return {};
}

std::optional<KeyedDictionary> KeyedDictionary::from(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<KeyedDictionary>())
        return value.value<KeyedDictionary>();
    if (value.typeId() == QMetaType::QVariantMap) {
        KeyedDictionary dictionary;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            dictionary.entries.append({QVariant(it.key()), it.value()});
        return dictionary;
    }
    return std::nullopt;
}

} // namespace vantel::platform
