#include "ConfigTestSupport.h"

#include "config/ExportImportManager.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace vantel::test {

TEST_F(ConfigTest, TwentyFiveBackupsLeaveTheTwentyNewestAndTheNewOne)
{
    ExportImportManager manager(*config);
    ExportVersionedBackup& backups = manager.exportVersionedBackup();
    const auto folder = backups.backupFolderURL();
    ASSERT_TRUE(folder);
    const auto write = [&](const QString& name) {
        QFile file(*folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    };
    QStringList made;
    for (int i = 0; i < 25; ++i) {
        const QString name = QStringLiteral("%1.Vantel_ExportData").arg(i, 2, 10, QLatin1Char('0'));
        write(name);
        made.prepend(*folder + QLatin1Char('/') + name); // newest first
        QThread::msleep(3);
    }
    write(QStringLiteral("notes.txt"));
    write(QStringLiteral(".hidden.Vantel_ExportData"));
    write(QStringLiteral("TagData-20260101-000000.unreadable"));

    const auto listed = backups.listBackupFiles();
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, made);

    store->allData()->append(TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("e"),
                                                       QString(), ListviewItemSource::other));
    backups.removeOldBackupFiles(listed);
    const auto created = backups.createBackup();
    ASSERT_TRUE(created);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.Vantel_ExportData$"))
                    .match(*created)
                    .hasMatch());

    const auto after = backups.listBackupFiles();
    ASSERT_TRUE(after);
    ASSERT_EQ(after->size(), 21);
    EXPECT_EQ(after->first(), *created);
    EXPECT_EQ(after->mid(1), made.mid(0, 20));
    for (const QString& foreign : {QStringLiteral("notes.txt"), QStringLiteral(".hidden.Vantel_ExportData"),
                                   QStringLiteral("TagData-20260101-000000.unreadable")})
        EXPECT_TRUE(QFileInfo::exists(*folder + QLatin1Char('/') + foreign)) << foreign.toStdString();
    EXPECT_EQ(manager.state(), ExportImportManagerState::idle);
}

TEST_F(ConfigTest, ABackupOfAnEmptyCatalogueWritesNothing)
{
    ExportImportManager manager(*config);
    EXPECT_FALSE(manager.exportVersionedBackup().createBackup());
    EXPECT_TRUE(manager.exportVersionedBackup().listBackupFiles().value_or(QStringList{QStringLiteral("x")}).isEmpty());
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST(SortedDirectoryTest, OrdersByDateThenName)
{
    const QString dir = makeTempDir(QStringLiteral("sorted"));
    for (const char* name : {"b", "a", "c"}) {
        QFile file(dir + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        // a and b share one modification time; c is older.
        const QDateTime when = QString::fromLatin1(name) == QLatin1String("c")
                                   ? QDateTime::fromSecsSinceEpoch(1000000000)
                                   : QDateTime::fromSecsSinceEpoch(1500000000);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    using Key = ExportVersionedBackup::DateKey;
    EXPECT_EQ(ExportVersionedBackup::sortedDirectoryFileNames(dir, Key::contentModification, false),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(ExportVersionedBackup::sortedDirectoryFileNames(dir, Key::contentModification, true),
              (QStringList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_FALSE(ExportVersionedBackup::sortedDirectoryFileNames(dir + QStringLiteral("/missing"), Key::creation, true));
}

TEST_F(ConfigTest, LeftoversOfKilledWritesInTheBackupFolderGoAtTheNextStart)
{
    const auto folder = ExportImportManager(*config).exportVersionedBackup().backupFolderURL();
    ASSERT_TRUE(folder);
    const QStringList leftovers{QStringLiteral("A.Vantel_ExportData.saving-x1Y2z3"), QStringLiteral("A.Vantel_ExportData.Qw3rTy"),
                                QStringLiteral("TagData-1.unreadable.saving-abcdef")};
    const QStringList kept{QStringLiteral("A.Vantel_ExportData"), QStringLiteral("TagData-1.unreadable"),
                           QStringLiteral("notes.txt")};
    for (const QString& name : leftovers + kept) {
        QFile file(*folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    config->loadConfig();
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(QDir(*folder).entryList(QDir::Files, QDir::Name), expected);
}

} // namespace vantel::test
