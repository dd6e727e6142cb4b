#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class QSocketNotifier;

namespace vantel::platform {

// Watches the mount table of the process (/proc/self/mountinfo). The kernel
// marks the file with a priority event whenever a mount is added or removed;
// the table is then read again and compared per mount point, and each mount
// point that appeared or went away is posted on the workspace notification
// centre as a mount or unmount, with the point under "NSDevicePath". Linux
// has no volume rename: a relabelled disk comes back as unmount + mount.
// Main thread.
class MountTableWatcher : public QObject {
    Q_OBJECT
public:
    // `path` is the table to watch; tests hand in their own file and call
    // refresh() themselves.
    explicit MountTableWatcher(const QString& path = QStringLiteral("/proc/self/mountinfo"), QObject* parent = nullptr);
    ~MountTableWatcher() override;

    // False when the table could not be opened; nothing is posted then.
    bool isWatching() const { return fd_ >= 0; }
    QSet<QString> mountPoints() const { return mountPoints_; }

    // Reads the table again and posts the differences to the last reading.
    void refresh();

    // The mount points of a mountinfo text (fifth field, octal escapes of
    // blanks, tabs, newlines and backslashes undone). Malformed lines are
    // skipped.
    static QSet<QString> parseMountPoints(const QByteArray& mountinfo);

private:
    QByteArray readTable();

    QString path_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QSet<QString> mountPoints_;
};

} // namespace vantel::platform
