#include "ConfigTestSupport.h"

#include "access/URLParams.h"
#include "config/ExportData.h"
#include "config/ExportImportManager.h"
#include "platform/KeyedArchiver.h"
#include "platform/XdgPaths.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantel::test {

namespace {

TableViewItemPtr urlEntry(const QString& name, const QStringList& tags = {}, const QString& comment = {})
{
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/") + name, name, comment,
                                           ListviewItemSource::spotlight);
    entry->setTags(tags);
    return entry;
}

QStringList keptAside(const QString& prefix)
{
    return QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup"))
        .entryList({prefix + QStringLiteral("-*.unreadable")}, QDir::Files);
}

} // namespace

TEST_F(ConfigTest, StoredListsKeepWhatCarriesTheUsersOwnAndStayDeleted)
{
    config->loadConfig();
    store->allData()->append(urlEntry(QStringLiteral("plain")));
    store->allData()->append(urlEntry(QStringLiteral("tagged"), {QStringLiteral("Work")}));
    auto kept = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_star"));
    kept->setTagUsed(true);
    auto unused = iconTag::create(QStringLiteral("Old"), QStringLiteral("icon_star"));
    store->tagManager().allAvailableTags()->appendContentsOf(QList<iconTagPtr>{kept, unused});
    config->saveConfig(false);

    reopen();
    config->loadConfig();
    ASSERT_EQ(store->allData()->count(), 1);
    EXPECT_EQ(store->allData()->first().value()->name(), QStringLiteral("tagged"));
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 2); // the timed save keeps unused tags

    // Before a rebuild judged them (a quit during the launch), every loaded
    // tag reads as unused: the termination save keeps them all, and so does
    // an export that removes unused tags.
    config->saveConfig(true);
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 2);
    ExportImportManager manager(*config);
    ASSERT_EQ(manager.exportData().exportAll(dir + QStringLiteral("/pruning.Vantel_ExportData"), true),
              ExportData::Outcome::written);
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 2);

    // Once judged, the termination save drops tags no entry uses.
    store->validateData();
    config->saveConfig(true);
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 1);

    // Removing the last tag with settings, and every template, stays so after a relaunch.
    store->tagManager().allAvailableTags()->removeAll();
    urls->urlTemplates().clear();
    config->saveConfig(false);
    reopen();
    config->loadConfig();
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 0);
    EXPECT_TRUE(urls->urlTemplates().isEmpty());

    // An empty catalogue at save time is one that was never filled: the stored list stays.
    store->allData()->removeAll();
    config->saveConfig(false);
    reopen();
    config->loadConfig();
    EXPECT_EQ(store->allData()->count(), 1);
    EXPECT_TRUE(dialogs->alerts().isEmpty());
}

TEST_F(ConfigTest, BeforeAnyLoadASaveWritesNothing)
{
    config->loadConfig();
    auto tag = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_star"));
    store->tagManager().allAvailableTags()->append(tag);
    config->saveConfig(false);
    const auto storedTags = defaults->dataForKey(QStringLiteral("TagData"));
    const auto storedTemplates = defaults->dataForKey(QStringLiteral("urlTemplateData"));
    ASSERT_TRUE(storedTags && storedTemplates);

    config->setMenubarIcon(QStringLiteral("statusbar-3"));
    config->setGlobalKeyCombo(KeyCombo::withCarbonModifiers(Key::space, KeyCombo::commandKey));
    config->saveConfig(false);
    const QByteArray file = readFile(settingsPath);

    store->tagManager().allAvailableTags()->removeAll();
    urls->urlTemplates().clear();
    // Nothing loaded in this object yet: its fields are defaults, not the
    // user's settings, whichever save asks (a checkpoint, the termination).
    reopen();
    config->saveConfig(true);
    config->saveConfigNow();
    EXPECT_EQ(readFile(settingsPath), file);
    reopen();
    config->loadConfig();
    EXPECT_EQ(config->menubarIcon(), QStringLiteral("statusbar-3"));
    EXPECT_TRUE(config->globalKeyCombo().has_value());
    EXPECT_EQ(defaults->dataForKey(QStringLiteral("TagData")), storedTags);
    EXPECT_EQ(defaults->dataForKey(QStringLiteral("urlTemplateData")), storedTemplates);
}

// Run only under a German locale: the alerts of loading and saving are the
// user's, in the user's language; the log lines stay English.
using GermanStoredLists = ConfigTest;

TEST_F(GermanStoredLists, TheAlertsOfADamagedListAreGerman)
{
    defaults->setData(QByteArrayLiteral("bplist00\x01\x02 damaged"), QStringLiteral("urlTemplateData"));
    config->loadConfig();
    const auto alerts = allAlerts();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().messageText, QStringLiteral("Fehler beim Laden der URL-Vorlagen aus den Einstellungen"));
    EXPECT_TRUE(alerts.first().informativeText.startsWith(QStringLiteral("Fehler: Konfiguration\nDie unlesbaren Daten "
                                                                         "wurden in ")))
        << alerts.first().informativeText.toStdString();
}

// The built-in templates are made in the user's language, their questions
// still placeholders; templates already stored keep their titles.
TEST_F(GermanStoredLists, BuiltInTemplatesAreMadeInGermanAndStoredOnesStayAsTheyAre)
{
    config->loadConfig();
    QStringList titles;
    QStringList questions;
    const QRegularExpression question = regularExpression(URLParams::userInput);
    for (const auto& made : urls->urlTemplates()) {
        titles << made->title();
        if (made->value().contains(QStringLiteral("%%userInput"))) {
            const auto match = question.match(made->value());
            EXPECT_TRUE(match.hasMatch()) << made->value().toStdString();
            questions << match.captured(QStringLiteral("question"));
        }
    }
    ASSERT_EQ(titles.size(), 13);
    EXPECT_TRUE(titles.contains(QStringLiteral("E-Mail senden"))) << titles.join(u'|').toStdString();
    EXPECT_TRUE(titles.contains(QStringLiteral("Anrufen")));
    EXPECT_TRUE(questions.contains(QStringLiteral("In Wikipedia suchen"))) << questions.join(u'|').toStdString();
    EXPECT_TRUE(questions.contains(QStringLiteral("Ort suchen")));

    urls->urlTemplates() = {std::make_shared<urlTemplateData>(QStringLiteral("Send Mail"), QStringLiteral("mailto:a@b.example"))};
    config->saveConfig(false);
    reopen();
    config->loadConfig();
    ASSERT_EQ(urls->urlTemplates().size(), 1);
    EXPECT_EQ(urls->urlTemplates().first()->title(), QStringLiteral("Send Mail"));
}

TEST_F(ConfigTest, AnUnreadableListOrOneOfAnotherKindIsKeptAsideAndToldAfterTheLaunch)
{
    const QByteArray damaged = QByteArrayLiteral("bplist00\x01\x02 damaged");
    const QByteArray otherKind = platform::KeyedArchiver::archivedData(QVariant(QStringLiteral("not a list")));
    defaults->setData(damaged, QStringLiteral("TagData"));
    defaults->setData(otherKind, QStringLiteral("ApplicationData"));
    defaults->setData(damaged, QStringLiteral("urlTemplateData"));
    config->loadConfig();

    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 0);
    EXPECT_EQ(store->allData()->count(), 0);
    EXPECT_TRUE(urls->urlTemplates().isEmpty()); // not the built-in ones: the key was there
    EXPECT_TRUE(dialogs->alerts().isEmpty()) << "no alert runs while loading";
    EXPECT_EQ(alertMessages(), (QStringList{QStringLiteral("Error loading data"), QStringLiteral("Error loading data"),
                                            QStringLiteral("Error loading urlTemplates from UserDefaults")}));
    EXPECT_FALSE(defaults->contains(QStringLiteral("TagData")));
    EXPECT_FALSE(defaults->contains(QStringLiteral("urlTemplateData")));
    EXPECT_EQ(keptAside(QStringLiteral("TagData")).size(), 1);
    EXPECT_EQ(keptAside(QStringLiteral("urlTemplateData")).size(), 1);
    ASSERT_EQ(keptAside(QStringLiteral("ApplicationData")).size(), 1);
    EXPECT_EQ(readFile(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup/")
                       + keptAside(QStringLiteral("ApplicationData")).first()),
              otherKind);
    EXPECT_TRUE(allAlerts().at(1).informativeText.contains(QStringLiteral("/Backup/TagData-")));
    EXPECT_TRUE(store->enableDataProxies());
}

TEST_F(ConfigTest, EntriesOfAnotherClassAreKeptAsideAndTheRestLoads)
{
    QVariantList mixed{QVariant::fromValue(platform::ArchivablePtr(urlEntry(QStringLiteral("kept"), {}, QStringLiteral("c")))),
                       QVariant(QStringLiteral("a stray string"))};
    const QByteArray bytes = platform::KeyedArchiver::archivedData(QVariant(mixed));
    defaults->setData(bytes, QStringLiteral("ApplicationData"));
    config->loadConfig();
    ASSERT_EQ(store->allData()->count(), 1);
    EXPECT_EQ(store->allData()->first().value()->name(), QStringLiteral("kept"));
    ASSERT_EQ(keptAside(QStringLiteral("ApplicationData")).size(), 1);
    EXPECT_EQ(alertMessages(), QStringList{QStringLiteral("Error loading data")});
    EXPECT_FALSE(config->mayPruneUnusedTags());
}

TEST_F(ConfigTest, WhenTheEntriesCouldNotBeReadNoTagIsPrunedAsUnused)
{
    config->loadConfig();
    auto tag = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_star"));
    store->tagManager().allAvailableTags()->append(tag);
    store->allData()->append(urlEntry(QStringLiteral("mail"), {QStringLiteral("Work")}, QStringLiteral("c")));
    config->saveConfig(false);

    // The entry list is damaged on disk: every tag now looks unused.
    defaults->setData(QByteArrayLiteral("bplist00 damaged"), QStringLiteral("ApplicationData"));
    ASSERT_TRUE(defaults->synchronize());
    reopen();
    config->loadConfig();
    for (const auto& loaded : store->tagManager().allAvailableTags()->snapshot())
        loaded->setTagUsed(false);
    config->saveConfig(true);
    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 1);
    reopen();
    config->loadConfig();
    ASSERT_EQ(store->tagManager().allAvailableTags()->count(), 1);
    EXPECT_EQ(store->tagManager().allAvailableTags()->first().value()->tagName(), QStringLiteral("Work"));
}

TEST_F(ConfigTest, AValueThatCannotBeKeptAsideIsNeverSavedOver)
{
    const QByteArray damaged = QByteArrayLiteral("bplist00 damaged tags, more than the limit allows");
    defaults->setData(damaged, QStringLiteral("TagData"));
    {
        FileSizeLimit full(8);
        config->loadConfig();
    }
    EXPECT_TRUE(keptAside(QStringLiteral("TagData")).isEmpty());
    EXPECT_TRUE(allAlerts().first().informativeText.contains(QStringLiteral("could not be kept")));
    store->tagManager().allAvailableTags()->append(iconTag::create(QStringLiteral("New"), QStringLiteral("icon_star")));
    config->saveConfig(true);
    EXPECT_EQ(defaults->dataForKey(QStringLiteral("TagData")), damaged);
}

// A hand-edited or damaged file can hold anything under the entry list's key:
// a list that was not read can't say which tags are used.
TEST_F(ConfigTest, AnEntryListOfTheWrongTypeKeepsEveryTagAndTheFileIsKeptAside)
{
    config->loadConfig();
    store->tagManager().allAvailableTags()->append(iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_star")));
    store->allData()->append(urlEntry(QStringLiteral("mail"), {QStringLiteral("Work")}, QStringLiteral("c")));
    config->saveConfig(false);
    const QString fileName = QFileInfo(defaults->filePath()).fileName();
    for (const QVariant& value : {QVariant(QStringLiteral("hand-edited")), QVariant(QVariantList{qint64(1)}),
                                  QVariant(QVariantMap{{QStringLiteral("a"), true}}), QVariant(qint64(7)), QVariant(true)}) {
        defaults->setObject(value, QStringLiteral("ApplicationData"));
        ASSERT_TRUE(defaults->synchronize());
        const QByteArray onDisk = readFile(defaults->filePath());
        QDir(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup")).removeRecursively();
        reopen();
        config->loadConfig();
        const QStringList aside = keptAside(fileName);
        ASSERT_EQ(aside.size(), 1) << value.typeName();
        EXPECT_EQ(readFile(platform::XdgPaths::documentsDir() + QStringLiteral("/Backup/") + aside.first()), onDisk);
        for (const auto& loaded : store->tagManager().allAvailableTags()->snapshot())
            loaded->setTagUsed(false);
        config->saveConfig(true); // the quit's save, pruning what looks unused
        reopen();
        config->loadConfig();
        EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 1) << value.typeName();
    }
}

} // namespace vantel::test
