#pragma once

#include <QString>

#include <atomic>
#include <memory>

class QFileSystemWatcher;

namespace vantel {

namespace platform {
class UserDefaults;
}

enum class SidebarSize { small, medium, large };

// The sidebar metrics that follow the desktop-wide sidebar size. Linux has
// no such setting, so it is read from "NSTableViewDefaultSizeMode" in a
// global-domain file beside the settings file (1 small, 2 medium, 3 large;
// anything else medium), watched for changes: each change of the value
// updates the metrics and posts "systemSidebarSizeChanged" on the main thread.
class SystemConfiguration {
public:
    static SystemConfiguration& shared();
    // $XDG_CONFIG_HOME/Vantel/GlobalPreferences.plist
    static QString globalDomainFilePath();
    explicit SystemConfiguration(const QString& globalDomainFile);
    ~SystemConfiguration();
    SystemConfiguration(const SystemConfiguration&) = delete;
    SystemConfiguration& operator=(const SystemConfiguration&) = delete;

    const QString tableViewDefaultSizeModeKey = QStringLiteral("NSTableViewDefaultSizeMode");

    SidebarSize sidebarSize() const { return sidebarSize_.load(); }
    double sidebarIconSize() const { return sidebarIconSize_.load(); }
    double sidebarRowHeight() const { return sidebarRowHeight_.load(); }
    double sidebarRowHeightHeader() const { return 25.0; }
    double sidebarTextSize() const { return sidebarTextSize_.load(); }
    int sidebarVerticalSpacing() const { return 0; }

    SidebarSize readSidebarSizeMode() const;
    SidebarSize updateSidebarSize();

private:
    void fileChanged();
    void watch();

    std::unique_ptr<platform::UserDefaults> defaults_;
    std::unique_ptr<QFileSystemWatcher> watcher_;
    std::atomic<SidebarSize> sidebarSize_{SidebarSize::medium};
    std::atomic<double> sidebarIconSize_{20.0};
    std::atomic<double> sidebarRowHeight_{28.0};
    std::atomic<double> sidebarTextSize_{13.0};
    QString lastValue_;
};

} // namespace vantel
