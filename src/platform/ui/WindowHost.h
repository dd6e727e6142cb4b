#pragma once

#include "platform/ui/ViewControllerBase.h"

#include <QPointer>
#include <QWidget>

class QEventLoop;

namespace vantel::platform {


// A top-level window that shows one view controller's view and drives its
// life cycle: showWindow calls viewWillAppear before the window is shown and
// viewDidAppear right after; a close calls viewWillDisappear before the window
// goes and viewDidDisappear after.
//
// Every close (close(), the title bar's button, Escape in a modal panel)
// posts "NSWindowWillCloseNotification" on the default notification centre,
// with the window as a QObject* object, and emits windowWillClose(), both
// before the window disappears. Dismiss it with close(), never hide(): a bare
// hide posts nothing, so whoever tracks the window would not learn it went.
//
// A window opened from another (a child window, such as a sheet, or a
// window run modally while another one is active) is centred over that one
// when it shows and stays above it (its transient parent). A window of its
// own, shown for the first time and placed by nobody, is centred on the
// screen of the window it is opened from (the active one), else on the
// pointer's; the popovers shown then give way to it, as to a press outside
// them, and a floating window still up keeps it above. A modal one leaves the
// popovers up and goes above them.
//
// The window is not destroyed when it closes; it can be shown again.
class WindowHost : public QWidget {
    Q_OBJECT

public:
    static const QString willCloseNotification;

    explicit WindowHost(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~WindowHost() override;

    // The shown controller, not owned. Replacing it while the window is
    // shown lets the old one disappear and the new one appear; nullptr gives
    // the view back to its controller.
    void setContentViewController(ViewControllerBase* controller);
    ViewControllerBase* contentViewController() const { return content_; }

    // Shows, raises and activates the window; the content appears.
    void showWindow();
    // Closes as the title bar's button does, asking the close handler; the
    // native window stays for the next show.
    bool close();
    bool isShown() const { return shown_; }

    // Shows the window application-modal and returns when it closes or
    // stopModal is called; the result is stopModal's code (0 when closed).
    // A window of its own runs over the window active when the run began.
    int runModal();
    void stopModal(int code = 0);
    bool isRunningModal() const { return modalLoop_ != nullptr; }
    // A modal panel: the window blocks others (application- or window-modal).
    bool isModalPanel() const { return windowModality() != Qt::NonModal; }

    // Keeps the window above normal windows (the floating level).
    void setFloating(bool on);
    // Asks the window manager to show the window on every desktop; best
    // effort, only where the platform has a way to say it (X11).
    void setJoinsAllDesktops(bool on);
    bool joinsAllDesktops() const { return joinsAllDesktops_; }

    // Escape that no control of the window takes closes it, as it closes a
    // modal panel; off by default.
    void setClosesOnEscape(bool on) { closesOnEscape_ = on; }

    // Whether a close may hide the window; the default answers yes.
    void setShouldCloseHandler(std::function<bool()> handler) { shouldClose_ = std::move(handler); }

signals:
    void windowWillClose();
    void windowDidClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void attachContent();
    void detachContent();
    void applyDesktopHint();
    void applyTransientHint();
    // Places the window as it first shows, over or above the one it is
    // opened from; the popovers that would cover it close.
    void placeForShow();
    void centreOnScreen(const QWidget* opener);

    QPointer<ViewControllerBase> content_;
    bool shown_ = false;
    bool closing_ = false;
    bool joinsAllDesktops_ = false;
    bool closesOnEscape_ = false;
    QEventLoop* modalLoop_ = nullptr;
    // The window a modal run began over, while it runs.
    QPointer<QWidget> presentedOver_;
    // The window it stays above since it last showed, if any.
    QPointer<QWidget> transientFor_;
    int modalCode_ = 0;
    std::function<bool()> shouldClose_;
};

} // namespace vantel::platform
