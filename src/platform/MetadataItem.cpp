#include "platform/MetadataItem.h"

#include <QFileInfo>

namespace vantel::platform {

namespace {

const QString applicationContentType = QStringLiteral("com.apple.application-bundle");

// Each attribute of an application under both its names, sorted.
enum class Field { path, displayName, fileName, contentType };
const QList<std::pair<QString, Field>>& applicationAttributes()
{
    static const QList<std::pair<QString, Field>> attributes{
        {QStringLiteral("NSMetadataItemContentTypeKey"), Field::contentType},
        {QStringLiteral("NSMetadataItemDisplayNameKey"), Field::displayName},
        {QStringLiteral("NSMetadataItemFSNameKey"), Field::fileName},
        {QStringLiteral("NSMetadataItemPathKey"), Field::path},
        {QStringLiteral("kMDItemContentType"), Field::contentType},
        {QStringLiteral("kMDItemDisplayName"), Field::displayName},
        {QStringLiteral("kMDItemFSName"), Field::fileName},
        {QStringLiteral("kMDItemPath"), Field::path},
    };
    return attributes;
}

} // namespace

MetadataItem MetadataItem::forApplication(const QString& path, const QString& displayName)
{
    MetadataItem item;
    item.application_ = Application{path, displayName};
    return item;
}

QVariant MetadataItem::valueForAttribute(const QString& attribute) const
{
    if (application_) {
        for (const auto& [name, field] : applicationAttributes()) {
            if (name != attribute)
                continue;
            switch (field) {
            case Field::path: return application_->path;
            case Field::displayName: return application_->displayName;
            case Field::fileName: return QFileInfo(application_->path).fileName();
            case Field::contentType: return applicationContentType;
            }
        }
    }
    return attributes_.value(attribute);
}

QVariantMap MetadataItem::merged() const
{
    QVariantMap all = attributes_;
    if (application_) {
        for (const auto& entry : applicationAttributes())
            all.insert(entry.first, valueForAttribute(entry.first));
    }
    return all;
}

QStringList MetadataItem::attributes() const
{
    return application_ ? merged().keys() : attributes_.keys();
}

bool MetadataItem::operator==(const MetadataItem& other) const
{
    if (application_.has_value() == other.application_.has_value())
        return application_ == other.application_ && attributes_ == other.attributes_;
    return merged() == other.merged();
}

std::optional<QString> MetadataItem::stringAttribute(const QString& attribute) const
{
    const QVariant value = valueForAttribute(attribute);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QString> MetadataItem::path() const
{
    return stringAttribute(QStringLiteral("NSMetadataItemPathKey"));
}

std::optional<QString> MetadataItem::displayName() const
{
    return stringAttribute(QStringLiteral("NSMetadataItemDisplayNameKey"));
}

std::optional<QDateTime> MetadataItem::lastUsedDate() const
{
    const QVariant value = valueForAttribute(QStringLiteral("NSMetadataItemLastUsedDateKey"));
    if (value.typeId() != QMetaType::QDateTime)
        return std::nullopt;
    return value.toDateTime();
}

void MetadataItem::setLastUsedDate(const QDateTime& date)
{
    attributes_.insert(QStringLiteral("NSMetadataItemLastUsedDateKey"), date);
    attributes_.insert(QStringLiteral("kMDItemLastUsedDate"), date);
}

} // namespace vantel::platform
