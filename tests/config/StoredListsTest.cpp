#include "ConfigTestSupport.h"

#include "platform/KeyedArchiver.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>

namespace vantel::test {

namespace {

TableViewItemPtr urlEntry(const QString& name, const QStringList& tags = {}, const QString& comment = {})
{
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/") + name, name, comment,
                                           ListviewItemSource::spotlight);
    entry->setTags(tags);
    return entry;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    // The termination save drops tags no entry uses.
    store->tagManager().allAvailableTags()->forEach([](const iconTagPtr& tag) {
        tag->setTagUsed(tag->tagName() == QStringLiteral("Work"));
    });
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

TEST_F(ConfigTest, AnUnreadableListIsKeptAsideAndAWrongRootIsIgnored)
{
    const QByteArray damaged = QByteArrayLiteral("bplist00\x01\x02 damaged");
    defaults->setData(damaged, QStringLiteral("TagData"));
    defaults->setData(platform::KeyedArchiver::archivedData(QVariant(QStringLiteral("not a list"))),
                      QStringLiteral("ApplicationData"));
    defaults->setData(damaged, QStringLiteral("urlTemplateData"));
    config->loadConfig();

    EXPECT_EQ(store->tagManager().allAvailableTags()->count(), 0);
    EXPECT_EQ(store->allData()->count(), 0);
    EXPECT_TRUE(urls->urlTemplates().isEmpty()); // not the built-in ones: the key was there
    EXPECT_EQ(alertMessages(),
              (QStringList{QStringLiteral("Error loading data"), QStringLiteral("Error loading urlTemplates from UserDefaults")}));
    EXPECT_FALSE(defaults->contains(QStringLiteral("TagData")));
    EXPECT_FALSE(defaults->contains(QStringLiteral("urlTemplateData")));
    EXPECT_TRUE(defaults->contains(QStringLiteral("ApplicationData")));
    EXPECT_EQ(keptAside(QStringLiteral("TagData")).size(), 1);
    EXPECT_EQ(keptAside(QStringLiteral("urlTemplateData")).size(), 1);
    EXPECT_TRUE(dialogs->alerts().first().informativeText.contains(QStringLiteral("/Backup/TagData-")));
    EXPECT_TRUE(store->enableDataProxies());
}

} // namespace vantel::test
