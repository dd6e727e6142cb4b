#include "config/SystemConfiguration.h"

#include "platform/NotificationCenter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vantel::test {

TEST(SystemConfigurationTest, FollowsTheDesktopsSmallIconSize)
{
    SystemConfiguration system;
    EXPECT_EQ(system.sidebarIconSize(), 20.0);
    EXPECT_EQ(system.sidebarRowHeight(), 28.0);
    EXPECT_EQ(system.sidebarRowHeightHeader(), 25.0);
    EXPECT_EQ(system.sidebarTextSize(), 13.0);
    EXPECT_EQ(system.sidebarVerticalSpacing(), 0);
    EXPECT_EQ(system.readSidebarSizeMode(), SidebarSize::medium); // no desktop source

    int desktop = 16;
    system.setDesktopSmallIconSize([&desktop] { return desktop; });
    int posted = 0;
    auto observer = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("systemSidebarSizeChanged"), [&posted](const platform::Notification&) { ++posted; });
    EXPECT_EQ(system.updateSidebarSize(), SidebarSize::medium);
    EXPECT_EQ(system.sidebarIconSize(), 18.0);

    desktop = 12;
    system.desktopChanged();
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(system.sidebarIconSize(), 16.0);
    EXPECT_EQ(system.sidebarRowHeight(), 24.0);
    EXPECT_EQ(system.sidebarTextSize(), 11.0);

    desktop = 22;
    system.desktopChanged();
    EXPECT_EQ(system.sidebarSize(), SidebarSize::large);
    EXPECT_EQ(system.sidebarRowHeight(), 32.0);
    desktop = 32; // larger still: the same sidebar, no news
    system.desktopChanged();
    EXPECT_EQ(posted, 2);
    desktop = 0;
    system.desktopChanged();
    EXPECT_EQ(system.sidebarSize(), SidebarSize::medium);
}

} // namespace vantel::test
