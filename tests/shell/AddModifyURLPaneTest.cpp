#include "datastore/DatastoreTestSupport.h"

#include "datastore/DatastorageHandlerURLObjects.h"
#include "model/L10n.h"
#include "settings/ConfigViewControllerAddModifyURL.h"
#include "shell/ShellWindowRequests.h"
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

// The URL handler's pane: its logic above the store, opened through the
// store's window requests by the shell's catalogue.
class AddModifyURLPaneTest : public test::DatastoreTest {
protected:
    void SetUp() override
    {
        test::DatastoreTest::SetUp();
        WindowRequests::setShared(std::make_shared<ShellWindowRequests>());
    }
    void TearDown() override
    {
        WindowRequests::setShared(nullptr);
        VantelWindowEnum::reset();
        test::DatastoreTest::TearDown();
    }

    DatastorageHandlerURLObjects& handler() { return store->URLHandler(); }
    // The handler's answers as the settings' pane they are.
    std::shared_ptr<ConfigViewControllerAddModifyURL> showAddURLSheet(const QString& url,
                                                                      const std::shared_ptr<ViewController>& presenting,
                                                                      const std::optional<QString>& tag)
    {
        return std::dynamic_pointer_cast<ConfigViewControllerAddModifyURL>(handler().showAddURLSheet(url, presenting, tag));
    }
    std::shared_ptr<ConfigViewControllerAddModifyURL> showModifyURLSheet(const TableViewItemPtr& entry,
                                                                         const std::shared_ptr<ViewController>& presenting)
    {
        return std::dynamic_pointer_cast<ConfigViewControllerAddModifyURL>(handler().showModifyURLSheet(entry, presenting));
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

TEST_F(AddModifyURLPaneTest, AddSheetIsPrefilledFromTheURL)
{
    auto presenting = std::make_shared<PresentingController>();
    // Without a registered pane nothing opens.
    EXPECT_FALSE(showAddURLSheet(QStringLiteral("https://example.org"), presenting, std::nullopt));
    EXPECT_TRUE(presenting->presented.isEmpty());
    EXPECT_TRUE(log.messages().contains(QStringLiteral("getViewController failed: addOrModifyURL")));

    registerPane();
    const auto pane = showAddURLSheet(QStringLiteral("  https://Docs.Example.org/start\t"), presenting,
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
    const auto blank = showAddURLSheet(QStringLiteral("just words"), presenting, std::nullopt);
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
    EXPECT_EQ(showAddURLSheet(QString(), nullptr, std::nullopt), windowPane);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->open);
    EXPECT_FALSE(window->modal);
    EXPECT_EQ(window->windowKind, VantelWindowEnum::addOrModifyURL);
}

TEST_F(AddModifyURLPaneTest, ModifySheetOpensForURLEntriesOnly)
{
    registerPane();
    auto presenting = std::make_shared<PresentingController>();
    auto file = TableViewItem::initForPath(QStringLiteral("/tmp/notes.txt"), QStringLiteral("notes"),
                                           ListviewItemType::file, ListviewItemSource::other);
    EXPECT_FALSE(showModifyURLSheet(file, presenting));
    EXPECT_TRUE(presenting->presented.isEmpty());

    auto url = TableViewItem::initForURL(QStringLiteral("https://example.org/x"), QStringLiteral("X"), QStringLiteral("c"));
    const auto pane = showModifyURLSheet(url, presenting);
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->referenceTableViewItem(), url);
    EXPECT_EQ(pane->urlFieldText(), QStringLiteral("https://example.org/x"));
    EXPECT_EQ(pane->siteTitleText(), QStringLiteral("X"));
    EXPECT_EQ(pane->siteCommentText(), QStringLiteral("c"));
}

TEST_F(AddModifyURLPaneTest, SaveEntryTrimsAndShowsTheErrorTexts)
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
