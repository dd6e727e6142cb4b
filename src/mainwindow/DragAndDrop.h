#pragma once

#include "model/TableViewItem.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QMimeData;

namespace vantel {

class DataStorage;
class SandboxFileAccessProtocol;

// Where a drag over the sidebar points, as the sidebar describes it: a row
// (its tag when it is a tag row) or the whole sidebar, and whether the drop
// goes onto that row or between two rows.
struct SidebarDropTarget {
    bool hasItem = false;    // a row is under the pointer
    bool isTagItem = false;  // that row is a tag
    QString tag;             // the tag's full name ("Office|Microsoft")
    bool onto = true;        // onto the row (or the whole sidebar), not between rows

    bool operator==(const SidebarDropTarget&) const = default;
};

// The sidebar's answer for a drag: the action to show and the target it
// stands for, which may be the whole sidebar instead of the row under the
// pointer (draw the drop highlight there).
struct SidebarDropValidation {
    Qt::DropAction action = Qt::IgnoreAction;
    SidebarDropTarget target;
};

// The drops the main view takes, shared by the entry list and the sidebar:
//  - an entry dragged out of the list carries its path under the private
//    type "net.tarnwick.vantel.mainTableViewItemPath" (only inside the
//    program); dropped onto a sidebar tag it files the entry under the tag;
//  - files and folders (text/uri-list) and web URLs dragged in from outside
//    are added to the catalogue, at most 24 files onto the list and 25 onto
//    the sidebar, and of URLs only the first.
// File URLs and web URLs are told apart: a file URL is never added as a URL
// entry. Adding goes through the store's handlers; a file that no bookmark
// covers gets one first. Main thread only.
class MainViewDragAndDrop {
public:
    static constexpr int maximumFilesOntoList = 24;
    static constexpr int maximumFilesOntoSidebar = 25;

    // Over the shared store.
    MainViewDragAndDrop();
    // With no bookmark store, the access layer's.
    explicit MainViewDragAndDrop(DataStorage& store, std::shared_ptr<SandboxFileAccessProtocol> bookmarks = {});

    // The bundle identifier followed by ".mainTableViewItemPath".
    static QString mainTableViewItemPathType();
    // The drag data of an entry: its path under the private type, nothing else.
    static QMimeData* pasteboardWriter(const QString& entryPath);
    // The path an entry drag carries; none for any other drag or an empty path.
    static std::optional<QString> draggedEntryPath(const QMimeData* data);
    // The dragged local files, in order; none when there are none.
    static std::optional<QList<QUrl>> draggedFileURLs(const QMimeData* data);
    // The dragged URLs that are no files (web addresses and the like), in
    // order; none when there are none.
    static std::optional<QList<QUrl>> draggedURLs(const QMimeData* data);
    // Whether the drag only offers to copy, or the user holds Ctrl (the
    // desktop's copy modifier) while dragging.
    static bool isCopyOnly(Qt::DropActions possibleActions, Qt::KeyboardModifiers modifiers);
    // A URL entry takes dropped items, so do reachable files and
    // applications; folders, tags and unknown entries do not.
    static bool rowAcceptsDrop(const TableViewItemPtr& entry);

    // ---- The sidebar's drops ----
    SidebarDropValidation validateSidebarDrop(const QMimeData* data, const SidebarDropTarget& proposed) const;
    // Carries the drop out onto the target the validation answered; true
    // when it was taken. An entry onto a tag gains
    // the tag (one rebuild); files are added with the tag (none for the whole
    // sidebar); a URL is added with the tag.
    bool acceptSidebarDrop(const QMimeData* data, const SidebarDropTarget& target);

    // ---- Adding ----
    // Each reachable file is bookmarked when no bookmark covers it and added
    // with the tag; then one rebuild and one
    // "datastorageFilesystemObjectAddedOrModified", whatever the single adds
    // answered. Always true.
    bool addFiles(const QList<QUrl>& files, const std::optional<QString>& tag);
    // The first URL as a URL entry (title from its host); true when added.
    bool addFirstURL(const QList<QUrl>& urls, const std::optional<QString>& tag);

private:
    DataStorage& store_;
    std::shared_ptr<SandboxFileAccessProtocol> bookmarks_;
};

} // namespace vantel
