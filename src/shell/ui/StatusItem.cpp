#include "shell/ui/StatusItem.h"

#include "hotkeys/KeyCombo.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "shell/AppDelegate.h"
#include "shell/VantelWindowEnum.h"
#include "shell/WindowManagerCalls.h"
#include "shell/ui/MenuManager.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

namespace vantel {

namespace {

const platform::LogCategory& general()
{
    return Logger::general();
}

} // namespace

StatusItem::StatusItem(std::function<bool()> trayAvailable, QObject* parent)
    : QObject(parent)
    , trayAvailable_(trayAvailable ? std::move(trayAvailable)
                                   : std::function<bool()>([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
{
    // Made even without a tray: Qt embeds a shown icon into a tray that
    // appears later (a panel that starts after Vantel at log-in).
    tray_ = new QSystemTrayIcon(this);
    tray_->setToolTip(QStringLiteral("Vantel"));
    if (!trayAvailable_())
        VLOG(general(), platform::LogType::Default,
             "No system tray on this desktop: Vantel runs without its status item; the window hotkey or starting "
             "Vantel again shows the main view");
}

QString StatusItem::noTrayNoticeText(const QString& windowHotkey)
{
    const QString hotkey = windowHotkey.isEmpty()
        ? localized("the window hotkey (once one is set in the preferences)")
        : localized("the window hotkey %1").arg(windowHotkey);
    return localized("Vantel is running, but this desktop shows no system tray for its icon.\n\n"
                     "To show the main view, press %1, or start Vantel again.\n\n"
                     "The icon appears by itself once a tray is there.")
        .arg(hotkey);
}

void StatusItem::checkTray()
{
    if (noticeGiven_ || trayAvailable_())
        return;
    // The first-run assistant speaks first; the notice waits until it is gone.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->findChild<QWidget*>(QStringLiteral("FirstRunViewController"))) {
            QTimer::singleShot(1000, this, &StatusItem::checkTray);
            return;
        }
    }
    noticeGiven_ = true;
    const std::optional<KeyCombo> hotkey = AppDelegate::shared().config().globalKeyCombo();
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Vantel"),
                                noTrayNoticeText(hotkey ? hotkey->displayString() : QString()), QMessageBox::Ok);
    box->setObjectName(QStringLiteral("NoTrayNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    notice_ = box;
    box->show();
    VLOG(general(), platform::LogType::Default, "No system tray: the user was told how to reach the main view");
}

StatusItem::~StatusItem() = default;

void StatusItem::setImage(const std::optional<QIcon>& image)
{
    image_ = image;
    if (!tray_)
        return;
    tray_->setIcon(image ? *image : QIcon());
    // A tray shows an item only once it has an icon.
    tray_->show();
}

void StatusItem::setUpButton()
{
    if (!tray_ || buttonSetUp_)
        return;
    buttonSetUp_ = true;
    QTimer::singleShot(noTrayNoticeDelayMilliseconds, this, &StatusItem::checkTray);
    // The tray shows the context menu itself (a StatusNotifierItem tray may
    // never report the right click); it is refilled as it opens.
    QMenu* menu = MenuManager::shared().getStatusbarMenu();
    tray_->setContextMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, &StatusItem::menuAboutToShow);
    // The popover hangs under the icon where the tray says where it is.
    QPointer<StatusItem> self(this);
    WindowManagerCalls::setStatusItemAnchorProvider([self]() -> std::optional<QRect> {
        const QRect frame = self ? self->geometry() : QRect();
        return frame.isEmpty() ? std::nullopt : std::optional<QRect>(frame);
    });
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A quick second click arrives as a double click; it toggles all the same.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
            const bool control = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::MetaModifier);
            statusBarButtonAction(control ? Click::controlLeft : Click::left);
        }
        // The right click's menu is on its way through menuAboutToShow.
    });
}

QRect StatusItem::geometry() const
{
    return tray_ ? tray_->geometry() : QRect();
}

void StatusItem::menuAboutToShow()
{
    VLOG(general(), platform::LogType::Default, "statusBarButtonAction detected");
    VLOG(general(), platform::LogType::Default, "statusBarButtonAction -> right click");
    VantelWindowEnum::closeWindow(VantelWindowEnum::main);
    MenuManager::shared().getStatusbarMenu();
}

void StatusItem::statusBarButtonAction(Click click)
{
    if (click == Click::right) {
        // Through the menu's own opening, so both ways of opening it agree.
        QMenu* menu = MenuManager::shared().getStatusbarMenu();
        const QRect frame = geometry();
        menu->exec(frame.isEmpty() ? QCursor::pos() : frame.bottomLeft());
        return;
    }
    VLOG(general(), platform::LogType::Default, "statusBarButtonAction detected");
    if (!tray_) {
        VLOG(general(), platform::LogType::Error, "statusBarButtonAction - The StatusBarItem has no Button assigned!");
        return;
    }
    if (click == Click::controlLeft) {
        // The menu first; the toggle after it has closed.
        QMenu* menu = MenuManager::shared().getStatusbarMenu();
        const QRect frame = geometry();
        menu->exec(frame.isEmpty() ? QCursor::pos() : frame.bottomLeft());
    }
    VLOG(general(), platform::LogType::Default, "statusBarButtonAction -> left click");
    AppDelegate::shared().switchMainWindow();
}

} // namespace vantel
