// A quit signal at any moment of the start writes back what was loaded,
// whole: the program is started over a large catalogue and ended by each
// quit signal at many moments across its launch.
#include "VantelProcess.h"

#include "access/SandboxFileAccessPersistDictionary.h"
#include "hotkeys/KeyCombo.h"
#include "model/TableViewItem.h"
#include "model/iconTag.h"
#include "platform/Bookmark.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LaunchHistory.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace vantel {
namespace {

constexpr int entryCount = 6000;
constexpr int tagCount = 40;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray archivedArray(const QList<platform::ArchivablePtr>& objects)
{
    QVariantList array;
    for (const auto& object : objects)
        array.append(QVariant::fromValue(object));
    return platform::KeyedArchiver::archivedData(QVariant(array));
}

// Tags with a symbol, a colour and both hotkeys, each carried by entries;
// files, bookmarks and a launch history beside them.
void writeCatalogue(const QString& home, bool launchedBefore)
{
    KeyCombo::registerArchiveClass();
    TableViewItem::registerArchiveClass();
    iconTag::registerArchiveClass();
    const QList<Key> letters{Key::a, Key::b, Key::c, Key::d, Key::e, Key::f, Key::g, Key::h, Key::i, Key::j,
                             Key::l, Key::m, Key::n, Key::o, Key::p, Key::q, Key::r, Key::s, Key::t, Key::u};
    const int modifiers[]{KeyCombo::commandKey | KeyCombo::optionKey, KeyCombo::commandKey | KeyCombo::shiftKey,
                          KeyCombo::commandKey | KeyCombo::optionKey | KeyCombo::shiftKey,
                          KeyCombo::controlKey | KeyCombo::optionKey};
    QList<platform::ArchivablePtr> tags;
    for (int i = 0; i < tagCount; ++i) {
        auto tag = iconTag::create(QStringLiteral("Tag %1").arg(i), QStringLiteral("icon_folder_heart"));
        tag->setColor(platform::Color{0.1 * (i % 10), 0.5, 0.25, 1.0});
        tag->setHotkey(KeyCombo::withCarbonModifiers(letters[i % 20], modifiers[(2 * i / 20) % 4]));
        tag->setHotkeyLaunchAll(KeyCombo::withCarbonModifiers(letters[i % 20], modifiers[(2 * i / 20 + 1) % 4]));
        tags.append(tag);
    }
    const QString files = home + QStringLiteral("/files");
    QDir().mkpath(files);
    QList<platform::ArchivablePtr> entries;
    for (int i = 0; i < entryCount; ++i) {
        const QString path = files + QStringLiteral("/note-%1.txt").arg(i);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("note\n");
        auto entry = TableViewItem::initForPath(path, QStringLiteral("Note %1").arg(i), ListviewItemType::file,
                                                ListviewItemSource::other);
        entry->setTags({QStringLiteral("Tag %1").arg(i % tagCount), QStringLiteral("Tag %1").arg((i / 7) % tagCount)});
        entry->setComment(QStringLiteral("Comment %1").arg(i));
        entries.append(entry);
    }
    platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
    defaults.setBool(launchedBefore, QStringLiteral("launchedBefore"));
    defaults.setData(archivedArray(tags), QStringLiteral("TagData"));
    defaults.setData(archivedArray(entries), QStringLiteral("ApplicationData"));
    ASSERT_TRUE(defaults.synchronize());

    const QString documents = home + QStringLiteral("/data/Vantel");
    QDir().mkpath(documents);
    const auto bookmarks = SandboxFileAccessPersistDictionary::create(documents + QStringLiteral("/Bookmarks.dict"));
    for (int i = 0; i < 20; ++i) {
        const QString path = files + QStringLiteral("/note-%1.txt").arg(i);
        const auto data = platform::Bookmark::createBookmarkForPath(path);
        ASSERT_TRUE(data);
        bookmarks->setBookmark(*data, QUrl::fromLocalFile(path));
    }
    bookmarks->saveBookmarks();
    platform::LaunchHistory history(documents + QStringLiteral("/LaunchHistory.plist"), QString());
    for (int i = 0; i < 30; ++i)
        history.record(files + QStringLiteral("/app-%1.desktop").arg(i),
                       QDateTime(QDate(2026, 3, 1 + i % 28), QTime(8, i)));
    ASSERT_TRUE(history.synchronize());
}

// The tags as the settings file holds them, each with all it keeps.
QList<iconTagPtr> storedTags(const QString& home)
{
    QList<iconTagPtr> tags;
    const auto data = platform::UserDefaults(test::VantelProcess::settingsPath(home)).dataForKey(QStringLiteral("TagData"));
    if (!data)
        return tags;
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = iconTag::archiveClassNames();
    const auto result = platform::KeyedUnarchiver::unarchiveTopLevelObject(*data, options);
    for (const QVariant& value : result.value.toList())
        if (auto tag = std::dynamic_pointer_cast<iconTag>(value.value<platform::ArchivablePtr>());
            tag && tag->color() && tag->hotkey() && tag->hotkeyLaunchAll() && tag->tagSymbol() == QStringLiteral("icon_folder_heart"))
            tags.append(tag);
    return tags;
}

// Every file the program keeps, by its path below the home.
QMap<QString, QByteArray> storedFiles(const QString& home)
{
    QMap<QString, QByteArray> files;
    files.insert(QStringLiteral("settings"), fileBytes(test::VantelProcess::settingsPath(home)));
    const QDir documents(home + QStringLiteral("/data/Vantel"));
    files.insert(QStringLiteral("Bookmarks.dict"), fileBytes(documents.filePath(QStringLiteral("Bookmarks.dict"))));
    // Vantel itself is an application that ran since: the history gains it.
    platform::LaunchHistory history(documents.filePath(QStringLiteral("LaunchHistory.plist")), QString());
    QByteArray dates;
    for (int i = 0; i < 30; ++i)
        dates += history.recordedDate(home + QStringLiteral("/files/app-%1.desktop").arg(i))
                     .value_or(QDateTime())
                     .toString(Qt::ISODateWithMs)
                     .toUtf8();
    files.insert(QStringLiteral("LaunchHistory.plist"), dates);
    for (const QString& name : QDir(documents.filePath(QStringLiteral("Backup"))).entryList(QDir::Files))
        files.insert(QStringLiteral("Backup/") + name, fileBytes(documents.filePath(QStringLiteral("Backup/") + name)));
    return files;
}

// How a run is ended: after a log line, or after a delay from the moment
// the program says its quit signals are handled. Counted from the process's
// start instead, a delay would fall before the handlers on a slow start (a
// loaded machine, the sanitizers) and the signal's default action would end
// the program unsaved.
struct Moment {
    QByteArray line;
    int milliseconds = 0;
};

// Ends the program as `moment` says; answers whether its launch was cut.
bool runAndQuit(const QString& home, const Moment& moment, int signalNumber)
{
    test::VantelProcess vantel(home);
    vantel.start();
    const QByteArray line = moment.line.isEmpty() ? QByteArray("Quit signals handled") : moment.line;
    EXPECT_TRUE(vantel.waitForOutput(line, std::chrono::minutes(2))) << line.toStdString();
    QThread::msleep(moment.milliseconds);
    vantel.signal(signalNumber);
    EXPECT_TRUE(vantel.waitForFinished(std::chrono::minutes(2)));
    EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit) << moment.line.toStdString();
    EXPECT_EQ(vantel.process().exitCode(), 0);
    return vantel.logMessages().contains(QStringLiteral("Launch ended early: the program quits"));
}

TEST(QuitDuringLaunch, EverySignalAtEveryMomentKeepsWhatWasStored)
{
    const QString home = test::makeTempDir(QStringLiteral("quit-launch-home"));
    test::VantelProcess::prepareHome(home);
    writeCatalogue(home, true);
    // A whole start and quit first: what it writes is what a quit leaves
    // where nothing changed.
    for (int settle = 0; settle < 2; ++settle)
        ASSERT_FALSE(runAndQuit(home, {"<- applicationDidFinishLaunching"}, SIGTERM));
    const QMap<QString, QByteArray> settled = storedFiles(home);
    ASSERT_EQ(storedTags(home).size(), tagCount);

    const QList<Moment> moments{
        {"Shared instances created"}, {"loadAllDataArray"}, {"loadTagDataArray"},   {"Configuration loaded"},
        {"Observers registered"},     {"Data proxies enabled"}, {"-> RebuildData"}, {"<- applicationDidFinishLaunching"},
        {" is running"},              {{}, 150},                {{}, 400},          {{}, 1000},
    };
    int cut = 0;
    int run = 0;
    for (const Moment& moment : moments) {
        for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            if (runAndQuit(home, moment, signalNumber))
                ++cut;
            const QMap<QString, QByteArray> now = storedFiles(home);
            for (auto it = settled.cbegin(); it != settled.cend(); ++it)
                EXPECT_TRUE(now.value(it.key()) == it.value())
                    << it.key().toStdString() << " (" << it.value().size() << " -> " << now.value(it.key()).size()
                    << " bytes)" << " changed by signal " << signalNumber << " at "
                    << (moment.line.isEmpty() ? std::to_string(moment.milliseconds) + " ms" : moment.line.toStdString());
            EXPECT_EQ(now.keys(), settled.keys()) << "run " << run;
            ++run;
        }
    }
    // Without launches cut short the runs above prove nothing.
    EXPECT_GE(cut, 6) << "of " << run << " runs";
}

// A first launch cut before its assistant opened stays a first launch.
TEST(QuitDuringLaunch, AFirstLaunchEndedBeforeItsAssistantStaysTheFirst)
{
    const QString home = test::makeTempDir(QStringLiteral("quit-first-home"));
    test::VantelProcess::prepareHome(home);
    writeCatalogue(home, false);
    const QString settings = test::VantelProcess::settingsPath(home);
    ASSERT_TRUE(runAndQuit(home, {"Shared instances created"}, SIGTERM)) << "the launch was not cut";
    EXPECT_FALSE(platform::UserDefaults(settings).boolForKey(QStringLiteral("launchedBefore")));

    test::VantelProcess vantel(home);
    vantel.start();
    // Marked once its assistant is on screen.
    EXPECT_TRUE(vantel.waitForOutput("First run: the first-run assistant is shown", std::chrono::minutes(2)));
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished(std::chrono::minutes(2)));
    EXPECT_TRUE(platform::UserDefaults(settings).boolForKey(QStringLiteral("launchedBefore")));
}

} // namespace
} // namespace vantel
