#include "platform/LoadAlerts.h"

#include "platform/DialogProvider.h"
#include "platform/ScriptedDialogProvider.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vantel::platform;

TEST(LoadAlertsTest, HeldUntilTheLaunchEndedThenShownOnceEachAndNeverInsideTheCaller)
{
    LoadAlerts::reset();
    auto dialogs = std::make_shared<ScriptedDialogProvider>();
    DialogProvider::setShared(dialogs);

    LoadAlerts::report(QStringLiteral("damaged"), QStringLiteral("kept as A"));
    LoadAlerts::report(QStringLiteral("damaged"), QStringLiteral("kept as A"));
    LoadAlerts::report(QStringLiteral("refused"), QStringLiteral("B"));
    vantel::test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_TRUE(dialogs->alerts().isEmpty());
    EXPECT_EQ(LoadAlerts::pending().size(), 2);

    // Shown after the launch sequence returned, not within it.
    LoadAlerts::launchEnded();
    EXPECT_TRUE(dialogs->alerts().isEmpty());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return dialogs->alerts().size() == 2; }));
    EXPECT_EQ(dialogs->alerts().at(0).informativeText, QStringLiteral("kept as A"));
    EXPECT_EQ(dialogs->alerts().at(1).messageText, QStringLiteral("refused"));

    // Later reports are shown from the main queue; a repeat never again.
    LoadAlerts::report(QStringLiteral("damaged"), QStringLiteral("kept as A"));
    LoadAlerts::report(QStringLiteral("later"), QStringLiteral("C"));
    EXPECT_EQ(dialogs->alerts().size(), 2);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return dialogs->alerts().size() == 3; }));
    vantel::test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_EQ(dialogs->alerts().size(), 3);
    EXPECT_EQ(dialogs->alerts().at(2).messageText, QStringLiteral("later"));

    DialogProvider::setShared(nullptr);
    LoadAlerts::reset();
}
