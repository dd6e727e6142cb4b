#include "shell/ApplicationDesktopFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vantel {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ApplicationDesktopFile, ExecQuotesWhatTheDesktopEntryRulesReserve)
{
    EXPECT_EQ(ApplicationDesktopFile::quotedExec(QStringLiteral("/opt/Vantel.app/Contents/MacOS/Vantel")),
              QStringLiteral("/opt/Vantel.app/Contents/MacOS/Vantel"));
    EXPECT_EQ(ApplicationDesktopFile::quotedExec(QStringLiteral("/home/a b/Vantel")),
              QStringLiteral("\"/home/a b/Vantel\""));
    // Inside quotes `"`, `$`, `` ` `` and `\` are escaped, then every
    // backslash once more for the string value.
    EXPECT_EQ(ApplicationDesktopFile::quotedExec(QStringLiteral("/x/$HOME\"q\\z")),
              QStringLiteral("\"/x/\\\\$HOME\\\\\"q\\\\\\\\z\""));
    // A percent sign is no field code.
    EXPECT_EQ(ApplicationDesktopFile::quotedExec(QStringLiteral("/x/100%/Vantel")), QStringLiteral("/x/100%%/Vantel"));
}

TEST(ApplicationDesktopFile, OffersEveryFileAndFolderAndPassesThemAsPaths)
{
    const QString text = ApplicationDesktopFile::contents(QStringLiteral("/opt/Vantel"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=/opt/Vantel %F\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
    const QString mime = text.section(QStringLiteral("\nMimeType="), 1).section(QLatin1Char('\n'), 0, 0);
    for (const QString& type : {QStringLiteral("inode/directory"), QStringLiteral("application/octet-stream"),
                                QStringLiteral("all/allfiles")})
        EXPECT_TRUE(mime.split(QLatin1Char(';')).contains(type)) << type.toStdString();
}

TEST(ApplicationDesktopFile, WritesInTheUsersApplicationsFolderOnlyWhenChanged)
{
    const QString path = ApplicationDesktopFile::defaultPath();
    EXPECT_EQ(path, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        + QStringLiteral("/applications/net.tarnwick.vantel.desktop"));
    QFile::remove(path);

    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);
    EXPECT_EQ(readAll(path), ApplicationDesktopFile::contents(QStringLiteral("/opt/Vantel")).toUtf8());
    const auto inode = QFileInfo(path).fileTime(QFileDevice::FileModificationTime);

    test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path),
              ApplicationDesktopFile::Outcome::unchanged);
    EXPECT_EQ(QFileInfo(path).fileTime(QFileDevice::FileModificationTime), inode);

    // The program moved: the file follows it.
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/usr/local/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);
    EXPECT_TRUE(readAll(path).contains("Exec=/usr/local/Vantel %F"));
}

TEST(ApplicationDesktopFile, AnUnwritableFolderIsReportedNotFatal)
{
    const QString blocked = test::makeTempDir(QStringLiteral("desktop-blocked"));
    QFile file(blocked + QStringLiteral("/applications"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)); // a file where the folder should be
    file.close();
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"),
                                              blocked + QStringLiteral("/applications/net.tarnwick.vantel.desktop")),
              ApplicationDesktopFile::Outcome::failed);
}

} // namespace
} // namespace vantel
