#pragma once

#include "settings/ui/ConfigViewControllerBase.h"
#include "settings/ui/ConfigWindowServices.h"

#include <QPointer>

#include <memory>

class QSplitter;

namespace vantel::settingsui {

class ConfigViewControllerContent;
class ConfigViewControllerSidebar;

// The content of the data window ("ConfigViewController" of "ConfigData"):
// a split view of the entry list and the editor sidebar. It drives both
// children's appearance with its own; the sidebar can be shown and hidden
// (toggleSidebar), and appears and disappears with it. Main thread only.
class ConfigSplitViewController : public ConfigViewControllerBase {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("ConfigViewController");

    explicit ConfigSplitViewController(QObject* parent = nullptr);
    explicit ConfigSplitViewController(ConfigWindowServices services, QObject* parent = nullptr);
    ~ConfigSplitViewController() override;

    // The entry list of the split view.
    ConfigViewControllerContent* configContentController() const { return content_.get(); }
    ConfigViewControllerSidebar* sidebarController() const { return sidebar_.get(); }
    QSplitter* splitView();

    bool isSidebarCollapsed() const { return sidebarCollapsed_; }
    void toggleSidebar();
    void setSidebarCollapsed(bool collapsed);

    // This controller as a presenter of sheets: the split view's window.
    std::shared_ptr<ViewController> asPresenter();

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    ConfigWindowServices services_;
    std::shared_ptr<ConfigViewControllerContent> content_;
    std::shared_ptr<ConfigViewControllerSidebar> sidebar_;
    QSplitter* splitter_ = nullptr;
    bool sidebarCollapsed_ = false;
};

} // namespace vantel::settingsui
