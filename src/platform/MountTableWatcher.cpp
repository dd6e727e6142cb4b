#include "platform/MountTableWatcher.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceEvents.h"

#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

// mountinfo escapes blank, tab, newline and backslash as \ooo.
QString unescapeMountPath(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '7'; })) {
                out.append(static_cast<char>(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QFile::decodeName(out);
}

} // namespace

MountTableWatcher::MountTableWatcher(const QString& path, QObject* parent)
    : QObject(parent)
    , path_(path)
{
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        VLOG(Log::defaultHandle(), LogType::Info, "MountTableWatcher: %{public}@ can't be read, no volume notifications",
             path_);
        return;
    }
    mountPoints_ = parseMountPoints(readTable());
    // The kernel signals a changed table as an exceptional condition (POLLPRI).
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { refresh(); });
}

MountTableWatcher::~MountTableWatcher()
{
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray MountTableWatcher::readTable()
{
    if (fd_ < 0)
        return {};
    // The table must be read from the start through the watched descriptor:
    // reading it to the end is what re-arms the kernel's notification.
    QByteArray table;
    char buffer[8192];
    if (::lseek(fd_, 0, SEEK_SET) < 0)
        return {};
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            table.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return table;
}

void MountTableWatcher::refresh()
{
    if (fd_ < 0)
        return;
    const QSet<QString> now = parseMountPoints(readTable());
    QStringList added(now.cbegin(), now.cend());
    added.removeIf([this](const QString& point) { return mountPoints_.contains(point); });
    QStringList removed(mountPoints_.cbegin(), mountPoints_.cend());
    removed.removeIf([&now](const QString& point) { return now.contains(point); });
    mountPoints_ = now;
    added.sort();
    removed.sort();

    NotificationCenter& center = NotificationCenter::workspaceCenter();
    for (const QString& point : std::as_const(removed)) {
        VLOG(Log::defaultHandle(), LogType::Default, "Workspace: %{public}@",
             WorkspaceEvents::didUnmountNotification + QStringLiteral(" ") + point);
        center.post(WorkspaceEvents::didUnmountNotification, QVariantMap{{WorkspaceEvents::devicePathKey, point}}, this);
    }
    for (const QString& point : std::as_const(added)) {
        VLOG(Log::defaultHandle(), LogType::Default, "Workspace: %{public}@",
             WorkspaceEvents::didMountNotification + QStringLiteral(" ") + point);
        center.post(WorkspaceEvents::didMountNotification, QVariantMap{{WorkspaceEvents::devicePathKey, point}}, this);
    }
}

QSet<QString> MountTableWatcher::parseMountPoints(const QByteArray& mountinfo)
{
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw"
    QSet<QString> points;
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 5 || !fields.contains("-"))
            continue;
        const QString point = unescapeMountPath(fields.at(4));
        if (point.startsWith(QLatin1Char('/')))
            points.insert(point);
    }
    return points;
}

} // namespace vantel::platform
