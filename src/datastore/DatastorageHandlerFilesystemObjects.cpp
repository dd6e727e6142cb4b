#include "datastore/DatastorageHandlerFilesystemObjects.h"

#include "access/Permissions.h"
#include "access/SandboxFileAccess.h"
#include "datastore/DataStorage.h"
#include "datastore/WindowRequests.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "platform/Bookmark.h"
#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <QDir>
#include <QUrl>

namespace vantel {

namespace {

platform::OpenPanelRequest addPanel()
{
    platform::OpenPanelRequest request;
    request.showsHiddenFiles = false;
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.canCreateDirectories = false;
    request.allowsMultipleSelection = false;
    request.resolvesAliases = false;
    request.message = L10n::addFileDialogMessage();
    return request;
}

std::optional<QString> chosenPath(const platform::OpenPanelResponse& response)
{
    if (!response.accepted || response.paths.isEmpty() || response.paths.first().isEmpty())
        return std::nullopt;
    return response.paths.first();
}

} // namespace

DatastorageHandlerFilesystemObjects::DatastorageHandlerFilesystemObjects(DataStorage& store)
    : store_(store)
{
}

void DatastorageHandlerFilesystemObjects::addFileOrFolder(const std::shared_ptr<ViewController>& viewController,
                                                          const std::optional<QString>& tagName)
{
    if (viewController && viewController->hasWindow()) {
        viewController->runOpenPanelAsSheet(addPanel(), [this, tagName](const platform::OpenPanelResponse& response) {
            const auto path = chosenPath(response);
            if (!path)
                return;
            // A grant for the picked item, so that it opens later without
            // asking again.
            const QUrl url = QUrl::fromLocalFile(*path);
            const auto store = SandboxFileAccess::shared().persistanceBookmarkStorage();
            if (store && !store->bookmarkData(url)) {
                if (const auto data = platform::Bookmark::createBookmark(url, platform::Bookmark::CreationWithSecurityScope))
                    store->setBookmark(*data, url);
            }
            addChosen(*path, tagName);
        });
        return;
    }

    if (const auto windows = WindowRequests::shared())
        windows->closeWindow(WindowKind::main);
    if (const auto path = chosenPath(platform::Dialogs::runOpenPanel(addPanel())))
        addChosen(*path, tagName);
}

void DatastorageHandlerFilesystemObjects::addChosen(const QString& path, const std::optional<QString>& tagName)
{
    (void)addFilesystemObjectToDatabase(path, tagName);
    // The lists are refreshed whatever the add answered.
    store_.rebuildData(DataStorageRebuildReason::addingFilesystemObjectsToDatabaseFinished);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageFilesystemObjectAddedOrModified"), {},
                                                       &store_);
}

DatastorageResultCode DatastorageHandlerFilesystemObjects::addFilesystemObjectToDatabase(
    const QString& path, const std::optional<QString>& tagName)
{
    if (path.isEmpty())
        return DatastorageResultCode::pathEmptyOrAccessDenied;
    if (store_.state() != DatastorageState::idle) {
        VLOG(Logger::dataStorage(), platform::LogType::Fault,
             "! addFilesystemObjectToDatabase - Want to add entry to Database, but Database was not idle! Entry: %{public}@",
             path);
        return DatastorageResultCode::notIdle;
    }

    const bool hasTag = tagName && !tagName->isEmpty();
    if (store_.entryForPath(path)) {
        if (hasTag)
            (void)store_.appendTag(path, *tagName);
        return DatastorageResultCode::done;
    }

    // A relative path would name a different item depending on the working
    // folder: it is never added.
    if (!QDir::isAbsolutePath(path))
        return DatastorageResultCode::pathEmptyOrAccessDenied;

    const QUrl url = QUrl::fromLocalFile(path);
    const QString urlString = url.toString(QUrl::FullyEncoded);
    const SandboxFileAccess::HasAccessResult access =
        SandboxFileAccess::shared().hasAccess(url, Permissions::bookmark() | Permissions::read());
    if (!access.granted) {
        VLOG(platform::Log::defaultHandle(), platform::LogType::Default, "Access-Test for %{public}@ -> Access denied",
             urlString);
        return DatastorageResultCode::pathEmptyOrAccessDenied;
    }
    VLOG(platform::Log::defaultHandle(), platform::LogType::Default, "Access-Test for %{public}@ -> Access possible",
         urlString);

    const TableViewItemPtr entry = TableViewItem::initForExternalNonSpotlightObject(path);
    if (hasTag)
        entry->setTags(entry->tags() << *tagName);
    return store_.addToAllData(entry);
}

} // namespace vantel
