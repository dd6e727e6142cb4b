#include "ChildProcess.h"
#include "ConfigTestSupport.h"

#include "config/MainWindowSize.h"
#include "model/IconTagChangedNotifyObject.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Log.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

#include <csignal>
#include <thread>

namespace vantel::test {

namespace {

// Every stored setting as one line of text, so two objects compare as wholes.
QString dumpSettings(const Configuration& c)
{
    QStringList lines;
    const auto flag = [&lines](const char* name, bool value) {
        lines.append(QString::fromLatin1(name) + (value ? QStringLiteral("=true") : QStringLiteral("=false")));
    };
    flag("neverRemindMeRemoveTagDialog", c.neverRemindMeRemoveTagDialog());
    flag("neverRemindMeRenameTagDialog", c.neverRemindMeRenameTagDialog());
    lines.append(QStringLiteral("windowViewStyle=%1").arg(c.windowViewStyle()));
    lines.append(QStringLiteral("clickType=%1").arg(c.clickType()));
    flag("mainPopoverAnimated", c.mainPopoverAnimated());
    lines.append(QStringLiteral("alternateFolderBrowser=") + c.alternateFolderBrowser());
    lines.append(QStringLiteral("customSpotlightSearchScope=") + c.customSpotlightSearchScope().join(QLatin1Char('|')));
    flag("searchForComments", c.searchForComments());
    flag("searchForTags", c.searchForTags());
    flag("selectingTagsInMainWindowLaunchAll", c.selectingTagsInMainWindowLaunchAll());
    flag("showPathInMainView", c.showPathInMainView());
    flag("sidebarTagsCollapsed", c.sidebarTagsCollapsed());
    flag("sidebarCategoriesCollapsed", c.sidebarCategoriesCollapsed());
    flag("useSmallModeInMainView", c.useSmallModeInMainView());
    lines.append(QStringLiteral("menubarIcon=") + c.menubarIcon());
    flag("selectTagsAndCategoriesOnHover", c.selectTagsAndCategoriesOnHover());
    flag("sidebarCategoriesShowFiles", c.sidebarCategoriesShowFiles());
    flag("sidebarCategoriesShowFolders", c.sidebarCategoriesShowFolders());
    flag("sidebarCategoriesShowURLs", c.sidebarCategoriesShowURLs());
    flag("sidebarCategoriesShowRecentApplications", c.sidebarCategoriesShowRecentApplications());
    flag("sidebarCategoriesShowActiveApplications", c.sidebarCategoriesShowActiveApplications());
    flag("sidebarCategoriesShowFavorites", c.sidebarCategoriesShowFavorites());
    flag("sidebarCategoriesShowShortcuts", c.sidebarCategoriesShowShortcuts());
    flag("sidebarCategoriesShowNumberOfElementInSidebar", c.sidebarCategoriesShowNumberOfElementInSidebar());
    lines.append(QStringLiteral("entryBackgroundAlphaValue=%1").arg(double(c.entryBackgroundAlphaValue())));
    flag("hotkeyBorder", c.hotkeyBorder());
    flag("debugLogging", c.debugLogging());
    flag("translucentBackgroundRight", c.translucentBackgroundRight());
    lines.append(QStringLiteral("mainWindowWidth=") + MainWindowWidths::rawValue(c.mainWindowWidth()));
    lines.append(QStringLiteral("mainWindowHeight=") + MainWindowHeights::rawValue(c.mainWindowHeight()));
    for (int slot = 0; slot < Configuration::hotkeySlotCount; ++slot) {
        const auto combo = c.keyCombo(Configuration::HotkeySlot(slot));
        lines.append(Configuration::keyForHotkeySlot(Configuration::HotkeySlot(slot)) + QLatin1Char('=')
                     + (combo ? combo->debugDescription() : QStringLiteral("none")));
    }
    return lines.join(QLatin1Char('\n'));
}

// Every setting away from its default.
void setEverySetting(Configuration& c)
{
    c.setNeverRemindMeRemoveTagDialog(true);
    c.setNeverRemindMeRenameTagDialog(true);
    c.setWindowViewStyle(1);
    c.setClickType(1);
    c.setMainPopoverAnimated(true);
    c.setAlternateFolderBrowser(QStringLiteral("/usr/bin/nautilus"));
    c.setCustomSpotlightSearchScope({QStringLiteral("/opt/a"), QStringLiteral("/opt/b")});
    c.setSearchForComments(false);
    c.setSearchForTags(false);
    c.setSelectingTagsInMainWindowLaunchAll(true);
    c.setShowPathInMainView(false);
    c.setSidebarTagsCollapsed(true);
    c.setSidebarCategoriesCollapsed(true);
    c.setUseSmallModeInMainView(true);
    c.setMenubarIcon(QStringLiteral("statusbar-4"));
    c.setSelectTagsAndCategoriesOnHover(true);
    c.setSidebarCategoriesShowURLs(false);
    c.setSidebarCategoriesShowNumberOfElementInSidebar(false);
    c.setEntryBackgroundAlphaValue(0.75f);
    c.setHotkeyBorder(true);
    c.setTranslucentBackgroundRight(true);
    c.setMainWindowWidth(MainWindowWidth::with550);
    c.setMainWindowHeight(MainWindowHeight::height85);
    c.setGlobalKeyCombo(KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::shiftKey));
    c.setKeyCombo(Configuration::HotkeySlot::categoriesShowFolders,
                  KeyCombo::withCarbonModifiers(Key::d, KeyCombo::optionKey));
    c.setKeyCombo(Configuration::HotkeySlot::categoriesShowFavorites,
                  KeyCombo::withDoubledCarbonModifiers(KeyCombo::controlKey));
}

// The first line of the child's output that starts with `prefix` (gtest
// writes its own lines too); empty when none comes in time.
QString waitForLine(QProcess& child, const QString& prefix)
{
    QString found;
    waitUntil(
        [&] {
            while (child.canReadLine()) {
                const QString line = QString::fromUtf8(child.readLine()).trimmed();
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return child.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(30));
    return found;
}

bool isChild(const char* mode)
{
    return qEnvironmentVariable("VANTEL_CONFIG_CHILD") == QLatin1String(mode);
}

QStringList backupFolderFiles()
{
    return QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup")).entryList(QDir::Files);
}

} // namespace

// ---- Children started by the tests below ----
// Disabled, so a normal run leaves them out; the parent names one with
// --gtest_also_run_disabled_tests.

TEST(DISABLED_ConfigChild, DumpSettings)
{
    if (!isChild("DumpSettings"))
        GTEST_FAIL() << "started only by SaveThenLoadInANewProcessGivesBackEverySetting";
    platform::UserDefaults defaults(qEnvironmentVariable("VANTEL_CONFIG_CHILD_SETTINGS"));
    DataStorage store;
    URLManager urls;
    Configuration config(defaults);
    config.setStores(&store, &urls);
    config.loadConfig();
    QTextStream(stdout) << dumpSettings(config) << "\nentries=" << store.allData()->count()
                        << "\ntags=" << store.tagManager().allAvailableTags()->count()
                        << "\ntemplates=" << urls.urlTemplates().size() << "\n";
}

TEST(DISABLED_ConfigChild, SaveLoop)
{
    if (!isChild("SaveLoop"))
        GTEST_FAIL() << "started only by KilledWhileSavingLeavesALoadableFile";
    QTextStream out(stdout);
    out << "home=" << qEnvironmentVariable("VANTEL_TEST_HOME") << Qt::endl;
    platform::UserDefaults defaults(qEnvironmentVariable("VANTEL_CONFIG_CHILD_SETTINGS"));
    DataStorage store;
    URLManager urls;
    Configuration config(defaults);
    config.setStores(&store, &urls);
    config.loadConfig();
    for (qint64 round = 0;; ++round) {
        // The number of stored entries always equals windowViewStyle in a whole state.
        if (store.allData()->count() >= 150)
            store.allData()->removeAll();
        auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/%1").arg(round),
                                               QStringLiteral("entry %1").arg(round), QString(),
                                               ListviewItemSource::spotlight);
        entry->setTags({QStringLiteral("kept")});
        store.allData()->append(entry);
        config.setWindowViewStyle(store.allData()->count());
        config.saveConfig(false);
        if (round == 0)
            out << "saving" << Qt::endl;
    }
}

// ---- Settings ----

TEST(MainWindowSizeTest, RawValuesAndFallbacks)
{
    EXPECT_EQ(MainWindowWidths::rawValue(MainWindowWidth::with550), QStringLiteral("550px"));
    EXPECT_EQ(MainWindowWidths::rawValue(MainWindowWidth::with800), QStringLiteral("800px"));
    EXPECT_EQ(MainWindowHeights::rawValue(MainWindowHeight::height90), QStringLiteral("90%"));
    EXPECT_EQ(MainWindowWidths::fromStoredValue(QStringLiteral("650px")), MainWindowWidth::with650);
    EXPECT_EQ(MainWindowWidths::fromStoredValue(QStringLiteral("651px")), MainWindowWidth::with700);
    EXPECT_EQ(MainWindowHeights::fromStoredValue(std::nullopt), MainWindowHeight::height70);
    EXPECT_EQ(MainWindowWidths::fromIndex(5), MainWindowWidth::with800);
    EXPECT_FALSE(MainWindowWidths::fromIndex(6));
    EXPECT_FALSE(MainWindowWidths::fromIndex(-1));
}

TEST_F(ConfigTest, FirstLaunchLoadsTheDefaultsAndAnnouncesThem)
{
    QStringList posted;
    auto recorder = platform::NotificationCenter::defaultCenter().addObserver(
        QString(), [&posted](const platform::Notification& n) { posted.append(n.name); });
    config->setSidebarCategoriesShowFiles(false);
    config->setEntryBackgroundAlphaValue(0.9f);
    config->loadConfig();

    EXPECT_TRUE(config->sidebarCategoriesShowFiles());
    EXPECT_TRUE(config->sidebarCategoriesShowFavorites());
    EXPECT_TRUE(config->showPathInMainView());
    EXPECT_TRUE(config->searchForComments());
    EXPECT_FLOAT_EQ(config->entryBackgroundAlphaValue(), 0.2f);
    EXPECT_EQ(config->menubarIcon(), QStringLiteral("statusbar-1"));
    EXPECT_EQ(config->mainWindowWidth(), MainWindowWidth::with700);
    EXPECT_FALSE(config->globalKeyCombo());
    EXPECT_EQ(urls->urlTemplates().size(), URLManager::defaultTemplates().size());
    const QStringList announced{QStringLiteral("customSpotlightSearchScopeChanged"),
                                QStringLiteral("showPathInMainViewChanged"),
                                QStringLiteral("useSmallModeInMainViewChanged"), QStringLiteral("menubarIconChanged"),
                                QStringLiteral("sidebarCategoriesShowNumberOfElementInSidebarChanged")};
    QStringList seen;
    for (const QString& name : posted)
        if (announced.contains(name))
            seen.append(name);
    EXPECT_EQ(seen, announced);
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST_F(ConfigTest, ASettingsFileFromBeforeLoadsUnchanged)
{
    const QString fixture = QStringLiteral(VANTEL_FIXTURES_DIR "/config/settings-before.plist");
    QFile::remove(settingsPath);
    ASSERT_TRUE(QFile::copy(fixture, settingsPath));
    reopen();
    EXPECT_TRUE(config->launchedBefore());
    config->loadConfig();

    EXPECT_TRUE(config->neverRemindMeRemoveTagDialog());
    EXPECT_EQ(config->windowViewStyle(), 1);
    EXPECT_EQ(config->clickType(), 1);
    EXPECT_EQ(config->alternateFolderBrowser(), QStringLiteral("/usr/share/applications/org.kde.dolphin.desktop"));
    EXPECT_EQ(config->customSpotlightSearchScope(), (QStringList{QStringLiteral("/opt/apps"), QStringLiteral("/srv/tools")}));
    EXPECT_FALSE(config->searchForComments());
    EXPECT_FALSE(config->showPathInMainView());
    EXPECT_FALSE(config->sidebarCategoriesShowFiles());
    EXPECT_FALSE(config->sidebarCategoriesShowRecentApplications());
    EXPECT_FALSE(config->sidebarCategoriesShowNumberOfElementInSidebar());
    EXPECT_EQ(config->menubarIcon(), QStringLiteral("statusbar-3"));
    EXPECT_FLOAT_EQ(config->entryBackgroundAlphaValue(), 0.5f);
    EXPECT_EQ(config->mainWindowWidth(), MainWindowWidth::with800);
    EXPECT_EQ(config->mainWindowHeight(), MainWindowHeight::height55);
    EXPECT_EQ(config->globalKeyCombo(), KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::shiftKey));
    EXPECT_EQ(config->keyCombo(Configuration::HotkeySlot::categoriesShowFolders),
              KeyCombo::withCarbonModifiers(Key::d, KeyCombo::optionKey));
    // The files category is hidden: its hotkey is gone, and the next save drops the key.
    EXPECT_FALSE(config->keyCombo(Configuration::HotkeySlot::categoriesShowFiles));
    config->saveConfig(false);
    EXPECT_FALSE(defaults->contains(QStringLiteral("globalKeyComboCategoriesShowFiles")));
    EXPECT_TRUE(defaults->contains(QStringLiteral("globalKeyCombo")));
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST_F(ConfigTest, SaveThenLoadInANewProcessGivesBackEverySetting)
{
    config->loadConfig();
    setEverySetting(*config);
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/a"), QStringLiteral("a"),
                                           QStringLiteral("a comment"), ListviewItemSource::spotlight);
    store->allData()->append(entry);
    auto tag = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_star"));
    store->tagManager().allAvailableTags()->append(tag);
    // A first launch whose assistant was seen: the save marks it.
    config->setFirstRunShown();
    config->saveConfig(false);

    QProcess child;
    child.setProcessEnvironment(childEnvironment(QStringLiteral("DumpSettings"), settingsPath));
    child.start(childProgram(), childArguments(QStringLiteral("DumpSettings")));
    ASSERT_TRUE(child.waitForFinished(int(vantel::test::longWait.count())));
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QString expected = dumpSettings(*config) + QStringLiteral("\nentries=1\ntags=1\ntemplates=%1\n")
                                                         .arg(urls->urlTemplates().size());
    EXPECT_TRUE(output.contains(expected)) << output.toStdString() << "\n---\n" << expected.toStdString();

    // The stored types, as an independent reader sees them.
    const QString types = runPython(QStringLiteral(R"(
import plistlib, sys
d = plistlib.load(open(sys.argv[1], 'rb'))
for k in sorted(d):
    print(k, type(d[k]).__name__)
)"),
                                    {settingsPath});
    for (const char* line : {"searchForComments bool", "windowViewStyle int", "entryBackgroundAlphaValue float",
                             "mainWindowWidth str", "customSpotlightSearchScope list", "globalKeyCombo bytes",
                             "ApplicationData bytes", "TagData bytes", "urlTemplateData bytes", "launchedBefore bool"})
        EXPECT_TRUE(types.contains(QString::fromLatin1(line) + QLatin1Char('\n'))) << line << "\n" << types.toStdString();
}

TEST_F(ConfigTest, ValuesOutOfRangeLoadTheirFallbacks)
{
    defaults->setFloat(1.5f, QStringLiteral("entryBackgroundAlphaValue"));
    defaults->setObject(QVariantList{QStringLiteral("/opt"), 3}, QStringLiteral("customSpotlightSearchScope"));
    defaults->setString(QStringLiteral("wide"), QStringLiteral("mainWindowWidth"));
    defaults->setString(QStringLiteral("not a key combo"), QStringLiteral("globalKeyCombo"));
    config->loadConfig();
    EXPECT_FLOAT_EQ(config->entryBackgroundAlphaValue(), 0.2f);
    EXPECT_TRUE(config->customSpotlightSearchScope().isEmpty());
    EXPECT_EQ(config->mainWindowWidth(), MainWindowWidth::with700);
    EXPECT_FALSE(config->globalKeyCombo());
    EXPECT_TRUE(dialogs->alerts().isEmpty()); // a value that is not data is no archive at all

    defaults->setFloat(1.0f, QStringLiteral("entryBackgroundAlphaValue"));
    config->loadConfig();
    EXPECT_FLOAT_EQ(config->entryBackgroundAlphaValue(), 1.0f);
}

TEST_F(ConfigTest, AnUnreadableHotkeyIsKeptAsideBeforeItIsDropped)
{
    const QByteArray damaged = QByteArrayLiteral("bplist00 this is not a keyed archive");
    // A sound archive of something else is no hotkey either, and is kept too.
    const QByteArray otherKind = platform::KeyedArchiver::archivedData(QVariant(QStringLiteral("F5")));
    defaults->setData(damaged, QStringLiteral("globalKeyCombo"));
    defaults->setData(otherKind, QStringLiteral("globalKeyComboCategoriesShowFiles"));
    config->loadConfig();
    EXPECT_FALSE(config->globalKeyCombo());
    EXPECT_TRUE(dialogs->alerts().isEmpty()) << "no alert runs while loading";
    ASSERT_EQ(alertMessages(), (QStringList{QStringLiteral("Error loading KeyCombo from UserDefaults"),
                                            QStringLiteral("Error loading KeyCombo from UserDefaults")}));
    QList<QByteArray> kept;
    for (const QString& name : backupFolderFiles()) {
        QFile file(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup/") + name);
        if (name.startsWith(QStringLiteral("globalKeyCombo")) && file.open(QIODevice::ReadOnly))
            kept.append(file.readAll());
    }
    EXPECT_TRUE(kept.contains(damaged));
    EXPECT_TRUE(kept.contains(otherKind));
}

TEST_F(ConfigTest, ATimedSaveBeforeTheLoadKeepsTheStoredSettings)
{
    defaults->setString(QStringLiteral("statusbar-3"), QStringLiteral("menubarIcon"));
    defaults->synchronize();
    config->scheduleSaveConfig(QStringLiteral("TableViewItem: Tag changed"));
    config->saveConfigNow();
    reopen();
    EXPECT_EQ(defaults->stringForKey(QStringLiteral("menubarIcon")), QStringLiteral("statusbar-3"));
}

TEST_F(ConfigTest, ChangesArmOneSaveAfterTheLastOfThem)
{
    config->loadConfig();
    config->setSaveConfigInterval(std::chrono::milliseconds(300));
    platform::Log::CaptureSink sink;
    config->setDebugLogging(true);
    auto& center = platform::NotificationCenter::defaultCenter();

    center.post(QStringLiteral("tableViewItemChanged"),
                TableViewItemChangedNotifyObject{QStringLiteral("/x"), TableViewItemChangeReason::nameChanged});
    center.post(QStringLiteral("tableViewItemChanged"), QStringLiteral("not the object"));
    EXPECT_FALSE(config->saveConfigPending());

    for (int i = 0; i < 10; ++i)
        center.post(QStringLiteral("tableViewItemChanged"),
                    TableViewItemChangedNotifyObject{QStringLiteral("/x"), TableViewItemChangeReason::commentChanged});
    // The last change comes from a worker: the save must still run on the main thread.
    std::thread worker([&center] {
        center.post(QStringLiteral("iconTagChanged"),
                    IconTagChangedNotifyObject{QStringLiteral("Work"), IconTagChangeReason::colorChanged});
    });
    worker.join();
    EXPECT_TRUE(config->saveConfigPending());
    EXPECT_TRUE(waitUntil([this] { return !config->saveConfigPending(); }));
    spinEventLoop(std::chrono::milliseconds(400));
    config->setDebugLogging(false);

    const QStringList messages = sink.messages();
    EXPECT_EQ(messages.count(QStringLiteral("saveConfig")), 1);
    EXPECT_TRUE(messages.contains(QStringLiteral("saveConfig with Timer. Last Trigger: Tag: Color changed")));
}

TEST_F(ConfigTest, KilledWhileSavingLeavesALoadableFile)
{
    config->loadConfig();
    config->saveConfig(false);
    auto* random = QRandomGenerator::global();
    qint64 lastCount = 0;
    int kills = 0;
    for (int round = 0; round < 50; ++round) {
        QProcess child;
        child.setProcessEnvironment(childEnvironment(QStringLiteral("SaveLoop"), settingsPath));
        child.start(childProgram(), childArguments(QStringLiteral("SaveLoop")));
        ASSERT_TRUE(child.waitForStarted());
        const QString childHome = waitForLine(child, QStringLiteral("home=")).mid(5);
        // Wait until it saves, then kill it somewhere inside a save.
        ASSERT_EQ(waitForLine(child, QStringLiteral("saving")), QStringLiteral("saving"));
        QThread::usleep(random->bounded(1000, 60000));
        child.kill();
        child.waitForFinished(int(vantel::test::longWait.count()));
        ++kills;
        if (childHome.startsWith(QDir::tempPath() + QStringLiteral("/vantel-test-")))
            QDir(childHome).removeRecursively();

        // The file loads, whole: the stored count of entries matches the
        // setting written with it.
        // A save killed before its rename leaves its temporary file; the
        // next start removes it, and nothing else may go.
        platform::UserDefaults reread(settingsPath);
        ASSERT_TRUE(reread.contains(QStringLiteral("ApplicationData"))) << "round " << round;
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{QFileInfo(settingsPath).fileName()})
            << "the file was set aside as unreadable, or a temporary file was left";
        DataStorage checkStore;
        URLManager checkURLs;
        Configuration check(reread);
        check.setStores(&checkStore, &checkURLs);
        check.loadConfig();
        const qint64 count = checkStore.allData()->count();
        EXPECT_EQ(check.windowViewStyle(), count) << "round " << round;
        EXPECT_GT(count, 0);
        lastCount = count;
    }
    EXPECT_EQ(kills, 50);
    EXPECT_GT(lastCount, 0);
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

} // namespace vantel::test
