#pragma once

#include "mainwindow/SourceListItem.h"
#include "model/iconTag.h"

namespace vantel {

class TagManager;

// A node of the tag tree: a tag (its tag is the full tag name, such as
// "Office|Microsoft") or a folder that only groups sub-tags (empty tag). It
// has no icon or colour of its own: the icon is the known tag's symbol (or
// the default tag image) tinted with the tag's colour, read from the tag
// manager at every read; a folder or an unknown tag shows the default folder.
class SourceListItemTags : public SourceListItem {
    struct Passkey {};

public:
    static std::shared_ptr<SourceListItemTags> create(const QString& name, const QString& tag, TagManager& tags);
    SourceListItemTags(Passkey, const QString& name, const QString& tag, TagManager& tags);

    void setIcon(const std::optional<QIcon>&) override {}
    std::optional<QColor> color() const override { return std::nullopt; }
    void setColor(const std::optional<QColor>&) override {}
    SourceListItemImage image() const override;
    bool hasChildren() const override { return SourceListItem::hasChildren() && itemType() == SourceListItemType::entry; }

    // The tag manager's first tag whose name equals this node's tag; none
    // for a folder or a tag the manager no longer knows.
    iconTagPtr knownTag() const;

private:
    TagManager& tags_;
    // The tag found last, and the revision of the tag list it was found in.
    mutable std::weak_ptr<iconTag> knownTag_;
    mutable quint64 knownTagRevision_ = 0;
};

} // namespace vantel
