#pragma once

#include "shell/StatusBarItem.h"

#include <QObject>

#include <functional>

class QMenu;
class QSystemTrayIcon;

namespace vantel {

// The status-bar item on a Linux tray (StatusNotifierItem or XEmbed, as the
// desktop offers). A left click toggles the main view; a right click shows
// the status menu, filled and validated as it opens; a left click with
// Super held (the Control key of the key mapping) shows the menu and, after
// it closes, toggles the main view. Trays deliver no drops to an icon, so
// files reach the main view through its own drop area and "Open with".
// Without any tray the item has no button and the program runs on.
class StatusItem : public QObject, public StatusBarItem {
    Q_OBJECT
public:
    // `trayAvailable` is asked once; tests pass their own answer.
    explicit StatusItem(std::function<bool()> trayAvailable = {}, QObject* parent = nullptr);
    ~StatusItem() override;

    bool hasButton() const override { return tray_ != nullptr; }
    void setImage(const std::optional<QIcon>& image) override;
    std::optional<QIcon> image() const override { return image_; }
    void setUpButton() override;
    QRect geometry() const override;

    QSystemTrayIcon* trayIcon() const { return tray_; }

    // What a click does; the tray's activation lands here.
    enum class Click { left, right, controlLeft };
    void statusBarButtonAction(Click click);

private:
    void menuAboutToShow();

    QSystemTrayIcon* tray_ = nullptr;
    std::optional<QIcon> image_;
    bool buttonSetUp_ = false;
};

} // namespace vantel
