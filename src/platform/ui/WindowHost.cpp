#include "platform/ui/WindowHost.h"

#include "platform/NotificationCenter.h"
#include "platform/ui/FloatingWindow.h"
#include "platform/ui/HostedView.h"
#include "platform/ui/PopoverHost.h"
#include "platform/ui/ViewControllerBase.h"
#include "platform/ui/WindowPlacement.h"
#include "platform/ui/XcbAtom.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QVBoxLayout>
#include <QWindow>


#include <algorithm>

namespace vantel::platform {

const QString WindowHost::willCloseNotification = QStringLiteral("NSWindowWillCloseNotification");

namespace {

// A popover that is up covers what opens beside it: a floating tool window,
// kept above the program's other windows by the window manager. It closes
// as for a press outside it, unless the window is its own.
void closePopoversCovering(const QWidget* window)
{
    QList<QPointer<PopoverHost>> popovers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* popover = qobject_cast<PopoverHost*>(widget))
            popovers.append(popover);
    }
    for (const QPointer<PopoverHost>& popover : std::as_const(popovers)) {
        if (popover && popover->isShown() && !popover->isDetached()
            && popover->behavior() == PopoverHost::Behavior::transient && !popover->ownsWindow(window))
            popover->performClose();
    }
}

} // namespace

WindowHost::WindowHost(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Window)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

WindowHost::~WindowHost()
{
    if (modalLoop_)
        modalLoop_->exit(0);
    // The view belongs to its controller, not to this window.
    detachContent();
}

void WindowHost::setContentViewController(ViewControllerBase* controller)
{
    if (controller == content_)
        return;
    if (content_ && shown_) {
        content_->sendViewWillDisappear();
        detachContent();
        content_->sendViewDidDisappear();
    } else {
        detachContent();
    }
    content_ = controller;
    if (!content_)
        return;
    if (shown_) {
        content_->sendViewWillAppear();
        attachContent();
        content_->sendViewDidAppear();
    } else {
        attachContent();
    }
}

void WindowHost::attachContent()
{
    if (!content_)
        return;
    embedView(this, content_->view());
    if (const auto size = content_->preferredContentSize())
        resize(*size);
}

void WindowHost::detachContent()
{
    if (content_ && content_->isViewLoaded())
        releaseView(this, content_->view());
}

void WindowHost::showWindow()
{
    if (content_ && content_->isViewLoaded() && content_->view()->parentWidget() != this)
        attachContent();
    if (!shown_) {
        if (content_ && !content_->view()->parentWidget())
            attachContent();
        if (content_)
            content_->sendViewWillAppear();
        shown_ = true;
        placeForShow();
        show();
        applyTransientHint();
        if (content_)
            content_->sendViewDidAppear();
    } else if (!isVisible()) {
        show();
        applyTransientHint();
    }
    raiseAndActivate(this);
}

bool WindowHost::close()
{
    return closeKeepingNativeWindow(this);
}

void WindowHost::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    applyDesktopHint();
}

int WindowHost::runModal()
{
    if (modalLoop_)
        return -1;
    if (windowModality() == Qt::NonModal)
        setWindowModality(Qt::ApplicationModal);
    // Over the active window; one that just closed (a popover) is none.
    QWidget* active = QApplication::activeWindow();
    if (!parentWidget() && active && active != this && active->isVisible())
        presentedOver_ = active;
    showWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    modalCode_ = 0;
    QPointer<WindowHost> self(this);
    const int code = loop.exec(QEventLoop::DialogExec);
    if (self) {
        modalLoop_ = nullptr;
        presentedOver_ = nullptr;
    }
    return code;
}

void WindowHost::placeForShow()
{
    QWidget* over = parentWidget() ? parentWidget()->window() : presentedOver_.data();
    // What it is opened from: the window it is shown over, else the active one.
    QWidget* opener = over;
    if (QWidget* active = QApplication::activeWindow(); !opener && active != this && active && active->isVisible())
        opener = active;
    if (!parentWidget()) {
        // A window kept above the others would cover this one: it stays
        // above that one as its transient. Popovers give way to a window of
        // its own (below); a modal one goes above them.
        QWidget* transientFor = over ? over : floatingWindow(this, isModalPanel());
        transientFor_ = transientFor;
        // Made now, so that the transient parent is set before the window
        // maps; a window shown on its own again has none.
        if (transientFor && transientFor->windowHandle())
            create();
        if (QWindow* handle = windowHandle())
            handle->setTransientParent(transientFor ? transientFor->windowHandle() : nullptr);
    }
    if (over && over->isVisible()) {
        // Over the frame of the window it is opened from.
        const QScreen* screen = over->screen();
        WindowPlacement::centre(this, over->frameGeometry().center(), screen ? screen->availableGeometry() : QRect());
    } else if (!testAttribute(Qt::WA_Moved)) {
        // Left to the window manager it would go where it overlaps least,
        // which with a popover up is a corner of the screen.
        centreOnScreen(opener);
    }
    // A modal window leaves the popovers alone, as a modal dialog does: the
    // user answers it and comes back.
    if (!parentWidget() && !isModalPanel())
        closePopoversCovering(this);
}

void WindowHost::centreOnScreen(const QWidget* opener)
{
    // Its size as it will show: the layout's minimum, and for a window
    // nobody sized, its size hint, as showing it would do.
    if (layout())
        layout()->activate();
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
        setAttribute(Qt::WA_Resized, false);
    }
    WindowPlacement::centreOnScreen(this, opener);
}

void WindowHost::stopModal(int code)
{
    if (modalLoop_)
        modalLoop_->exit(code);
}

void WindowHost::setFloating(bool on)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
}

void WindowHost::setJoinsAllDesktops(bool on)
{
    joinsAllDesktops_ = on;
    if (isVisible())
        applyDesktopHint();
}

void WindowHost::applyDesktopHint()
{
    if (!joinsAllDesktops_ || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !windowHandle())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto window = xcb_window_t(winId());
    const xcb_atom_t desktop = internAtom(connection, "_NET_WM_DESKTOP");
    if (desktop == XCB_ATOM_NONE)
        return;
    // 0xFFFFFFFF is "all desktops"; a mapped window asks the window manager
    // through the root window, an unmapped one carries the property.
    const std::uint32_t all = 0xFFFFFFFFu;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &all);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = desktop;
        message.data.data32[0] = all;
        message.data.data32[1] = 2; // from a pager-like source: honoured by more managers
        xcb_send_event(connection, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    }
    xcb_flush(connection);
}

void WindowHost::applyTransientHint()
{
    // Qt tells the window manager of a transient parent only for dialogs and
    // tools, and clears it as a plain window maps: set here, the window
    // stacks above its parent, also above a floating one.
    if (parentWidget() || !transientFor_ || !transientFor_->isVisible()
        || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !windowHandle())
        return;
    const auto parent = xcb_window_t(transientFor_->winId());
    xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &parent);
    xcb_flush(x11->connection());
}

void WindowHost::closeEvent(QCloseEvent* event)
{
    if (closing_ || !shown_) {
        event->accept();
        return;
    }
    if (shouldClose_ && !shouldClose_()) {
        event->ignore();
        return;
    }
    closing_ = true;
    QPointer<WindowHost> self(this);
    NotificationCenter::defaultCenter().post(willCloseNotification, static_cast<QObject*>(this), this);
    if (!self)
        return;
    emit windowWillClose();
    if (!self)
        return;
    if (content_)
        content_->sendViewWillDisappear();
    shown_ = false;
    event->accept();
    hide();
    if (content_)
        content_->sendViewDidDisappear();
    closing_ = false;
    // A modal panel's loop ends with its window.
    stopModal(modalCode_);
    emit windowDidClose();
}

void WindowHost::keyPressEvent(QKeyEvent* event)
{
    // A modal panel closes on Escape, as dialogs do.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && (isModalPanel() || closesOnEscape_)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vantel::platform
