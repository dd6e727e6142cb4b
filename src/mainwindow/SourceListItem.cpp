#include "mainwindow/SourceListItem.h"

#include "graphics/ImageUtilities.h"
#include "platform/Bundle.h"

#include <array>

namespace vantel {

namespace {

constexpr std::array contentTypeNames{
    "none", "headerCategories", "headerTags", "allApplications", "allFolders", "allFiles",
    "allFavorites", "allURLs", "lastUsedApplications", "openApplications", "shortcuts", "tag",
};

} // namespace

QString rawValue(SourceListItemContentType type)
{
    return QString::fromLatin1(contentTypeNames.at(std::size_t(type)));
}

std::optional<SourceListItemContentType> sourceListItemContentTypeFromRawValue(const QString& raw)
{
    for (std::size_t i = 0; i < contentTypeNames.size(); ++i)
        if (raw == QLatin1String(contentTypeNames.at(i)))
            return SourceListItemContentType(i);
    return std::nullopt;
}

SourceListItem::SourceListItem(const QString& name, SourceListItemType type, SourceListItemContentType contentType,
                               const QString& tag)
    : name_(name)
    , itemType_(type)
    , itemContentType_(contentType)
    , tag_(tag)
{
}

std::optional<QIcon> SourceListItem::icon() const
{
    const SourceListItemImage description = image();
    if (description.isNull())
        return std::nullopt;
    const std::optional<QIcon> found = platform::Bundle::main().imageNamed(description.name);
    if (!found)
        return std::nullopt;
    return tinted(*found, description.tint);
}

void SourceListItem::removeAllChildren()
{
    for (const SourceListItemPtr& child : std::as_const(children_))
        child->removeAllChildren();
    children_.clear();
}

qsizetype SourceListItem::indexInParent(const QList<SourceListItemPtr>& topLevel) const
{
    const SourceListItemPtr up = parent();
    const QList<SourceListItemPtr>& siblings = up ? up->children() : topLevel;
    for (qsizetype i = 0; i < siblings.size(); ++i)
        if (siblings.at(i).get() == this)
            return i;
    return -1;
}

int SourceListItem::level() const
{
    int depth = 0;
    for (SourceListItemPtr up = parent(); up; up = up->parent())
        ++depth;
    return depth;
}

} // namespace vantel
