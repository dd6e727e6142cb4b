#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vantel {

// Whether a sidebar row is a section header (drawn as a group row) or any
// other row.
enum class SourceListItemType { header, entry };

// What a sidebar row stands for. The order is the ordinal other code uses;
// the raw values (the case names) also name the category hotkeys.
enum class SourceListItemContentType {
    none,
    headerCategories,
    headerTags,
    allApplications,
    allFolders,
    allFiles,
    allFavorites,
    allURLs,
    lastUsedApplications,
    openApplications,
    shortcuts,
    tag,
};

QString rawValue(SourceListItemContentType type);
// Exactly the twelve raw values; none for any other text.
std::optional<SourceListItemContentType> sourceListItemContentTypeFromRawValue(const QString& raw);

// The bundle image a row shows and the colour it is tinted with; the
// description lets a painter cache the drawn image without going stale when
// a tag's symbol or colour changes.
struct SourceListItemImage {
    QString name;
    std::optional<QColor> tint;

    bool operator==(const SourceListItemImage&) const = default;
    bool isNull() const { return name.isEmpty(); }
};

class SourceListItem;
using SourceListItemPtr = std::shared_ptr<SourceListItem>;

// One row of the sidebar: a header, a category entry or a node of the tag
// tree. A node owns its children; the link to its parent does not own, so a
// torn-down tree frees itself. Main thread only.
class SourceListItem : public std::enable_shared_from_this<SourceListItem> {
public:
    virtual ~SourceListItem() = default;
    SourceListItem(const SourceListItem&) = delete;
    SourceListItem& operator=(const SourceListItem&) = delete;

    QString name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    // The image the row shows, looked up (and tinted) on every read.
    virtual std::optional<QIcon> icon() const;
    virtual void setIcon(const std::optional<QIcon>& icon) = 0;
    virtual std::optional<QColor> color() const = 0;
    virtual void setColor(const std::optional<QColor>& color) = 0;
    // What icon() draws, for painters that cache; empty for a stored icon.
    virtual SourceListItemImage image() const = 0;
    // The identity of the row for selection and for the list's filter.
    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }
    SourceListItemType itemType() const { return itemType_; }
    void setItemType(SourceListItemType type) { itemType_ = type; }
    SourceListItemContentType itemContentType() const { return itemContentType_; }
    void setItemContentType(SourceListItemContentType type) { itemContentType_ = type; }

    // None for a top-level item or once the tree above it is gone.
    SourceListItemPtr parent() const { return parent_.lock(); }
    void setParent(const SourceListItemPtr& parent) { parent_ = parent; }
    const QList<SourceListItemPtr>& children() const { return children_; }
    void setChildren(const QList<SourceListItemPtr>& children) { children_ = children; }
    void appendChild(const SourceListItemPtr& child) { children_.append(child); }
    virtual bool hasChildren() const { return !children_.isEmpty(); }
    // Empties every child's children, then this item's; parent links stay.
    void removeAllChildren();

    // The position among the parent's children (or among `topLevel` for a
    // top-level item); -1 when it is in neither.
    qsizetype indexInParent(const QList<SourceListItemPtr>& topLevel) const;
    // 0 for a top-level item.
    int level() const;

protected:
    SourceListItem(const QString& name, SourceListItemType type, SourceListItemContentType contentType,
                   const QString& tag);

private:
    QString name_;
    QList<SourceListItemPtr> children_;
    SourceListItemType itemType_;
    SourceListItemContentType itemContentType_;
    QString tag_;
    std::weak_ptr<SourceListItem> parent_;
};

} // namespace vantel
