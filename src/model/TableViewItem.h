#pragma once

#include "hotkeys/KeyCombo.h"
#include "model/ListviewItemSource.h"
#include "model/ListviewItemType.h"
#include "model/TableViewItemChangeReason.h"
#include "model/ThreadSafe.h"
#include "platform/Archivable.h"
#include "platform/Color.h"
#include "platform/KeyValueAccessor.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <atomic>
#include <limits>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <shared_mutex>

namespace vantel {

namespace platform {
class KeyedUnarchiver;
}

// One entry of the catalogue: a file, folder or application on disk, a URL
// (web address or Shortcuts URL) or a tag shown as an entry. Held by
// shared_ptr and shared between the data store's lists and the views.
//
// Setters post "tableViewItemChanged" with a TableViewItemChangedNotifyObject
// (path and reason, never the entry) synchronously on the calling thread,
// only once the initialiser has finished and only when the value changed.
// Every field may be read from any thread: path, tags and lastUsedDate sit in
// ThreadSafe values, the rest behind a lock shared with other entries
// (DispatchQueueManager's table; nothing but a copy runs under it) or in
// atomics. The entry keeps case-folded copies of its name, comment and tags,
// refreshed by every store, so that predicates search them without folding.
class TableViewItem : public platform::Archivable, public platform::KeyValueAccessor {
    struct Private {};

public:
    using Ptr = std::shared_ptr<TableViewItem>;

    // ---- Initialisers (none of them posts) ----
    static Ptr initForPath(const QString& path, const QString& name, ListviewItemType type, ListviewItemSource source);
    static Ptr initForSpotlightApp(const QString& path, const QString& name);
    static Ptr initForTag(const QString& tagName, const QString& name);
    static Ptr initForURL(const QString& url, const QString& title, const QString& comment, ListviewItemSource source);
    static Ptr initForURL(const QString& url, const QString& title, const QString& comment);
    static Ptr initForShortcutsURL(const QString& url, const QString& title, const QString& comment);
    // Type and name from what the path is on disk; source `other`.
    static Ptr initForExternalNonSpotlightObject(const QString& path);
    // None when "name" or "path" is missing, not a string or empty.
    static Ptr initWithCoder(platform::KeyedUnarchiver& coder);

    static QString archiveName();
    // Makes the class known to the unarchiver (idempotent, thread-safe).
    static void registerArchiveClass();
    // The classes an archive of entries holds, registered: the allow-list
    // to hand to the unarchiver.
    static QSet<QString> archiveClassNames();

    explicit TableViewItem(Private);
    TableViewItem(const TableViewItem&) = delete;
    TableViewItem& operator=(const TableViewItem&) = delete;

    static inline const QString keyNameName = QStringLiteral("name");
    static inline const QString keyNamePath = QStringLiteral("path");
    static inline const QString keyNameComment = QStringLiteral("comment");
    static inline const QString keyNameTags = QStringLiteral("tags");
    static inline const QString keyNameVisible = QStringLiteral("isVisible");
    static inline const QString keyNameColor = QStringLiteral("color");
    static inline const QString keyNameHotkey = QStringLiteral("hotkey");
    static inline const QString keyNameFavorite = QStringLiteral("favorite");
    static inline const QString keyNameItemType = QStringLiteral("itemTypeRawValue");
    static inline const QString keyNameItemSource = QStringLiteral("itemSourceRawValue");

    // ---- Stored properties ----
    QString name() const;
    void setName(const QString& name);
    QString nameLowercased() const;
    // What a case-insensitive search compares: the case-folded name and
    // comment, kept up to date by their setters.
    QString caseFoldedName() const;
    QString caseFoldedComment() const;
    QString path() const { return path_.get(); }
    void setPath(const QString& path);
    QString pathLowercased() const;
    QStringList tags() const { return tags_.get(); }
    void setTags(const QStringList& tags);
    QString comment() const;
    void setComment(const QString& comment);
    std::optional<platform::Color> color() const;
    void setColor(const std::optional<platform::Color>& color);
    std::optional<KeyCombo> hotkey() const;
    void setHotkey(const std::optional<KeyCombo>& hotkey);
    bool isVisible() const { return isVisible_.load(); }
    void setIsVisible(bool visible);
    bool isFavorite() const { return isFavorite_.load(); }
    void setIsFavorite(bool favorite);
    std::optional<QDateTime> lastUsedDate() const { return lastUsedDate_.get(); }
    void setLastUsedDate(const std::optional<QDateTime>& date) { lastUsedDate_.set(date); }
    ListviewItemType itemType() const { return itemType_.load(); }
    void setItemType(ListviewItemType type)
    {
        if (itemType_.exchange(type) != type)
            noteSearchableChange();
    }
    ListviewItemSource itemSource() const { return itemSource_.load(); }
    void setItemSource(ListviewItemSource source)
    {
        if (itemSource_.exchange(source) != source)
            noteFlagChange();
    }
    QString itemTypeRawValue() const { return rawValue(itemType()); }
    void setItemTypeRawValue(const QString& raw);
    QString itemSourceRawValue() const { return rawValue(itemSource()); }
    void setItemSourceRawValue(const QString& raw);
    bool isFoundBySpotlight() const { return isFoundBySpotlight_.load(); }
    void setIsFoundBySpotlight(bool found)
    {
        if (isFoundBySpotlight_.exchange(found) != found)
            noteFlagChange();
    }
    bool isFoundByShortcutImport() const { return isFoundByShortcutImport_.load(); }
    void setIsFoundByShortcutImport(bool found) { isFoundByShortcutImport_.store(found); }
    bool isFoundByTags() const { return isFoundByTags_.load(); }
    void setIsFoundByTags(bool found)
    {
        if (isFoundByTags_.exchange(found) != found)
            noteFlagChange();
    }
    std::optional<bool> lastReachableCheck() const;
    std::optional<QDateTime> lastReachableCheckDateTime() const;
    bool initialized() const { return initialized_.load(); }

    bool isManuallyCreated() const { return itemSource() == ListviewItemSource::other; }
    bool couldBeHidden() const { return itemSource() != ListviewItemSource::other; }

    // ---- Behaviour ----
    // Whether the entry can be opened; a file test is cached for 5 seconds,
    // and each question with a cached answer renews the cache.
    bool isReachable() const;
    bool isLaunched() const;
    bool isPhysicalEntry() const;
    bool acceptsDrop() const;
    bool shouldSavedToConfig() const;
    std::optional<QDateTime> lastModifiedDate() const;
    bool showInFinder() const;
    void renameTag(const QString& oldName, const QString& newName);
    void deleteTag(const QString& tagName);

    // Opens the entry; `arguments` are the files handed over (paths).
    void execute(const std::optional<QVariantList>& arguments = std::nullopt);

    // Same path, name, hotkey, comment, colour, set of tags, visibility,
    // favourite mark and source. Type and dates do not count.
    bool isEqual(const TableViewItem& other) const;

    QString archiveClassName() const override;
    void encode(platform::KeyedArchiver& coder) const override;
    QVariant valueForKey(const QString& key) const override;
    const platform::KeyTable* keyTable() const override;
    QVariant valueForKeyIndex(int index) const override;
    std::optional<bool> boolForKeyIndex(int index) const override;
    std::optional<bool> textEqualsForKeyIndex(int index, QStringView text) const override;
    std::optional<bool> testCaseFoldedText(int index, QStringView foldedNeedle, TextQuery query) const override;

    // Grows whenever any entry's name, comment, tags, visibility or type
    // changes: a search result kept from before is then no longer a proof.
    static quint64 searchableRevision() { return searchableRevision_.load(std::memory_order_acquire); }
    // The entries whose searchable fields changed after `revision` (an entry
    // may be named twice; one no longer alive may be named too: compare, do
    // not dereference, what the caller does not hold). None when so many
    // changes came since that the record no longer reaches back to it.
    static std::optional<std::vector<const TableViewItem*>> searchableChangesSince(quint64 revision);

    // Grows whenever any entry's source or found-by flags change (which the
    // searchable revision does not count): flags a search index keeps per
    // entry are then stale.
    static quint64 flagRevision() { return flagRevision_.load(std::memory_order_acquire); }
    // Whether isReachable answers true without a file test, whatever the
    // time: the flags alone decide it.
    bool isReachableByFlags() const
    {
        return isFoundBySpotlight() || isFoundByTags() || itemType() == ListviewItemType::url
            || itemSource() == ListviewItemSource::shortcuts;
    }

    // The clock of the reachability cache (tests move it on).
    static void setClock(std::function<QDateTime()> clock);

private:
    void itemChanged(TableViewItemChangeReason reason) const;
    void finishInitialisation();
    bool fileTestWithCache() const;
    // Stores the tags and their case-folded copies.
    void storeTags(const QStringList& tags);
    void refreshFoldedName();
    void noteSearchableChange() const;
    static void noteFlagChange() { flagRevision_.fetch_add(1, std::memory_order_acq_rel); }
    static qint64 nowMSecs();
    std::shared_mutex& fieldLock() const { return DispatchQueueManager::lockFor(this); }

    // The flags a filter reads of every entry come first, on the cache line
    // of the object's start.
    std::atomic<ListviewItemType> itemType_{ListviewItemType::application};
    std::atomic<ListviewItemSource> itemSource_{ListviewItemSource::other};
    std::atomic<bool> isVisible_{true};
    std::atomic<bool> isFavorite_{false};
    std::atomic<bool> isFoundBySpotlight_{false};
    std::atomic<bool> isFoundByShortcutImport_{false};
    std::atomic<bool> isFoundByTags_{false};
    std::atomic<bool> initialized_{false};
    // Whether the lower-case name folds to the folded name (nearly always).
    bool nameLowercasedFoldsAlike_ = true;
    // The reachability cache, written by whichever thread asks: the answer
    // (-1 none, 0 false, 1 true) and its time stamp in ms since the epoch.
    mutable std::atomic<qint8> lastReachableCheck_{-1};
    static constexpr qint64 noTime = std::numeric_limits<qint64>::min();
    mutable std::atomic<qint64> lastReachableCheckTime_{noTime};

    QString name_;
    QString nameLowercased_;
    ThreadSafe<QString> path_;
    QString pathLowercased_;
    ThreadSafe<QStringList> tags_;
    QString comment_;
    // Rarely set: held apart so that an entry without them stays small.
    std::unique_ptr<const platform::Color> color_;
    std::unique_ptr<const KeyCombo> hotkey_;
    // Case-folded search texts; they share the data of the plain texts when
    // folding changes nothing.
    QString foldedName_;
    QString foldedComment_;
    QStringList foldedTags_;
    ThreadSafe<std::optional<QDateTime>> lastUsedDate_;

    static inline std::atomic<quint64> searchableRevision_{0};
    static inline std::atomic<quint64> flagRevision_{0};
};

using TableViewItemPtr = TableViewItem::Ptr;

} // namespace vantel
