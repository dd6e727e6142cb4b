#include "ConfigTestSupport.h"

#include "access/SandboxFileAccessProtocol.h"
#include "config/ExportDiagnosticData.h"
#include "config/ExportImportManager.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"

#include <QUrl>

namespace vantel::test {

namespace {

// One bookmark whose data no longer resolves.
class OneBrokenBookmark final : public SandboxFileAccessProtocol {
public:
    void forEachBookmark(const std::function<void(const QUrl&, const QByteArray&)>& body) const override
    {
        body(QUrl::fromLocalFile(QStringLiteral("/srv/gone")), QByteArrayLiteral("not a bookmark"));
    }
    bool isBookmarkValid(const std::optional<QUrl>&) const override { return false; }
    std::optional<QByteArray> bookmarkData(const QUrl&) const override { return std::nullopt; }
    std::optional<std::pair<QUrl, QByteArray>> coveringBookmark(const QUrl&) const override { return std::nullopt; }
    void setBookmark(const QByteArray&, const QUrl&) override {}
    void clearBookmark(const QUrl&) override {}
    void saveBookmarks() override {}
    void loadBookmarks() override {}
    void removeInvalidBookmarks() override {}
    bool hasRootBookmark() const override { return false; }
};

} // namespace

TEST_F(ConfigTest, TheDiagnosticReportHasEverySectionWordForWord)
{
    config->loadConfig();
    config->setCustomSpotlightSearchScope({QStringLiteral("/opt/a"), QStringLiteral("/opt/b")});
    config->setGlobalKeyCombo(KeyCombo::withCarbonModifiers(Key::space, KeyCombo::commandKey));
    auto found = TableViewItem::initForURL(QStringLiteral("https://example.org/z"), QStringLiteral("Zed"), QString(),
                                           ListviewItemSource::spotlight);
    found->setTags({QStringLiteral("Work"), QStringLiteral("Home")});
    found->setLastUsedDate(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    auto made = TableViewItem::initForURL(QStringLiteral("https://example.org/a"), QStringLiteral("Alpha"), QString(),
                                          ListviewItemSource::other);
    made->setHotkey(KeyCombo::withCarbonModifiers(Key::a, KeyCombo::optionKey));
    store->allData()->appendContentsOf(QList<TableViewItemPtr>{found, made});
    auto shown = iconTag::create(QStringLiteral("Work"), QStringLiteral("icon_tags"));
    shown->setHotkey(KeyCombo::withCarbonModifiers(Key::w, KeyCombo::controlKey));
    shown->setTagVisible(true);
    auto hidden = iconTag::create(QStringLiteral("Home"), QStringLiteral("icon_tags"));
    hidden->setTagVisible(false);
    hidden->setHotkeyLaunchAll(KeyCombo::withCarbonModifiers(Key::h, KeyCombo::controlKey));
    store->tagManager().allAvailableTags()->appendContentsOf(QList<iconTagPtr>{shown, hidden});
    store->tagManager().rebuildVisibleTags();

    ExportDiagnosticData report(*config, std::make_shared<OneBrokenBookmark>());
    report.addAppInfo();
    report.addConfiguration();
    report.addSearchScopes();
    report.addSpotlightData();
    report.addMainDatabase();
    report.addTags();
    report.addBookmarks();
    report.addHotkeys();

    const QString d(62, QLatin1Char('-'));
    QStringList scopes;
    if (const auto proxy = std::dynamic_pointer_cast<ProxySpotlightQueryFS>(store->proxySpotlightQueryFSAllApps()))
        for (const QString& scope : proxy->searchScopes())
            scopes.append(QStringLiteral("  ") + scope);
    QStringList expected{
        d, QStringLiteral("# Configuration"), d, QString(),
        QStringLiteral("  defaultMenubarIcon: statusbar-1"),
        QStringLiteral("  alternateFolderBrowser: "),
        QStringLiteral("  clickType: 0"),
        QStringLiteral("  showPathInMainView: true"),
        QStringLiteral("  debugLogging: false"),
        QStringLiteral("  useSmallModeInMainView: false"),
        QStringLiteral("  sidebarCategoriesShowNumberOfElementInSidebar: true"),
        QString(),
        QStringLiteral("  sidebarCategoriesShowActiveApplications: true"),
        QStringLiteral("  sidebarCategoriesShowFiles: true"),
        QStringLiteral("  sidebarCategoriesShowFolders: true"),
        QStringLiteral("  sidebarCategoriesShowFavorites: true"),
        QStringLiteral("  sidebarCategoriesShowRecentApplications: true"),
        QString(),
        QStringLiteral("  neverRemindMeRemoveTagDialog: false"),
        QStringLiteral("  neverRemindMeRenameTagDialog: false"),
        QString(),
        QStringLiteral("  searchForComments: true"),
        QStringLiteral("  searchForTags: true"),
        QString(),
        QStringLiteral("  customSpotlightSearchScope: /opt/a, /opt/b"),
        QString(),
        d, QStringLiteral("# SearchScopes"), d, QStringLiteral("SCOPES"), QString(),
        d, QStringLiteral("# SpotlightData"), d, QString(), QString(), QStringLiteral("Items: 0"), QString(), QString(),
        d, QStringLiteral("# Main-Database"), d, QString(),
        QString(), QStringLiteral("# Itemsource -> Spotlight (found and imported using Spotlight):"), QString(),
        QStringLiteral("  url -> [https://example.org/z]; Tags: [Work, Home] ; isVisible: true ; isReachable: true ; "
                       "Hotkey:  ; LastUsed: 2026-01-02 03:04:05 +0000"),
        QString(), QStringLiteral("Items: 1"), QString(), QString(), QString(),
        QStringLiteral("No items of type Shortcuts available"), QString(),
        QString(), QStringLiteral("# Itemsource -> Other (manually added items):"), QString(),
        QStringLiteral("  url -> [https://example.org/a]; Tags: [] ; isVisible: true ; isReachable: true ; "
                       "Hotkey: Alt A ; LastUsed: -"),
        QString(), QStringLiteral("Items: 1"), QString(), QString(), QString(),
        QString(), QStringLiteral("# Itemsource -> Tags (automatically created from the used tags):"), QString(),
        QStringLiteral("  tag -> [Work]; Tags: [] ; isVisible: true ; isReachable: true ; Hotkey:  ; LastUsed: -"),
        QString(), QStringLiteral("Items: 1"), QString(), QString(), QString(),
        d, QStringLiteral("# Tags"), d, QString(),
        QStringLiteral("[Work] -> Symbol: icon_tags; Used: false; Use-Counter: 0; View-Hotkey: Super W; Launch-Hotkey: "),
        QStringLiteral("[Home] -> Symbol: icon_tags; Used: false; Use-Counter: 0; View-Hotkey: ; Launch-Hotkey: Super H"),
        QString(), QStringLiteral("Items: 2"), QString(), QString(),
        d, QStringLiteral("# Bookmarks"), d, QString(),
        QStringLiteral("  key: [file:///srv/gone] -> unable to resolve BookmarkData!"),
        QString(),
        d, QStringLiteral("# Hotkeys"), d, QString(),
        QStringLiteral("Global:"), QStringLiteral("  Hotkey to show the main window -> Ctrl SPACE"), QString(),
        QStringLiteral("Hotkeys for categories:"), QString(),
        QStringLiteral("Hotkeys for entries:"), QStringLiteral("  [Alpha] -> Alt A"), QString(),
        QStringLiteral("Hotkeys to show a tag:"), QStringLiteral("  [Work] -> Super W"), QString(),
        QStringLiteral("Hotkeys to launch all entries of a tag:"), QString(),
    };
    const auto at = expected.indexOf(QStringLiteral("SCOPES"));
    expected.removeAt(at);
    for (qsizetype i = 0; i < scopes.size(); ++i)
        expected.insert(at + i, scopes[i]);
    const QStringList lines = report.exportData();
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("AppName: ")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Version: ")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Build: ")));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines.mid(4).join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());

    // Written as UTF-8 with no line feed after the last line; a failed write is shown.
    QString error;
    const QString path = dir + QStringLiteral("/report.txt");
    ASSERT_TRUE(report.writeToFile(path, &error));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), report.text());
    dialogs->queueSavePanelResponse(dir + QStringLiteral("/no/such/folder/report"));
    report.saveToFile();
    EXPECT_TRUE(dialogs->savePanels().last().nameFieldStringValue.endsWith(QStringLiteral(".txt")))
        << "the panel proposes a text file's name";
    ASSERT_EQ(dialogs->alerts().size(), 1);
    EXPECT_TRUE(dialogs->alerts().first().messageText.startsWith(QStringLiteral("Error on writing strings to file: ")));
}

// Run only under a German locale: the save panels propose German file names.
using GermanExportNames = ConfigTest;

TEST_F(GermanExportNames, TheSavePanelsProposeGermanFileNames)
{
    config->loadConfig();
    ExportImportManager manager(*config);
    for (int i = 0; i < 3; ++i)
        dialogs->queueSavePanelCancel();
    ExportDiagnosticData(*config, std::make_shared<OneBrokenBookmark>()).saveToFile();
    manager.exportData().exportDataToFile();
    manager.exportData().exportDataAsCSV(SynchronizedArray<TableViewItemPtr>::create());
    QStringList proposed;
    for (const auto& panel : dialogs->savePanels())
        proposed << panel.nameFieldStringValue;
    EXPECT_EQ(proposed.join(u'|').toStdString(),
              "Vantel-Diagnosedaten.txt|Vantel-Konfiguration.Vantel_ExportData|Vantel-Einträge.csv");
}

} // namespace vantel::test
