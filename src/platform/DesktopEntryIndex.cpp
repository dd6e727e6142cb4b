#include "platform/DesktopEntryIndex.h"

#include "platform/XdgPaths.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

namespace vantel::platform {

namespace {

const LogCategory& indexLog()
{
    static const LogCategory category("desktopEntries");
    return category;
}

struct Found {
    QString path;
    QString desktopId;
};

} // namespace

QStringList DesktopEntryIndex::defaultApplicationFolders()
{
    QStringList result;
    for (const QString& applications : XdgPaths::applicationDirs()) {
        const QString folder = QDir::cleanPath(applications);
        if (QFileInfo(folder).isDir() && !result.contains(folder))
            result << folder;
    }
    return result;
}

const DesktopEntry* DesktopEntryIndex::entryFor(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return nullptr;
    Cached& cached = cache_[path];
    const qint64 modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (cached.size == qint64(info.st_size) && cached.modifiedNs == modifiedNs && cached.inode == quint64(info.st_ino))
        return cached.entry ? &*cached.entry : nullptr;

    cached.size = info.st_size;
    cached.modifiedNs = modifiedNs;
    cached.inode = info.st_ino;
    QString error;
    if (auto entry = DesktopEntry::load(path, &error)) {
        cached.entry = std::move(entry);
    } else if (cached.entry) {
        VLOG(indexLog(), LogType::Error, "Keeping the last good state of %{public}@: %{public}@", path, error);
    } else {
        VLOG(indexLog(), LogType::Error, "Skipping desktop file: %{public}@", error);
    }
    return cached.entry ? &*cached.entry : nullptr;
}

DesktopEntryIndex::Result DesktopEntryIndex::scan(const QStringList& scopes,
                                                  const std::function<void(const QList<IndexedApplication>&)>& scopeDone)
{
    Result result;
    QSet<QString> claimedIds;
    QSet<QString> seenPaths;
    QSet<QString> seenDirectories;
    QList<IndexedApplication> applications;

    for (const QString& scopePath : scopes) {
        const QString scope = QDir::cleanPath(QFileInfo(scopePath).absoluteFilePath());
        if (scope.isEmpty() || !QFileInfo(scope).isDir())
            continue;

        // Breadth first, so the folders come out in a stable order and the
        // folder limit cuts the deepest ones.
        QList<std::pair<QString, int>> pending{{scope, 0}};
        QList<Found> found;
        while (!pending.isEmpty()) {
            const auto [folder, depth] = pending.takeFirst();
            if (seenDirectories.contains(folder))
                continue;
            if (seenDirectories.size() >= maximumDirectories) {
                result.directoryLimitReached = true;
                break;
            }
            seenDirectories.insert(folder);
            result.directories << folder;

            QDir dir(folder);
            const QFileInfoList children = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                                             QDir::Name);
            for (const QFileInfo& child : children) {
                if (child.isDir()) {
                    // Symlinked folders could loop; they are not followed.
                    if (!child.isSymLink() && depth + 1 <= maximumDepth)
                        pending.append({child.absoluteFilePath(), depth + 1});
                } else if (child.fileName().endsWith(QStringLiteral(".desktop")) && child.isFile()) {
                    const QString path = child.absoluteFilePath();
                    found.append({path, DesktopEntry::desktopId(path, scope)});
                }
            }
        }
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });

        for (const Found& file : found) {
            result.files << file.path;
            if (seenPaths.contains(file.path) || claimedIds.contains(file.desktopId))
                continue;
            const DesktopEntry* entry = entryFor(file.path);
            if (!entry)
                continue; // a damaged file leaves the ID to later scopes
            seenPaths.insert(file.path);
            claimedIds.insert(file.desktopId);
            if (entry->isLaunchableApplication())
                applications.append({file.path, file.desktopId, scope, *entry});
        }
        if (scopeDone) {
            auto sorted = applications;
            std::sort(sorted.begin(), sorted.end(),
                      [](const IndexedApplication& a, const IndexedApplication& b) { return a.path < b.path; });
            scopeDone(sorted);
        }
        if (result.directoryLimitReached)
            break;
    }

    if (result.directoryLimitReached)
        VLOG(indexLog(), LogType::Error, "Stopped descending after %{public}@ folders", QString::number(maximumDirectories));

    // Forget files that are gone, so a new file at the same path is read afresh.
    const QSet<QString> present(result.files.cbegin(), result.files.cend());
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = cache_.erase(it);
    }

    std::sort(applications.begin(), applications.end(),
              [](const IndexedApplication& a, const IndexedApplication& b) { return a.path < b.path; });
    result.applications = std::move(applications);
    return result;
}

} // namespace vantel::platform
