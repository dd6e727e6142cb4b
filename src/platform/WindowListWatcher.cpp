#include "platform/WindowListWatcher.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <unistd.h>

#include <xcb/xcb.h>

namespace vantel::platform {

struct WindowListWatcher::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t clientList = XCB_ATOM_NONE;
    xcb_atom_t processId = XCB_ATOM_NONE;

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
    const auto intern = [&](const char* name) {
        return xcb_intern_atom(connection->xcb, 0, uint16_t(std::strlen(name)), name);
    };
    const xcb_intern_atom_cookie_t clientList = intern("_NET_CLIENT_LIST");
    const xcb_intern_atom_cookie_t processId = intern("_NET_WM_PID");
    for (auto [cookie, atom] : {std::pair{clientList, &connection->clientList}, std::pair{processId, &connection->processId}}) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection->xcb, cookie, nullptr);
        if (!reply)
            return;
        *atom = reply->atom;
        std::free(reply);
    }
    connection->root = screens.data->root;
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

bool WindowListWatcher::othersChanged()
{
    if (!connection_)
        return true;
    xcb_connection_t* const xcb = connection_->xcb;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        xcb, xcb_get_property(xcb, 0, connection_->root, connection_->clientList, XCB_ATOM_WINDOW, 0, 1 << 16),
        nullptr);
    std::vector<Listed> now;
    if (reply) {
        const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_window_t));
        for (int i = 0; i < count; ++i)
            now.push_back({windows[i], false});
        std::free(reply);
    }
    std::sort(now.begin(), now.end());
    now.erase(std::unique(now.begin(), now.end(), [](const Listed& a, const Listed& b) { return a.window == b.window; }),
              now.end());

    // What is known of each window stays; the newcomers are asked whose they are, all at once.
    static const std::vector<Listed> none;
    const std::vector<Listed>& before = listed_ ? *listed_ : none;
    std::vector<std::pair<std::size_t, xcb_get_property_cookie_t>> asked;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const auto known = std::lower_bound(before.begin(), before.end(), now[i]);
        if (known != before.end() && known->window == now[i].window)
            now[i].own = known->own;
        else
            asked.emplace_back(i, xcb_get_property(xcb, 0, now[i].window, connection_->processId, XCB_ATOM_CARDINAL, 0, 1));
    }
    bool others = !listed_;
    const quint32 ownProcess = quint32(::getpid());
    for (const auto& [i, cookie] : asked) {
        xcb_get_property_reply_t* pid = xcb_get_property_reply(xcb, cookie, nullptr);
        now[i].own = pid && xcb_get_property_value_length(pid) == 4
            && *static_cast<const quint32*>(xcb_get_property_value(pid)) == ownProcess;
        std::free(pid);
        others = others || !now[i].own;
    }
    for (const Listed& window : before)
        if (!window.own && !std::binary_search(now.begin(), now.end(), window))
            others = true; // another program's window went
    listed_ = std::move(now);
    return others;
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
