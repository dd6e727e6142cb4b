#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace vantel {

enum class SidebarSize { small, medium, large };

// The sidebar metrics that follow the desktop's own size for small icons
// (the one its sidebars and lists use): 16 pixels, as most desktops have it,
// is the medium sidebar, less is small, 22 and more is large. The desktop's
// size comes from a source the launch sequence sets (the style's small-icon
// size, which the platform theme gives); without one the sidebar is medium.
// desktopChanged() reads it again and, when the size changed, updates the
// metrics and posts "systemSidebarSizeChanged". Reads and updates on the
// main thread; the metrics may be read anywhere.
class SystemConfiguration {
public:
    static SystemConfiguration& shared();
    SystemConfiguration() = default;
    SystemConfiguration(const SystemConfiguration&) = delete;
    SystemConfiguration& operator=(const SystemConfiguration&) = delete;

    // The desktop's small-icon size in pixels; 0 or less when it has none.
    void setDesktopSmallIconSize(std::function<int()> source) { smallIconSize_ = std::move(source); }
    static SidebarSize sidebarSizeFor(int smallIconSize);

    SidebarSize sidebarSize() const { return sidebarSize_.load(); }
    double sidebarIconSize() const { return sidebarIconSize_.load(); }
    double sidebarRowHeight() const { return sidebarRowHeight_.load(); }
    double sidebarRowHeightHeader() const { return 25.0; }
    double sidebarTextSize() const { return sidebarTextSize_.load(); }
    int sidebarVerticalSpacing() const { return 0; }

    SidebarSize readSidebarSizeMode() const;
    SidebarSize updateSidebarSize();
    void desktopChanged();

private:
    std::function<int()> smallIconSize_;
    std::atomic<SidebarSize> sidebarSize_{SidebarSize::medium};
    std::atomic<double> sidebarIconSize_{20.0};
    std::atomic<double> sidebarRowHeight_{28.0};
    std::atomic<double> sidebarTextSize_{13.0};
};

} // namespace vantel
