#include "platform/WindowList.h"

#include <QByteArray>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <sys/uio.h>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace vantel::platform {

namespace {

// Reads a whole property, or nothing when the window lacks it.
QByteArray property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t atom, xcb_atom_t type)
{
    auto cookie = xcb_get_property(connection, 0, window, atom, type, 0, 1 << 16);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return {};
    QByteArray value;
    if (reply->type != XCB_NONE) {
        const int length = xcb_get_property_value_length(reply);
        value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), length);
    }
    std::free(reply);
    return value;
}

QList<quint32> cardinals(const QByteArray& value)
{
    QList<quint32> list;
    for (qsizetype offset = 0; offset + 4 <= value.size(); offset += 4) {
        quint32 item = 0;
        std::memcpy(&item, value.constData() + offset, 4);
        list << item;
    }
    return list;
}

// The X-Resource extension, asked by hand: its one request used here does
// not need a library of its own.
xcb_extension_t resourceExtension{"X-Resource", 0};
constexpr uint8_t queryClientIds = 4;
constexpr uint32_t localClientPidMask = 2;

// The process of the local client that made the window, as the X server
// knows it from the client's socket; 0 when the server does not say (no
// X-Resource extension, a client over the network).
qint64 serverKnownPid(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &resourceExtension);
    if (!extension || !extension->present)
        return 0;
    struct {
        uint8_t majorOpcode, minorOpcode;
        uint16_t length;
        uint32_t specCount;
        uint32_t client, mask; // a resource of the client stands for it
    } request{0, 0, 0, 1, window, localClientPidMask};
    iovec parts[4]{};
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    const xcb_protocol_request_t kind{2, &resourceExtension, queryClientIds, 0};
    const unsigned int sequence = xcb_send_request(connection, XCB_REQUEST_CHECKED, parts + 2, &kind);
    xcb_generic_error_t* error = nullptr;
    auto* reply = static_cast<uint8_t*>(xcb_wait_for_reply(connection, sequence, &error));
    std::free(error);
    if (!reply)
        return 0;
    // The reply: 32 bytes, the count of values at 8, then each value as its
    // client, its mask, its length in bytes and the value itself.
    const qsizetype size = 32 + qsizetype(reinterpret_cast<const xcb_generic_reply_t*>(reply)->length) * 4;
    uint32_t count = 0;
    std::memcpy(&count, reply + 8, 4);
    qint64 pid = 0;
    for (qsizetype offset = 32; count > 0 && offset + 12 <= size; --count) {
        uint32_t fields[3];
        std::memcpy(fields, reply + offset, 12);
        offset += 12;
        if (fields[2] > quint64(size - offset)) // a value longer than the reply: not to be read
            break;
        if (fields[1] == localClientPidMask && fields[2] == 4 && offset + 4 <= size) {
            uint32_t value = 0;
            std::memcpy(&value, reply + offset, 4);
            pid = value;
        }
        offset += (qsizetype(fields[2]) + 3) & ~qsizetype(3);
    }
    std::free(reply);
    return pid;
}

} // namespace

struct WindowList::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t clientList = 0, clientListStacking = 0, pid = 0, windowType = 0, typeNormal = 0, state = 0,
               skipTaskbar = 0, activeWindow = 0;
    xcb_window_t timeWindow = 0; // made on first use, for reading the server time

    ~Connection()
    {
        if (xcb)
            xcb_disconnect(xcb);
    }

    xcb_atom_t atom(const char* name)
    {
        auto cookie = xcb_intern_atom(xcb, 0, uint16_t(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(xcb, cookie, nullptr);
        if (!reply)
            return XCB_ATOM_NONE;
        const xcb_atom_t value = reply->atom;
        std::free(reply);
        return value;
    }
};

WindowList::WindowList() = default;
WindowList::~WindowList() = default;

bool WindowList::isConnected() const
{
    return connection_ != nullptr;
}

bool WindowList::connect()
{
    if (connection_) {
        if (!xcb_connection_has_error(connection_->xcb))
            return true;
        connection_.reset(); // the display went away; try again later
        retryCountdown_ = 20;
    }
    if (retryCountdown_ > 0) {
        --retryCountdown_;
        return false;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->xcb = xcb_connect(nullptr, &screenNumber);
    if (!connection->xcb || xcb_connection_has_error(connection->xcb)) {
        retryCountdown_ = 20;
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        retryCountdown_ = 20;
        return false;
    }
    connection->root = screens.data->root;
    connection->clientList = connection->atom("_NET_CLIENT_LIST");
    connection->clientListStacking = connection->atom("_NET_CLIENT_LIST_STACKING");
    connection->activeWindow = connection->atom("_NET_ACTIVE_WINDOW");
    connection->pid = connection->atom("_NET_WM_PID");
    connection->windowType = connection->atom("_NET_WM_WINDOW_TYPE");
    connection->typeNormal = connection->atom("_NET_WM_WINDOW_TYPE_NORMAL");
    connection->state = connection->atom("_NET_WM_STATE");
    connection->skipTaskbar = connection->atom("_NET_WM_STATE_SKIP_TASKBAR");
    connection_ = std::move(connection);
    return true;
}

QList<WindowInfo> WindowList::windows()
{
    if (!connect())
        return {};
    Connection& c = *connection_;
    QList<WindowInfo> result;
    QList<quint32> clients = cardinals(property(c.xcb, c.root, c.clientListStacking, XCB_ATOM_WINDOW));
    if (clients.isEmpty())
        clients = cardinals(property(c.xcb, c.root, c.clientList, XCB_ATOM_WINDOW));
    for (quint32 window : clients) {
        WindowInfo info;
        info.window = window;
        const QList<quint32> pid = cardinals(property(c.xcb, window, c.pid, XCB_ATOM_CARDINAL));
        // A client that does not name its process (xmessage and other old
        // programs) is still known to the server.
        info.pid = pid.isEmpty() ? serverKnownPid(c.xcb, window) : qint64(pid.first());
        // WM_CLASS holds "instance\0class\0".
        const QList<QByteArray> names = property(c.xcb, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        info.instanceName = names.size() > 0 ? QString::fromLocal8Bit(names[0]) : QString();
        info.className = names.size() > 1 ? QString::fromLocal8Bit(names[1]) : QString();
        const QList<quint32> types = cardinals(property(c.xcb, window, c.windowType, XCB_ATOM_ATOM));
        const QList<quint32> states = cardinals(property(c.xcb, window, c.state, XCB_ATOM_ATOM));
        info.normal = (types.isEmpty() || types.contains(c.typeNormal)) && !states.contains(c.skipTaskbar);
        result << info;
    }
    return result;
}

std::optional<quint32> WindowList::serverTime()
{
    if (!connect())
        return std::nullopt;
    Connection& c = *connection_;
    if (!c.timeWindow) {
        c.timeWindow = xcb_generate_id(c.xcb);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c.xcb, XCB_COPY_FROM_PARENT, c.timeWindow, c.root, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    }
    // Appending nothing to a property changes nothing but still sends a
    // PropertyNotify, which carries the server's time.
    xcb_change_property(c.xcb, XCB_PROP_MODE_APPEND, c.timeWindow, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c.xcb);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c.xcb)) {
            std::optional<quint32> time;
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (notify->window == c.timeWindow)
                    time = notify->time;
            }
            std::free(event);
            if (time)
                return time;
        }
        if (xcb_connection_has_error(c.xcb))
            return std::nullopt;
        pollfd descriptor{xcb_get_file_descriptor(c.xcb), POLLIN, 0};
        (void)::poll(&descriptor, 1, 100);
    }
    return std::nullopt;
}

bool WindowList::activate(quint32 window, quint32 timestamp)
{
    if (!connect() || !window)
        return false;
    Connection& c = *connection_;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = c.activeWindow;
    message.data.data32[0] = 2; // from a pager: the user asked for it
    message.data.data32[1] = timestamp;
    message.data.data32[2] = 0; // our own active window: none
    // Waiting for the server's answer makes sure the message went out before
    // the connection may close: without it the message was sometimes lost.
    xcb_generic_error_t* error = xcb_request_check(
        c.xcb, xcb_send_event_checked(c.xcb, 0, c.root,
                                      XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                      reinterpret_cast<const char*>(&message)));
    const bool sent = !error && !xcb_connection_has_error(c.xcb);
    std::free(error);
    return sent;
}

} // namespace vantel::platform
