#pragma once

#include "platform/KeyValueAccessor.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace vantel::platform {

// One result of a MetadataQuery: a found application with its attributes,
// under both spellings the program asks for ("kMDItemPath" and
// "NSMetadataItemPathKey", ...). An attribute it does not have is an invalid
// QVariant.
class MetadataItem : public KeyValueAccessor {
public:
    MetadataItem() = default;
    explicit MetadataItem(QVariantMap attributes) : attributes_(std::move(attributes)) {}

    // Path, display name, file name and content type under their names.
    static MetadataItem forApplication(const QString& path, const QString& displayName);

    QVariant valueForAttribute(const QString& attribute) const;
    // Predicates read the attributes by name.
    QVariant valueForKey(const QString& key) const override { return valueForAttribute(key); }
    // Sorted, as the attributes' map has them.
    QStringList attributes() const;

    // The typed readers: nullopt when the attribute is missing or of another type.
    std::optional<QString> path() const;
    std::optional<QString> displayName() const;
    std::optional<QDateTime> lastUsedDate() const;
    // The index keeps no dates: the launch history gives them.
    void setLastUsedDate(const QDateTime& date);

    bool operator==(const MetadataItem& other) const;

private:
    // An application's eight attributes as two strings (the file name is
    // taken from the path when asked): a catalogue holds thousands of items,
    // and a map of eight values costs ten times more.
    struct Application {
        QString path;
        QString displayName;
        bool operator==(const Application&) const = default;
    };

    std::optional<QString> stringAttribute(const QString& attribute) const;
    QVariantMap merged() const;

    std::optional<Application> application_;
    QVariantMap attributes_;
};

} // namespace vantel::platform
