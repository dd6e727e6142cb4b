#include "platform/X11Connection.h"

#include "platform/Log.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>
#include <vector>

namespace vantel::platform {

namespace {

const LogCategory& x11Log()
{
    static const LogCategory category("hotkeys");
    return category;
}

QString& reasonStorage()
{
    static QString reason;
    return reason;
}

constexpr std::uint32_t keysymAltL = 0xffe9;
constexpr std::uint32_t keysymAltR = 0xffea;
constexpr std::uint32_t keysymSuperL = 0xffeb;
constexpr std::uint32_t keysymSuperR = 0xffec;
constexpr std::uint32_t keysymNumLock = 0xff7f;
constexpr std::uint32_t keysymScrollLock = 0xff14;

} // namespace

struct X11Connection::Notifier {
    std::unique_ptr<QSocketNotifier> socket;
    QMetaObject::Connection aboutToBlock;
};

X11Connection* X11Connection::shared()
{
    static X11Connection* const instance = [] () -> X11Connection* {
        if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread()) {
            reasonStorage() = QStringLiteral("the X connection must be opened on the main thread");
            return nullptr;
        }
        QString reason;
        std::unique_ptr<X11Connection> connection = open(&reason);
        if (!connection)
            reasonStorage() = reason;
        return connection.release();
    }();
    return instance;
}

std::unique_ptr<X11Connection> X11Connection::open(QString* reason)
{
    std::unique_ptr<X11Connection> connection(new X11Connection());
    if (!connection->connect(reason))
        return nullptr;
    return connection;
}

QString X11Connection::unavailableReason()
{
    return reasonStorage();
}

bool X11Connection::isWaylandSession()
{
    return qgetenv("XDG_SESSION_TYPE") == "wayland" || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

X11Connection::~X11Connection()
{
    if (notifier_)
        QObject::disconnect(notifier_->aboutToBlock);
    notifier_.reset();
    if (connection_)
        xcb_disconnect(connection_);
}

bool X11Connection::connect(QString* reason)
{
    if (qgetenv("DISPLAY").isEmpty()) {
        *reason = QStringLiteral("no X server: DISPLAY is not set");
        return false;
    }
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (!connection_ || xcb_connection_has_error(connection_)) {
        *reason = QStringLiteral("cannot connect to the X server %1").arg(QString::fromLocal8Bit(qgetenv("DISPLAY")));
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        *reason = QStringLiteral("the X server has no screen");
        return false;
    }
    root_ = it.data->root;

    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint8_t firstError = 0;
    if (!xkb_x11_setup_xkb_extension(connection_, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &major, &minor, &xkbFirstEvent_,
                                     &firstError)) {
        *reason = QStringLiteral("the X server has no XKB extension");
        return false;
    }
    keyboardDeviceId_ = xkb_x11_get_core_keyboard_device_id(connection_);
    if (keyboardDeviceId_ < 0) {
        *reason = QStringLiteral("the X server reports no core keyboard");
        return false;
    }

    const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY
        | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS
        | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS
        | XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(connection_, static_cast<xcb_xkb_device_spec_t>(keyboardDeviceId_), events, 0, events,
                          mapParts, mapParts, nullptr);

    const std::uint32_t autoRepeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    auto cookie = xcb_xkb_per_client_flags(connection_, static_cast<xcb_xkb_device_spec_t>(keyboardDeviceId_),
                                           autoRepeat, autoRepeat, 0, 0, 0);
    if (auto* reply = xcb_xkb_per_client_flags_reply(connection_, cookie, nullptr)) {
        detectableAutoRepeat_ = (reply->value & autoRepeat) != 0;
        std::free(reply);
    }
    readModifierMasks();

    notifier_ = std::make_unique<Notifier>();
    notifier_->socket = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_->socket.get(), &QSocketNotifier::activated, notifier_->socket.get(),
                     [this] { dispatchEvents(); });
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) {
        notifier_->aboutToBlock = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                                   notifier_->socket.get(), [this] { dispatchEvents(); });
    }
    xcb_flush(connection_);
    return true;
}

void X11Connection::readModifierMasks()
{
    ModifierMasks masks;
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const xcb_keycode_t minKeycode = setup->min_keycode;
    const xcb_keycode_t maxKeycode = setup->max_keycode;
    auto mappingCookie = xcb_get_keyboard_mapping(connection_, minKeycode, static_cast<std::uint8_t>(maxKeycode - minKeycode + 1));
    auto modifierCookie = xcb_get_modifier_mapping(connection_);
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(connection_, mappingCookie, nullptr);
    xcb_get_modifier_mapping_reply_t* modifiers = xcb_get_modifier_mapping_reply(connection_, modifierCookie, nullptr);
    if (mapping && modifiers) {
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
        const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(mapping);
        const int perKeycode = mapping->keysyms_per_keycode;
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers);
        const int perModifier = modifiers->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            const auto mask = static_cast<std::uint16_t>(1u << modifier);
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + k];
                if (keycode < minKeycode || keycode > maxKeycode)
                    continue;
                for (int level = 0; level < perKeycode; ++level) {
                    const int index = (keycode - minKeycode) * perKeycode + level;
                    if (index >= keysymCount)
                        break;
                    const xcb_keysym_t sym = keysyms[index];
                    // Shift, Lock and Control are fixed; only Mod1..Mod5 are searched.
                    if (modifier < 3)
                        continue;
                    if ((sym == keysymAltL || sym == keysymAltR) && !masks.alt)
                        masks.alt = mask;
                    else if ((sym == keysymSuperL || sym == keysymSuperR) && !masks.super)
                        masks.super = mask;
                    else if (sym == keysymNumLock && !masks.numLock)
                        masks.numLock = mask;
                    else if (sym == keysymScrollLock && !masks.scrollLock)
                        masks.scrollLock = mask;
                }
            }
        }
    }
    std::free(mapping);
    std::free(modifiers);
    // The usual places when the server's map names none.
    if (!masks.alt)
        masks.alt = XCB_MOD_MASK_1;
    if (!masks.super)
        masks.super = XCB_MOD_MASK_4;
    masks_ = masks;
}

int X11Connection::addEventHandler(EventHandler handler)
{
    const int id = nextHandlerId_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void X11Connection::removeEventHandler(int id)
{
    handlers_.erase(id);
}

void X11Connection::flush()
{
    xcb_flush(connection_);
    checkConnection();
}

void X11Connection::dispatchEvents()
{
    if (dispatching_ || !connection_)
        return;
    dispatching_ = true;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handle(event);
        std::free(event);
    }
    dispatching_ = false;
    checkConnection();
}

// A broken connection leaves its socket readable for ever: without this the
// notifier would fire in a loop and the hotkeys would be silently dead.
void X11Connection::checkConnection()
{
    if (isBroken())
        return;
    const int error = xcb_connection_has_error(connection_);
    if (error == 0)
        return;
    switch (error) {
    case XCB_CONN_ERROR:
        brokenReason_ = QStringLiteral("the connection to the X server was lost");
        break;
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        brokenReason_ = QStringLiteral("the X connection ran out of memory");
        break;
    default:
        brokenReason_ = QStringLiteral("the X connection failed (error %1)").arg(error);
        break;
    }
    if (notifier_) {
        notifier_->socket->setEnabled(false);
        QObject::disconnect(notifier_->aboutToBlock);
    }
    VLOG(x11Log(), LogType::Error, "!! Error - %{public}@; global hotkeys are unavailable", brokenReason_);
    auto handlers = brokenHandlers_;
    for (const auto& [id, handler] : handlers)
        handler();
}

int X11Connection::addBrokenHandler(std::function<void()> handler)
{
    const int id = nextHandlerId_++;
    brokenHandlers_.emplace(id, std::move(handler));
    return id;
}

void X11Connection::removeBrokenHandler(int id)
{
    brokenHandlers_.erase(id);
}

void X11Connection::handle(const xcb_generic_event_t* event)
{
    const std::uint8_t type = event->response_type & 0x7f;
    const bool mappingChanged = type == XCB_MAPPING_NOTIFY
        || (type == xkbFirstEvent_
            && (event->pad0 == XCB_XKB_MAP_NOTIFY || event->pad0 == XCB_XKB_NEW_KEYBOARD_NOTIFY));
    if (mappingChanged)
        readModifierMasks();
    // A handler may remove itself or another: walk a snapshot of the ids.
    std::vector<int> ids;
    ids.reserve(handlers_.size());
    for (const auto& entry : handlers_)
        ids.push_back(entry.first);
    for (int id : ids) {
        const auto it = handlers_.find(id);
        if (it != handlers_.end()) {
            EventHandler handler = it->second;
            handler(event);
        }
    }
}

} // namespace vantel::platform
