#include "platform/DesktopEntryIndex.h"

#include "platform/XdgPaths.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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
    qsizetype visit = -1; // of the folder it lies in
};

bool isExecutableFile(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat info {};
    return ::stat(encoded.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::access(encoded.constData(), X_OK) == 0;
}

// DesktopEntry::findExecutable for the many entries of one scan: each PATH
// folder is listed once, so a bare program name costs a set lookup and one
// check of the file found, and each answer is kept for the scan.
class ProgramLookup {
public:
    QString find(const QString& program)
    {
        const auto known = answers_.constFind(program);
        if (known != answers_.constEnd())
            return *known;
        const QString found = program.contains(u'/') ? DesktopEntry::findExecutable(program) : search(program);
        answers_.insert(program, found);
        return found;
    }

private:
    struct Folder {
        QString path;
        QSet<QString> names;
    };

    QString search(const QString& program)
    {
        if (!listed_) {
            listed_ = true;
            for (const QString& folder : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts))
                folders_.append({QDir(folder).absolutePath(), names(folder)});
        }
        for (const Folder& folder : std::as_const(folders_)) {
            if (!folder.names.contains(program))
                continue;
            const QString candidate = folder.path + u'/' + program;
            if (isExecutableFile(candidate))
                return candidate;
        }
        return {};
    }

    static QSet<QString> names(const QString& folder)
    {
        QSet<QString> result;
        DIR* dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return result;
        while (const dirent* child = ::readdir(dir))
            result.insert(QFile::decodeName(child->d_name));
        ::closedir(dir);
        return result;
    }

    bool listed_ = false;
    QList<Folder> folders_;
    QHash<QString, QString> answers_;
};

struct Listing {
    // The subfolders' names as the folder lists them, each ended by a NUL:
    // a scan lists many folders whose subfolders it never reaches, and one
    // string per folder costs less than one per name.
    QByteArray folders;
    QStringList desktopFiles; // names ending in ".desktop" that are (links to) files
};

void refuseUnread(const QByteArray& path)
{
    VLOG(indexLog(), LogType::Error, "Skipping desktop file: %{public}@ is not a regular file", QFile::decodeName(path));
}

// One folder's children by their directory-entry type, so that only links
// and file systems that do not say cost a stat.
Listing list(const QString& folder)
{
    Listing listing;
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return listing;
    const auto pathOf = [&encoded](const char* name) { return encoded + '/' + name; };
    while (const dirent* child = ::readdir(dir)) {
        const char* name = child->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const qsizetype length = qsizetype(::strlen(name));
        unsigned char type = child->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::lstat(pathOf(name).constData(), &info) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        const bool desktopName = length > 8 && ::strcmp(name + length - 8, ".desktop") == 0;
        if (type == DT_DIR) {
            listing.folders.append(name, length + 1);
        } else if (desktopName && type == DT_REG) {
            listing.desktopFiles << QFile::decodeName(name);
        } else if (type == DT_LNK) {
            // Linked files count, and linked folders are searched as GLib
            // does; the scan visits each folder once, so links can't loop.
            struct stat info {};
            const QByteArray childPath = pathOf(name);
            if (::stat(childPath.constData(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode))
                listing.folders.append(name, length + 1);
            else if (desktopName && S_ISREG(info.st_mode))
                listing.desktopFiles << QFile::decodeName(name);
            else if (desktopName)
                refuseUnread(childPath);
        } else if (desktopName) {
            refuseUnread(pathOf(name)); // a FIFO, a device, a socket: never opened
        }
    }
    ::closedir(dir);
    return listing;
}

// The subfolders of one folder searched, waiting for the next level: named
// and sorted only once the scan reaches them.
struct Subfolders {
    QString prefix; // the folder's path and a '/'
    QByteArray packed;
    QStringList names;
    qsizetype next = 0;

    // The next subfolder's path; the first call sorts them.
    QString take()
    {
        if (!packed.isEmpty()) {
            for (const QByteArray& name : packed.chopped(1).split('\0'))
                names << QFile::decodeName(name);
            packed = {};
            std::sort(names.begin(), names.end());
        }
        return prefix + names[next++];
    }
    bool done() const { return packed.isEmpty() && next >= names.size(); }
};

} // namespace

// What the scan (launchable, shown in which desktops), the query's items
// (name) and the running-applications matcher (program, window class) ask.
const QStringList DesktopEntryIndex::keptKeys{
    QStringLiteral("Type"),       QStringLiteral("Name"),         QStringLiteral("Exec"),
    QStringLiteral("TryExec"),    QStringLiteral("Hidden"),       QStringLiteral("NoDisplay"),
    QStringLiteral("OnlyShowIn"), QStringLiteral("NotShowIn"),    QStringLiteral("DBusActivatable"),
    QStringLiteral("StartupWMClass")};

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

const DesktopEntry* DesktopEntryIndex::entryFor(QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return nullptr;
    auto slot = cache_.find(path);
    if (slot == cache_.end())
        slot = cache_.insert(path, {});
    path = slot.key();
    Cached& cached = *slot;
    const qint64 modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (cached.size == qint64(info.st_size) && cached.modifiedNs == modifiedNs && cached.inode == quint64(info.st_ino))
        return cached.entry ? &*cached.entry : nullptr;

    cached.size = info.st_size;
    cached.modifiedNs = modifiedNs;
    cached.inode = info.st_ino;
    QString error;
    // Every translation of every key would stay in memory for each
    // application, and reading them all scatters what is kept between them:
    // only what the index's users ask is stored.
    static const DesktopEntry::KeyFilter kept{keptKeys, {}};
    if (auto entry = DesktopEntry::load(path, &error, kept)) {
        if (!entry->skippedLines().isEmpty())
            VLOG(indexLog(), LogType::Info, "Passed over in %{public}@: %{public}@", path,
                 entry->skippedLines().join(QStringLiteral("; ")));
        cached.entry = entry->reducedTo(keptKeys);
    } else if (cached.entry) {
        VLOG(indexLog(), LogType::Error, "Keeping the last good state of %{public}@: %{public}@", path, error);
    } else {
        VLOG(indexLog(), LogType::Error, "Skipping desktop file: %{public}@", error);
    }
    return cached.entry ? &*cached.entry : nullptr;
}

DesktopEntryIndex::Result DesktopEntryIndex::scanShared(
    const QStringList& scopes, const std::function<void(const QList<IndexedApplication>&)>& scopeDone,
    int directoryBudget)
{
    const std::lock_guard lock(sharedMutex());
    return sharedIndex().scan(scopes, scopeDone, directoryBudget);
}

void DesktopEntryIndex::forgetShared()
{
    const std::lock_guard lock(sharedMutex());
    sharedIndex().cache_.clear();
}

// Never destroyed: a worker may still scan while the program ends.
std::mutex& DesktopEntryIndex::sharedMutex()
{
    static std::mutex* const mutex = new std::mutex;
    return *mutex;
}

DesktopEntryIndex& DesktopEntryIndex::sharedIndex()
{
    static DesktopEntryIndex* const index = new DesktopEntryIndex;
    return *index;
}

DesktopEntryIndex::Result DesktopEntryIndex::scan(const QStringList& scopes,
                                                  const std::function<void(const QList<IndexedApplication>&)>& scopeDone,
                                                  int directoryBudget)
{
    Result result;
    ProgramLookup programs;
    const auto findProgram = [&programs](const QString& program) { return programs.find(program); };
    QSet<QString> claimedIds;
    QSet<QString> seenPaths;
    QList<IndexedApplication> applications;
    QSet<QString> scannedScopes;
    // Each scope's applications come in path order and are appended as they
    // are: merged into the sorted ones only for a report or the result, and
    // reported only once they grew by an eighth, so that many scopes cost
    // what their applications cost, not that times the number of scopes.
    qsizetype sorted = 0;
    qsizetype reported = 0;
    const auto mergeSorted = [&applications, &sorted] {
        const auto byPath = [](const IndexedApplication& a, const IndexedApplication& b) { return a.path < b.path; };
        std::sort(applications.begin() + sorted, applications.end(), byPath);
        std::inplace_merge(applications.begin(), applications.begin() + sorted, applications.end(), byPath);
        sorted = applications.size();
    };

    struct Walk {
        QString scope;
        QString prefix;
        QList<Subfolders> pending; // this level's folders, parent by parent
        qsizetype next = 0;        // the parent now taken from
        QList<Subfolders> deeper;  // the next level's
        int depth = 0;             // of the folders in `pending`
        QList<Found> found;
        int visited = 0;
        bool whole = false; // a desktop's own application folder
        bool cutShort = false;

        // Moves on to the next level once this one is done; false at the end.
        bool hasNext()
        {
            while (next >= pending.size()) {
                if (deeper.isEmpty()) {
                    pending.clear();
                    return false;
                }
                pending = std::exchange(deeper, {});
                next = 0;
                ++depth;
            }
            return true;
        }
        QString take()
        {
            Subfolders& from = pending[next];
            QString folder = from.take();
            if (from.done())
                pending[next++] = {}; // its names are freed at once
            return folder;
        }
    };
    // The desktop's menus read its application folders whole: so does every scan.
    QSet<QString> desktopFolders;
    for (const QString& folder : XdgPaths::applicationDirs())
        desktopFolders.insert(QDir::cleanPath(folder));
    QList<Walk> walks;
    for (const QString& scopePath : scopes) {
        // No QFileInfo for what is absolute: the scopes may be many, most of
        // them missing.
        const QString scope =
            QDir::cleanPath(QDir::isAbsolutePath(scopePath) ? scopePath : QFileInfo(scopePath).absoluteFilePath());
        struct stat scopeInfo {};
        if (scope.isEmpty() || ::stat(QFile::encodeName(scope).constData(), &scopeInfo) != 0
            || !S_ISDIR(scopeInfo.st_mode))
            continue;
        scannedScopes.insert(scope);
        Walk walk;
        walk.scope = scope;
        walk.prefix = scope.endsWith(u'/') ? scope : scope + u'/';
        walk.whole = desktopFolders.contains(scope);
        Subfolders top;
        top.names = {scope};
        walk.pending = {top};
        walks.append(std::move(walk));
    }

    // Each folder (by device and inode) is searched once, through the first
    // path that reaches it in scope order, as if the scopes were searched one
    // after the other: a link loop ends, and a folder inside two scopes
    // belongs to the earlier one. The scopes are walked in turns, so a later
    // scope may reach such a folder first: the earlier one then searches it
    // again and takes it over, with what lies below it.
    struct Visit {
        QString path;
        std::pair<quint64, quint64> identity;
        qsizetype walk;
    };
    QList<Visit> visits;
    QHash<std::pair<quint64, quint64>, qsizetype> owner; // the visit that holds each folder
    int budgetLeft = directoryBudget;
    const auto visit = [&](qsizetype w, const QString& folder, int depth) {
        struct stat info {};
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
        const std::pair<quint64, quint64> identity{quint64(info.st_dev), quint64(info.st_ino)};
        const auto held = owner.constFind(identity);
        if (held != owner.cend() && visits[*held].walk <= w)
            return false;
        owner.insert(identity, visits.size());
        visits.append({folder, identity, w});
        --budgetLeft;
        Walk& walk = walks[w];
        ++walk.visited;

        Listing listing = list(folder);
        const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
        if (depth + 1 <= maximumDepth && !listing.folders.isEmpty()) {
            Subfolders subfolders;
            subfolders.prefix = prefix;
            subfolders.packed = std::move(listing.folders);
            walk.deeper.append(std::move(subfolders));
        }
        for (const QString& name : listing.desktopFiles) {
            const QString path = prefix + name;
            QString desktopId = path.mid(walk.prefix.size());
            desktopId.replace(u'/', u'-');
            walk.found.append({path, desktopId, visits.size() - 1});
        }
        return true;
    };
    // Searches the walk's next folder, breadth first; false once it has none.
    const auto advance = [&](qsizetype w) {
        Walk& walk = walks[w];
        while (walk.hasNext()) {
            const int depth = walk.depth;
            if (visit(w, walk.take(), depth))
                return true;
        }
        return false;
    };

    // The desktop's folders first and whole: they hold tens of folders, and
    // an added scope must not cut them (a compatibility layer's menu entries
    // lie four levels down, a user's override of a system entry anywhere).
    for (qsizetype w = 0; w < walks.size(); ++w) {
        if (walks[w].whole)
            while (advance(w)) {
            }
    }
    // Then every added scope's own folder, whatever the budget, and the
    // rest of the budget in turns of one folder per scope, each scope
    // breadth first: a small scope beside huge ones ends whole, and many
    // scopes cannot add up without end.
    QList<qsizetype> turn;
    for (qsizetype w = 0; w < walks.size(); ++w) {
        if (!walks[w].whole && advance(w) && walks[w].hasNext())
            turn << w;
    }
    while (!turn.isEmpty() && budgetLeft > 0) {
        qsizetype kept = 0;
        for (qsizetype w : std::as_const(turn)) {
            if (budgetLeft <= 0 || advance(w))
                turn[kept++] = w;
        }
        turn.resize(kept);
    }
    for (qsizetype w : std::as_const(turn)) {
        Walk& walk = walks[w];
        walk.cutShort = walk.hasNext();
        walk.pending.clear();
        walk.deeper.clear();
    }
    for (qsizetype v = 0; v < visits.size(); ++v) {
        if (owner.value(visits[v].identity) == v)
            result.directories << visits[v].path;
    }

    for (Walk& walk : walks) {
        if (walk.cutShort) {
            result.directoryLimitReached = true;
            // Said whether or not debug logging is on: the scope is listed as searched.
            Log::write(indexLog(), LogType::Default,
                       QStringLiteral("Search scope cut short after %{public}@ folders: %{public}@"),
                       {QString::number(walk.visited), walk.scope});
        }
        QList<Found> found = std::move(walk.found);
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });

        for (Found& file : found) {
            // Its folder was taken over by an earlier scope.
            if (owner.value(visits[file.visit].identity) != file.visit)
                continue;
            if (seenPaths.contains(file.path) || claimedIds.contains(file.desktopId)) {
                result.files << file.path;
                continue;
            }
            // Each scan builds its paths afresh; what it hands out are the
            // cache's strings, so the applications of every scan share them.
            const DesktopEntry* entry = entryFor(file.path);
            result.files << file.path;
            if (!entry)
                continue; // a damaged file leaves the ID to later scopes
            Cached& cached = cache_[file.path];
            if (cached.desktopId != file.desktopId)
                cached.desktopId = file.desktopId;
            file.desktopId = cached.desktopId;
            seenPaths.insert(file.path);
            claimedIds.insert(file.desktopId);
            if (entry->isLaunchableApplication(findProgram))
                applications.append({file.path, file.desktopId, walk.scope, *entry});
        }
        if (scopeDone && applications.size() > reported && applications.size() - reported >= reported / 8) {
            mergeSorted();
            reported = applications.size();
            scopeDone(applications);
        }
    }

    // Forget files below these scopes that are gone, so a new file at the
    // same path is read afresh; what other scans keep stays.
    const QSet<QString> present(result.files.cbegin(), result.files.cend());
    // Looked up folder by folder upwards, not scope by scope.
    const auto scanned = [&scannedScopes](const QString& path) {
        qsizetype slash = path.lastIndexOf(u'/');
        for (; slash > 0; slash = path.lastIndexOf(u'/', slash - 1)) {
            if (scannedScopes.contains(path.left(slash)))
                return true;
        }
        return slash == 0 && scannedScopes.contains(QStringLiteral("/"));
    };
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (present.contains(it.key()) || !scanned(it.key()))
            ++it;
        else
            it = cache_.erase(it);
    }

    mergeSorted();
    result.applications = std::move(applications);
    return result;
}

} // namespace vantel::platform
