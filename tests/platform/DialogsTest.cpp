#include "platform/Dialogs.h"
#include "platform/MainQueue.h"
#include "platform/ScriptedDialogProvider.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace vantel::platform;

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { DialogProvider::setShared(provider); }
    void TearDown() override { DialogProvider::setShared(nullptr); }
    std::shared_ptr<ScriptedDialogProvider> provider = std::make_shared<ScriptedDialogProvider>();
};

TEST_F(DialogsTest, ShowAlertAsksOnceWithOneOkButton)
{
    provider->queueAlertResponse(0);
    Dialogs::showAlert(QStringLiteral("Error loading globalBookmarks from file"), QStringLiteral("details"));
    ASSERT_EQ(provider->alerts().size(), 1);
    const AlertRequest alert = provider->alerts().first();
    EXPECT_EQ(alert.style, AlertStyle::Informational);
    EXPECT_EQ(alert.messageText, QStringLiteral("Error loading globalBookmarks from file"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("details"));
    EXPECT_EQ(alert.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_FALSE(alert.showsSuppressionButton);
    EXPECT_EQ(provider->unansweredCount(), 0);
}

TEST_F(DialogsTest, ConfirmationReturnsButtonAndSuppressionState)
{
    AlertRequest request;
    request.messageText = QStringLiteral("Should the selected entry be renamed?");
    request.buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    request.showsSuppressionButton = true;

    provider->queueAlertResponse(1, true);
    const AlertResponse cancelled = Dialogs::runAlert(request);
    EXPECT_EQ(cancelled.buttonIndex, 1);
    EXPECT_FALSE(cancelled.isFirstButton());
    EXPECT_TRUE(cancelled.suppressionChecked);

    provider->queueAlertResponse(0, false);
    const AlertResponse agreed = Dialogs::runAlert(request);
    EXPECT_TRUE(agreed.isFirstButton());
    EXPECT_FALSE(agreed.suppressionChecked);

    // A check box the alert does not show cannot come back ticked.
    request.showsSuppressionButton = false;
    provider->queueAlertResponse(0, true);
    EXPECT_FALSE(Dialogs::runAlert(request).suppressionChecked);
    EXPECT_EQ(provider->alerts().size(), 3);
}

TEST_F(DialogsTest, UnscriptedOrImpossibleAnswersCountAsCancelled)
{
    AlertRequest request;
    request.buttons = {QStringLiteral("Launch all"), QStringLiteral("Cancel")};
    const AlertResponse unscripted = Dialogs::runAlert(request);
    EXPECT_EQ(unscripted.buttonIndex, -1);
    EXPECT_FALSE(unscripted.isFirstButton());
    provider->queueAlertResponse(5);
    EXPECT_EQ(Dialogs::runAlert(request).buttonIndex, -1);
    EXPECT_EQ(provider->unansweredCount(), 2);
    EXPECT_FALSE(Dialogs::runOpenPanel(OpenPanelRequest{}).accepted);
    EXPECT_EQ(provider->unansweredCount(), 3);
}

TEST_F(DialogsTest, AlertsFromAWorkerThreadRunOnTheMainThread)
{
    provider->queueAlertResponse(0);
    std::atomic<bool> done = false;
    std::atomic<bool> askedOnMain = false;
    AlertResponse response;

    // A provider that notes where it was called, answering through the script.
    struct Spy final : DialogProvider {
        std::shared_ptr<ScriptedDialogProvider> inner;
        std::atomic<bool>* onMain;
        AlertResponse runAlert(const AlertRequest& r) override
        {
            *onMain = MainQueue::isMainThread();
            return inner->runAlert(r);
        }
        OpenPanelResponse runOpenPanel(const OpenPanelRequest& r) override { return inner->runOpenPanel(r); }
    };
    auto spy = std::make_shared<Spy>();
    spy->inner = provider;
    spy->onMain = &askedOnMain;
    DialogProvider::setShared(spy);

    std::thread worker([&] {
        AlertRequest request;
        request.buttons = {QStringLiteral("OK")};
        response = Dialogs::runAlert(request);
        done = true;
    });
    EXPECT_TRUE(vantel::test::waitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(askedOnMain);
    EXPECT_EQ(response.buttonIndex, 0);
}

TEST_F(DialogsTest, OpenPanelRefusesChoicesTheRequestDoesNotAllow)
{
    const QString allowed = QStringLiteral("/data/projects");
    OpenPanelRequest request;
    request.canChooseDirectories = true;
    request.directory = QStringLiteral("/data");
    request.message = QStringLiteral("Vantel needs to access 'projects' to continue. Click Allow to continue.");
    request.validate = [&](const QString& path, QString* reason) {
        if (allowed.startsWith(path))
            return true;
        *reason = QStringLiteral("Please allow the originally requested location");
        return false;
    };
    provider->queueOpenPanelResponse({QStringLiteral("/data/other")});
    provider->queueOpenPanelResponse({QStringLiteral("/data")});
    const OpenPanelResponse response = Dialogs::runOpenPanel(request);
    EXPECT_TRUE(response.accepted);
    EXPECT_EQ(response.paths, QStringList{QStringLiteral("/data")});
    EXPECT_EQ(provider->rejectedChoices(), QStringList{QStringLiteral("Please allow the originally requested location")});
    ASSERT_EQ(provider->openPanels().size(), 1);
    EXPECT_EQ(provider->openPanels().first().directory, QStringLiteral("/data"));

    // Only wrong choices and then nothing: the panel ends cancelled.
    provider->queueOpenPanelResponse({QStringLiteral("/elsewhere")});
    EXPECT_FALSE(Dialogs::runOpenPanel(request).accepted);

    provider->queueOpenPanelCancel();
    EXPECT_FALSE(Dialogs::runOpenPanel(request).accepted);

    OpenPanelRequest single;
    provider->queueOpenPanelResponse({QStringLiteral("/a"), QStringLiteral("/b")});
    EXPECT_EQ(Dialogs::runOpenPanel(single).paths, QStringList{QStringLiteral("/a")});
}

TEST(DialogProviderDefault, WithoutAProviderNothingIsShownAndTheAnswerIsCancel)
{
    DialogProvider::setShared(nullptr);
    AlertRequest request;
    request.buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    EXPECT_EQ(DialogProvider::shared()->runAlert(request).buttonIndex, -1);
    EXPECT_FALSE(DialogProvider::shared()->runOpenPanel(OpenPanelRequest{}).accepted);
}

} // namespace
