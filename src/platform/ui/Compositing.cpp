#include "platform/ui/Compositing.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace vantel::platform {

bool desktopComposites()
{
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return true;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const int dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':'))
        screen = display.mid(dot + 1).toInt();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const xcb_intern_atom_cookie_t atomCookie = xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(xcb_intern_atom_reply(connection, atomCookie, nullptr),
                                                                      &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const xcb_get_selection_owner_cookie_t ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr), &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace vantel::platform
