#include "platform/MetadataQueryWatcher.h"

#include "platform/FileFacts.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/UnixSignals.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

const LogCategory& watcherLog()
{
    static const LogCategory category("metadataQuery");
    return category;
}

// IN_MODIFY as well as IN_CLOSE_WRITE: a file written in place by a program
// that keeps it open still counts.
constexpr uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Never more, whatever the system allows: past this a watch per folder costs
// more kernel memory than a rescan now and then costs time.
constexpr int mostWatches = 20000;
// When the limit can't be read: a tenth of the kernel's long-standing default.
constexpr int watchesWithoutLimit = 8192 / 10;

// The folder a cleaned path lies in, and its last name, without QFileInfo:
// they are asked for every awaited folder, of which there may be many.
QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

int addWatch(int fd, const QString& path)
{
    return fd < 0 ? -1 : ::inotify_add_watch(fd, QFile::encodeName(path).constData(), folderEvents);
}

} // namespace

int MetadataQueryWatcher::watchBudgetFrom(const QString& limitFile)
{
    // A number, read in one bounded read: whatever the file is, nothing waits on it.
    const int fd = ::open(QFile::encodeName(limitFile).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return watchesWithoutLimit;
    char text[32] = {};
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    bool ok = false;
    const qint64 limit = length > 0 ? QByteArray(text, length).trimmed().toLongLong(&ok) : 0;
    if (!ok || limit <= 0)
        return watchesWithoutLimit;
    return int(std::min<qint64>(limit / 10, mostWatches));
}

int MetadataQueryWatcher::defaultWatchBudget()
{
    static const int budget = watchBudgetFrom(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    return budget;
}

MetadataQueryWatcher::MetadataQueryWatcher(std::function<void()> changed)
    : watchBudget_(defaultWatchBudget())
    , listener_(std::make_shared<Listener>(Listener{std::move(changed)}))
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        VLOG(watcherLog(), LogType::Error, "Cannot watch folders: %{public}@", QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readEvents(); });
}

MetadataQueryWatcher::~MetadataQueryWatcher()
{
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_); // drops every watch with it
}

void MetadataQueryWatcher::stopListening()
{
    notifier_.reset();
    std::shared_ptr<Listener> stopped;
    const std::lock_guard lock(mutex_);
    stopped.swap(listener_); // ends after the lock: what it holds is not this watcher's to guard
}

QStringList MetadataQueryWatcher::folders() const
{
    QHash<QString, int> byPath;
    {
        const std::lock_guard lock(mutex_);
        byPath = byPath_;
    }
    return byPath.keys();
}

int MetadataQueryWatcher::watchCount() const
{
    const std::lock_guard lock(mutex_);
    return int(byDescriptor_.size());
}

MetadataQueryWatcher::Outcome MetadataQueryWatcher::setFolders(const QStringList& folders, const QStringList& awaited)
{
    const std::lock_guard setting(settingMutex_);
    // Copies that share the tables until changed: taking them costs the
    // main thread nothing, and the work below happens on this thread.
    QHash<QString, int> byPath;
    QHash<int, QStringList> byDescriptor;
    QHash<int, QSet<QString>> earlierAwaited;
    {
        const std::lock_guard lock(mutex_);
        byPath = byPath_;
        byDescriptor = byDescriptor_;
        earlierAwaited = awaitedNames_;
        dropped_.clear();
    }
    const QSet<int> earlier(byDescriptor.keyBegin(), byDescriptor.keyEnd());

    // The first folders, in the order given, as far as the budget goes.
    Outcome outcome;
    qsizetype budget = watchBudget();
    QSet<QString> wanted;
    wanted.reserve(std::min(folders.size(), budget));
    for (const QString& folder : folders) {
        if (wanted.contains(folder))
            continue;
        if (wanted.size() < budget) {
            wanted.insert(folder);
        } else {
            ++outcome.beyondBudget;
            outcome.unwatched << folder;
        }
    }
    for (auto it = byPath.begin(); it != byPath.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        QStringList& sharing = byDescriptor[it.value()];
        sharing.removeOne(it.key());
        if (sharing.isEmpty())
            byDescriptor.remove(it.value());
        it = byPath.erase(it);
    }
    for (const QString& folder : std::as_const(wanted)) {
        if (byPath.contains(folder))
            continue;
        const int descriptor = addWatch(fd_, folder);
        if (descriptor < 0) {
            if (errno == ENOSPC || errno == ENOMEM)
                ++outcome.overSystemLimit;
            outcome.failed << folder;
            outcome.unwatched << folder;
            continue;
        }
        byPath.insert(folder, descriptor);
        byDescriptor[descriptor].append(folder);
    }
    outcome.failed.sort();

    QHash<int, QSet<QString>> awaitedNames;
    budget -= byDescriptor.size();
    const bool arrived = await(awaited, awaitedNames, byDescriptor, budget, outcome);

    QSet<int> released;
    for (int descriptor : earlier) {
        if (!byDescriptor.contains(descriptor) && !awaitedNames.contains(descriptor))
            released.insert(descriptor);
    }
    for (auto it = earlierAwaited.cbegin(); it != earlierAwaited.cend(); ++it) {
        if (!byDescriptor.contains(it.key()) && !awaitedNames.contains(it.key()))
            released.insert(it.key());
    }
    {
        const std::lock_guard lock(mutex_);
        // What went meanwhile is gone from the new tables too.
        for (int descriptor : std::as_const(dropped_)) {
            for (const QString& path : byDescriptor.value(descriptor))
                byPath.remove(path);
            byDescriptor.remove(descriptor);
            awaitedNames.remove(descriptor);
        }
        dropped_.clear();
        // Swapped, not assigned: the old tables are freed here, outside the lock.
        std::swap(byPath_, byPath);
        std::swap(byDescriptor_, byDescriptor);
        std::swap(awaitedNames_, awaitedNames);
        awaited_ = awaited;
    }
    // Only now: the main thread no longer takes these watches' end for a folder gone.
    for (int descriptor : std::as_const(released))
        ::inotify_rm_watch(fd_, descriptor);

    if (arrived) {
        std::weak_ptr<Listener> told;
        {
            // Read on the worker while the main thread may stop listening.
            const std::lock_guard lock(mutex_);
            told = listener_;
        }
        MainQueue::async([listener = std::move(told)] {
            if (const auto alive = listener.lock(); alive && alive->changed)
                alive->changed();
        });
    }
    return outcome;
}

void MetadataQueryWatcher::renew()
{
    QHash<QString, int> byPath;
    QStringList awaited;
    {
        const std::lock_guard lock(mutex_);
        byPath = byPath_;
        awaited = awaited_;
    }
    setFolders({}, {});
    setFolders(byPath.keys(), awaited);
}

bool MetadataQueryWatcher::await(const QStringList& awaited, QHash<int, QSet<QString>>& names,
                                 const QHash<int, QStringList>& folders, qsizetype& budget, Outcome& outcome) const
{
    // Awaited folders often share a missing parent (scopes on a drive not
    // mounted): its nearest existing ancestor is looked for, and watched,
    // once for all of them.
    struct Ancestor {
        int descriptor = -1;
        // The name below the ancestor that leads to the parent; empty when
        // the parent is there, and each folder's own name leads to it.
        QString child;
    };
    QHash<QString, Ancestor> byParent;
    bool arrived = false;
    for (const QString& path : awaited) {
        // The program is ending: nothing comes back in time to matter.
        if (UnixSignals::quitPending())
            break;
        const QString clean = QDir::cleanPath(path);
        const QString parent = parentOf(clean);
        auto known = byParent.constFind(parent);
        if (known == byParent.cend()) {
            Ancestor found;
            QString ancestor = parent;
            while (!FileFacts::isDirectory(ancestor) && ancestor != parentOf(ancestor)) {
                found.child = nameOf(ancestor);
                ancestor = parentOf(ancestor);
            }
            found.descriptor = budget > 0 ? addWatch(fd_, ancestor) : -1;
            if (budget <= 0) {
                ++outcome.beyondBudget;
            } else if (found.descriptor < 0) {
                VLOG(watcherLog(), LogType::Error, "Cannot wait for %{public}@ in %{public}@", path, ancestor);
            } else {
                if (!folders.contains(found.descriptor) && !names.contains(found.descriptor))
                    --budget;
                if (!found.child.isEmpty()) {
                    names[found.descriptor].insert(found.child);
                    // It may have come back between the look and this watch.
                    arrived = arrived || FileFacts::isDirectory(QDir::cleanPath(ancestor + u'/' + found.child));
                }
            }
            known = byParent.insert(parent, found);
        }
        if (known->descriptor < 0)
            outcome.unwatched << clean;
        if (known->descriptor < 0 || !known->child.isEmpty())
            continue;
        names[known->descriptor].insert(nameOf(clean));
        arrived = arrived || FileFacts::isDirectory(clean);
    }
    return arrived;
}

void MetadataQueryWatcher::readEvents()
{
    bool any = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length <= 0)
            break;
        // Held for the events of one read, each a lookup or two.
        const std::lock_guard lock(mutex_);
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event)) + event->len;
            const bool watched = byDescriptor_.contains(event->wd);
            const auto awaiting = awaitedNames_.constFind(event->wd);
            if (event->mask & IN_IGNORED) {
                // The folder is gone, so is its watch. One dropped by
                // setFolders is forgotten already and changes nothing.
                if (!watched && awaiting == awaitedNames_.constEnd())
                    continue;
                for (const QString& path : byDescriptor_.value(event->wd))
                    byPath_.remove(path);
                byDescriptor_.remove(event->wd);
                awaitedNames_.remove(event->wd);
                dropped_.insert(event->wd);
                any = true; // an ancestor gone is awaited higher up after the next scan
                continue;
            }
            if (watched) {
                any = true;
            } else if (awaiting != awaitedNames_.constEnd()) {
                // In an ancestor only what may bring an awaited folder back counts.
                const QString name = event->len > 0 ? QFile::decodeName(event->name) : QString();
                if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) || awaiting->contains(name))
                    any = true;
            }
        }
    }
    // A copy: `changed` may stop this watcher.
    std::shared_ptr<Listener> listener;
    {
        const std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (any && listener && listener->changed)
        listener->changed();
}

} // namespace vantel::platform
