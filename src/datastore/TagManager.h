#pragma once

#include "model/SynchronizedArray.h"
#include "model/iconTag.h"
#include "model/iconTagForBackup.h"
#include "platform/NotificationCenter.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

namespace vantel {

class DataStorage;

using TagArray = SynchronizedArray<iconTagPtr>;

// Owns every tag and the sorted list of the visible ones. After each rebuild
// of its data store it recomputes the visible tags, compares them with the
// snapshot of the previous rebuild and posts what kind of change happened:
// "validateTagHotkeyNeeded" (a visible tag's key combination changed), then
// either "visibleTagsRebuildNeeded" (a tag became or stopped being visible)
// or "visibleTagsUseCounterChanged" and "visibleTagsRedrawNeeded"; nothing
// when no visible tag changed. It also renames and deletes tags, asking the
// user first through the platform's dialog provider.
//
// Owned by its data store; posts go to the default centre with no object and
// the manager as sender.
class TagManager {
public:
    // The tag manager of DataStorage::shared().
    static TagManager& shared();

    explicit TagManager(DataStorage& store);
    TagManager(const TagManager&) = delete;
    TagManager& operator=(const TagManager&) = delete;

    enum class TagCompareResults { rebuildNeeded, redrawNeeded, tagUseCounterChanged, validateHotkeyNeeded };

    const QString defaultTag = QStringLiteral("icon_tags");
    const QString defaultFolder = QStringLiteral("icon_folder");

    // The symbols a tag may use, in catalogue order.
    const QStringList& iconNames() const { return iconNames_; }
    // Every tag; the same array object for the life of the manager.
    const TagArray::Ptr& allAvailableTags() const { return allAvailableTags_; }
    // The visible tags sorted by name; a new array after every recomputation.
    TagArray::Ptr allVisibleTags() const;
    QList<std::shared_ptr<iconTagForBackup>> backupVisibleTags() const;

    // The predicate of an exact, case-sensitive name match.
    static auto tagNameMatches(const QString& name)
    {
        return [name](const iconTagPtr& tag) { return tag && tag->tagName() == name; };
    }
    // The first tag with exactly that name.
    iconTagPtr tagForName(const QString& name) const;

    // ---- After a rebuild ----
    void rebuildVisibleTags();
    QList<TagCompareResults> compareVisibleTags() const;
    static void compareTagWithBackup(const iconTag& tag, const iconTag& backup, QList<TagCompareResults>& results);
    void storeVisibleTagsBackup();

    // Gives every tag whose symbol is not in iconNames the default symbol.
    void validateTagSymbols();

    // Gives a tag whose name was stored without normalising its normalised
    // name; when a tag of that name exists already, the two are merged as
    // sub-tags are in a merge. Run by the store's validation, before the
    // entries' names are looked up.
    void normalizeTagRecords();

    // ---- Rename and delete (main thread: they may ask the user) ----
    // Renames the tag, its sub-tags and the names on every entry, or merges
    // it into an existing tag of the new name; then rebuilds the store.
    bool renameTag(const QString& oldName, const QString& newName);
    bool confirmRenameTag(const QString& oldName, const QString& newName);
    bool deleteTagAtIndex(qsizetype index);
    bool confirmDeleteTag(const QString& tagName);
    // Removes the name from every entry and its record from the list, then
    // rebuilds the store; true when a tag of that name was in the list.
    bool deleteTag(const QString& tagName);

private:
    void fillIconNames();
    // Renames one tag record and the name on every entry, and gives its new
    // name. When another tag has that name already, the record leaves the
    // list and is merged into that tag (mergeTagRecord).
    QString renameTagRecord(const iconTagPtr& tag, const QString& oldPrefix, const QString& newPrefix);
    // Takes `from` out of the list; `into` keeps its own settings and gets
    // those of `from` that it lacks (colour, a symbol other than the
    // default, either hotkey). The hotkeys of `from` are cleared through
    // their setters first, so the hotkey layer releases them before `into`
    // takes them up.
    void mergeTagRecord(const iconTagPtr& from, const iconTagPtr& into);
    // The first tag other than `except` with exactly that name.
    iconTagPtr otherTagForName(const QString& name, const iconTagPtr& except) const;

    DataStorage& store_;
    QStringList iconNames_;
    const TagArray::Ptr allAvailableTags_;
    mutable std::mutex mutex_; // guards the replaced visible list and the backup
    TagArray::Ptr allVisibleTags_;
    QList<std::shared_ptr<iconTagForBackup>> backupVisibleTags_;
    platform::ObserverToken rebuildObserver_;
};

QString rawValue(TagManager::TagCompareResults result);

} // namespace vantel
