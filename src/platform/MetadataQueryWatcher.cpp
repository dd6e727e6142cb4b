#include "platform/MetadataQueryWatcher.h"

#include "platform/FileFacts.h"
#include "platform/Log.h"
#include "platform/UnixSignals.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

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

} // namespace

MetadataQueryWatcher::MetadataQueryWatcher(std::function<void()> changed)
    : changed_(std::move(changed))
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

QStringList MetadataQueryWatcher::setFolders(const QStringList& folders, const QStringList& awaited)
{
    const QHash<int, QSet<QString>> earlierAwaited = std::exchange(awaitedNames_, {});
    const QSet<QString> wanted(folders.cbegin(), folders.cend());
    for (auto it = byPath_.begin(); it != byPath_.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        QStringList& sharing = byDescriptor_[it.value()];
        sharing.removeOne(it.key());
        if (sharing.isEmpty()) {
            byDescriptor_.remove(it.value());
            release(it.value());
        }
        it = byPath_.erase(it);
    }

    QStringList failed;
    for (const QString& folder : wanted) {
        if (byPath_.contains(folder))
            continue;
        const int descriptor = fd_ < 0 ? -1 : ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), folderEvents);
        if (descriptor < 0) {
            failed << folder;
            continue;
        }
        byPath_.insert(folder, descriptor);
        byDescriptor_[descriptor].append(folder);
    }
    failed.sort();

    awaited_ = awaited;
    const bool arrived = await(awaited);
    for (auto it = earlierAwaited.cbegin(); it != earlierAwaited.cend(); ++it)
        release(it.key());
    if (arrived && changed_)
        changed_();
    return failed;
}

void MetadataQueryWatcher::renew()
{
    const QStringList folders = byPath_.keys();
    const QStringList awaited = awaited_;
    setFolders({}, {});
    setFolders(folders, awaited);
}

bool MetadataQueryWatcher::await(const QStringList& awaited)
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
            found.descriptor =
                fd_ < 0 ? -1 : ::inotify_add_watch(fd_, QFile::encodeName(ancestor).constData(), folderEvents);
            if (found.descriptor < 0) {
                VLOG(watcherLog(), LogType::Error, "Cannot wait for %{public}@ in %{public}@", path, ancestor);
            } else if (!found.child.isEmpty()) {
                awaitedNames_[found.descriptor].insert(found.child);
                // It may have come back between the look and this watch.
                arrived = arrived || FileFacts::isDirectory(QDir::cleanPath(ancestor + u'/' + found.child));
            }
            known = byParent.insert(parent, found);
        }
        if (known->descriptor < 0 || !known->child.isEmpty())
            continue;
        awaitedNames_[known->descriptor].insert(nameOf(clean));
        arrived = arrived || FileFacts::isDirectory(clean);
    }
    return arrived;
}

void MetadataQueryWatcher::release(int descriptor)
{
    if (fd_ >= 0 && !byDescriptor_.contains(descriptor) && !awaitedNames_.contains(descriptor))
        ::inotify_rm_watch(fd_, descriptor);
}

void MetadataQueryWatcher::readEvents()
{
    bool any = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length <= 0)
            break;
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
    if (any && changed_)
        changed_();
}

} // namespace vantel::platform
