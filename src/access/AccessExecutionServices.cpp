#include "access/AccessExecutionServices.h"

#include "access/LaunchAllEntriesOfTag.h"
#include "access/OpenObject.h"
#include "access/SandboxFileAccess.h"
#include "model/PathUtilities.h"

#include <mutex>

namespace vantel {

namespace {

std::mutex g_queryMutex;
std::function<bool(const QString&)> g_runningQuery;

} // namespace

void AccessExecutionServices::install()
{
    ExecutionServices::setShared(std::make_shared<AccessExecutionServices>());
}

void AccessExecutionServices::openURLString(const QString& urlString, const std::optional<QVariantList>& selectedObjects)
{
    OpenObject::shared().openURLString(urlString, selectedObjects);
}

void AccessExecutionServices::readVolumeAttributes(const QUrl& fileUrl)
{
    SandboxFileAccess::readVolumeAttributes(fileUrl);
}

void AccessExecutionServices::openPath(const QString& path, const std::optional<QVariantList>& selectedObjects,
                                       const QString& entryName)
{
    OpenObject::shared().openPath(path, selectedObjects, {}, entryName);
}

void AccessExecutionServices::launchAllEntriesOfTag(const QString& tagName)
{
    LaunchAllEntriesOfTag::launchAllEntriesOfTag(tagName);
}

bool AccessExecutionServices::selectFile(const QString& path)
{
    if (!isReachablePath(path))
        return false;
    OpenObject::shared().workspace().revealInFileViewer({path});
    return true;
}

bool AccessExecutionServices::isApplicationRunning(const QString& applicationPath)
{
    std::function<bool(const QString&)> query;
    {
        std::lock_guard lock(g_queryMutex);
        query = g_runningQuery;
    }
    return query && query(applicationPath);
}

void AccessExecutionServices::setRunningApplicationQuery(std::function<bool(const QString& applicationPath)> query)
{
    std::lock_guard lock(g_queryMutex);
    g_runningQuery = std::move(query);
}

} // namespace vantel
