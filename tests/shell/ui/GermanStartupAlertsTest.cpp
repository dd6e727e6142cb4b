// Run only under a German locale: every alert the start can raise about the
// user's files (the settings, the recent applications, the folder access) is
// German, those of the platform layer below the string tables included.
#include "access/SandboxFileAccessPersistDictionary.h"
#include "model/LocalizedStrings.h"
#include "platform/LaunchHistory.h"
#include "platform/LoadAlerts.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/ShownTexts.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cstdio>

namespace vantel {
namespace {

using platform::LoadAlerts::Alert;

void write(const QString& path, const QByteArray& bytes, qint64 size = -1)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    if (size >= 0) {
        ASSERT_TRUE(file.resize(size)); // sparse: larger than any bound, and no disk used
    }
}

QStringList textsOf(const QList<Alert>& alerts)
{
    QStringList texts;
    for (const Alert& alert : alerts)
        texts << alert.messageText << alert.informativeText;
    return texts;
}

// What the load in `body` tells, in a child that permissions stop (a folder
// it can't write): 0 when each of `expected` alerts is German.
int germanAlertsAsUnprivilegedChild(qsizetype expected, const std::function<void()>& body)
{
    return test::exitCodeAsUnprivilegedChild([&] {
        platform::LoadAlerts::reset();
        body();
        const QStringList texts = textsOf(platform::LoadAlerts::pending());
        const QStringList english = test::englishLeftInGerman(texts);
        if (texts.size() == 2 * expected && english.isEmpty())
            return 0;
        std::fprintf(stderr, "%s\n", qPrintable((english.isEmpty() ? texts : english).join(QLatin1Char('\n'))));
        return 1;
    });
}

TEST(GermanStartupAlerts, EveryAlertAboutTheUsersFilesIsGerman)
{
    ASSERT_EQ(LocalizedStrings::main().language(), QStringLiteral("de"));
    platform::LoadAlerts::reset();
    const QString folder = test::makeTempDir(QStringLiteral("german-alerts"));
    const auto fresh = [&](const QString& name) {
        QDir().mkpath(folder + u'/' + name);
        return folder + u'/' + name + u'/';
    };

    // The settings: a folder where the file should be, a damaged file, one
    // too large, a folder that is a link into a drive not mounted.
    QDir().mkpath(fresh(QStringLiteral("refused")) + QStringLiteral("settings.plist"));
    platform::UserDefaults refused(folder + QStringLiteral("/refused/settings.plist"));
    write(fresh(QStringLiteral("damaged")) + QStringLiteral("settings.plist"), "not a plist at all");
    platform::UserDefaults damaged(folder + QStringLiteral("/damaged/settings.plist"));
    write(fresh(QStringLiteral("large")) + QStringLiteral("settings.plist"), "<plist>",
          platform::UserDefaults::maximumFileSize + 1);
    platform::UserDefaults large(folder + QStringLiteral("/large/settings.plist"));
    QFile::link(folder + QStringLiteral("/unmounted/drive"), folder + QStringLiteral("/linked"));
    platform::UserDefaults unreachable(folder + QStringLiteral("/linked/settings.plist"));

    // The recent applications: damaged, too large, and a folder where the file should be.
    write(fresh(QStringLiteral("history")) + QStringLiteral("LaunchHistory.plist"), "not a property list");
    platform::LaunchHistory(folder + QStringLiteral("/history/LaunchHistory.plist"), QString())
        .recordedDate(QStringLiteral("/apps/quill.desktop"));
    write(fresh(QStringLiteral("history-large")) + QStringLiteral("LaunchHistory.plist"), "<plist>",
          platform::LaunchHistory::maximumFileSize + 1);
    platform::LaunchHistory(folder + QStringLiteral("/history-large/LaunchHistory.plist"), QString())
        .recordedDate(QStringLiteral("/apps/quill.desktop"));
    QDir().mkpath(fresh(QStringLiteral("history-refused")) + QStringLiteral("LaunchHistory.plist"));
    platform::LaunchHistory(folder + QStringLiteral("/history-refused/LaunchHistory.plist"), QString())
        .recordedDate(QStringLiteral("/apps/quill.desktop"));

    // The folder access: refused, no keyed archive, too large.
    const QString bookmarksRefused = fresh(QStringLiteral("bookmarks-refused")) + QStringLiteral("Bookmarks.dict");
    QDir().mkpath(bookmarksRefused);
    SandboxFileAccessPersistDictionary::create(bookmarksRefused)->loadBookmarks();
    const QString bookmarksDamaged = fresh(QStringLiteral("bookmarks-damaged")) + QStringLiteral("Bookmarks.dict");
    write(bookmarksDamaged, "bplist00 this is not a keyed archive");
    SandboxFileAccessPersistDictionary::create(bookmarksDamaged)->loadBookmarks();
    const QString bookmarksLarge = fresh(QStringLiteral("bookmarks-large")) + QStringLiteral("Bookmarks.dict");
    write(bookmarksLarge, "bplist00", SandboxFileAccessPersistDictionary::maximumFileSize + 1);
    SandboxFileAccessPersistDictionary::create(bookmarksLarge)->loadBookmarks();

    // Both stores' files replaced with other bytes: the save goes beside
    // them, told now and, as a later start, once more.
    const QString replaced = fresh(QStringLiteral("replaced"));
    write(replaced + QStringLiteral("settings.plist"), platform::PropertyList::serialize(QVariantMap{}));
    {
        platform::UserDefaults settings(replaced + QStringLiteral("settings.plist"));
        write(replaced + QStringLiteral("settings.plist"),
              platform::PropertyList::serialize(QVariantMap{{QStringLiteral("theirs"), true}}));
        settings.setBool(true, QStringLiteral("launchedBefore"));
        settings.synchronize();
        const auto bookmarks = SandboxFileAccessPersistDictionary::create(replaced + QStringLiteral("Bookmarks.dict"));
        bookmarks->loadBookmarks();
        const QString theirs = replaced + QStringLiteral("theirs.dict");
        SandboxFileAccessPersistDictionary::create(theirs)->saveBookmarks();
        write(replaced + QStringLiteral("Bookmarks.dict"), test::readFile(theirs));
        bookmarks->saveBookmarks();
    }
    platform::UserDefaults later(replaced + QStringLiteral("settings.plist"));
    SandboxFileAccessPersistDictionary::create(replaced + QStringLiteral("Bookmarks.dict"))->loadBookmarks();

    const QList<Alert> alerts = platform::LoadAlerts::pending();
    EXPECT_EQ(alerts.size(), 14);
    const QStringList english = test::englishLeftInGerman(textsOf(alerts));
    EXPECT_TRUE(english.isEmpty()) << english.join(QLatin1Char('\n')).toStdString();

    // Where the file can't be moved aside, or the folder not written, as
    // an account that permissions stop sees it.
    ::chmod(QFile::encodeName(test::testHome()).constData(), 0755);
    const QString readOnly = fresh(QStringLiteral("read-only"));
    write(readOnly + QStringLiteral("settings.plist"), "not a plist at all");
    write(readOnly + QStringLiteral("LaunchHistory.plist"), "not a property list");
    write(readOnly + QStringLiteral("launched.plist"),
          platform::PropertyList::serialize(QVariantMap{{QStringLiteral("launchedBefore"), true}}));
    for (const QString& name : QDir(readOnly).entryList(QDir::Files))
        ::chmod(QFile::encodeName(readOnly + name).constData(), 0644);
    write(readOnly + QStringLiteral("unreadable.plist"), "");
    ::chmod(QFile::encodeName(readOnly + QStringLiteral("unreadable.plist")).constData(), 0);
    const QString unwritten = fresh(QStringLiteral("unwritten"));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    for (const QString& path : {readOnly, unwritten})
        ::chmod(QFile::encodeName(path).constData(), 0555);
    EXPECT_EQ(germanAlertsAsUnprivilegedChild(3,
                                              [&] {
                                                  platform::UserDefaults settings(readOnly + QStringLiteral("settings.plist"));
                                                  platform::LaunchHistory(readOnly + QStringLiteral("LaunchHistory.plist"), QString())
                                                      .recordedDate(QStringLiteral("/apps/quill.desktop"));
                                                  platform::LaunchHistory(readOnly + QStringLiteral("unreadable.plist"), QString())
                                                      .recordedDate(QStringLiteral("/apps/quill.desktop"));
                                              }),
              0);
    // The folder can't be written: the first-run assistant shows again, or not.
    EXPECT_EQ(germanAlertsAsUnprivilegedChild(1, [&] { platform::UserDefaults(unwritten + QStringLiteral("settings.plist")); }), 0);
    EXPECT_EQ(germanAlertsAsUnprivilegedChild(1,
                                              [&] {
                                                  platform::LaunchHistory(unwritten + QStringLiteral("LaunchHistory.plist"), QString())
                                                      .recordedDate(QStringLiteral("/apps/quill.desktop"));
                                              }),
              0);
    EXPECT_EQ(germanAlertsAsUnprivilegedChild(1, [&] { platform::UserDefaults(readOnly + QStringLiteral("launched.plist")); }), 0);
    for (const QString& path : {readOnly, unwritten})
        ::chmod(QFile::encodeName(path).constData(), 0755);
}

} // namespace
} // namespace vantel
