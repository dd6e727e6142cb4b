#include "shell/ApplicationDesktopFile.h"

#include "platform/DesktopEntry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <future>

#include <sys/stat.h>

namespace vantel {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// Runs a tool to its end; its standard output and error.
QString run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
            int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(int(vantel::test::longWait.count()))) {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return {};
    }
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAll());
}

// What GIO's own tool names as the default application of a type, or "none".
QString defaultFor(const QString& type, const QProcessEnvironment& environment)
{
    const QString output = run(QStringLiteral("gio"), {QStringLiteral("mime"), type}, environment);
    for (const QString& line : output.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Default application for")))
            return line.section(QStringLiteral(": "), 1).trimmed();
    }
    return QStringLiteral("none");
}

TEST(ApplicationDesktopFile, ExecStartsTheProgramWhateverItsPathHolds)
{
    const QString base = test::makeTempDir(QStringLiteral("desktop-exec"));
    for (const QString& program : {QStringLiteral("/opt/Vantel.app/Contents/MacOS/Vantel"),
                                   QStringLiteral("/home/a b/it's/Vantel"), QStringLiteral("/x/$HOME\"q\\z/`id`"),
                                   QStringLiteral("/x/100%/%F/Vantel"), QStringLiteral("/x/tab\there/Vantel")}) {
        const QString path = base + QStringLiteral("/vantel.desktop");
        QFile::remove(path);
        ASSERT_EQ(ApplicationDesktopFile::install(program, path), ApplicationDesktopFile::Outcome::written);
        const auto entry = platform::DesktopEntry::load(path);
        ASSERT_TRUE(entry);
        const auto arguments = entry->execArguments();
        ASSERT_TRUE(arguments) << readAll(path).toStdString();
        ASSERT_EQ(arguments->size(), 2) << readAll(path).toStdString();
        EXPECT_EQ(QString(arguments->at(0)).replace(QStringLiteral("%%"), QStringLiteral("%")), program);
        EXPECT_EQ(arguments->at(1), QStringLiteral("%F"));
    }
}

TEST(ApplicationDesktopFile, ALineBreakInThePathWritesNothing)
{
    const QString path = test::makeTempDir(QStringLiteral("desktop-newline")) + QStringLiteral("/vantel.desktop");
    for (const QString& program : {QStringLiteral("/tmp/a\nExec=/bin/touch /tmp/owned\n/Vantel"),
                                   QStringLiteral("/tmp/a\rb/Vantel"), QStringLiteral("/tmp/a\x1b[0m/Vantel")}) {
        EXPECT_FALSE(ApplicationDesktopFile::contents(program));
        EXPECT_EQ(ApplicationDesktopFile::install(program, path), ApplicationDesktopFile::Outcome::failed);
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    // A file written before stays as it was.
    ASSERT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);
    const QByteArray before = readAll(path);
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/\nVantel"), path),
              ApplicationDesktopFile::Outcome::failed);
    EXPECT_EQ(readAll(path), before);
}

// A FIFO in the file's place is refused unread: opening it to compare the
// contents would wait for a writer, and hold up the start.
TEST(ApplicationDesktopFile, AFifoInItsPlaceIsRefusedWithoutWaiting)
{
    const QString path = test::makeTempDir(QStringLiteral("desktop-fifo")) + QStringLiteral("/vantel.desktop");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    auto install = std::async(std::launch::async,
                              [&path] { return ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path); });
    const bool returned = install.wait_for(test::longWait) == std::future_status::ready;
    if (!returned) {
        QFile writer(path); // lets the waiting reader go
        writer.open(QIODevice::WriteOnly);
    }
    ASSERT_TRUE(returned);
    EXPECT_EQ(install.get(), ApplicationDesktopFile::Outcome::failed);
    struct stat facts {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &facts), 0);
    EXPECT_TRUE(S_ISFIFO(facts.st_mode));
}

// Offered among the applications, valid, and the default opener of no type
// that another application handles, as GIO decides it after the desktop
// database is rebuilt.
TEST(ApplicationDesktopFile, IsValidAndNeverTheDefaultOfAnotherHandlersType)
{
    const QString home = test::makeTempDir(QStringLiteral("desktop-claims"));
    const QString user = home + QStringLiteral("/data/applications");
    const QString system = home + QStringLiteral("/system/applications");
    const auto handler = [&](const char* id, const char* types) {
        writeFile(system + u'/' + QString::fromLatin1(id) + QStringLiteral(".desktop"),
                  QByteArray("[Desktop Entry]\nType=Application\nName=") + id + "\nExec=true %F\nMimeType=" + types
                      + "\n");
    };
    handler("editor", "text/plain;");
    handler("files", "inode/directory;");
    handler("hexeditor", "application/octet-stream;");
    const QString path = user + u'/' + ApplicationDesktopFile::fileName();
    ASSERT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel.app/Contents/MacOS/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), home + QStringLiteral("/system"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/config-system"));
    int exitCode = -1;
    const QString validation = run(QStringLiteral("desktop-file-validate"), {path}, environment, &exitCode);
    EXPECT_EQ(exitCode, 0) << validation.toStdString();
    EXPECT_FALSE(validation.contains(QStringLiteral("error:"))) << validation.toStdString();
    for (const QString& folder : {user, system}) {
        run(QStringLiteral("update-desktop-database"), {folder}, environment, &exitCode);
        ASSERT_EQ(exitCode, 0);
    }

    EXPECT_EQ(defaultFor(QStringLiteral("text/plain"), environment), QStringLiteral("editor.desktop"));
    EXPECT_EQ(defaultFor(QStringLiteral("inode/directory"), environment), QStringLiteral("files.desktop"));
    EXPECT_EQ(defaultFor(QStringLiteral("application/octet-stream"), environment), QStringLiteral("hexeditor.desktop"));
    const QString cache = QString::fromUtf8(readAll(user + QStringLiteral("/mimeinfo.cache")));
    EXPECT_FALSE(cache.contains(ApplicationDesktopFile::fileName())) << cache.toStdString();

    // Shown in the lists of applications that file managers offer.
    const auto entry = platform::DesktopEntry::load(path);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->isApplication());
    EXPECT_FALSE(entry->noDisplay());
    EXPECT_FALSE(entry->isHidden());
    EXPECT_EQ(entry->name(), QStringLiteral("Vantel"));
}

TEST(ApplicationDesktopFile, WritesInTheUsersApplicationsFolderOnlyWhenChanged)
{
    const QString path = ApplicationDesktopFile::defaultPath();
    EXPECT_EQ(path, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        + QStringLiteral("/applications/net.tarnwick.vantel.desktop"));
    QFile::remove(path);

    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);
    EXPECT_TRUE(readAll(path).contains("\nExec=/opt/Vantel %F\n"));
    const auto written = QFileInfo(path).fileTime(QFileDevice::FileModificationTime);

    test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/opt/Vantel"), path),
              ApplicationDesktopFile::Outcome::unchanged);
    EXPECT_EQ(QFileInfo(path).fileTime(QFileDevice::FileModificationTime), written);

    // The program moved: the file follows it.
    EXPECT_EQ(ApplicationDesktopFile::install(QStringLiteral("/usr/local/Vantel"), path),
              ApplicationDesktopFile::Outcome::written);
    EXPECT_TRUE(readAll(path).contains("\nExec=/usr/local/Vantel %F\n"));
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
