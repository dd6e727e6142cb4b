#include "ChildProcess.h"
#include "ConfigTestSupport.h"

#include "config/ExportImportManager.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/FileSizeLimit.h"

#include <QDir>

namespace vantel::test {

namespace {

// A root of the export class holding only what the test writes into it.
class HandMadeRoot : public platform::Archivable {
public:
    std::function<void(platform::KeyedArchiver&)> body;
    QString archiveClassName() const override { return ExportImportData::archiveName(); }
    void encode(platform::KeyedArchiver& coder) const override
    {
        if (body)
            body(coder);
    }
};

std::shared_ptr<ExportImportData> decodeRoot(const std::function<void(platform::KeyedArchiver&)>& body)
{
    auto root = std::make_shared<HandMadeRoot>();
    root->body = body;
    ExportImportData::registerArchiveClass();
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = {ExportImportData::archiveName()};
    return platform::KeyedUnarchiver::unarchive<ExportImportData>(platform::KeyedArchiver::archivedData(root), options);
}

QStringList entryNames(DataStorage& store)
{
    QStringList names;
    for (const auto& entry : store.allData()->snapshot())
        names.append(entry->name() + QLatin1Char('|') + entry->tags().join(QLatin1Char(',')) + QLatin1Char('|')
                     + entry->comment());
    return names;
}

QStringList tagNames(DataStorage& store)
{
    QStringList names;
    for (const auto& tag : store.tagManager().allAvailableTags()->snapshot())
        names.append(tag->tagName() + QLatin1Char('|') + tag->tagSymbol());
    return names;
}

QStringList templateTitles(URLManager& urls)
{
    QStringList titles;
    for (const auto& t : urls.urlTemplates())
        titles.append(t->title() + QLatin1Char('|') + t->value());
    return titles;
}

QStringList keptAside()
{
    return QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup"))
        .entryList({QStringLiteral("*.unreadable")}, QDir::Files);
}

} // namespace

class ExportImportTest : public ConfigTest {
protected:
    void SetUp() override
    {
        ConfigTest::SetUp();
        config->loadConfig();
        manager = std::make_unique<ExportImportManager>(*config);
        exportPath = dir + QStringLiteral("/all.Vantel_ExportData");
    }
    void TearDown() override
    {
        manager.reset();
        ConfigTest::TearDown();
    }

    void fillProfile()
    {
        auto tagged = TableViewItem::initForURL(QStringLiteral("https://example.org/a"), QStringLiteral("a"),
                                                QStringLiteral("first"), ListviewItemSource::spotlight);
        tagged->setTags({QStringLiteral("Work")});
        auto hotkeyed = TableViewItem::initForURL(QStringLiteral("https://example.org/b"), QStringLiteral("b"), QString(),
                                                  ListviewItemSource::other);
        hotkeyed->setHotkey(KeyCombo::withCarbonModifiers(Key::b, KeyCombo::commandKey));
        store->allData()->appendContentsOf(QList<TableViewItemPtr>{tagged, hotkeyed});
        auto tag = iconTag::create(QStringLiteral("Work"), store->tagManager().iconNames().value(3));
        tag->setTagUsed(true);
        store->tagManager().allAvailableTags()->append(tag);
        config->setGlobalKeyCombo(KeyCombo::withCarbonModifiers(Key::space, KeyCombo::optionKey));
        config->setWindowViewStyle(1);
        config->setClickType(1);
        config->setSearchForTags(false);
        config->setShowPathInMainView(false);
        config->setEntryBackgroundAlphaValue(0.4f);
        config->setCustomSpotlightSearchScope({QStringLiteral("/opt/x")});
        config->setAlternateFolderBrowser(QStringLiteral("/usr/bin/thunar"));
        config->setHotkeyBorder(true);
        config->setMainWindowWidth(MainWindowWidth::with600);
        config->setMainWindowHeight(MainWindowHeight::height80);
    }

    // What an import must not touch when it fails.
    std::string snapshot()
    {
        const auto hotkey = config->globalKeyCombo();
        return (QStringList{entryNames(*store).join(QLatin1Char(';')), tagNames(*store).join(QLatin1Char(';')),
                            templateTitles(*urls).join(QLatin1Char(';')),
                            hotkey ? hotkey->debugDescription() : QStringLiteral("none"),
                            QString::number(config->windowViewStyle())})
            .join(QLatin1Char('\n'))
            .toStdString();
    }

    void expectIdle()
    {
        EXPECT_EQ(manager->state(), ExportImportManagerState::idle);
        EXPECT_TRUE(store->enableDataProxies());
    }

    std::unique_ptr<ExportImportManager> manager;
    QString exportPath;
};

TEST_F(ExportImportTest, TheExportFileIsAKeyedArchiveThatPlistlibReads)
{
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    expectIdle();
    const QString script = QStringLiteral(R"(
import plistlib, sys
def load(data):
    a = plistlib.loads(data)
    assert a["$archiver"] == "NSKeyedArchiver" and a["$version"] == 100000
    objs = a["$objects"]
    root = objs[a["$top"]["root"].data]
    return objs, root
objs, root = load(open(sys.argv[1], "rb").read())
print(objs[root["$class"].data]["$classname"])
print(",".join(k for k in root if k != "$class"))
for key in ["allDataArchive", "tagArchive", "urlTemplateArchive", "globalKeyCombo"]:
    uid = root[key].data
    if uid == 0:
        print(key, "null")
        continue
    inner_objs, inner_root = load(objs[uid])
    if "NS.objects" in inner_root:
        first = inner_objs[inner_root["NS.objects"][0].data]
        print(key, inner_objs[first["$class"].data]["$classname"], len(inner_root["NS.objects"]))
    else:
        print(key, inner_objs[inner_root["$class"].data]["$classname"])
print(type(root["entryBackgroundAlphaValue"]).__name__, type(root["windowViewStyle"]).__name__, type(root["searchForTags"]).__name__)
print(objs[root["mainWindowWidth"].data], objs[root["mainWindowHeight"].data])
)");
    const QStringList lines = runPython(script, {exportPath}).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 8);
    EXPECT_EQ(lines[0], QStringLiteral("Vantel.ExportImportData"));
    // All 19 keys, in the order the export encodes them.
    EXPECT_EQ(lines[1].toStdString(), std::string(
                            "allDataArchive,tagArchive,urlTemplateArchive,globalKeyCombo,windowViewStyle,clickType,"
                            "mainPopoverAnimated,alternateFolderBrowser,customSpotlightSearchScope,searchForComments,"
                            "searchForTags,selectingTagsInMainWindowLaunchAll,entryBackgroundAlphaValue,"
                            "useSmallModeInMainView,showPathInMainView,hotkeyBorder,translucentBackgroundRight,"
                            "mainWindowWidth,mainWindowHeight"));
    EXPECT_EQ(lines[2], QStringLiteral("allDataArchive Vantel.TableViewItem 2"));
    EXPECT_EQ(lines[3], QStringLiteral("tagArchive Vantel.iconTag 1"));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("urlTemplateArchive Vantel.urlTemplateData "))) << lines[4].toStdString();
    EXPECT_EQ(lines[5], QStringLiteral("globalKeyCombo Vantel.KeyCombo"));
    EXPECT_EQ(lines[6], QStringLiteral("float int bool"));
    EXPECT_EQ(lines[7], QStringLiteral("600px 80%"));

    // Without a hotkey the archive holds null under its key, and an import keeps the current hotkey.
    config->setGlobalKeyCombo(std::nullopt);
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    EXPECT_TRUE(runPython(script, {exportPath}).contains(QStringLiteral("globalKeyCombo null")));
    const auto current = KeyCombo::withCarbonModifiers(Key::j, KeyCombo::controlKey);
    config->setGlobalKeyCombo(current);
    ASSERT_TRUE(manager->importData().loadImportFile(exportPath));
    EXPECT_EQ(config->globalKeyCombo(), current);
}

// The termination switches the discovery off before its backup: the export
// must not switch it on again.
TEST_F(ExportImportTest, AnExportLeavesTheDataProxiesAsItFoundThem)
{
    fillProfile();
    store->setEnableDataProxies(false);
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    EXPECT_FALSE(store->enableDataProxies());
    store->setEnableDataProxies(true);
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    EXPECT_TRUE(store->enableDataProxies());
}

TEST(ExportImportDataTest, MissingAndMistypedKeysDecodeToTheirFallbacks)
{
    const auto empty = decodeRoot({});
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->allDataArchive || empty->allTagsArchive || empty->urlTemplateArchive || empty->globalKeyCombo);
    EXPECT_EQ(empty->windowViewStyle, 0);
    EXPECT_FALSE(empty->searchForComments || empty->searchForTags || empty->showPathInMainView);
    EXPECT_EQ(empty->entryBackgroundAlphaValue, 0.0f);
    EXPECT_TRUE(empty->alternateFolderBrowser.isEmpty() && empty->customSpotlightSearchScope.isEmpty());
    EXPECT_EQ(empty->mainWindowWidth, MainWindowWidth::with700);
    EXPECT_EQ(empty->mainWindowHeight, MainWindowHeight::height70);

    const auto mistyped = decodeRoot([](platform::KeyedArchiver& coder) {
        coder.encodeObject(QVariant(), QStringLiteral("allDataArchive"));
        coder.encodeObject(42, QStringLiteral("alternateFolderBrowser"));
        coder.encodeObject(QStringLiteral("/opt"), QStringLiteral("customSpotlightSearchScope"));
        coder.encodeObject(QStringLiteral("123px"), QStringLiteral("mainWindowWidth"));
        coder.encodeObject(QStringLiteral("71%"), QStringLiteral("mainWindowHeight"));
        coder.encodeObject(QStringLiteral("data?"), QStringLiteral("tagArchive"));
    });
    ASSERT_TRUE(mistyped);
    EXPECT_FALSE(mistyped->allDataArchive);
    EXPECT_FALSE(mistyped->allTagsArchive);
    EXPECT_TRUE(mistyped->alternateFolderBrowser.isEmpty());
    EXPECT_TRUE(mistyped->customSpotlightSearchScope.isEmpty());
    EXPECT_EQ(mistyped->mainWindowWidth, MainWindowWidth::with700);
    EXPECT_EQ(mistyped->mainWindowHeight, MainWindowHeight::height70);
}

TEST_F(ExportImportTest, ImportingIntoAnEmptyProfileGivesTheSameConfiguration)
{
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    const std::string exported = snapshot();
    const bool searchForTags = config->searchForTags();
    const float alpha = config->entryBackgroundAlphaValue();

    // A new profile: its own settings file, store and templates.
    manager.reset();
    store = std::make_unique<DataStorage>();
    urls = std::make_unique<URLManager>();
    settingsPath = dir + QStringLiteral("/other.plist");
    reopen();
    config->loadConfig();
    manager = std::make_unique<ExportImportManager>(*config);
    store->moveEntryToTrash(QString(), false);

    ASSERT_TRUE(manager->importData().loadImportFile(exportPath));
    expectIdle();
    EXPECT_EQ(snapshot(), exported);
    EXPECT_EQ(config->searchForTags(), searchForTags);
    EXPECT_FLOAT_EQ(config->entryBackgroundAlphaValue(), alpha);
    EXPECT_FALSE(config->showPathInMainView());
    EXPECT_TRUE(config->hotkeyBorder());
    EXPECT_EQ(config->mainWindowWidth(), MainWindowWidth::with600);
    EXPECT_EQ(config->mainWindowHeight(), MainWindowHeight::height80);
    EXPECT_EQ(config->customSpotlightSearchScope(), QStringList{QStringLiteral("/opt/x")});
    EXPECT_TRUE(store->trashData().isEmpty());
    EXPECT_TRUE(dialogs->alerts().isEmpty());

    // And it was saved: a relaunch of the new profile has it.
    reopen();
    config->loadConfig();
    EXPECT_EQ(snapshot(), exported);
}

TEST_F(ExportImportTest, ABrokenFileChangesNothingAndKeepsItsBytes)
{
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    QFile file(exportPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    store->allData()->append(TableViewItem::initForURL(QStringLiteral("https://example.org/c"), QStringLiteral("c"),
                                                       QStringLiteral("only here"), ListviewItemSource::other));
    const std::string before = snapshot();

    const auto writeFile = [this](const QByteArray& bytes) {
        QFile out(exportPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    };
    const QList<QByteArray> broken{
        whole.left(whole.size() / 2),
        QByteArrayLiteral("Name,Path\nnot,an archive\n"),
        platform::KeyedArchiver::archivedData(std::make_shared<KeyCombo>(*KeyCombo::withCarbonModifiers(Key::a, KeyCombo::commandKey))),
    };
    int round = 0;
    for (const QByteArray& bytes : broken) {
        SCOPED_TRACE(round++);
        dialogs->clear();
        const int asideBefore = keptAside().size();
        writeFile(bytes);
        EXPECT_FALSE(manager->importData().loadImportFile(exportPath));
        EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("The configuration could not be imported")});
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(keptAside().size(), asideBefore + 1);
        expectIdle();
    }

    // Over 64 MiB: refused before it is read.
    dialogs->clear();
    writeFile(QByteArray());
    ASSERT_TRUE(QFile::resize(exportPath, (64ll << 20) + 1));
    EXPECT_FALSE(manager->importData().loadImportFile(exportPath));
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_TRUE(dialogs->alerts().first().informativeText.contains(QStringLiteral("64 MiB")));
    EXPECT_EQ(snapshot(), before);
    expectIdle();
}

TEST_F(ExportImportTest, ADamagedInnerArchiveKeepsItsListAndTheRestApplies)
{
    fillProfile();
    ExportImportData data;
    data.allDataArchive = QByteArrayLiteral("bplist00 broken entries");
    data.allTagsArchive = platform::KeyedArchiver::archivedData(QVariant(QVariantList{}));
    data.windowViewStyle = 0;
    data.searchForTags = true;
    const QByteArray bytes = platform::KeyedArchiver::archivedData(std::make_shared<ExportImportData>(data));
    QFile out(exportPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    const QStringList entriesBefore = entryNames(*store);

    EXPECT_TRUE(manager->importData().loadImportFile(exportPath)) << alertMessages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("Error loading data")});
    EXPECT_EQ(entryNames(*store), entriesBefore);
    EXPECT_EQ(config->windowViewStyle(), 0);
    EXPECT_TRUE(config->searchForTags());
    EXPECT_EQ(keptAside().size(), 1);
    expectIdle();
}

TEST_F(ExportImportTest, TheCommandsSayWhenTheyDoNothing)
{
    // An empty catalogue: the confirmed panel gets a message, and no file is written.
    dialogs->queueSavePanelResponse(dir + QStringLiteral("/chosen"));
    manager->exportData().exportDataToFile();
    ASSERT_EQ(dialogs->savePanels().size(), 1);
    EXPECT_EQ(dialogs->savePanels().first().allowedFileTypes, QStringList{QStringLiteral("Vantel_ExportData")});
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/chosen.Vantel_ExportData")));
    EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("Nothing was exported: the catalogue holds no entries.")});

    // Declining the warning imports nothing; Cancel comes first and is the default.
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    store->allData()->removeAll();
    dialogs->clear();
    dialogs->queueOpenPanelResponse({exportPath});
    dialogs->queueAlertResponse(0);
    manager->importData().importDataFromFile();
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_EQ(dialogs->alerts().first().buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}));
    EXPECT_EQ(dialogs->alerts().first().defaultButton, 0);
    EXPECT_EQ(store->allData()->count(), 0);

    dialogs->clear();
    dialogs->queueOpenPanelResponse({exportPath});
    dialogs->queueAlertResponse(1);
    manager->importData().importDataFromFile();
    EXPECT_EQ(store->allData()->count(), 2);
    expectIdle();
}

TEST_F(ExportImportTest, AnExportOnAFullDiskKeepsTheOldFileAndSaysSo)
{
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    const QByteArray before = readFile(exportPath);
    config->setAlternateFolderBrowser(QStringLiteral("/usr/bin/") + QString(4096, QLatin1Char('x')));
    {
        FileSizeLimit full(rlim_t(before.size()));
        EXPECT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::failed);
    }
    EXPECT_EQ(readFile(exportPath), before);
    EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("Failed to save configuration to file!")});
    EXPECT_TRUE(QDir(dir).entryList({QStringLiteral("*.saving-*")}, QDir::Files).isEmpty());
    expectIdle();
}

TEST_F(ExportImportTest, AnImportBacksUpWhatItReplaces)
{
    fillProfile();
    ASSERT_EQ(manager->exportData().exportAll(exportPath, false), ExportData::Outcome::written);
    const std::string exported = snapshot();
    store->allData()->append(TableViewItem::initForURL(QStringLiteral("https://example.org/late"), QStringLiteral("late"),
                                                       QStringLiteral("added after the export"),
                                                       ListviewItemSource::other));
    const std::string beforeImport = snapshot();
    ASSERT_TRUE(manager->exportVersionedBackup().listBackupFiles()->isEmpty());

    ASSERT_TRUE(manager->importData().loadImportFile(exportPath));
    EXPECT_EQ(snapshot(), exported);
    expectIdle();
    const auto backups = manager->exportVersionedBackup().listBackupFiles();
    ASSERT_EQ(backups->size(), 1);
    // Restoring that backup gives back the state the import replaced.
    ASSERT_TRUE(manager->importData().loadImportFile(backups->first()));
    EXPECT_EQ(snapshot(), beforeImport);
}

TEST_F(ExportImportTest, ABackupIsWrittenOnlyWhenSomethingOfTheUsersChanged)
{
    ExportVersionedBackup& backups = manager->exportVersionedBackup();
    // Only discovered applications, nothing of the user's: no backup.
    store->allData()->append(TableViewItem::initForSpotlightApp(QStringLiteral("/usr/share/applications/x.desktop"),
                                                                QStringLiteral("x")));
    EXPECT_FALSE(backups.createBackup());

    fillProfile();
    const auto first = backups.createBackup();
    ASSERT_TRUE(first);
    EXPECT_FALSE(backups.createBackup()) << "nothing changed since the newest backup";
    config->setClickType(0);
    const auto second = backups.createBackup();
    ASSERT_TRUE(second);
    EXPECT_EQ(*backups.listBackupFiles(), (QStringList{*second, *first}));
    expectIdle();
}

} // namespace vantel::test
