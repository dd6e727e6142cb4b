#include "DatastoreTestSupport.h"
#include "FakeWindowRequests.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "datastore/DatastorageHandlerFilesystemObjects.h"
#include "model/L10n.h"

#include <QDir>
#include <QFile>

using namespace vantel;

namespace {

class WindowedController : public ViewController {
public:
    bool hasWindow() const override { return true; }
    void presentAsSheet(const std::shared_ptr<ViewController>&) override {}
    void runOpenPanelAsSheet(const platform::OpenPanelRequest& request,
                             const std::function<void(const platform::OpenPanelResponse&)>& completion) override
    {
        ++sheets;
        ViewController::runOpenPanelAsSheet(request, completion);
    }
    int sheets = 0;
};

class MainWindow : public WindowController {
public:
    std::shared_ptr<ViewController> contentViewController() const override { return nullptr; }
    void showWindow(bool) override { open = true; }
    bool isWindowOpen() const override { return open; }
    void close() override { open = false; }
    bool open = false;
};

class FilesystemEntriesTest : public test::DatastoreTest {
protected:
    void SetUp() override
    {
        test::DatastoreTest::SetUp();
        folder = QDir(test::makeTempDir(QStringLiteral("fs-entries"))).canonicalPath();
        file = folder + QStringLiteral("/Notes.txt");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("notes");
        f.close();
        subfolder = folder + QStringLiteral("/Projects");
        ASSERT_TRUE(QDir().mkpath(subfolder));
        missing = folder + QStringLiteral("/gone/away.txt");
        // A grant store of its own per test.
        bookmarks = SandboxFileAccessPersistDictionary::create(folder + QStringLiteral("/Bookmarks.dict"));
        SandboxFileAccess::shared().setPersistanceBookmarkStorage(bookmarks);
        windows = std::make_shared<test::FakeWindowRequests>();
        WindowRequests::setShared(windows);
    }

    void TearDown() override
    {
        WindowRequests::setShared(nullptr);
        test::DatastoreTest::TearDown();
    }

    std::shared_ptr<test::FakeWindowRequests> windows;

    DatastorageHandlerFilesystemObjects& handler() { return store->filesystemHandler(); }
    unsigned add(const QString& path, const std::optional<QString>& tag = std::nullopt)
    {
        return toUInt(handler().addFilesystemObjectToDatabase(path, tag));
    }
    QStringList announced() const
    {
        return postedAmong({QStringLiteral("dataStorageRebuildIsFinished"),
                            QStringLiteral("datastorageFilesystemObjectAddedOrModified")});
    }
    static QStringList addedAndRebuilt()
    {
        return {QStringLiteral("dataStorageRebuildIsFinished"), QStringLiteral("datastorageFilesystemObjectAddedOrModified")};
    }

    QString folder;
    QString file;
    QString subfolder;
    QString missing;
    std::shared_ptr<SandboxFileAccessPersistDictionary> bookmarks;
};

TEST_F(FilesystemEntriesTest, AddAnswersEachPathWithItsCode)
{
    EXPECT_EQ(add(QString()), 6u);
    EXPECT_EQ(add(QStringLiteral("relative/Notes.txt")), 6u);

    store->setState(DatastorageState::rebuildData);
    EXPECT_EQ(add(file), 1u);
    store->setState(DatastorageState::idle);
    EXPECT_TRUE(store->allData()->isEmpty());

    // Out of reach, and the user refuses the permission panel.
    dialogs->queueOpenPanelCancel();
    EXPECT_EQ(add(missing), 6u);
    EXPECT_EQ(dialogs->openPanels().size(), 1);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Access-Test for ") + QUrl::fromLocalFile(missing).toString()
                                        + QStringLiteral(" -> Access denied")));
    EXPECT_TRUE(store->allData()->isEmpty());

    EXPECT_EQ(add(file, QStringLiteral("Docs")), 0u);
    EXPECT_EQ(add(subfolder), 0u);
    const auto entry = store->entryForPath(file);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->itemType(), ListviewItemType::file);
    EXPECT_EQ(entry->itemSource(), ListviewItemSource::other);
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Docs")});
    EXPECT_EQ(store->entryForPath(subfolder)->itemType(), ListviewItemType::folder);
    EXPECT_TRUE(log.messages().contains(QStringLiteral("Access-Test for ") + QUrl::fromLocalFile(file).toString()
                                        + QStringLiteral(" -> Access possible")));
    // Adding alone neither rebuilds nor announces.
    EXPECT_TRUE(announced().isEmpty());
}

TEST_F(FilesystemEntriesTest, AnExistingPathInAnyCaseGetsTheTagOnly)
{
    ASSERT_EQ(add(file), 0u);
    const auto entry = store->entryForPath(file);
    EXPECT_EQ(add(file.toUpper()), 0u);
    EXPECT_TRUE(entry->tags().isEmpty());
    EXPECT_EQ(add(file.toUpper(), QStringLiteral("Work")), 0u);
    EXPECT_EQ(add(file, QStringLiteral("Work")), 0u);
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Work")});
    EXPECT_EQ(store->allData()->count(), 1);
    EXPECT_TRUE(dialogs->openPanels().isEmpty());
}

TEST_F(FilesystemEntriesTest, SheetPanelWritesAMissingGrantBeforeAdding)
{
    auto controller = std::make_shared<WindowedController>();
    dialogs->queueOpenPanelResponse({file});
    ASSERT_FALSE(bookmarks->bookmarkData(QUrl::fromLocalFile(file)));
    handler().addFileOrFolder(controller, QStringLiteral("Docs"));

    EXPECT_EQ(controller->sheets, 1);
    ASSERT_EQ(dialogs->openPanels().size(), 1);
    const platform::OpenPanelRequest panel = dialogs->openPanels().first();
    EXPECT_TRUE(panel.canChooseFiles);
    EXPECT_TRUE(panel.canChooseDirectories);
    EXPECT_FALSE(panel.showsHiddenFiles);
    EXPECT_FALSE(panel.canCreateDirectories);
    EXPECT_FALSE(panel.allowsMultipleSelection);
    EXPECT_FALSE(panel.resolvesAliases);
    EXPECT_EQ(panel.message, L10n::addFileDialogMessage());

    EXPECT_TRUE(bookmarks->bookmarkData(QUrl::fromLocalFile(file)));
    const auto entry = store->entryForPath(file);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Docs")});
    EXPECT_EQ(announced(), addedAndRebuilt());
}

TEST_F(FilesystemEntriesTest, ModalPanelClosesTheMainWindowAndWritesNoGrant)
{
    auto mainWindow = std::make_shared<MainWindow>();
    windows->mainWindow = mainWindow;
    mainWindow->showWindow(false);

    dialogs->queueOpenPanelResponse({subfolder});
    handler().addFileOrFolder(nullptr, std::nullopt);
    EXPECT_EQ(windows->closed, QList<WindowKind::Kind>{WindowKind::main});
    EXPECT_FALSE(mainWindow->open);
    EXPECT_TRUE(store->entryForPath(subfolder));
    EXPECT_FALSE(bookmarks->bookmarkData(QUrl::fromLocalFile(subfolder)));
    EXPECT_EQ(announced(), addedAndRebuilt());

    // A controller without a window gets the modal panel too.
    struct NoWindow : WindowedController {
        bool hasWindow() const override { return false; }
    };
    auto detached = std::make_shared<NoWindow>();
    dialogs->queueOpenPanelResponse({file});
    handler().addFileOrFolder(detached, std::nullopt);
    EXPECT_EQ(detached->sheets, 0);
    EXPECT_TRUE(store->entryForPath(file));
    EXPECT_FALSE(bookmarks->bookmarkData(QUrl::fromLocalFile(file)));
}

TEST_F(FilesystemEntriesTest, PanelRebuildsEvenWhenRefusedAndCancelDoesNothing)
{
    ASSERT_EQ(add(subfolder), 0u);
    auto controller = std::make_shared<WindowedController>();

    dialogs->queueOpenPanelCancel();
    dialogs->queueOpenPanelCancel();
    handler().addFileOrFolder(controller, std::nullopt);
    handler().addFileOrFolder(nullptr, std::nullopt);
    EXPECT_EQ(dialogs->openPanels().size(), 2);
    EXPECT_TRUE(announced().isEmpty());
    EXPECT_EQ(store->allData()->count(), 1);

    // The chosen item is out of reach and its permission is refused.
    dialogs->queueOpenPanelResponse({missing});
    dialogs->queueOpenPanelCancel();
    handler().addFileOrFolder(nullptr, std::nullopt);
    EXPECT_EQ(store->allData()->count(), 1);
    EXPECT_EQ(announced(), addedAndRebuilt());
}

} // namespace
