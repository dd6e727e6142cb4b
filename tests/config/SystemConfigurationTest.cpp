#include "config/SystemConfiguration.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vantel::test {

TEST(SystemConfigurationTest, ReadsTheGlobalSizeAndFollowsItsChanges)
{
    const QString file = makeTempDir(QStringLiteral("global")) + QStringLiteral("/GlobalPreferences.plist");
    platform::UserDefaults writer(file);
    const auto store = [&writer](const QVariant& value) {
        writer.setObject(value, QStringLiteral("NSTableViewDefaultSizeMode"));
        ASSERT_TRUE(writer.synchronize());
    };
    SystemConfiguration system(file);
    EXPECT_EQ(system.sidebarIconSize(), 20.0);
    EXPECT_EQ(system.sidebarRowHeight(), 28.0);
    EXPECT_EQ(system.sidebarRowHeightHeader(), 25.0);
    EXPECT_EQ(system.sidebarTextSize(), 13.0);
    EXPECT_EQ(system.sidebarVerticalSpacing(), 0);
    EXPECT_EQ(system.readSidebarSizeMode(), SidebarSize::medium); // no file yet

    int posted = 0;
    auto observer = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("systemSidebarSizeChanged"), [&posted](const platform::Notification&) { ++posted; });

    store(1);
    ASSERT_TRUE(waitUntil([&] { return posted == 1; }));
    EXPECT_EQ(system.sidebarSize(), SidebarSize::small);
    EXPECT_EQ(system.sidebarIconSize(), 16.0);
    EXPECT_EQ(system.sidebarRowHeight(), 24.0);
    EXPECT_EQ(system.sidebarTextSize(), 11.0);

    store(3);
    ASSERT_TRUE(waitUntil([&] { return posted == 2; }));
    EXPECT_EQ(system.sidebarSize(), SidebarSize::large);
    EXPECT_EQ(system.sidebarRowHeight(), 32.0);

    // Another key changing is no change of the size.
    writer.setBool(true, QStringLiteral("somethingElse"));
    ASSERT_TRUE(writer.synchronize());
    spinEventLoop(std::chrono::milliseconds(300));
    EXPECT_EQ(posted, 2);

    for (const QVariant& other : {QVariant(0), QVariant(4), QVariant(QStringLiteral("large"))}) {
        store(1);
        ASSERT_TRUE(waitUntil([&] { return system.sidebarSize() == SidebarSize::small; }));
        store(other);
        ASSERT_TRUE(waitUntil([&] { return system.sidebarSize() == SidebarSize::medium; }));
        EXPECT_EQ(system.sidebarIconSize(), 18.0);
        EXPECT_EQ(system.sidebarTextSize(), 13.0);
    }
}

} // namespace vantel::test
