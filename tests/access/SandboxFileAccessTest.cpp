#include "AccessTestSupport.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessOpenSavePanelDelegate.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "platform/Bookmark.h"

#include <QDir>

#include <gtest/gtest.h>

#include <thread>

#include <unistd.h>

using namespace vantel;
using platform::Bookmark;

namespace {

// access(2) judges by the real user, and root may read anything: a run as
// root lends its real user to "nobody" for the scope, so the bits count.
class AsPlainUser {
public:
    AsPlainUser()
        : lent_(::getuid() == 0 && ::setreuid(65534, uid_t(-1)) == 0)
    {
    }
    ~AsPlainUser()
    {
        if (lent_)
            (void)::setreuid(0, uid_t(-1));
    }
    AsPlainUser(const AsPlainUser&) = delete;
    AsPlainUser& operator=(const AsPlainUser&) = delete;

private:
    bool lent_;
};

class SandboxFileAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = test::makeTempDir(QStringLiteral("sandbox"));
        store = SandboxFileAccessPersistDictionary::create(folder + QStringLiteral("/Bookmarks.dict"));
        access = std::make_unique<SandboxFileAccess>(store);
        readable = folder + QStringLiteral("/readable.txt");
        ASSERT_TRUE(test::writeFile(readable, "x"));
        missing = folder + QStringLiteral("/deep/er/missing.txt");
    }

    test::ScriptedDialogs dialogs;
    QString folder;
    std::shared_ptr<SandboxFileAccessPersistDictionary> store;
    std::unique_ptr<SandboxFileAccess> access;
    QString readable;
    QString missing;
};

TEST_F(SandboxFileAccessTest, AReadablePathNeedsNoBookmarkAndNoPanel)
{
    const auto answer = access->hasAccess(QUrl::fromLocalFile(readable), Permissions{3});
    EXPECT_TRUE(answer.granted);
    EXPECT_FALSE(answer.bookmarkNeeded);
    EXPECT_FALSE(answer.bookmarkData.has_value());
    EXPECT_TRUE(dialogs.alerts->openPanels().isEmpty());

    const AccessInfo info = access->accessInfo(QUrl::fromLocalFile(readable));
    EXPECT_EQ(info.permissions.rawValue, 6);
    EXPECT_FALSE(info.securityScopedURL.has_value());
}

TEST_F(SandboxFileAccessTest, ACoveringBookmarkIsHandedOutEvenWithDirectAccess)
{
    store->setBookmark(Bookmark::createBookmarkForPath(folder).value(), QUrl::fromLocalFile(folder));
    const auto answer = access->hasAccess(QUrl::fromLocalFile(readable), Permissions{3});
    EXPECT_TRUE(answer.granted);
    EXPECT_FALSE(answer.bookmarkNeeded);
    EXPECT_TRUE(answer.bookmarkData.has_value());

    // A missing file below the granted folder is covered by the bookmark alone.
    const AccessInfo info = access->accessInfo(QUrl::fromLocalFile(missing));
    EXPECT_EQ(info.permissions, Permissions::bookmark());
    EXPECT_EQ(info.securityScopedURL, Bookmark::canonicalFileURL(folder));
    const auto bookmarkOnly = access->hasAccess(QUrl::fromLocalFile(missing), Permissions{3});
    EXPECT_TRUE(bookmarkOnly.granted);
    EXPECT_TRUE(bookmarkOnly.bookmarkNeeded);
    EXPECT_TRUE(bookmarkOnly.bookmarkData.has_value());
}

TEST_F(SandboxFileAccessTest, EmptyRequirementsSucceedAtOnceAndNotAskingFails)
{
    std::optional<SandboxFileAccess::Result> result;
    access->access(QUrl::fromLocalFile(missing), Permissions::none(), false, false,
                   [&](const SandboxFileAccess::Result& r) { result = r; });
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->succeeded());

    result.reset();
    access->access(QUrl::fromLocalFile(missing), Permissions{3}, false, false,
                   [&](const SandboxFileAccess::Result& r) { result = r; });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->failure, SandboxFileAccess::Fail::needToAskPermission);
}

TEST_F(SandboxFileAccessTest, ThePanelIsLockedToTheRequestedPathAndItsAncestors)
{
    const QString existing = folder;
    const QString sibling = folder + QStringLiteral("/sibling");
    QDir().mkpath(sibling);
    dialogs.alerts->queueOpenPanelResponse({sibling});
    dialogs.alerts->queueOpenPanelResponse({existing});

    std::optional<SandboxFileAccess::Result> result;
    access->access(QUrl::fromLocalFile(missing), Permissions{3}, true, true,
                   [&](const SandboxFileAccess::Result& r) { result = r; });

    ASSERT_EQ(dialogs.alerts->openPanels().size(), 1);
    const platform::OpenPanelRequest panel = dialogs.alerts->openPanels().first();
    EXPECT_EQ(panel.directory, existing);
    EXPECT_TRUE(panel.canChooseFiles);
    EXPECT_TRUE(panel.canChooseDirectories);
    EXPECT_FALSE(panel.allowsMultipleSelection);
    EXPECT_FALSE(panel.canCreateDirectories);
    EXPECT_EQ(panel.title, QStringLiteral("Allow Access"));
    EXPECT_EQ(panel.prompt, QStringLiteral("Allow"));
    EXPECT_TRUE(panel.message.endsWith(QStringLiteral(" needs to access 'missing.txt' to continue. Click Allow to continue.")));
    // The sibling was refused; choosing it is refused with the reason the user sees.
    EXPECT_EQ(dialogs.alerts->rejectedChoices().size(), 1);
    EXPECT_FALSE(panel.isEnabled(sibling));
    QString reason;
    EXPECT_FALSE(panel.validate(sibling, &reason));
    EXPECT_EQ(reason, QStringLiteral("Please allow the originally requested location"));
    EXPECT_TRUE(panel.validate(existing, &reason));

    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->succeeded());
    EXPECT_TRUE(result->accessInfo.permissions.contains(Permissions::bookmark()));
    // Granted once, stored and saved.
    EXPECT_TRUE(store->globalBookmarks()->value(Bookmark::canonicalFileURL(existing)).has_value());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Bookmarks.dict")));
}

TEST_F(SandboxFileAccessTest, PanelRuleAllowsOnlyPrefixes)
{
    const SandboxFileAccessOpenSavePanelDelegate rule(QUrl::fromLocalFile(QStringLiteral("/a/b/c.txt")));
    EXPECT_EQ(rule.pathComponents, (QStringList{"/", "a", "b", "c.txt"}));
    EXPECT_TRUE(rule.isAllowed(QStringLiteral("/")));
    EXPECT_TRUE(rule.isAllowed(QStringLiteral("/a/b")));
    EXPECT_TRUE(rule.isAllowed(QStringLiteral("/a/b/c.txt")));
    EXPECT_TRUE(rule.isAllowed(QString()));
    EXPECT_FALSE(rule.isAllowed(QStringLiteral("/a/x")));
    EXPECT_FALSE(rule.isAllowed(QStringLiteral("/a/b/c.txt/d")));
    EXPECT_FALSE(rule.isAllowed(QStringLiteral("/a/bb")));
}

TEST_F(SandboxFileAccessTest, RefusingPermissionsAreExplainedInsteadOfAskedForAndNoGrantHidesThem)
{
    const QString secret = folder + QStringLiteral("/secret.txt");
    ASSERT_TRUE(test::writeFile(secret, "x"));
    ASSERT_TRUE(QFile::setPermissions(secret, QFileDevice::Permissions()));
    const AsPlainUser plainUser;

    EXPECT_FALSE(access->hasAccess(QUrl::fromLocalFile(secret), Permissions{3}).granted);
    EXPECT_TRUE(dialogs.alerts->openPanels().isEmpty());
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_TRUE(dialogs.alerts->alerts().first().informativeText.contains(secret));
    EXPECT_TRUE(dialogs.alerts->alerts().first().informativeText.contains(QStringLiteral("read")));
    EXPECT_EQ(store->globalBookmarks()->count(), 0);

    // A grant stored earlier (the chooser used to make one) does not hide it.
    store->setBookmark(Bookmark::createBookmarkForPath(folder).value(), QUrl::fromLocalFile(folder));
    std::optional<SandboxFileAccess::Result> result;
    access->access(QUrl::fromLocalFile(secret), Permissions{3}, true, true,
                   [&](const SandboxFileAccess::Result& r) { result = r; });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->failure, SandboxFileAccess::Fail::refusedByFilePermissions);
    EXPECT_EQ(dialogs.alerts->alerts().size(), 2);
    EXPECT_TRUE(dialogs.alerts->openPanels().isEmpty());
}

TEST_F(SandboxFileAccessTest, ACancelledPanelStoresNothing)
{
    dialogs.alerts->queueOpenPanelCancel();
    std::optional<SandboxFileAccess::Result> result;
    access->access(QUrl::fromLocalFile(missing), Permissions{3}, true, true,
                   [&](const SandboxFileAccess::Result& r) { result = r; });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->failure, SandboxFileAccess::Fail::userDidntGrantPermission);
    EXPECT_EQ(store->globalBookmarks()->count(), 0);
    EXPECT_FALSE(access->hasAccess(QUrl::fromLocalFile(missing), Permissions{3}).granted);
}

TEST_F(SandboxFileAccessTest, OffTheMainThreadTheRequestFailsAtOnceWithoutAPanel)
{
    dialogs.alerts->queueOpenPanelResponse({folder});
    std::optional<SandboxFileAccess::Result> result;
    SandboxFileAccess::HasAccessResult answer{true, true, QByteArray("x")};
    std::thread worker([&] {
        access->access(QUrl::fromLocalFile(missing), Permissions{3}, true, true,
                       [&](const SandboxFileAccess::Result& r) { result = r; });
        answer = access->hasAccess(QUrl::fromLocalFile(missing), Permissions{3});
    });
    worker.join();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->failure, SandboxFileAccess::Fail::needToAskPermission);
    EXPECT_FALSE(answer.granted);
    EXPECT_FALSE(answer.bookmarkNeeded);
    EXPECT_FALSE(answer.bookmarkData.has_value());
    EXPECT_TRUE(dialogs.alerts->openPanels().isEmpty());
}

TEST_F(SandboxFileAccessTest, AStaleBookmarkIsRenewedUnderTheKeyItWasFoundBy)
{
    const QString granted = folder + QStringLiteral("/granted");
    QDir().mkpath(granted);
    store->setBookmark(Bookmark::createBookmarkForPath(granted).value(), QUrl::fromLocalFile(granted));
    // The folder is replaced by another one of the same name.
    ASSERT_TRUE(QDir().rename(granted, granted + QStringLiteral("-old")));
    QDir().mkpath(granted + QStringLiteral("/child"));

    const auto [url, data] = access->allowedURLAndBookmarkData(QUrl::fromLocalFile(granted + QStringLiteral("/child")));
    ASSERT_TRUE(url.has_value());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(*url, Bookmark::canonicalFileURL(granted));

    // One entry, fresh, under the folder's key; nothing left under the child.
    EXPECT_EQ(store->globalBookmarks()->count(), 1);
    const auto stored = store->globalBookmarks()->value(Bookmark::canonicalFileURL(granted));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, *data);
    EXPECT_TRUE(store->isBookmarkValid(QUrl::fromLocalFile(granted)));
}

TEST_F(SandboxFileAccessTest, NearestExistingURLWalksUpToAnExistingFolder)
{
    EXPECT_EQ(SandboxFileAccess::nearestExistingURL(QUrl::fromLocalFile(missing)).toLocalFile(), folder);
    EXPECT_EQ(SandboxFileAccess::nearestExistingURL(QUrl::fromLocalFile(readable)).toLocalFile(), readable);
    EXPECT_EQ(SandboxFileAccess::nearestExistingURL(QUrl::fromLocalFile(QStringLiteral("/no-such-root-thing"))).toLocalFile(),
              QStringLiteral("/"));
}

TEST_F(SandboxFileAccessTest, TheDefaultMessageNamesTheLastComponent)
{
    const QString message = access->defaultPanelMessage(QUrl::fromLocalFile(QStringLiteral("/home/u/Reports")));
    EXPECT_TRUE(message.endsWith(QStringLiteral(" needs to access 'Reports' to continue. Click Allow to continue.")))
        << message.toStdString();
    EXPECT_FALSE(message.startsWith(QStringLiteral(" ")));
    access->setMessage(QStringLiteral("Custom"));
    EXPECT_EQ(access->openPanel(QUrl::fromLocalFile(missing)).message, QStringLiteral("Custom"));
    // An existing folder can only be chosen as a folder.
    EXPECT_FALSE(access->openPanel(QUrl::fromLocalFile(folder)).canChooseFiles);
}

TEST_F(SandboxFileAccessTest, ShowAlertHasOneOkButtonFromAnyThread)
{
    std::thread worker([] { SandboxFileAccess::showAlert(QStringLiteral("Message"), QStringLiteral("Details")); });
    ASSERT_TRUE(test::waitUntil([&] { return dialogs.alerts->alerts().size() == 1; }));
    worker.join();
    const platform::AlertRequest alert = dialogs.alerts->alerts().first();
    EXPECT_EQ(alert.messageText, QStringLiteral("Message"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("Details"));
    EXPECT_EQ(alert.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(alert.style, platform::AlertStyle::Informational);
}

} // namespace
