#pragma once

#include "settings/ui/SettingsServices.h"
#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QTabWidget>

#include <memory>
#include <vector>

namespace vantel {

// The settings window's content: six tabs (General, Appearance, Search
// scope, Folder access, URL templates, Advanced), one pane each. Switching
// tabs lets the old pane disappear before the new one appears, so every pane
// writes its controls back when it leaves and refills them when it comes.
//
// While it is shown every global hotkey is paused; when it goes, the shown
// pane writes back first, then the configuration is saved and the hotkeys of
// all five kinds are registered anew, and the pause ends.
class ConfigTabViewController_Settings : public SettingsViewController {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("ConfigSettings");

    explicit ConfigTabViewController_Settings(SettingsServices services = SettingsServices::shared(),
                                              QObject* parent = nullptr);
    ~ConfigTabViewController_Settings() override;

    QTabWidget* tabView() const { return tabView_; }
    // The pane of a tab, in tab order.
    platform::ViewControllerBase* pane(int index) const;
    int paneCount() const { return static_cast<int>(panes_.size()); }
    template <class Pane>
    Pane* paneOf() const
    {
        for (const auto& pane : panes_) {
            if (auto* typed = dynamic_cast<Pane*>(pane.get()))
                return typed;
        }
        return nullptr;
    }

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    void currentTabChanged(int index);

    SettingsServices services_;
    std::vector<std::unique_ptr<platform::ViewControllerBase>> panes_;
    QPointer<QTabWidget> tabView_;
    int shownPane_ = -1;
    bool paused_ = false;
};

} // namespace vantel
