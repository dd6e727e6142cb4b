#include "mainwindow/DragAndDrop.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessProtocol.h"
#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerFilesystemObjects.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "mainwindow/SpringLoadingOutlineView.h"
#include "platform/Bookmark.h"
#include "platform/NotificationCenter.h"

#include <QFileInfo>
#include <QMimeData>

namespace vantel {

namespace {

// The URLs of the drag that pass the test, in order; none when none pass.
template <class Test>
std::optional<QList<QUrl>> urlsWhere(const QMimeData* data, Test&& test)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    QList<QUrl> result;
    for (const QUrl& url : data->urls())
        if (url.isValid() && !url.isEmpty() && test(url))
            result.append(url);
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

bool isFile(const QUrl& url)
{
    return url.isLocalFile() && !url.toLocalFile().isEmpty();
}

} // namespace

MainViewDragAndDrop::MainViewDragAndDrop() : MainViewDragAndDrop(DataStorage::shared())
{
}

MainViewDragAndDrop::MainViewDragAndDrop(DataStorage& store, std::shared_ptr<SandboxFileAccessProtocol> bookmarks)
    : store_(store), bookmarks_(std::move(bookmarks))
{
}

QString MainViewDragAndDrop::mainTableViewItemPathType()
{
    return SpringLoadingOutlineView::privateEntryPathType();
}

QMimeData* MainViewDragAndDrop::pasteboardWriter(const QString& entryPath)
{
    auto* data = new QMimeData;
    data->setData(mainTableViewItemPathType(), entryPath.toUtf8());
    return data;
}

std::optional<QString> MainViewDragAndDrop::draggedEntryPath(const QMimeData* data)
{
    if (!data || !data->hasFormat(mainTableViewItemPathType()))
        return std::nullopt;
    const QString path = QString::fromUtf8(data->data(mainTableViewItemPathType()));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QList<QUrl>> MainViewDragAndDrop::draggedFileURLs(const QMimeData* data)
{
    return urlsWhere(data, isFile);
}

std::optional<QList<QUrl>> MainViewDragAndDrop::draggedURLs(const QMimeData* data)
{
    return urlsWhere(data, [](const QUrl& url) { return !url.isLocalFile() && !url.scheme().isEmpty(); });
}

bool MainViewDragAndDrop::isCopyOnly(Qt::DropActions possibleActions, Qt::KeyboardModifiers modifiers)
{
    return possibleActions == Qt::DropActions(Qt::CopyAction) || modifiers.testFlag(Qt::ControlModifier);
}

bool MainViewDragAndDrop::rowAcceptsDrop(const TableViewItemPtr& entry)
{
    if (!entry)
        return false;
    switch (entry->itemType()) {
    case ListviewItemType::url:
        return true;
    case ListviewItemType::file:
    case ListviewItemType::application:
        return entry->isReachable();
    case ListviewItemType::folder:
    case ListviewItemType::tag:
    case ListviewItemType::unknown:
        return false;
    }
    return false;
}

SidebarDropValidation MainViewDragAndDrop::validateSidebarDrop(const QMimeData* data,
                                                               const SidebarDropTarget& proposed) const
{
    SidebarDropValidation refused{Qt::IgnoreAction, proposed};
    if (!data || data->formats().isEmpty())
        return refused;

    // An entry from the list goes onto a tag and nowhere else.
    if (data->hasFormat(mainTableViewItemPathType())) {
        if (draggedEntryPath(data) && proposed.hasItem && proposed.isTagItem && proposed.onto)
            return {Qt::CopyAction, proposed};
        return refused;
    }

    const auto files = draggedFileURLs(data);
    const auto urls = draggedURLs(data);
    if (!files && !urls)
        return refused;
    if (files && files->size() > maximumFilesOntoSidebar)
        return refused;

    if (!proposed.onto)
        return refused;  // between two rows
    if (proposed.hasItem && proposed.isTagItem && !proposed.tag.isEmpty())
        return {Qt::CopyAction, proposed};
    // Anywhere else the items are added without a tag: the whole sidebar
    // stands for that.
    return {Qt::CopyAction, SidebarDropTarget{}};
}

bool MainViewDragAndDrop::acceptSidebarDrop(const QMimeData* data, const SidebarDropTarget& target)
{
    if (!data || data->formats().isEmpty())
        return false;

    if (const auto path = draggedEntryPath(data); path && target.hasItem && target.isTagItem && !target.tag.isEmpty()) {
        store_.appendTag(*path, target.tag);
        store_.rebuildData(DataStorageRebuildReason::outlineviewDatasource);
        return true;
    }

    const auto files = draggedFileURLs(data);
    const auto urls = draggedURLs(data);
    if (!files && !urls)
        return false;
    if (files && files->size() > maximumFilesOntoSidebar)
        return false;

    const bool ontoTag = target.hasItem && target.isTagItem && !target.tag.isEmpty();
    if (files) {
        if (ontoTag)
            return addFiles(*files, target.tag);
        if (!target.hasItem)
            return addFiles(*files, std::nullopt);
    }
    if (urls) {
        if (ontoTag)
            return addFirstURL(*urls, target.tag);
        if (!target.hasItem)
            return addFirstURL(*urls, std::nullopt);
    }
    return false;
}

bool MainViewDragAndDrop::addFiles(const QList<QUrl>& files, const std::optional<QString>& tag)
{
    const auto bookmarks = bookmarks_ ? bookmarks_ : SandboxFileAccess::shared().persistanceBookmarkStorage();
    for (const QUrl& url : files) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        if (bookmarks && !bookmarks->bookmarkData(url)) {
            // A grant that cannot be made is not needed for adding: the add
            // checks access itself.
            if (const auto data = platform::Bookmark::createBookmark(url, platform::Bookmark::CreationWithSecurityScope))
                bookmarks->setBookmark(*data, url);
        }
        (void)store_.filesystemHandler().addFilesystemObjectToDatabase(path, tag);
    }
    store_.rebuildData(DataStorageRebuildReason::addingFilesystemObjectsToDatabaseFinished);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageFilesystemObjectAddedOrModified"), {},
                                                       &store_);
    return true;
}

bool MainViewDragAndDrop::addFirstURL(const QList<QUrl>& urls, const std::optional<QString>& tag)
{
    if (urls.isEmpty())
        return false;
    const QString urlString = urls.first().toString(QUrl::FullyEncoded);
    return store_.URLHandler().addURLToDatabase(urlString, QString(), QString(), tag) == DatastorageResultCode::done;
}

} // namespace vantel
