#include "mainwindow/SourceListItemFixedEntry.h"

namespace vantel {

std::shared_ptr<SourceListItemFixedEntry> SourceListItemFixedEntry::create(const QString& name,
                                                                           SourceListItemContentType contentType)
{
    return std::make_shared<SourceListItemFixedEntry>(Passkey{}, name, contentType);
}

SourceListItemFixedEntry::SourceListItemFixedEntry(Passkey, const QString& name, SourceListItemContentType contentType)
    : SourceListItem(name, SourceListItemType::entry, contentType, tagForCaption(name))
{
}

QString SourceListItemFixedEntry::tagForCaption(const QString& name)
{
    return QStringLiteral("::%") + name + QStringLiteral("%::%%");
}

QString SourceListItemFixedEntry::imageNameForContentType(SourceListItemContentType type)
{
    switch (type) {
    case SourceListItemContentType::allApplications:
        return QStringLiteral("icon_allApplications");
    case SourceListItemContentType::allFolders:
        return QStringLiteral("icon_allFolders");
    case SourceListItemContentType::allFiles:
        return QStringLiteral("icon_allFiles");
    case SourceListItemContentType::allFavorites:
        return QStringLiteral("icon_allFavorites");
    case SourceListItemContentType::allURLs:
        return QStringLiteral("icon_url");
    case SourceListItemContentType::lastUsedApplications:
        return QStringLiteral("icon_recentApplications");
    case SourceListItemContentType::openApplications:
        return QStringLiteral("icon_openApplications");
    case SourceListItemContentType::shortcuts:
        return QStringLiteral("icon_shortcuts");
    case SourceListItemContentType::none:
    case SourceListItemContentType::headerCategories:
    case SourceListItemContentType::headerTags:
    case SourceListItemContentType::tag:
        break;
    }
    return {};
}

SourceListItemImage SourceListItemFixedEntry::image() const
{
    return {imageNameForContentType(itemContentType()), color_};
}

} // namespace vantel
