#include "platform/MountTableWatcher.h"
#include "platform/NotificationCenter.h"
#include "platform/WorkspaceEvents.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QVariantMap>

namespace vantel::platform {
namespace {

const QByteArray baseTable =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:5 / /proc rw,nosuid shared:12 - proc proc rw\n";

TEST(MountTableWatcher, ReadsMountPointsWithTheirEscapes)
{
    const QSet<QString> points = MountTableWatcher::parseMountPoints(
        baseTable + "40 22 8:17 / /media/me/My\\040Disk rw shared:40 - vfat /dev/sdb1 rw\n"
                    "41 22 8:18 / /media/back\\134slash rw - vfat /dev/sdb2 rw\n"
                    "garbage line\n"
                    "42 22 8:19 / relative rw - vfat /dev/sdb3 rw\n"
                    "\n");
    EXPECT_EQ(points, (QSet<QString>{QStringLiteral("/"), QStringLiteral("/proc"),
                                     QStringLiteral("/media/me/My Disk"), QStringLiteral("/media/back\\slash")}));
}

TEST(MountTableWatcher, PostsEachMountPointThatCameOrWent)
{
    const QString path = test::makeTempDir(QStringLiteral("mounts")) + QStringLiteral("/mountinfo");
    auto write = [&path](const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    write(baseTable + "40 22 8:17 / /media/old rw - vfat /dev/sdb1 rw\n");
    MountTableWatcher watcher(path);
    ASSERT_TRUE(watcher.isWatching());

    QStringList posted;
    auto token = NotificationCenter::workspaceCenter().addObserver(QString(), [&posted](const Notification& n) {
        const QVariantMap* info = std::any_cast<QVariantMap>(&n.object);
        posted << n.name + QLatin1Char(' ') + (info ? info->value(WorkspaceEvents::devicePathKey).toString() : QString());
    });

    write(baseTable + "41 22 8:33 / /media/new rw - ext4 /dev/sdc1 rw\n");
    watcher.refresh();
    EXPECT_EQ(posted, (QStringList{QStringLiteral("NSWorkspaceDidUnmountNotification /media/old"),
                                   QStringLiteral("NSWorkspaceDidMountNotification /media/new")}));

    posted.clear();
    watcher.refresh(); // nothing changed
    EXPECT_TRUE(posted.isEmpty());
}

TEST(MountTableWatcher, AMissingTableMeansNoWatching)
{
    MountTableWatcher watcher(QStringLiteral("/nonexistent/mountinfo"));
    EXPECT_FALSE(watcher.isWatching());
    watcher.refresh();
    EXPECT_TRUE(watcher.mountPoints().isEmpty());
}

TEST(MountTableWatcher, WatchesTheProcessTable)
{
    MountTableWatcher watcher;
    ASSERT_TRUE(watcher.isWatching());
    EXPECT_TRUE(watcher.mountPoints().contains(QStringLiteral("/")));
}

} // namespace
} // namespace vantel::platform
