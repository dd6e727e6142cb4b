#include "platform/KeyboardLayouts.h"

#include "platform/KeyCodes.h"
#include "platform/X11Connection.h"

#include <QCoreApplication>
#include <QTimer>

#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <vector>

namespace vantel::platform {

namespace {

constexpr xkb_keysym_t keysymLevel3Shift = 0xfe03;

// The modifiers that the third-level shift key of the group sets, found by
// pressing it in a scratch state; 0 when the group has no such key.
unsigned level3Mask(xkb_keymap* keymap, xkb_layout_index_t group)
{
    unsigned mask = 0;
    for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap); kc <= xkb_keymap_max_keycode(keymap) && !mask; ++kc) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, kc, group, 0, &syms);
        for (int i = 0; i < count; ++i) {
            if (syms[i] != keysymLevel3Shift)
                continue;
            xkb_state* state = xkb_state_new(keymap);
            xkb_state_update_mask(state, 0, 0, 0, 0, 0, group);
            xkb_state_update_key(state, kc, XKB_KEY_DOWN);
            mask = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED);
            xkb_state_unref(state);
            break;
        }
    }
    return mask;
}

QStringList rulesNames(xcb_connection_t* connection, xcb_window_t root)
{
    static const char name[] = "_XKB_RULES_NAMES";
    auto atomCookie = xcb_intern_atom(connection, 1, sizeof(name) - 1, name);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return {};
    const xcb_atom_t rulesAtom = atom->atom;
    std::free(atom);
    if (rulesAtom == XCB_ATOM_NONE)
        return {};
    auto cookie = xcb_get_property(connection, 0, root, rulesAtom, XCB_ATOM_STRING, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    // rules, model, layout, variant, options: each ended by a NUL.
    QStringList parts;
    for (const QByteArray& part : value.split('\0'))
        parts << QString::fromUtf8(part);
    return parts;
}

} // namespace

KeyboardLayouts& KeyboardLayouts::shared()
{
    static KeyboardLayouts* const instance = new KeyboardLayouts();
    return *instance;
}

KeyboardLayouts::KeyboardLayouts()
{
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context_) {
        xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        usKeymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (usKeymap_)
            usLevel3Mask_ = level3Mask(usKeymap_, 0);
    }
    if (X11Connection* x11 = X11Connection::shared()) {
        live_ = true;
        x11->addEventHandler([this, x11](const xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) != x11->xkbFirstEvent())
                return;
            if (event->pad0 == XCB_XKB_STATE_NOTIFY) {
                const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
                if ((state->changed & XCB_XKB_STATE_PART_GROUP_STATE) && state->group != currentGroup_) {
                    currentGroup_ = state->group;
                    notify(Change::selectedLayout);
                }
            } else if (event->pad0 == XCB_XKB_MAP_NOTIFY || event->pad0 == XCB_XKB_NEW_KEYBOARD_NOTIFY) {
                // One change of the keymap comes as several events: read it once, after them.
                if (!reloadPending_) {
                    reloadPending_ = true;
                    QTimer::singleShot(0, QCoreApplication::instance(), [this] {
                        reloadPending_ = false;
                        const int group = currentGroup_;
                        reload();
                        notify(Change::layouts);
                        if (currentGroup_ != group)
                            notify(Change::selectedLayout);
                    });
                }
            }
        });
    }
    reload();
}

KeyboardLayouts::~KeyboardLayouts()
{
    if (keymap_)
        xkb_keymap_unref(keymap_);
    if (usKeymap_)
        xkb_keymap_unref(usKeymap_);
    if (context_)
        xkb_context_unref(context_);
}

void KeyboardLayouts::reload()
{
    layouts_.clear();
    level3Masks_.clear();
    X11Connection* x11 = live_ ? X11Connection::shared() : nullptr;
    xkb_keymap* fresh = nullptr;
    if (x11 && context_)
        fresh = xkb_x11_keymap_new_from_device(context_, x11->connection(), x11->coreKeyboardDeviceId(),
                                               XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_)
        xkb_keymap_unref(keymap_);
    keymap_ = fresh;
    if (!keymap_) {
        if (usKeymap_)
            layouts_.append({builtInUS, QStringLiteral("us"), QString(), QStringLiteral("English (US)"), true});
        currentGroup_ = builtInUS;
        return;
    }
    const QStringList names = rulesNames(x11->connection(), x11->rootWindow());
    const QStringList ids = names.size() > 2 ? names[2].split(QLatin1Char(',')) : QStringList();
    const QStringList variants = names.size() > 3 ? names[3].split(QLatin1Char(',')) : QStringList();
    const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap_);
    for (xkb_layout_index_t group = 0; group < count; ++group) {
        Layout layout;
        layout.group = static_cast<int>(group);
        layout.name = QString::fromUtf8(xkb_keymap_layout_get_name(keymap_, group));
        layout.id = group < static_cast<xkb_layout_index_t>(ids.size()) && !ids[group].isEmpty() ? ids[group]
                                                                                                 : layout.name;
        if (group < static_cast<xkb_layout_index_t>(variants.size()))
            layout.variant = variants[group];
        level3Masks_[layout.group] = level3Mask(keymap_, group);
        layouts_.append(layout);
    }
    // Letters a..z by their Mac codes, for the ASCII test.
    static constexpr int letterCodes[] = {0,  11, 8,  2,  14, 3,  5,  4,  34, 38, 40, 37, 46,
                                          45, 31, 35, 12, 15, 1,  17, 32, 9,  13, 7,  16, 6};
    for (Layout& layout : layouts_) {
        layout.asciiCapable = true;
        for (int code : letterCodes) {
            const auto text = translate(layout.group, code, false, false);
            if (!text || text->size() != 1 || text->at(0) < u'a' || text->at(0) > u'z') {
                layout.asciiCapable = false;
                break;
            }
        }
    }
    readCurrentGroup();
}

void KeyboardLayouts::readCurrentGroup()
{
    X11Connection* x11 = X11Connection::shared();
    currentGroup_ = layouts_.isEmpty() ? builtInUS : 0;
    if (!x11)
        return;
    auto cookie = xcb_xkb_get_state(x11->connection(), static_cast<xcb_xkb_device_spec_t>(x11->coreKeyboardDeviceId()));
    if (xcb_xkb_get_state_reply_t* reply = xcb_xkb_get_state_reply(x11->connection(), cookie, nullptr)) {
        if (reply->group < layouts_.size())
            currentGroup_ = reply->group;
        std::free(reply);
    }
}

std::optional<KeyboardLayouts::Layout> KeyboardLayouts::layout(int group) const
{
    for (const Layout& layout : layouts_)
        if (layout.group == group)
            return layout;
    if (group == builtInUS && usKeymap_)
        return Layout{builtInUS, QStringLiteral("us"), QString(), QStringLiteral("English (US)"), true};
    return std::nullopt;
}

int KeyboardLayouts::asciiCapableGroup() const
{
    for (const Layout& layout : layouts_)
        if (layout.asciiCapable)
            return layout.group;
    return builtInUS;
}

std::optional<QString> KeyboardLayouts::translate(int group, int macKeyCode, bool shift, bool option) const
{
    xkb_keymap* keymap = group == builtInUS ? usKeymap_ : keymap_;
    if (!keymap || (group != builtInUS && (group < 0 || group >= static_cast<int>(xkb_keymap_num_layouts(keymap)))))
        return std::nullopt;
    const auto evdev = KeyCodes::evdevCode(macKeyCode);
    if (!evdev)
        return std::nullopt;
    const xkb_keycode_t keycode = static_cast<xkb_keycode_t>(*evdev + KeyCodes::xkbKeycodeOffset);
    if (keycode < xkb_keymap_min_keycode(keymap) || keycode > xkb_keymap_max_keycode(keymap)
        || xkb_keymap_num_layouts_for_key(keymap, keycode) == 0)
        return std::nullopt;
    const xkb_layout_index_t layoutIndex = group == builtInUS ? 0 : static_cast<xkb_layout_index_t>(group);
    xkb_mod_mask_t mask = 0;
    if (shift) {
        const xkb_mod_index_t shiftIndex = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
        if (shiftIndex != XKB_MOD_INVALID)
            mask |= 1u << shiftIndex;
    }
    if (option) {
        if (group == builtInUS) {
            mask |= usLevel3Mask_;
        } else if (const auto it = level3Masks_.find(group); it != level3Masks_.end()) {
            mask |= it->second;
        }
    }
    xkb_state* state = xkb_state_new(keymap);
    if (!state)
        return std::nullopt;
    xkb_state_update_mask(state, mask, 0, 0, 0, 0, layoutIndex);
    const int size = xkb_state_key_get_utf8(state, keycode, nullptr, 0);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
    if (size > 0)
        xkb_state_key_get_utf8(state, keycode, buffer.data(), buffer.size());
    xkb_state_unref(state);
    return QString::fromUtf8(buffer.data(), size > 0 ? size : 0);
}

int KeyboardLayouts::addObserver(std::function<void(Change)> observer)
{
    const int id = nextObserverId_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void KeyboardLayouts::removeObserver(int id)
{
    observers_.erase(id);
}

void KeyboardLayouts::notify(Change change)
{
    std::vector<std::function<void(Change)>> snapshot;
    for (const auto& entry : observers_)
        snapshot.push_back(entry.second);
    for (const auto& observer : snapshot)
        observer(change);
}

} // namespace vantel::platform
