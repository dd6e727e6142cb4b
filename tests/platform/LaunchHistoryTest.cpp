#include "platform/LaunchHistory.h"
#include "platform/LoadAlerts.h"
#include "platform/PropertyList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace vantel::platform;

namespace {

class LaunchHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = vantel::test::makeTempDir(QStringLiteral("launch-history"));
        file = dir + QStringLiteral("/LaunchHistory.plist");
        recentlyUsed = dir + QStringLiteral("/recently-used.xbel");
        LoadAlerts::reset();
    }

    static void write(const QString& path, const QByteArray& content)
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    static IndexedApplication application(const QString& path, const QString& id, const QByteArray& name,
                                          const QByteArray& exec)
    {
        return {path, id, QStringLiteral("/apps"),
                *DesktopEntry::parse("[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n")};
    }

    QString dir, file, recentlyUsed;
    const QDateTime monday = QDateTime(QDate(2026, 12, 7), QTime(9, 30), Qt::UTC);
};

} // namespace

TEST_F(LaunchHistoryTest, KeepsTheLatestDateOfEachApplicationAcrossARestart)
{
    {
        LaunchHistory history(file, recentlyUsed);
        history.record(QStringLiteral("/apps/quill.desktop"), monday);
        history.record(QStringLiteral("/apps/ledger.desktop"), monday.addSecs(60));
        // An earlier date never moves one back; a later one replaces it.
        history.record(QStringLiteral("/apps/quill.desktop"), monday.addDays(-3));
        history.record(QStringLiteral("/apps/ledger.desktop"), monday.addSecs(120));
        history.record(QString(), monday);
        ASSERT_TRUE(history.synchronize());
    }
    const std::optional<QVariant> stored = PropertyList::parse([&] {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->toMap().size(), 2) << "one date per application";

    LaunchHistory restarted(file, recentlyUsed);
    EXPECT_EQ(restarted.recordedDate(QStringLiteral("/apps/quill.desktop")), monday);
    EXPECT_EQ(restarted.recordedDate(QStringLiteral("/apps/ledger.desktop")), monday.addSecs(120));
    EXPECT_FALSE(restarted.recordedDate(QStringLiteral("/apps/other.desktop")).has_value());
    EXPECT_EQ(restarted.dates().lastUsedDate(application(QStringLiteral("/apps/quill.desktop"),
                                                         QStringLiteral("quill.desktop"), "Quill", "quill")),
              monday);

    // Bounded: past the limit the oldest make room.
    for (qsizetype i = 0; i < LaunchHistory::maximumPaths; ++i)
        restarted.record(QStringLiteral("/apps/filler-%1.desktop").arg(i), monday.addSecs(600 + i));
    ASSERT_TRUE(restarted.synchronize());
    LaunchHistory bounded(file, recentlyUsed);
    EXPECT_FALSE(bounded.recordedDate(QStringLiteral("/apps/quill.desktop")).has_value());
    EXPECT_FALSE(bounded.recordedDate(QStringLiteral("/apps/ledger.desktop")).has_value());
    EXPECT_TRUE(bounded.recordedDate(QStringLiteral("/apps/filler-0.desktop")).has_value());
}

TEST_F(LaunchHistoryTest, TakesTheDesktopsRecentlyUsedListByIdProgramOrName)
{
    write(recentlyUsed, R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///home/u/a.txt" added="2026-12-01T08:00:00Z" modified="2026-12-01T08:00:00Z" visited="2026-12-01T08:00:00Z">
    <info><metadata owner="http://freedesktop.org">
      <bookmark:applications>
        <bookmark:application name="org.vantel.Quill" exec="&apos;org.vantel.Quill %u&apos;" modified="2026-12-01T08:00:00.123456Z" count="1"/>
        <bookmark:application name="Ledger" exec="&apos;vantel-ledger %u&apos;" modified="2026-12-02T10:00:00Z" count="1"/>
      </bookmark:applications>
    </metadata></info>
  </bookmark>
  <bookmark href="file:///home/u/b.txt" added="2026-12-03T08:00:00Z" modified="2026-12-03T08:00:00Z" visited="2026-12-03T08:00:00Z">
    <info><metadata owner="http://freedesktop.org">
      <bookmark:applications>
        <bookmark:application name="org.vantel.Quill" exec="&apos;org.vantel.Quill %u&apos;" modified="2026-12-03T08:00:00Z" count="2"/>
        <bookmark:application name="Sketch Pad" exec="&apos;flatpak run org.other.Pad %u&apos;" timestamp="1764748800" count="1"/>
      </bookmark:applications>
    </metadata></info>
  </bookmark>
</xbel>
)");
    LaunchHistory history(file, recentlyUsed);
    const LaunchHistory::Dates dates = history.dates();
    const auto utc = [](int day, int hour) { return QDateTime(QDate(2026, 12, day), QTime(hour, 0), Qt::UTC); };
    // By desktop ID, the latest of its files.
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("/apps/org.vantel.Quill.desktop"),
                                             QStringLiteral("org.vantel.Quill.desktop"), "Quill", "quill-bin")),
              utc(3, 8));
    // By the program its Exec runs.
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("/apps/org.vantel.Books.desktop"),
                                             QStringLiteral("org.vantel.Books.desktop"), "Books",
                                             "/usr/bin/vantel-ledger %F")),
              utc(2, 10));
    // By its name; a launcher program such as flatpak names no application.
    EXPECT_EQ(dates.lastUsedDate(application(QStringLiteral("/apps/pad.desktop"), QStringLiteral("pad.desktop"),
                                             "Sketch Pad", "pad")),
              QDateTime::fromSecsSinceEpoch(1764748800, Qt::UTC));
    EXPECT_FALSE(dates
                     .lastUsedDate(application(QStringLiteral("/apps/other.desktop"), QStringLiteral("other.desktop"),
                                               "Other", "flatpak run org.other.Other"))
                     .has_value());

    // A launch this program saw later than the desktop's list wins.
    history.record(QStringLiteral("/apps/org.vantel.Quill.desktop"), utc(9, 12));
    EXPECT_EQ(history.dates().lastUsedDate(application(QStringLiteral("/apps/org.vantel.Quill.desktop"),
                                                       QStringLiteral("org.vantel.Quill.desktop"), "Quill", "quill")),
              utc(9, 12));
}

TEST_F(LaunchHistoryTest, ADamagedFileIsKeptAsideAndTheHistoryStartsAnew)
{
    write(file, "not a property list");
    {
        LaunchHistory history(file, recentlyUsed);
        EXPECT_FALSE(history.recordedDate(QStringLiteral("/apps/quill.desktop")).has_value());
        history.record(QStringLiteral("/apps/quill.desktop"), monday);
        ASSERT_TRUE(history.synchronize());
    }
    const QStringList aside = QDir(dir).entryList({QStringLiteral("LaunchHistory.plist.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(dir + u'/' + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not a property list"));
    EXPECT_EQ(LoadAlerts::pending().size(), 1);
    EXPECT_EQ(LaunchHistory(file, recentlyUsed).recordedDate(QStringLiteral("/apps/quill.desktop")), monday);
}
