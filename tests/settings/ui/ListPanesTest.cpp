#include "SettingsTestSupport.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "access/URLManager.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "markdown/view/MarkdownResources.h"
#include "platform/Bookmark.h"
#include "settings/ui/ConfigViewControllerSandboxAccess.h"
#include "settings/ui/ConfigViewControllerSearchScope.h"
#include "settings/ui/ConfigViewControllerURLTemplates.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QItemSelectionModel>
#include <QListView>
#include <QTableView>
#include <QToolButton>

namespace vantel {
namespace {

using Status = SearchScopeEntryForConfig::Status;

class ListPanesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = SandboxFileAccessPersistDictionary::create(test::makeTempDir(QStringLiteral("bookmarks"))
                                                           + QStringLiteral("/Bookmarks.dict"));
        access = std::make_unique<SandboxFileAccess>(store);
        config.setCustomSpotlightSearchScope({});
    }
    void TearDown() override { config.setCustomSpotlightSearchScope({}); }

    void show(platform::ViewControllerBase& pane)
    {
        host.setContentViewController(&pane);
        host.showWindow();
    }
    static QStringList paths(const QList<QUrl>& urls)
    {
        QStringList out;
        for (const QUrl& url : urls)
            out << QDir::cleanPath(url.toLocalFile());
        return out;
    }
    static void select(QAbstractItemView* view, int row)
    {
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    Configuration& config = AppDelegate::shared().config();
    std::shared_ptr<SandboxFileAccessPersistDictionary> store;
    std::unique_ptr<SandboxFileAccess> access;
    platform::WindowHost host;
};

TEST_F(ListPanesTest, DefaultScopesAreGreyAndCanBeNeitherSelectedNorRemoved)
{
    const QStringList defaults = config.spotlightDefaultSearchScope();
    ASSERT_FALSE(defaults.isEmpty());
    ConfigViewControllerSearchScope pane(config, *access);
    show(pane);
    ASSERT_EQ(pane.searchScopesForConfig().size(), defaults.size());
    QListView* list = pane.tableViewSpotlightSearchScope();
    for (int row = 0; row < defaults.size(); ++row) {
        EXPECT_EQ(pane.searchScopesForConfig()[row].status, Status::readOnly);
        EXPECT_FALSE(list->model()->flags(list->model()->index(row, 0)) & Qt::ItemIsSelectable);
    }
    select(list, 0);
    EXPECT_FALSE(pane.removeButton()->isEnabled());

    // A default scope added again changes nothing and posts nothing.
    test::PostedNames names({QStringLiteral("customSpotlightSearchScopeChanged")});
    pane.addScopes(defaults.first());
    EXPECT_TRUE(config.customSpotlightSearchScope().isEmpty());
    EXPECT_TRUE(names.posted.isEmpty());
    EXPECT_FALSE(pane.markDownTextView()->toPlainText().isEmpty());
}

TEST_F(ListPanesTest, AUserScopeIsAddedOnceRemovedThroughTheNotificationAndShowsItsState)
{
    const QString folder = test::makeTempDir(QStringLiteral("more-apps"));
    ConfigViewControllerSearchScope pane(config, *access);
    show(pane);
    const qsizetype defaults = pane.searchScopesForConfig().size();

    test::PostedNames names({QStringLiteral("customSpotlightSearchScopeChanged")});
    pane.addScopes(folder);
    pane.addScopes(folder);
    EXPECT_EQ(config.customSpotlightSearchScope(), QStringList{folder});
    EXPECT_EQ(names.posted.size(), 1);
    ASSERT_EQ(pane.searchScopesForConfig().size(), defaults + 1);
    EXPECT_EQ(pane.searchScopesForConfig().last().status, Status::accessible);
    // A grant was stored for it.
    EXPECT_TRUE(store->bookmarkData(QUrl::fromLocalFile(folder)));

    // A folder gone since shows as unreachable.
    const QString gone = folder + QStringLiteral("-gone");
    EXPECT_EQ(pane.refreshStatus(gone, false), Status::unreachable);

    // Remove: one notification, the row goes through the observer.
    QListView* list = pane.tableViewSpotlightSearchScope();
    select(list, static_cast<int>(defaults));
    EXPECT_TRUE(pane.removeButton()->isEnabled());
    pane.removeButton()->click();
    EXPECT_TRUE(config.customSpotlightSearchScope().isEmpty());
    EXPECT_EQ(names.posted.size(), 2);
    EXPECT_EQ(pane.searchScopesForConfig().size(), defaults);

    // With the window closed the list waits for the next appearance.
    host.close();
    config.setCustomSpotlightSearchScope({folder});
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("customSpotlightSearchScopeChanged"));
    EXPECT_EQ(pane.searchScopesForConfig().size(), defaults);
    host.showWindow();
    EXPECT_EQ(pane.searchScopesForConfig().size(), defaults + 1);
}

TEST_F(ListPanesTest, FolderAccessListsGrantsSortedAndRemovesOnlyTheExactOne)
{
    const QString parent = test::makeTempDir(QStringLiteral("grants"));
    const QString child = parent + QStringLiteral("/inner");
    QDir().mkpath(child);
    ConfigViewControllerSandboxAccess pane(store);
    show(pane);
    EXPECT_EQ(pane.tableViewSandboxAccess()->model()->rowCount(), 0);
    EXPECT_FALSE(pane.removeButton()->isEnabled());

    pane.addBookmark(child);
    pane.addBookmark(parent);
    pane.addBookmark(parent);
    // A folder before its subfolders, each once.
    EXPECT_EQ(paths(pane.tableViewContent()), (QStringList{parent, child}));
    EXPECT_TRUE(pane.tableViewSandboxAccess()->model()->index(0, 0).data(SandboxAccessModel::validRole).toBool());

    // A file that does not exist gets no grant.
    pane.addBookmark(parent + QStringLiteral("/missing"));
    EXPECT_EQ(pane.tableViewContent().size(), 2);

    select(pane.tableViewSandboxAccess(), 1);
    EXPECT_TRUE(pane.removeButton()->isEnabled());
    pane.removeButton()->click();
    EXPECT_EQ(paths(pane.tableViewContent()), QStringList{parent});

    // A grant whose folder has gone is shown as such.
    QDir(parent).removeRecursively();
    pane.reloadBookmarks();
    EXPECT_FALSE(pane.tableViewSandboxAccess()->model()->index(0, 0).data(SandboxAccessModel::validRole).toBool());

    // Closed, the pane does not follow the store.
    host.close();
    store->clearBookmark(QUrl::fromLocalFile(parent));
    EXPECT_EQ(pane.tableViewContent().size(), 1);
}

TEST_F(ListPanesTest, IncompleteTemplatesAreDroppedWhenThePaneLeaves)
{
    URLManager urls;
    urls.urlTemplates().append(std::make_shared<urlTemplateData>(QStringLiteral("Search"),
                                                                 QStringLiteral("https://search.example/?q=%%userInput:Query%%")));
    ConfigViewControllerURLTemplates pane(urls);
    show(pane);
    EXPECT_TRUE(pane.removeButton()->isEnabled());
    EXPECT_EQ(pane.model()->rowCount(), 1);

    pane.addTemplate();
    pane.addTemplate();
    ASSERT_EQ(urls.urlTemplates().size(), 3);
    pane.tableviewURLTemplates()->closePersistentEditor(pane.tableviewURLTemplates()->currentIndex());
    // Edits reach the template object itself.
    pane.model()->setData(pane.model()->index(1, URLTemplatesModel::titleColumn), QStringLiteral("Title only"),
                          Qt::EditRole);
    pane.model()->setData(pane.model()->index(2, URLTemplatesModel::urlColumn), QString(5000, QLatin1Char('x')),
                          Qt::EditRole);
    EXPECT_EQ(urls.urlTemplates()[1]->title(), QStringLiteral("Title only"));
    EXPECT_EQ(urls.urlTemplates()[2]->value().size(), URLTemplatesModel::maxLength);

    host.close();
    ASSERT_EQ(urls.urlTemplates().size(), 1);
    EXPECT_EQ(urls.urlTemplates().first()->title(), QStringLiteral("Search"));

    // Removing the last leaves an empty table and a disabled button.
    host.showWindow();
    select(pane.tableviewURLTemplates(), 0);
    pane.removeButton()->click();
    EXPECT_TRUE(urls.urlTemplates().isEmpty());
    EXPECT_FALSE(pane.removeButton()->isEnabled());
    // Remove without a selection does nothing.
    pane.removeTemplate();
    host.close();
}

// The help beside a pane is the copy in the user's language, and the English
// one when that language has none.
TEST_F(ListPanesTest, TheHelpIsShownInTheUsersLanguage)
{
    const auto helpUnder = [&](const QLocale& locale) {
        QLocale::setDefault(locale);
        ConfigViewControllerSearchScope pane(config, *access);
        show(pane);
        const QString text = pane.markDownTextView()->toPlainText();
        host.close();
        return text;
    };
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_TRUE(helpUnder(german).startsWith(QStringLiteral("Suchbereich")));
    EXPECT_TRUE(helpUnder(german).contains(QStringLiteral("Desktop-Einträge")));
    EXPECT_TRUE(helpUnder(english).startsWith(QStringLiteral("Search scope")));

    // A German help missing: the English one, not an empty pane.
    const QString folder = test::makeTempDir(QStringLiteral("help-english-only"));
    QDir().mkpath(folder + QStringLiteral("/de.lproj"));
    QFile english_only(folder + QStringLiteral("/help_SearchScope.md"));
    ASSERT_TRUE(english_only.open(QIODevice::WriteOnly));
    english_only.write("# Only English\n\nNo translation yet.\n");
    english_only.close();
    MarkdownResources::setResourceFolder(folder);
    const QString fallback = helpUnder(german);
    MarkdownResources::setResourceFolder(QString());
    QLocale::setDefault(QLocale::system());
    EXPECT_TRUE(fallback.startsWith(QStringLiteral("Only English"))) << fallback.toStdString();
}

} // namespace
} // namespace vantel
