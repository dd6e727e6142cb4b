#include "DatastoreTestSupport.h"

#include "datastore/DatastorageHandlerURLObjects.h"
#include "model/L10n.h"
#include "settings/ConfigViewControllerAddModifyURL.h"
#include "shell/VantelWindowEnum.h"

using namespace vantel;

namespace {

class PresentingController : public ViewController {
public:
    bool hasWindow() const override { return true; }
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override { presented.append(controller); }
    QList<std::shared_ptr<ViewController>> presented;
};

class PaneWindow : public WindowController {
public:
    explicit PaneWindow(std::shared_ptr<ViewController> content)
        : content_(std::move(content))
    {
    }
    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void showWindow(bool runModal) override
    {
        open = true;
        modal = runModal;
    }
    bool isWindowOpen() const override { return open; }
    void close() override { open = false; }
    bool open = false;
    bool modal = false;

private:
    std::shared_ptr<ViewController> content_;
};

class URLEntriesTest : public test::DatastoreTest {
protected:
    void TearDown() override
    {
        VantelWindowEnum::reset();
        test::DatastoreTest::TearDown();
    }

    DatastorageHandlerURLObjects& handler() { return store->URLHandler(); }

    unsigned add(const QString& url, const QString& title, const QString& comment = QString(),
                 const std::optional<QString>& tag = std::nullopt)
    {
        return toUInt(handler().addURLToDatabase(url, title, comment, tag));
    }
    unsigned modify(const TableViewItemPtr& entry, const QString& url, const QString& title, const QString& comment)
    {
        return toUInt(handler().modifyURLInDatabase(entry, url, title, comment));
    }

    int urlNotices() const { return static_cast<int>(posted.count(QStringLiteral("datastorageURLAddedOrModified"))); }

    // Registers the pane for the addOrModifyURL kind; each request makes a new one.
    void registerPane()
    {
        VantelWindowEnum::registerViewController(VantelWindowEnum::addOrModifyURL, [this] {
            auto pane = std::make_shared<ConfigViewControllerAddModifyURL>(*store);
            panes.append(pane);
            return pane;
        });
    }

    QList<std::shared_ptr<ConfigViewControllerAddModifyURL>> panes;
};

TEST_F(URLEntriesTest, AddAnswersEachRefusalWithItsCode)
{
    EXPECT_EQ(add(QStringLiteral("not a url"), QStringLiteral("x")), 2u);
    EXPECT_EQ(add(QStringLiteral("https://example.org/with space"), QStringLiteral("x")), 2u);
    EXPECT_EQ(add(QString(), QStringLiteral("x")), 2u);
    EXPECT_EQ(add(QStringLiteral("mailto:someone@example.org"), QStringLiteral(" \t")), 4u);
    EXPECT_TRUE(store->allData()->isEmpty());
    EXPECT_EQ(urlNotices(), 0);

    store->setState(DatastorageState::validateData);
    EXPECT_EQ(add(QStringLiteral("https://example.org"), QStringLiteral("Example")), 1u);
    store->setState(DatastorageState::idle);
    EXPECT_TRUE(store->allData()->isEmpty());
    EXPECT_TRUE(log.messages().contains(QStringLiteral(
        "! addURLToDatabase - Want to add entry to Database, but Database was not idle! Entry: https://example.org")));
}

TEST_F(URLEntriesTest, AddCreatesATrimmedEntryAndFallsBackToTheHost)
{
    EXPECT_EQ(add(QStringLiteral("https://example.org/docs"), QStringLiteral("  Docs\t"), QStringLiteral(" about \t"),
                  QStringLiteral("Work")),
              0u);
    const auto entry = store->entryForPath(QStringLiteral("https://example.org/docs"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), QStringLiteral("Docs"));
    EXPECT_EQ(entry->comment(), QStringLiteral("about"));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(entry->itemType(), ListviewItemType::url);
    EXPECT_EQ(entry->itemSource(), ListviewItemSource::other);
    EXPECT_EQ(postedAmong({QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}),
              (QStringList{QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageURLAddedOrModified")}));

    // No title: the host of the URL without its placeholders; an empty tag
    // is no tag.
    EXPECT_EQ(add(QStringLiteral("https://search.example.net/?q=%%userInput:Search term%%"), QString(), QString(), QString()), 0u);
    const auto search = store->entryForPath(QStringLiteral("https://search.example.net/?q=%%userInput:Search term%%"));
    ASSERT_TRUE(search);
    EXPECT_EQ(search->name(), QStringLiteral("search.example.net"));
    EXPECT_TRUE(search->tags().isEmpty());
}

TEST_F(URLEntriesTest, ADuplicateInAnyCaseIsRefusedOrGetsTheTag)
{
    ASSERT_EQ(add(QStringLiteral("https://example.org/Page"), QStringLiteral("Page")), 0u);
    const auto entry = store->entryForPath(QStringLiteral("https://example.org/Page"));
    posted.clear();

    EXPECT_EQ(add(QStringLiteral("HTTPS://EXAMPLE.ORG/page"), QStringLiteral("Other")), 3u);
    EXPECT_EQ(store->allData()->count(), 1);
    EXPECT_EQ(urlNotices(), 0);

    EXPECT_EQ(add(QStringLiteral("HTTPS://EXAMPLE.ORG/page"), QStringLiteral("Other"), QString(), QStringLiteral("Work")), 0u);
    EXPECT_EQ(store->allData()->count(), 1);
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(entry->name(), QStringLiteral("Page"));
    EXPECT_EQ(urlNotices(), 1);

    // The tag is there already: nothing to do, nothing announced.
    EXPECT_EQ(add(QStringLiteral("https://example.org/page"), QStringLiteral("x"), QString(), QStringLiteral("Work")), 0u);
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(urlNotices(), 1);
}

TEST_F(URLEntriesTest, ModifyAnswersCodesAndChangesOnlyWhenAllowed)
{
    ASSERT_EQ(add(QStringLiteral("https://example.org/a"), QStringLiteral("A"), QStringLiteral("first")), 0u);
    ASSERT_EQ(add(QStringLiteral("https://example.org/b"), QStringLiteral("B")), 0u);
    const auto a = store->entryForPath(QStringLiteral("https://example.org/a"));
    posted.clear();

    EXPECT_EQ(modify(a, QStringLiteral("https://example.org/a"), QStringLiteral("A"), QStringLiteral("first")), 5u);
    EXPECT_EQ(modify(a, QStringLiteral("https://example.org/a b"), QStringLiteral("A"), QString()), 2u);
    EXPECT_EQ(modify(a, QStringLiteral("https://example.org/a"), QString(), QString()), 4u);
    EXPECT_EQ(modify(a, QStringLiteral("HTTPS://example.org/B"), QStringLiteral("A"), QString()), 3u);
    EXPECT_EQ(a->path(), QStringLiteral("https://example.org/a"));
    EXPECT_EQ(a->comment(), QStringLiteral("first"));
    EXPECT_EQ(urlNotices(), 0);

    // Its own URL in other letter case is no duplicate.
    EXPECT_EQ(modify(a, QStringLiteral("https://example.org/A"), QStringLiteral("Alpha"), QStringLiteral("second")), 0u);
    EXPECT_EQ(a->path(), QStringLiteral("https://example.org/A"));
    EXPECT_EQ(a->name(), QStringLiteral("Alpha"));
    EXPECT_EQ(a->comment(), QStringLiteral("second"));
    EXPECT_EQ(store->entryForPath(QStringLiteral("https://example.org/a")), a);
    EXPECT_EQ(urlNotices(), 1);
}

TEST_F(URLEntriesTest, AddSheetIsPrefilledFromTheURL)
{
    auto presenting = std::make_shared<PresentingController>();
    // Without a registered pane nothing opens.
    EXPECT_FALSE(handler().showAddURLSheet(QStringLiteral("https://example.org"), presenting, std::nullopt));
    EXPECT_TRUE(presenting->presented.isEmpty());
    EXPECT_TRUE(log.messages().contains(QStringLiteral("getViewController failed: addOrModifyURL")));

    registerPane();
    const auto pane = handler().showAddURLSheet(QStringLiteral("  https://Docs.Example.org/start\t"), presenting,
                                                QStringLiteral("Work"));
    ASSERT_TRUE(pane);
    ASSERT_EQ(presenting->presented.size(), 1);
    EXPECT_EQ(presenting->presented.first(), pane);
    EXPECT_EQ(pane->urlFieldText(), QStringLiteral("https://Docs.Example.org/start"));
    EXPECT_EQ(pane->newOrModifyURL, QStringLiteral("https://Docs.Example.org/start"));
    EXPECT_EQ(pane->siteTitleText(), QStringLiteral("docs.example.org"));
    EXPECT_EQ(pane->hostPreviewText(), QStringLiteral("docs.example.org"));
    EXPECT_TRUE(pane->siteCommentText().isEmpty());
    EXPECT_FALSE(pane->newOrModifyComment);
    EXPECT_EQ(pane->newOrModifyTag, QStringLiteral("Work"));

    // Text that is no URL prefills nothing.
    const auto blank = handler().showAddURLSheet(QStringLiteral("just words"), presenting, std::nullopt);
    ASSERT_TRUE(blank);
    EXPECT_FALSE(blank->newOrModifyURL);
    EXPECT_TRUE(blank->urlFieldText().isEmpty());
    EXPECT_TRUE(blank->siteTitleText().isEmpty());

    // Without a presenting controller the pane's own window opens, not modally.
    auto windowPane = std::make_shared<ConfigViewControllerAddModifyURL>(*store);
    std::shared_ptr<PaneWindow> window;
    VantelWindowEnum::registerWindowController(VantelWindowEnum::addOrModifyURL, [&] {
        window = std::make_shared<PaneWindow>(windowPane);
        return window;
    });
    EXPECT_EQ(handler().showAddURLSheet(QString(), nullptr, std::nullopt), windowPane);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->open);
    EXPECT_FALSE(window->modal);
    EXPECT_EQ(window->windowKind, VantelWindowEnum::addOrModifyURL);
}

TEST_F(URLEntriesTest, ModifySheetOpensForURLEntriesOnly)
{
    registerPane();
    auto presenting = std::make_shared<PresentingController>();
    auto file = TableViewItem::initForPath(QStringLiteral("/tmp/notes.txt"), QStringLiteral("notes"),
                                           ListviewItemType::file, ListviewItemSource::other);
    EXPECT_FALSE(handler().showModifyURLSheet(file, presenting));
    EXPECT_TRUE(presenting->presented.isEmpty());

    auto url = TableViewItem::initForURL(QStringLiteral("https://example.org/x"), QStringLiteral("X"), QStringLiteral("c"));
    const auto pane = handler().showModifyURLSheet(url, presenting);
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->referenceTableViewItem(), url);
    EXPECT_EQ(pane->urlFieldText(), QStringLiteral("https://example.org/x"));
    EXPECT_EQ(pane->siteTitleText(), QStringLiteral("X"));
    EXPECT_EQ(pane->siteCommentText(), QStringLiteral("c"));
}

TEST_F(URLEntriesTest, SaveEntryTrimsAndShowsTheErrorTexts)
{
    ConfigViewControllerAddModifyURL pane(*store);
    pane.newOrModifyTag = QStringLiteral("Work");
    pane.setURLFieldText(QStringLiteral(" https://example.org/save\t"));
    pane.setSiteTitleText(QStringLiteral("  Saved "));
    pane.setSiteCommentText(QStringLiteral(" note "));
    EXPECT_TRUE(pane.saveEntry());
    const auto entry = store->entryForPath(QStringLiteral("https://example.org/save"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), QStringLiteral("Saved"));
    EXPECT_EQ(entry->comment(), QStringLiteral("note"));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});

    ConfigViewControllerAddModifyURL second(*store);
    second.setURLFieldText(QStringLiteral("https://EXAMPLE.org/save"));
    second.setSiteTitleText(QStringLiteral("Again"));
    EXPECT_FALSE(second.saveEntry());
    EXPECT_EQ(second.errorLabelText(), L10n::addModifyUrl_EntryAlreadyExists());

    second.setURLFieldText(QStringLiteral("nothing useful"));
    EXPECT_FALSE(second.saveEntry());
    EXPECT_EQ(second.errorLabelText(), L10n::addModifyUrl_URLInvalid());

    second.setURLFieldText(QStringLiteral("mailto:someone@example.org"));
    second.setSiteTitleText(QStringLiteral("   "));
    EXPECT_FALSE(second.saveEntry());
    EXPECT_EQ(second.errorLabelText(), L10n::addModifyUrl_NoTitle());
    EXPECT_EQ(store->allData()->count(), 1);

    // Modifying without a change counts as saved.
    ConfigViewControllerAddModifyURL edit(*store);
    edit.setReferenceTableViewItem(entry);
    posted.clear();
    EXPECT_TRUE(edit.saveEntry());
    EXPECT_TRUE(edit.errorLabelText().isEmpty());
    EXPECT_EQ(urlNotices(), 0);
    edit.setSiteTitleText(QStringLiteral(" Renamed "));
    EXPECT_TRUE(edit.saveEntry());
    EXPECT_EQ(entry->name(), QStringLiteral("Renamed"));
    EXPECT_EQ(urlNotices(), 1);
}

} // namespace
