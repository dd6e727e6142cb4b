#include "DatastoreTestSupport.h"
#include "FakeWindowRequests.h"

#include "datastore/AddModifyURLPane.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "model/L10n.h"

using namespace vantel;

namespace {

class Presenting : public ViewController {
public:
    bool hasWindow() const override { return true; }
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override { presented.append(controller); }
    QList<std::shared_ptr<ViewController>> presented;
};

// Records what the handler fills in, in order.
class RecordingPane : public AddModifyURLPane {
public:
    bool hasWindow() const override { return false; }
    void presentAsSheet(const std::shared_ptr<ViewController>&) override {}
    void setReferenceTableViewItem(const TableViewItemPtr& entry) override
    {
        calls.append(QStringLiteral("reference ") + (entry ? entry->path() : QString()));
    }
    void refreshURLField() override { calls.append(QStringLiteral("refresh ") + newOrModifyURL.value_or(QString())); }
    void setSiteTitleText(const QString& text) override { calls.append(QStringLiteral("title ") + text); }
    void setSiteCommentText(const QString& text) override { calls.append(QStringLiteral("comment ") + text); }
    QStringList calls;
};

class PaneHost : public WindowController {
public:
    explicit PaneHost(std::shared_ptr<ViewController> content)
        : content(std::move(content))
    {
    }
    std::shared_ptr<ViewController> contentViewController() const override { return content; }
    void showWindow(bool) override { open = true; }
    bool isWindowOpen() const override { return open; }
    void close() override { open = false; }
    std::shared_ptr<ViewController> content;
    bool open = false;
};

class URLEntriesTest : public test::DatastoreTest {
protected:
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

TEST_F(URLEntriesTest, TheSheetIsAskedOfTheWindowsAndPrefilled)
{
    auto presenting = std::make_shared<Presenting>();
    // Without the windows' seam nothing opens.
    EXPECT_FALSE(handler().showAddURLSheet(QStringLiteral("https://example.org"), presenting, std::nullopt));

    auto windows = std::make_shared<test::FakeWindowRequests>();
    WindowRequests::setShared(windows);
    auto pane = std::make_shared<RecordingPane>();
    windows->makeViewController = [&](WindowKind::Kind) { return pane; };
    EXPECT_EQ(handler().showAddURLSheet(QStringLiteral("  https://Docs.Example.org/start\t"), presenting,
                                        QStringLiteral("Work")),
              pane);
    EXPECT_EQ(windows->viewControllersAsked, QList<WindowKind::Kind>{WindowKind::addOrModifyURL});
    EXPECT_EQ(presenting->presented, QList<std::shared_ptr<ViewController>>{pane});
    EXPECT_EQ(pane->newOrModifyURL, QStringLiteral("https://Docs.Example.org/start"));
    EXPECT_EQ(pane->newOrModifyTitle, QStringLiteral("docs.example.org"));
    EXPECT_FALSE(pane->newOrModifyComment);
    EXPECT_EQ(pane->newOrModifyTag, QStringLiteral("Work"));
    EXPECT_EQ(pane->calls, (QStringList{QStringLiteral("refresh https://Docs.Example.org/start"),
                                        QStringLiteral("title docs.example.org"), QStringLiteral("comment ")}));

    // Without a presenting controller the pane's own window opens, not modally.
    auto other = std::make_shared<RecordingPane>();
    windows->makeWindowController = [&](WindowKind::Kind) { return std::make_shared<PaneHost>(other); };
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org/x"), QStringLiteral("X"), QStringLiteral("c"));
    EXPECT_EQ(handler().showModifyURLSheet(entry, nullptr), other);
    EXPECT_EQ(windows->opened.size(), 1);
    EXPECT_EQ(windows->opened.first(), std::make_pair(WindowKind::addOrModifyURL, false));
    EXPECT_EQ(other->calls, QStringList{QStringLiteral("reference https://example.org/x")});
    WindowRequests::setShared(nullptr);
}

} // namespace
