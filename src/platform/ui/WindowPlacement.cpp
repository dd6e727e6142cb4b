#include "platform/ui/WindowPlacement.h"

#include "platform/ui/ScreenProvider.h"
#include "platform/ui/XcbAtom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>


#include <algorithm>
#include <optional>

namespace vantel::platform::WindowPlacement {

namespace {

// The CARDINAL/ATOM list of a property; empty when it is not set.
QList<std::uint32_t> property32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    QList<std::uint32_t> values;
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, name, type, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values = QList<std::uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

// What the window manager says it will put around the unmapped window
// (_NET_REQUEST_FRAME_EXTENTS); none from a manager that does not offer it.
std::optional<QMargins> requestedExtents(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t request = internAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = internAtom(connection, "_NET_FRAME_EXTENTS");
    if (!screen || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE
        || !property32(connection, screen->root, internAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM).contains(request))
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    xcb_delete_property(connection, id, extents);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    // The manager answers at once; a busy one is given a little longer.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 500) {
        const QList<std::uint32_t> values = property32(connection, id, extents, XCB_ATOM_CARDINAL);
        if (values.size() == 4)
            return QMargins(int(values[0]), int(values[2]), int(values[1]), int(values[3]));
        QThread::msleep(2);
    }
    return std::nullopt;
}

bool undecorated(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    return window->windowFlags().testAnyFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
        || type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

QMargins measured(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

} // namespace

QMargins decoration(QWidget* window)
{
    if (undecorated(window))
        return {};
    if (window->isVisible() && window->testAttribute(Qt::WA_Mapped)) {
        if (const QMargins margins = measured(window); !margins.isNull())
            return margins;
    }
    // Asked for on a window of its own only: making the native window of one
    // opened from another (a sheet) before it shows leaves a stray native
    // child in that one, over the sheet.
    if (QGuiApplication::platformName() == QLatin1String("xcb")
        && (!window->parentWidget() || window->testAttribute(Qt::WA_WState_Created))) {
        if (const auto margins = requestedExtents(window))
            return *margins;
    }
    // As the window it is opened from has it, else another framed window.
    if (const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        over && over->isVisible() && !undecorated(over) && !measured(over).isNull())
        return measured(over);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && !undecorated(other) && !measured(other).isNull())
            return measured(other);
    }
    return {};
}

void centre(QWidget* window, const QPoint& centre, const QRect& area)
{
    const QMargins margins = decoration(window);
    QRect frame(QPoint(), window->size().grownBy(margins));
    frame.moveCenter(centre);
    if (area.isValid()) {
        frame.moveLeft(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
        frame.moveTop(std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    }
    // The inside of the frame, placed as such: whether move() means the
    // frame or the inside depends on whether the native window exists yet.
    const bool sized = window->testAttribute(Qt::WA_Resized);
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
    window->setAttribute(Qt::WA_Resized, sized);
}

void centreOnScreen(QWidget* window, const QWidget* opener)
{
    const ScreenProvider& screens = ScreenProvider::shared();
    std::optional<ScreenInfo> screen = opener ? screens.screenFor(opener->frameGeometry()) : std::nullopt;
    if (!screen)
        screen = screens.screenWithMouse();
    if (!screen)
        screen = screens.mainScreen();
    if (!screen)
        screen = screens.firstScreen();
    if (!screen)
        return;
    const QRect area = screen->availableFrame.isValid() ? screen->availableFrame : screen->frame;
    centre(window, area.center(), area);
}

} // namespace vantel::platform::WindowPlacement
