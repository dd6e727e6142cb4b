#include "platform/FocusLoss.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWindow>

using namespace std::chrono_literals;

// A loss heard soon after a window was shown again may be Qt's late report
// of its hide: it counts only if the focus has not come back a moment later.
TEST(FocusLossTest, ALossSoonAfterAShowAgainCountsOnlyIfItHolds)
{
    ASSERT_NE(QGuiApplication::applicationState(), Qt::ApplicationActive);
    QObject context;
    int acted = 0;
    vantel::platform::whenFocusLossHolds(&context, [&] { ++acted; });
    EXPECT_EQ(acted, 1) << "no show again: at once";
    vantel::platform::focusLossMayFollowShow();
    vantel::platform::whenFocusLossHolds(&context, [&] { ++acted; });
    EXPECT_EQ(acted, 1) << "soon after a show again: not yet";
    EXPECT_TRUE(vantel::test::waitUntil([&] { return acted == 2; })) << "the loss held";

    QWindow window;
    window.show();
    window.requestActivate();
    ASSERT_TRUE(vantel::test::waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
    vantel::platform::focusLossMayFollowShow();
    vantel::platform::whenFocusLossHolds(&context, [&] { ++acted; });
    vantel::test::spinEventLoop(600ms);
    EXPECT_EQ(acted, 2) << "the focus came back";
}
