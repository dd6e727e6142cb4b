#pragma once

#include "shell/StatusBarItem.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

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
// Without a tray (none at all, or a panel that starts after Vantel) the
// icon is set up all the same and appears when a tray does; until then the
// user is told once, in a message window, how to reach the main view.
class StatusItem : public QObject, public StatusBarItem {
    Q_OBJECT
public:
    // `trayAvailable` answers whether a tray shows the icon now; tests pass
    // their own answer.
    explicit StatusItem(std::function<bool()> trayAvailable = {}, QObject* parent = nullptr);
    ~StatusItem() override;

    // How long a tray may take to appear before the user is told.
    static constexpr int noTrayNoticeDelayMilliseconds = 5000;

    bool hasButton() const override { return tray_ != nullptr; }
    void setImage(const std::optional<QIcon>& image) override;
    std::optional<QIcon> image() const override { return image_; }
    void setUpButton() override;
    QRect geometry() const override;

    QSystemTrayIcon* trayIcon() const { return tray_; }

    // What a click does; the tray's activation lands here.
    enum class Click { left, right, controlLeft };
    void statusBarButtonAction(Click click);

    // The notice shown when no tray appeared in time; none before (or with a tray).
    QWidget* noTrayNotice() const { return notice_; }
    // The notice's text, with the window hotkey when one is set.
    static QString noTrayNoticeText(const QString& windowHotkey);

private:
    void menuAboutToShow();
    // Tells the user, once, when no tray has shown the icon by now.
    void checkTray();

    std::function<bool()> trayAvailable_;
    QSystemTrayIcon* tray_ = nullptr;
    QPointer<QWidget> notice_;
    bool noticeGiven_ = false;
    std::optional<QIcon> image_;
    bool buttonSetUp_ = false;
};

} // namespace vantel
