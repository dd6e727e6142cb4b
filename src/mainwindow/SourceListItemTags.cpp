#include "mainwindow/SourceListItemTags.h"

#include "datastore/TagManager.h"

namespace vantel {

std::shared_ptr<SourceListItemTags> SourceListItemTags::create(const QString& name, const QString& tag,
                                                               TagManager& tags)
{
    return std::make_shared<SourceListItemTags>(Passkey{}, name, tag, tags);
}

SourceListItemTags::SourceListItemTags(Passkey, const QString& name, const QString& tag, TagManager& tags)
    : SourceListItem(name, SourceListItemType::entry, SourceListItemContentType::tag, tag)
    , tags_(tags)
{
}

iconTagPtr SourceListItemTags::knownTag() const
{
    const QString name = tag();
    if (name.isEmpty())
        return nullptr;
    // Painting reads this for every row: the tag found last stays valid while
    // the list was not written and the tag still has the name.
    const quint64 revision = tags_.allAvailableTags()->revision();
    if (iconTagPtr cached = knownTag_.lock(); cached && knownTagRevision_ == revision && cached->tagName() == name)
        return cached;
    iconTagPtr found = tags_.tagForName(name);
    knownTag_ = found;
    knownTagRevision_ = revision;
    return found;
}

SourceListItemImage SourceListItemTags::image() const
{
    const iconTagPtr found = knownTag();
    if (!found)
        return {tags_.defaultFolder, std::nullopt};
    const QString symbol = found->tagSymbol().isEmpty() ? tags_.defaultTag : found->tagSymbol();
    std::optional<QColor> tint;
    if (const auto colour = found->color())
        tint = colour->toQColor();
    return {symbol, tint};
}

} // namespace vantel
