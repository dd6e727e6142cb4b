#include "platform/FileFacts.h"

#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

using namespace vantel::platform;

namespace {

void writeFile(const QString& path, const QByteArray& content, QFile::Permissions permissions = {})
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

} // namespace

TEST(FileFactsTest, AnswersKindAndPermissionQuestions)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("facts-kind"));
    const QString plain = dir + QStringLiteral("/plain.txt");
    const QString script = dir + QStringLiteral("/run.sh");
    const QString readOnly = dir + QStringLiteral("/ro.txt");
    writeFile(plain, "x");
    writeFile(script, "#!/bin/sh\n", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(readOnly, "x", QFile::ReadOwner);
    QFile::link(plain, dir + QStringLiteral("/link"));
    QFile::link(dir + QStringLiteral("/gone"), dir + QStringLiteral("/dangling"));

    EXPECT_TRUE(FileFacts::isReachable(plain));
    EXPECT_TRUE(FileFacts::isRegularFile(dir + QStringLiteral("/link")));
    EXPECT_FALSE(FileFacts::isReachable(dir + QStringLiteral("/dangling")));
    EXPECT_FALSE(FileFacts::isReachable(QString()));
    EXPECT_TRUE(FileFacts::isDirectory(dir));
    EXPECT_FALSE(FileFacts::isDirectory(plain));
    EXPECT_FALSE(FileFacts::isRegularFile(dir));
    EXPECT_FALSE(FileFacts::isPackage(dir));

    EXPECT_TRUE(FileFacts::isExecutable(script));
    EXPECT_FALSE(FileFacts::isExecutable(plain));
    EXPECT_FALSE(FileFacts::isExecutable(QString()));
    EXPECT_TRUE(FileFacts::isReadable(readOnly));
    if (::geteuid() != 0) { // root may write anything
        EXPECT_FALSE(FileFacts::isReadableAndWritable(readOnly));
    }
    EXPECT_TRUE(FileFacts::isReadableAndWritable(plain));
    EXPECT_FALSE(FileFacts::isReadable(dir + QStringLiteral("/missing")));

    const auto date = FileFacts::modificationDate(plain);
    ASSERT_TRUE(date.has_value());
    EXPECT_LE(qAbs(date->secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_FALSE(FileFacts::modificationDate(dir + QStringLiteral("/missing")).has_value());
}

TEST(FileFactsTest, TreatsApplicationDesktopEntriesAsApplications)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("facts-apps"));
    const vantel::test::ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
    writeFile(dir + QStringLiteral("/app.desktop"), "[Desktop Entry]\nType=Application\nName=App\nName[de]=Anwendung\nExec=x\n",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    writeFile(dir + QStringLiteral("/link.desktop"), "[Desktop Entry]\nType=Link\nName=Link\nURL=http://x/\n");
    writeFile(dir + QStringLiteral("/bad.desktop"), "garbage\n");
    writeFile(dir + QStringLiteral("/app.txt"), "[Desktop Entry]\nType=Application\nName=App\nExec=x\n");

    EXPECT_TRUE(FileFacts::isApplication(dir + QStringLiteral("/app.desktop")));
    EXPECT_FALSE(FileFacts::isApplication(dir + QStringLiteral("/link.desktop")));
    EXPECT_FALSE(FileFacts::isApplication(dir + QStringLiteral("/bad.desktop")));
    EXPECT_FALSE(FileFacts::isApplication(dir + QStringLiteral("/app.txt")));
    EXPECT_FALSE(FileFacts::isApplication(dir));

    EXPECT_EQ(FileFacts::displayName(dir + QStringLiteral("/app.desktop")), QStringLiteral("Anwendung"));
    EXPECT_EQ(FileFacts::displayName(dir + QStringLiteral("/link.desktop")), QStringLiteral("link.desktop"));
    EXPECT_EQ(FileFacts::displayName(dir + QStringLiteral("/bad.desktop")), QStringLiteral("bad.desktop"));
    EXPECT_EQ(FileFacts::displayName(dir + QStringLiteral("/missing/thing/")), QStringLiteral("thing"));
    EXPECT_EQ(FileFacts::displayName(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(FileFacts::displayName(QString()), QString());
}

// A desktop file from a download is a document: not its Name, not its Exec.
// It is an application in an applications folder or when its owner may run it.
TEST(FileFactsTest, OnlyATrustedDesktopEntryIsAnApplication)
{
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Web Browser\nIcon=web-browser\nExec=sh -c x\n";
    const QFile::Permissions plain = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther;
    const QString downloads = vantel::test::makeTempDir(QStringLiteral("Downloads"));
    const QString downloaded = downloads + QStringLiteral("/browser.desktop");
    writeFile(downloaded, entry, plain);
    EXPECT_FALSE(FileFacts::isTrustedDesktopEntry(downloaded));
    EXPECT_FALSE(FileFacts::isApplication(downloaded));
    EXPECT_EQ(FileFacts::displayName(downloaded), QStringLiteral("browser.desktop"));
    // A way round through ".." still ends in Downloads.
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    QDir().mkpath(applications + QStringLiteral("/sub"));
    EXPECT_FALSE(FileFacts::isApplication(applications + QStringLiteral("/../../") + QDir(downloads).dirName()
                                          + QStringLiteral("/browser.desktop")));
    // A folder whose name only begins like an applications folder.
    QDir().mkpath(applications + QStringLiteral("-evil"));
    writeFile(applications + QStringLiteral("-evil/browser.desktop"), entry, plain);
    EXPECT_FALSE(FileFacts::isApplication(applications + QStringLiteral("-evil/browser.desktop")));

    QFile::setPermissions(downloaded, plain | QFileDevice::ExeOwner);
    EXPECT_TRUE(FileFacts::isApplication(downloaded));
    EXPECT_EQ(FileFacts::displayName(downloaded), QStringLiteral("Web Browser"));

    // Installed ones; removed again, as other tests list these folders.
    for (const QString& installed : {applications + QStringLiteral("/browser.desktop"),
                                     applications + QStringLiteral("/sub/browser.desktop")}) {
        writeFile(installed, entry, plain);
        EXPECT_TRUE(FileFacts::isApplication(installed)) << installed.toStdString();
        QFile::remove(installed);
    }
    const QString system = vantel::test::makeTempDir(QStringLiteral("system-share"));
    const vantel::test::ScopedEnvironment dataDirs("XDG_DATA_DIRS", system.toUtf8());
    QDir().mkpath(system + QStringLiteral("/applications"));
    writeFile(system + QStringLiteral("/applications/browser.desktop"), entry, plain);
    EXPECT_TRUE(FileFacts::isApplication(system + QStringLiteral("/applications/browser.desktop")));
    // A folder chosen as a search scope counts as an applications folder.
    EXPECT_FALSE(FileFacts::isApplication(applications + QStringLiteral("-evil/browser.desktop")));
    FileFacts::addTrustedApplicationFolders({applications + QStringLiteral("-evil")});
    EXPECT_TRUE(FileFacts::isApplication(applications + QStringLiteral("-evil/browser.desktop")));
}

// However many folders were chosen for applications, a desktop file is
// checked against the same few: the folders above it, not each chosen one.
TEST(FileFactsTest, TenTimesTheChosenFoldersDoNotSlowTheCheckOfADesktopFile)
{
    const QString downloads = vantel::test::makeTempDir(QStringLiteral("Downloads-checked"));
    const QString downloaded = downloads + QStringLiteral("/tool.desktop");
    writeFile(downloaded, "[Desktop Entry]\nType=Application\nName=Tool\nExec=true\n",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const auto choose = [&](int from, int to) {
        QStringList folders;
        for (int i = from; i < to; ++i)
            folders << downloads + QStringLiteral("-chosen/folder-%1").arg(i);
        FileFacts::addTrustedApplicationFolders(folders);
    };
    const auto lookupsOfACheck = [&] {
        const std::size_t before = FileFacts::trustedFolderLookups();
        EXPECT_FALSE(FileFacts::isTrustedDesktopEntry(downloaded));
        return FileFacts::trustedFolderLookups() - before;
    };
    choose(0, 1000);
    const std::size_t few = lookupsOfACheck();
    choose(1000, 10000);
    const std::size_t many = lookupsOfACheck();
    EXPECT_GT(few, 0u);
    EXPECT_LE(few, std::size_t(downloaded.count(u'/')));
    EXPECT_EQ(many, few) << "folders looked up with 1000 chosen: " << few << ", with 10000: " << many;
}

TEST(FileFactsTest, StandardizesAndResolvesPathsThatNeedNotExist)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("facts-paths"));
    QDir().mkpath(dir + QStringLiteral("/real/inner"));
    QFile::link(dir + QStringLiteral("/real"), dir + QStringLiteral("/alias"));
    const QString realDir = FileFacts::resolvingSymlinks(dir); // the temp folder may itself sit behind a link

    EXPECT_EQ(FileFacts::standardized(QStringLiteral("/a//b/./c/../d/")), QStringLiteral("/a/b/d"));
    EXPECT_EQ(FileFacts::standardized(dir + QStringLiteral("/alias/inner")), dir + QStringLiteral("/alias/inner"));
    EXPECT_TRUE(FileFacts::standardized(QStringLiteral("rel/x")).startsWith(u'/'));

    EXPECT_EQ(FileFacts::resolvingSymlinks(dir + QStringLiteral("/alias/inner")), realDir + QStringLiteral("/real/inner"));
    EXPECT_EQ(FileFacts::resolvingSymlinks(dir + QStringLiteral("/alias/not/yet/there")),
              realDir + QStringLiteral("/real/not/yet/there"));
    EXPECT_EQ(FileFacts::resolvingSymlinks(QStringLiteral("/nonexistent-root-folder/x/../y")),
              QStringLiteral("/nonexistent-root-folder/y"));
    EXPECT_EQ(FileFacts::resolvingSymlinks(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(FileFacts::resolvingSymlinks(QString()), QString());
}

TEST(FileFactsTest, FindsTheVolumeFromMountInfo)
{
    const QByteArray mountinfo =
        "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
        "26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 26 8:2 / /home rw,relatime shared:2 master:1 - ext4 /dev/sda2 rw\n"
        "31 30 0:40 / /home/me/remote rw - fuse.sshfs me@host:/srv rw\n"
        "32 26 0:41 / /mnt/My\\040Share rw - cifs //server/share rw\n"
        "33 26 0:42 / /mnt/nfs rw - nfs4 server:/export rw\n"
        "34 26 0:43 / /home rw - tmpfs tmpfs rw\n" // mounted over /home later
        "garbage line\n"
        "\n";
    const auto mounts = FileFacts::parseMountInfo(mountinfo);
    ASSERT_EQ(mounts.size(), 7);
    EXPECT_EQ(mounts[4].mountPoint, QStringLiteral("/mnt/My Share"));
    EXPECT_EQ(mounts[2].fileSystemType, QStringLiteral("ext4"));
    EXPECT_EQ(mounts[3].source, QStringLiteral("me@host:/srv"));

    auto pointFor = [&](const char* path) {
        const auto mount = FileFacts::mountContaining(QString::fromUtf8(path), mounts);
        return mount ? mount->mountPoint : QStringLiteral("<none>");
    };
    EXPECT_EQ(pointFor("/usr/bin"), QStringLiteral("/"));
    EXPECT_EQ(pointFor("/home"), QStringLiteral("/home"));
    EXPECT_EQ(FileFacts::mountContaining(QStringLiteral("/home/x"), mounts)->fileSystemType, QStringLiteral("tmpfs"));
    EXPECT_EQ(pointFor("/homeless/x"), QStringLiteral("/"));
    EXPECT_EQ(pointFor("/home/me/remote/file"), QStringLiteral("/home/me/remote"));
    EXPECT_EQ(pointFor("/mnt/My Share/doc"), QStringLiteral("/mnt/My Share"));

    EXPECT_FALSE(FileFacts::isLocalFileSystemType(QStringLiteral("fuse.sshfs")));
    EXPECT_FALSE(FileFacts::isLocalFileSystemType(QStringLiteral("cifs")));
    EXPECT_FALSE(FileFacts::isLocalFileSystemType(QStringLiteral("nfs4")));
    EXPECT_TRUE(FileFacts::isLocalFileSystemType(QStringLiteral("ext4")));
    EXPECT_TRUE(FileFacts::isLocalFileSystemType(QStringLiteral("tmpfs")));

    // The running system: the temp folder lies on some local volume.
    const QString dir = vantel::test::makeTempDir(QStringLiteral("facts-volume"));
    const auto volume = FileFacts::volumePath(dir);
    ASSERT_TRUE(volume.has_value());
    EXPECT_TRUE(FileFacts::resolvingSymlinks(dir).startsWith(*volume == u"/" ? QStringLiteral("/") : *volume + u'/'));
    EXPECT_EQ(FileFacts::volumePath(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_FALSE(FileFacts::volumePath(dir + QStringLiteral("/missing")).has_value());
    EXPECT_FALSE(FileFacts::volumeIsLocal(QString()).has_value());
}
