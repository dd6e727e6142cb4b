#include "platform/MetadataItem.h"

#include <QFileInfo>

namespace vantel::platform {

MetadataItem MetadataItem::forApplication(const QString& path, const QString& displayName)
{
    const QString fileName = QFileInfo(path).fileName();
    const QString contentType = QStringLiteral("com.apple.application-bundle");
    return MetadataItem(QVariantMap{
        {QStringLiteral("kMDItemPath"), path},
        {QStringLiteral("NSMetadataItemPathKey"), path},
        {QStringLiteral("kMDItemDisplayName"), displayName},
        {QStringLiteral("NSMetadataItemDisplayNameKey"), displayName},
        {QStringLiteral("kMDItemFSName"), fileName},
        {QStringLiteral("NSMetadataItemFSNameKey"), fileName},
        {QStringLiteral("kMDItemContentType"), contentType},
        {QStringLiteral("NSMetadataItemContentTypeKey"), contentType},
    });
}

std::optional<QString> MetadataItem::stringAttribute(const QString& attribute) const
{
    const QVariant value = attributes_.value(attribute);
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
    const QVariant value = attributes_.value(QStringLiteral("NSMetadataItemLastUsedDateKey"));
    if (value.typeId() != QMetaType::QDateTime)
        return std::nullopt;
    return value.toDateTime();
}

} // namespace vantel::platform
