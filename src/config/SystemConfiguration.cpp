#include "config/SystemConfiguration.h"

#include "platform/NotificationCenter.h"

namespace vantel {

SystemConfiguration& SystemConfiguration::shared()
{
    static SystemConfiguration* instance = new SystemConfiguration();
    return *instance;
}

SidebarSize SystemConfiguration::sidebarSizeFor(int smallIconSize)
{
    if (smallIconSize <= 0)
        return SidebarSize::medium;
    if (smallIconSize < 16)
        return SidebarSize::small;
    return smallIconSize < 22 ? SidebarSize::medium : SidebarSize::large;
}

SidebarSize SystemConfiguration::readSidebarSizeMode() const
{
    return sidebarSizeFor(smallIconSize_ ? smallIconSize_() : 0);
}

void SystemConfiguration::desktopChanged()
{
    const SidebarSize before = sidebarSize_.load();
    if (updateSidebarSize() != before)
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("systemSidebarSizeChanged"));
}

SidebarSize SystemConfiguration::updateSidebarSize()
{
    const SidebarSize size = readSidebarSizeMode();
    sidebarSize_.store(size);
    switch (size) {
    case SidebarSize::small:
        sidebarIconSize_.store(16.0);
        sidebarRowHeight_.store(24.0);
        sidebarTextSize_.store(11.0);
        break;
    case SidebarSize::medium:
        sidebarIconSize_.store(18.0);
        sidebarRowHeight_.store(28.0);
        sidebarTextSize_.store(13.0);
        break;
    case SidebarSize::large:
        sidebarIconSize_.store(20.0);
        sidebarRowHeight_.store(32.0);
        sidebarTextSize_.store(15.0);
        break;
    }
    return size;
}

} // namespace vantel
