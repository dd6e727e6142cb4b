#include "platform/WindowListWatcher.h"

#include <QSocketNotifier>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace vantel::platform {

struct WindowListWatcher::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_atom_t clientList = XCB_ATOM_NONE;

    ~Connection()
    {
        if (xcb)
            xcb_disconnect(xcb);
    }
};

WindowListWatcher::WindowListWatcher(std::function<void()> changed)
    : changed_(std::move(changed))
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->xcb = xcb_connect(nullptr, &screenNumber);
    if (!connection->xcb || xcb_connection_has_error(connection->xcb))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return;
    static const char name[] = "_NET_CLIENT_LIST";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection->xcb, xcb_intern_atom(connection->xcb, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom)
        return;
    connection->clientList = atom->atom;
    std::free(atom);
    // Other clients may select on the root window too: event masks are per client.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection->xcb, screens.data->root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection->xcb);

    connection_ = std::move(connection);
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_->xcb), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readEvents(); });
}

WindowListWatcher::~WindowListWatcher() = default;

bool WindowListWatcher::isWatching() const
{
    return notifier_ != nullptr;
}

void WindowListWatcher::readEvents()
{
    bool listChanged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_->xcb)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            listChanged = listChanged || notify->atom == connection_->clientList;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(connection_->xcb)) {
        // The display is gone: nothing more will come. Deleted later, since
        // the notifier is signalling now.
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    if (listChanged && changed_)
        changed_();
}

} // namespace vantel::platform
