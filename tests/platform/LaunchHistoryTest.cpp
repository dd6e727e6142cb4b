#include "platform/LaunchHistory.h"
#include "platform/LoadAlerts.h"
#include "platform/PropertyList.h"
#include "platform/UserFileRead.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

using namespace vantel::platform;

namespace {

void write(const QString& path, const QByteArray& content)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(content);
}

IndexedApplication application(const QString& id, const QByteArray& name, const QByteArray& exec)
{
    return {QStringLiteral("/apps/") + id, id, QStringLiteral("/apps"),
            *DesktopEntry::parse("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n")};
}

QDateTime utc(int day, int hour) { return QDateTime(QDate(2026, 12, day), QTime(hour, 0), Qt::UTC); }

// While it lives, the process meets permissions as a plain account does:
// root lends its effective user (every thread's) to nobody.
class AsPlainUser {
public:
    AsPlainUser() : lent_(::geteuid() == 0 && ::seteuid(65534) == 0) {}
    ~AsPlainUser()
    {
        if (lent_)
            (void)::seteuid(0);
    }

private:
    bool lent_;
};

void chmod(const QString& path, mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }

} // namespace

TEST(LaunchHistoryTest, KeepsOneLatestDatePerApplicationAcrossARestartWithinItsBound)
{
    const QString file = vantel::test::makeTempDir(QStringLiteral("history")) + QStringLiteral("/LaunchHistory.plist");
    {
        LaunchHistory history(file, QString());
        history.record(QStringLiteral("/apps/quill.desktop"), utc(7, 9));
        history.record(QStringLiteral("/apps/quill.desktop"), utc(4, 9)); // older: no change
        history.record(QStringLiteral("/apps/ledger.desktop"), utc(7, 10));
        history.record(QStringLiteral("/apps/ledger.desktop"), utc(7, 11));
        ASSERT_TRUE(history.synchronize());
    }
    LaunchHistory restarted(file, QString());
    EXPECT_EQ(restarted.recordedDate(QStringLiteral("/apps/quill.desktop")), utc(7, 9));
    EXPECT_EQ(restarted.dates().lastUsedDate(application(QStringLiteral("ledger.desktop"), "Ledger", "ledger")),
              utc(7, 11));

    // Past the bound the oldest make room.
    for (qsizetype i = 0; i < LaunchHistory::maximumPaths - 1; ++i)
        restarted.record(QStringLiteral("/apps/filler-%1.desktop").arg(i), utc(8, 0).addSecs(i));
    ASSERT_TRUE(restarted.synchronize());
    LaunchHistory bounded(file, QString());
    EXPECT_FALSE(bounded.recordedDate(QStringLiteral("/apps/quill.desktop")).has_value());
    EXPECT_EQ(bounded.recordedDate(QStringLiteral("/apps/ledger.desktop")), utc(7, 11));
}

TEST(LaunchHistoryTest, TakesTheDesktopsRecentlyUsedListByIdProgramOrName)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("history-xbel"));
    write(dir + QStringLiteral("/recently-used.xbel"), R"(<?xml version="1.0"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks">
 <bookmark href="file:///a.txt"><info><metadata owner="http://freedesktop.org"><bookmark:applications>
  <bookmark:application name="org.vantel.Quill" exec="&apos;quill %u&apos;" modified="2026-12-01T08:00:00.123456Z"/>
  <bookmark:application name="org.vantel.Quill" exec="&apos;quill %u&apos;" modified="2026-12-03T08:00:00Z"/>
  <bookmark:application name="Ledger" exec="&apos;vantel-ledger %u&apos;" modified="2026-12-02T10:00:00Z"/>
  <bookmark:application name="Sketch Pad" exec="&apos;flatpak run org.other.Pad %u&apos;" timestamp="1764748800"/>
 </bookmark:applications></metadata></info></bookmark>
</xbel>
)");
    LaunchHistory history(dir + QStringLiteral("/LaunchHistory.plist"), dir + QStringLiteral("/recently-used.xbel"));
    const LaunchHistory::Dates dates = history.dates();
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("org.vantel.Quill.desktop"), "Quill", "q")), utc(3, 8));
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("books.desktop"), "Books", "/bin/vantel-ledger %F")),
              utc(2, 10));
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("pad.desktop"), "Sketch Pad", "pad")),
              QDateTime::fromSecsSinceEpoch(1764748800, Qt::UTC));
    // A later launch this program saw wins.
    history.record(QStringLiteral("/apps/org.vantel.Quill.desktop"), utc(9, 12));
    EXPECT_EQ(history.dates().lastUsedDate(application(QStringLiteral("org.vantel.Quill.desktop"), "Quill", "q")),
              utc(9, 12));
}

TEST(LaunchHistoryTest, ADamagedFileIsKeptAsideAndTheHistoryStartsAnew)
{
    LoadAlerts::reset();
    const QString dir = vantel::test::makeTempDir(QStringLiteral("history-damaged"));
    const QString file = dir + QStringLiteral("/LaunchHistory.plist");
    write(file, "not a property list");
    {
        LaunchHistory history(file, QString());
        history.record(QStringLiteral("/apps/quill.desktop"), utc(7, 9));
        ASSERT_TRUE(history.synchronize());
    }
    const QStringList aside = QDir(dir).entryList({QStringLiteral("LaunchHistory.plist.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(dir + u'/' + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not a property list"));
    EXPECT_EQ(LoadAlerts::pending().size(), 1);
    EXPECT_EQ(LaunchHistory(file, QString()).recordedDate(QStringLiteral("/apps/quill.desktop")), utc(7, 9));
}

// Dates grow with the number, file order does not ("app-10" sorts before "app-2").
TEST(LaunchHistoryTest, ALongFileIsCutToItsNewestAndARecordNeverWaitsForItsLoad)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("history-long"));
    const auto path = [](int i) { return QStringLiteral("/apps/app-%1.desktop").arg(i); };
    const auto fill = [&](int count) {
        QVariantMap stored;
        for (int i = 0; i < count; ++i)
            stored.insert(path(i), utc(1, 0).addSecs(i));
        write(dir + QStringLiteral("/%1.plist").arg(count), PropertyList::serialize(stored));
        return dir + QStringLiteral("/%1.plist").arg(count);
    };
    const QString file = fill(2000);
    LaunchHistory history(file, QString());
    QList<int> kept;
    for (int i = 0; i < 2000; ++i)
        if (history.recordedDate(path(i)))
            kept << i;
    ASSERT_EQ(kept.size(), LaunchHistory::maximumPaths);
    EXPECT_EQ(kept.first(), 2000 - LaunchHistory::maximumPaths);
    history.record(QStringLiteral("/apps/new.desktop"), utc(9, 0));
    ASSERT_TRUE(history.synchronize());
    const QVariantMap back = PropertyList::parse(readUserFile(file, 1 << 20).data)->toMap();
    EXPECT_EQ(back.size(), LaunchHistory::maximumPaths);
    EXPECT_TRUE(back.contains(QStringLiteral("/apps/new.desktop")));

    // Launches are recorded on the main thread. Waiting costs no processor
    // time, so the clock is the wall's: the fastest of a few rounds of each,
    // taken in turns, and a record that waited would take the rest of the
    // load, so that a busy machine's pre-emption is not taken for waiting.
    qint64 load = std::numeric_limits<qint64>::max();
    qint64 fastest = std::numeric_limits<qint64>::max();
    QElapsedTimer clock;
    for (int round = 0; round < 5; ++round) {
        // Written anew: the last round's history kept only its newest.
        LaunchHistory loaded(fill(100000), QString());
        clock.start();
        EXPECT_TRUE(loaded.recordedDate(path(99999)));
        load = std::min(load, clock.nsecsElapsed());
        LaunchHistory launched(fill(100000), QString());
        clock.restart();
        for (int i = 0; i < 100; ++i)
            launched.record(QStringLiteral("/apps/launched-%1-%2.desktop").arg(round).arg(i), utc(9, 0));
        fastest = std::min(fastest, clock.nsecsElapsed());
    }
    EXPECT_LT(fastest, load / 2) << "a load took " << load / 1000 << " µs, 100 records " << fastest / 1000 << " µs";
}

// Placeholders and damage in either file are no date of use: the application
// does not count as used, and a real date beside them still does.
TEST(LaunchHistoryTest, AStoredValueThatHoldsNoDateIsNoDate)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("history-nodate"));
    write(dir + QStringLiteral("/recently-used.xbel"), R"(<?xml version="1.0"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks">
 <bookmark href="file:///a.txt"><info><metadata owner="http://freedesktop.org"><bookmark:applications>
  <bookmark:application name="Quill" exec="&apos;quill %u&apos;" timestamp="9223372036854775807"/>
  <bookmark:application name="Quill" exec="&apos;quill %u&apos;" timestamp="9223372036854775"/>
  <bookmark:application name="Quill" exec="&apos;quill %u&apos;" timestamp="-60"/>
  <bookmark:application name="Quill" exec="&apos;quill %u&apos;" modified="1900-01-01T00:00:00Z"/>
  <bookmark:application name="Ledger" exec="&apos;ledger %u&apos;" timestamp="9223372036854775807"/>
  <bookmark:application name="Ledger" exec="&apos;ledger %u&apos;" modified="2026-12-02T10:00:00Z"/>
 </bookmark:applications></metadata></info></bookmark>
</xbel>
)");
    const QVariantMap own{{QStringLiteral("/apps/far.desktop"), QDateTime(QDate(200000, 1, 1), QTime(0, 0), Qt::UTC)},
                          {QStringLiteral("/apps/kept.desktop"), utc(5, 8)}};
    write(dir + QStringLiteral("/LaunchHistory.plist"), PropertyList::serialize(own));

    LaunchHistory history(dir + QStringLiteral("/LaunchHistory.plist"), dir + QStringLiteral("/recently-used.xbel"));
    const LaunchHistory::Dates dates = history.dates();
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("quill.desktop"), "Quill", "quill")), std::nullopt);
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("ledger.desktop"), "Ledger", "ledger")), utc(2, 10));
    EXPECT_EQ(history.recordedDate(QStringLiteral("/apps/far.desktop")), std::nullopt);
    EXPECT_EQ(history.recordedDate(QStringLiteral("/apps/kept.desktop")), utc(5, 8));
    history.record(QStringLiteral("/apps/kept.desktop"), QDateTime::fromSecsSinceEpoch(9223372036854775, Qt::UTC));
    EXPECT_EQ(history.recordedDate(QStringLiteral("/apps/kept.desktop")), utc(5, 8));
}

// A folder in the file's place, a file that can't be read, a folder that
// can't be written (found at the load, or by a write): told once, left as
// it was, and the launches are remembered until the program ends.
TEST(LaunchHistoryTest, WhatCantBeReadOrWrittenIsToldAndLeftWhileLaunchesAreRemembered)
{
    const QByteArray stored = PropertyList::serialize(QVariantMap{{QStringLiteral("/apps/old.desktop"), utc(1, 8)}});
    chmod(vantel::test::testHome(), 0755);
    enum Block { folderInPlace, unreadable, closedFolder, closedAfterLoad };
    for (const Block block : {folderInPlace, unreadable, closedFolder, closedAfterLoad}) {
        SCOPED_TRACE(int(block));
        LoadAlerts::reset();
        const QString dir = vantel::test::makeTempDir(QStringLiteral("history-blocked"));
        const QString file = dir + QStringLiteral("/LaunchHistory.plist");
        const QString kept = block == folderInPlace ? file + QStringLiteral("/mine") : file;
        QDir().mkpath(QFileInfo(kept).absolutePath());
        write(kept, stored);
        chmod(file, block == unreadable ? 0 : 0755);
        if (block == closedFolder)
            chmod(dir, 0555);
        {
            LaunchHistory history(file, QString());
            if (block == closedAfterLoad) {
                EXPECT_EQ(history.recordedDate(QStringLiteral("/apps/old.desktop")), utc(1, 8));
                chmod(dir, 0555);
            }
            const AsPlainUser plain;
            for (const int day : {7, 8}) {
                history.record(QStringLiteral("/apps/quill.desktop"), utc(day, 9));
                EXPECT_FALSE(history.synchronize());
            }
            EXPECT_EQ(history.dates().lastUsedDate(application(QStringLiteral("quill.desktop"), "Quill", "quill")),
                      utc(8, 9));
        }
        chmod(dir, 0755);
        chmod(file, 0755);
        const QList<LoadAlerts::Alert> told = LoadAlerts::pending();
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told.first().messageText,
                  QLatin1String(block <= unreadable ? "The list of recent applications could not be read"
                                                    : "The list of recent applications can't be kept"));
        EXPECT_TRUE(told.first().informativeText.contains(block == closedFolder ? dir + u' ' : file));
        EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden),
                  QStringList{QStringLiteral("LaunchHistory.plist")});
        EXPECT_EQ(readUserFile(kept, 1 << 20).data, stored);
    }
}

// The file appears after a load that found none (a drive mounted later), or
// another program replaces it: its dates are merged before a write, never
// written over.
TEST(LaunchHistoryTest, AFileThatAppearedOrWasReplacedSinceTheLoadIsMergedNotWrittenOver)
{
    const QString file = vantel::test::makeTempDir(QStringLiteral("history-appeared")) + QStringLiteral("/LaunchHistory.plist");
    QVariantMap users;
    for (int i = 0; i < 30; ++i)
        users.insert(QStringLiteral("/apps/app-%1.desktop").arg(i), utc(1 + i % 28, 8));
    LaunchHistory history(file, QString());
    EXPECT_EQ(history.recordedDate(QStringLiteral("/apps/app-0.desktop")), std::nullopt);
    write(file, PropertyList::serialize(users));
    history.record(QStringLiteral("/apps/new.desktop"), utc(9, 9));
    ASSERT_TRUE(history.synchronize());

    QVariantMap replaced = PropertyList::parse(readUserFile(file, 1 << 20).data)->toMap();
    EXPECT_EQ(replaced.size(), 31);
    for (auto it = users.cbegin(); it != users.cend(); ++it)
        EXPECT_EQ(replaced.value(it.key()), it.value()) << it.key().toStdString();
    replaced.insert(QStringLiteral("/apps/elsewhere.desktop"), utc(10, 9));
    write(file + QStringLiteral(".other"), PropertyList::serialize(replaced));
    ASSERT_EQ(std::rename(QFile::encodeName(file + QStringLiteral(".other")).constData(), QFile::encodeName(file).constData()), 0);
    history.record(QStringLiteral("/apps/new.desktop"), utc(11, 9));
    ASSERT_TRUE(history.synchronize());
    const QVariantMap merged = PropertyList::parse(readUserFile(file, 1 << 20).data)->toMap();
    EXPECT_EQ(merged.size(), 32);
    EXPECT_EQ(merged.value(QStringLiteral("/apps/elsewhere.desktop")), utc(10, 9));
    EXPECT_EQ(merged.value(QStringLiteral("/apps/new.desktop")), utc(11, 9));
}
