// Every writer of the configuration in a process whose file-size limit is
// below what it writes: no file Vantel had is replaced by a shorter or an
// empty one, and no empty backup appears.
#include "ChildProcess.h"
#include "ConfigTestSupport.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "config/ExportDiagnosticData.h"
#include "config/ExportImportManager.h"
#include "platform/Bookmark.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

#include <csignal>

#include <sys/resource.h>

namespace vantel::test {

namespace {

const char* const fullDiskMode = "FullDisk";

struct Paths {
    QString settings, bookmarks, exported, csv, diagnostic, granted;

    explicit Paths(const QString& dir)
        : settings(dir + QStringLiteral("/settings.plist"))
        , bookmarks(dir + QStringLiteral("/Bookmarks.dict"))
        , exported(dir + QStringLiteral("/all.Vantel_ExportData"))
        , csv(dir + QStringLiteral("/list.csv"))
        , diagnostic(dir + QStringLiteral("/report.txt"))
        , granted(dir + QStringLiteral("/granted"))
    {
    }
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Entries whose comments make every file larger than the limit.
void addEntries(DataStorage& store, const QString& prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/%1/%2").arg(prefix).arg(i),
                                               prefix + QString::number(i), QString(300, QLatin1Char('c')),
                                               ListviewItemSource::other);
        store.allData()->append(entry);
    }
}

void grantFolders(SandboxFileAccessPersistDictionary& bookmarks, const QString& root, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString folder = root + QStringLiteral("/folder-") + QString::number(i);
        QDir().mkpath(folder);
        bookmarks.setBookmark(platform::Bookmark::createBookmarkForPath(folder).value_or(QByteArray()),
                              platform::Bookmark::canonicalFileURL(folder));
    }
}

} // namespace

// Started by the test below under a small file-size limit: runs every writer.
TEST(ConfigChild, FullDisk)
{
    if (qEnvironmentVariable("VANTEL_CONFIG_CHILD") != QLatin1String(fullDiskMode))
        return; // only a child does the work
    const Paths paths(qEnvironmentVariable("VANTEL_CONFIG_CHILD_DIR"));
    auto dialogs = std::make_shared<platform::ScriptedDialogProvider>();
    platform::DialogProvider::setShared(dialogs);
    platform::UserDefaults defaults(paths.settings);
    DataStorage store;
    URLManager urls;
    Configuration config(defaults);
    config.setStores(&store, &urls);
    config.loadConfig();
    addEntries(store, QStringLiteral("more"), 20);
    config.saveConfig(true);

    auto bookmarks = SandboxFileAccessPersistDictionary::create(paths.bookmarks);
    bookmarks->loadBookmarks();
    grantFolders(*bookmarks, paths.granted, 40);
    bookmarks->saveBookmarks();

    ExportImportManager manager(config);
    EXPECT_EQ(manager.exportData().exportAll(paths.exported, false), ExportData::Outcome::failed);
    EXPECT_FALSE(manager.exportVersionedBackup().createBackup());
    EXPECT_FALSE(manager.exportData().writeCSV(paths.csv, store.allData()));
    ExportDiagnosticData report(config, bookmarks);
    report.addMainDatabase();
    QString error;
    EXPECT_FALSE(report.writeToFile(paths.diagnostic, &error));

    const auto backups = manager.exportVersionedBackup().listBackupFiles();
    EXPECT_TRUE(backups && backups->isEmpty());
    EXPECT_GE(dialogs->alerts().size(), 3) << "each failed write the user asked for says so";
    platform::DialogProvider::setShared(nullptr);
}

TEST_F(ConfigTest, OnAFullDiskNoFileIsReplacedByAShorterOne)
{
    const Paths paths(dir);
    config->loadConfig();
    addEntries(*store, QStringLiteral("entry"), 20);
    config->saveConfig(true);
    auto bookmarks = SandboxFileAccessPersistDictionary::create(paths.bookmarks);
    grantFolders(*bookmarks, paths.granted, 3);
    bookmarks->saveBookmarks();
    ExportImportManager manager(*config);
    ASSERT_EQ(manager.exportData().exportAll(paths.exported, false), ExportData::Outcome::written);
    ASSERT_TRUE(manager.exportData().writeCSV(paths.csv, store->allData()));
    ASSERT_TRUE(platform::writeFileSafely(paths.diagnostic, "an earlier report"));

    const QStringList files{paths.settings, paths.bookmarks, paths.exported, paths.csv, paths.diagnostic};
    QList<QByteArray> before;
    for (const QString& file : files) {
        before.append(contentOf(file));
        ASSERT_FALSE(before.last().isEmpty()) << file.toStdString();
    }

    QProcess child;
    QProcessEnvironment environment = childEnvironment(QString::fromLatin1(fullDiskMode), paths.settings);
    environment.insert(QStringLiteral("VANTEL_CONFIG_CHILD_DIR"), dir);
    child.setProcessEnvironment(environment);
    child.setChildProcessModifier([] {
        // Smaller than any file written: every write must fail, SIGXFSZ is
        // ignored so that it fails as on a full disk rather than ending the process.
        rlimit limit{512, 512};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    });
    child.start(childProgram(), childArguments(QString::fromLatin1(fullDiskMode)));
    ASSERT_TRUE(child.waitForFinished(int(vantel::test::longWait.count())));
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

    for (qsizetype i = 0; i < files.size(); ++i)
        EXPECT_EQ(contentOf(files[i]), before[i]) << files[i].toStdString();
    EXPECT_TRUE(QDir(dir).entryList({QStringLiteral("*.saving-*")}, QDir::Files).isEmpty());
}

} // namespace vantel::test
