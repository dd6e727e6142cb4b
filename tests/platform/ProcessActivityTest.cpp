#include "platform/ProcessActivity.h"

#include <gtest/gtest.h>

using vantel::platform::ProcessActivity;

TEST(ProcessActivityTest, BeginAndEndBalanceEvenWhenEndedTwiceOrDropped)
{
    const int before = ProcessActivity::activeCount();
    auto activity = ProcessActivity::begin(0x00FFFFFF, QStringLiteral("Prevent App Nap to preserve responsiveness"));
    EXPECT_TRUE(activity->isActive());
    EXPECT_EQ(activity->reason(), QStringLiteral("Prevent App Nap to preserve responsiveness"));
    EXPECT_EQ(ProcessActivity::activeCount(), before + 1);
    activity->end();
    activity->end();
    EXPECT_FALSE(activity->isActive());
    EXPECT_EQ(ProcessActivity::activeCount(), before);

    auto dropped = ProcessActivity::begin(0, QStringLiteral("x"));
    EXPECT_EQ(ProcessActivity::activeCount(), before + 1);
    dropped.reset();
    EXPECT_EQ(ProcessActivity::activeCount(), before);
}
