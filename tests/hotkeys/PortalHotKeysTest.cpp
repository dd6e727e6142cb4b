#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/HotKeyManager.h"
#include "platform/PortalHotKeys.h"

#include "datastore/DatastoreTestSupport.h"
#include "support/FakePortal.h"
#include "support/PrivateBus.h"

#include "platform/Log.h"

#include <QDBusObjectPath>

using namespace vantel;
using namespace vantel::test;
using platform::PortalHotKeys::describesOtherKeys;
using platform::PortalHotKeys::trigger;

namespace {

constexpr std::uint32_t command = 0x100, shift = 0x200, option = 0x800, control = 0x1000, function = 0x800000;

TEST(PortalHotKeys, CombinationsInTheShortcutSyntaxAndWhatTheDesktopSaysOfThem)
{
    EXPECT_EQ(trigger(40, command | option), QStringLiteral("CTRL+ALT+k"));
    EXPECT_EQ(trigger(122, control | shift | function), QStringLiteral("SHIFT+LOGO+F1"));
    EXPECT_EQ(trigger(27, command), QStringLiteral("CTRL+minus"));
    EXPECT_EQ(trigger(36, option), QStringLiteral("ALT+Return"));
    EXPECT_TRUE(trigger(40, command | 0x4000).isEmpty());
    EXPECT_TRUE(trigger(127, command).isEmpty()); // no such key

    for (const char* same : {"CTRL+ALT+k", "Ctrl+Alt+K", "Alt + Control + k", "<Control><Alt>k"})
        EXPECT_FALSE(describesOtherKeys(QString::fromLatin1(same), QStringLiteral("CTRL+ALT+k"))) << same;
    EXPECT_FALSE(describesOtherKeys(QStringLiteral("Ctrl+-"), QStringLiteral("CTRL+minus")));
    EXPECT_FALSE(describesOtherKeys(QStringLiteral("Meta+F1"), QStringLiteral("LOGO+F1")));
    // Words it can't read are not taken for other keys.
    EXPECT_FALSE(describesOtherKeys(QStringLiteral("Strg+Alt+K"), QStringLiteral("CTRL+ALT+k")));
    for (const char* other : {"Ctrl+Shift+K", "Ctrl+Alt+J", "Alt+K", "Ctrl+Alt+Super+K"})
        EXPECT_TRUE(describesOtherKeys(QString::fromLatin1(other), QStringLiteral("CTRL+ALT+k"))) << other;
}

TEST(PortalHotKeys, WaylandIsTheSessionsWordOrTheDisplayQtRunsOn)
{
    const QByteArray session = qgetenv("XDG_SESSION_TYPE"), display = qgetenv("WAYLAND_DISPLAY");
    using platform::PortalHotKeys::isWaylandDesktop;
    qunsetenv("XDG_SESSION_TYPE");
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(isWaylandDesktop(QStringLiteral("wayland")));
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_TRUE(isWaylandDesktop(QStringLiteral("wayland")));
    // A nested compositor's socket in an X11 session: X11 grabs still work.
    EXPECT_FALSE(isWaylandDesktop(QStringLiteral("xcb")));
    qputenv("XDG_SESSION_TYPE", "x11");
    EXPECT_FALSE(isWaylandDesktop(QStringLiteral("xcb")));
    // Under XWayland an X11 grab sees keys only while one of its windows has the focus.
    qputenv("XDG_SESSION_TYPE", "wayland");
    EXPECT_TRUE(isWaylandDesktop(QStringLiteral("xcb")));
    session.isNull() ? qunsetenv("XDG_SESSION_TYPE") : qputenv("XDG_SESSION_TYPE", session);
    display.isNull() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", display);
}

// A private session bus with the fake portal on one connection and the
// backend, with a hotkey centre over it, on another; everything goes
// through the bus daemon.
class PortalBus {
public:
    bool start(std::chrono::milliseconds bindingTimeLimit = std::chrono::seconds(60))
    {
        if (!bus_.start())
            return false;
        portalBus = bus_.connect(QStringLiteral("vantel-fake-portal"));
        clientBus = bus_.connect(QStringLiteral("vantel-portal-client"));
        portal = std::make_unique<FakePortal>(portalBus);
        if (!clientBus.isConnected() || !portal->isRegistered())
            return false;
        backend = platform::PortalHotKeys::make(clientBus, bindingTimeLimit);
        center = std::make_unique<HotKeyCenter>(*backend);
        center->setTakenHandler([this](const HotKeyPtr& hotKey) { taken << hotKey->identifier(); });
        return true;
    }
    ~PortalBus()
    {
        center.reset();
        backend.reset();
        portal.reset();
    }

    QDBusConnection portalBus{QStringLiteral("none")};
    QDBusConnection clientBus{QStringLiteral("none")};
    std::unique_ptr<FakePortal> portal;
    std::unique_ptr<platform::GlobalHotKeys> backend;
    std::unique_ptr<HotKeyCenter> center;
    // The identifiers of the hotkeys reported taken, in order.
    QStringList taken;

private:
    PrivateBus bus_;
};

HotKeyPtr makeHotKey(const QString& identifier, Key key, qint64 modifiers, int* fired)
{
    auto hotKey = HotKey::create(identifier, *KeyCombo::withCarbonModifiers(key, modifiers), HotKey::ActionQueue::session,
                                 [fired](const HotKeyPtr&) { ++*fired; });
    hotKey->setDescription(QStringLiteral("does ") + identifier);
    return hotKey;
}

QStringList idsOf(const QList<FakePortal::Shortcut>& shortcuts)
{
    QStringList ids;
    for (const auto& shortcut : shortcuts)
        ids << shortcut.id;
    return ids;
}

TEST(PortalHotKeys, TheSessionFollowsRegistrationsPausesAndActivations)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    FakePortal& portal = *bus.portal;
    HotKeyCenter& center = *bus.center;

    int windowFired = 0, tagFired = 0;
    const HotKeyPtr window = makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &windowFired);
    const HotKeyPtr tag = makeHotKey(QStringLiteral("tagKey :: Work"), Key::t, command | shift, &tagFired);
    ASSERT_TRUE(center.registerHotKey(window));
    ASSERT_TRUE(center.registerHotKey(tag));

    // Two registrations in one turn of the loop are one session, one binding.
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 1; }));
    spinEventLoop(std::chrono::milliseconds(100));
    ASSERT_EQ(portal.bindings.size(), 1);
    EXPECT_EQ(portal.sessionsCreated, 1);
    const QList<FakePortal::Shortcut> first = portal.bindings[0];
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[0].id, QStringLiteral("globalHotKey"));
    EXPECT_EQ(first[0].trigger, QStringLiteral("CTRL+ALT+k"));
    EXPECT_EQ(first[0].description, QStringLiteral("does globalHotKey"));
    EXPECT_EQ(first[1].id, QStringLiteral("tagKey :: Work"));
    EXPECT_EQ(first[1].trigger, QStringLiteral("CTRL+SHIFT+t"));

    portal.activate(QStringLiteral("globalHotKey"));
    ASSERT_TRUE(waitUntil([&] { return windowFired == 1; }));
    EXPECT_EQ(tagFired, 0);
    const QString oldSession = portal.lastSession;

    // Pausing drops it from the desktop: the old session is closed and the
    // rest is bound in a new one, whose activations are the only ones heard.
    // (A paused hotkey is unregistered from the center.)
    center.unregisterHotKey(tag);
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 2; }));
    EXPECT_EQ(idsOf(portal.bindings[1]), QStringList{QStringLiteral("globalHotKey")});
    EXPECT_EQ(portal.sessionsClosed, 1);
    EXPECT_FALSE(portal.sessions.contains(oldSession));
    portal.activate(oldSession, QStringLiteral("globalHotKey"));
    portal.activate(QStringLiteral("tagKey :: Work"));
    portal.activate(QStringLiteral("globalHotKey"));
    ASSERT_TRUE(waitUntil([&] { return windowFired == 2; }));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(windowFired, 2);
    EXPECT_EQ(tagFired, 0);

    ASSERT_TRUE(center.registerHotKey(tag));
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 3; }));
    EXPECT_EQ(idsOf(portal.bindings[2]), (QStringList{QStringLiteral("globalHotKey"), QStringLiteral("tagKey :: Work")}));
    // The press's activation token is left for the window or launch it causes.
    qunsetenv("XDG_ACTIVATION_TOKEN");
    portal.activate(portal.lastSession, QStringLiteral("tagKey :: Work"), QStringLiteral("press-token"));
    ASSERT_TRUE(waitUntil([&] { return tagFired == 1; }));
    EXPECT_EQ(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), QStringLiteral("press-token"));
    qunsetenv("XDG_ACTIVATION_TOKEN");

    // A kind registered again unchanged (new ids, same shortcuts) is not
    // bound again: the desktop would ask the user once more.
    center.unregisterHotKey(tag);
    ASSERT_TRUE(center.registerHotKey(tag));
    spinEventLoop(std::chrono::milliseconds(200));
    EXPECT_EQ(portal.bindings.size(), 3);
    EXPECT_EQ(portal.sessionsClosed, 2);
    portal.activate(QStringLiteral("tagKey :: Work"));
    ASSERT_TRUE(waitUntil([&] { return tagFired == 2; }));

    // Unregistering everything closes the session and binds nothing.
    center.unregisterAll();
    ASSERT_TRUE(waitUntil([&] { return portal.sessions.isEmpty(); }));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(portal.bindings.size(), 3);

    // One registered while the desktop still asks its user goes into the
    // next session once the answer is in.
    portal.holdBinding = true;
    ASSERT_TRUE(center.registerHotKey(window));
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 4; }));
    ASSERT_TRUE(center.registerHotKey(tag));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(portal.bindings.size(), 4);
    portal.releaseBinding();
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 5; }));
    EXPECT_EQ(idsOf(portal.bindings[4]), (QStringList{QStringLiteral("globalHotKey"), QStringLiteral("tagKey :: Work")}));
    center.unregisterAll();
}

TEST(PortalHotKeys, CombinationsTheDesktopRefusesOrMovesAreTaken)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    FakePortal& portal = *bus.portal;
    HotKeyCenter& center = *bus.center;
    QStringList& taken = bus.taken;

    portal.refused.insert(QStringLiteral("categoryKey :: allFiles"));
    portal.rebound.insert(QStringLiteral("tagKey :: Work"), QStringLiteral("Ctrl+Alt+J"));
    int fired = 0;
    const HotKeyPtr window = makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &fired);
    const HotKeyPtr files = makeHotKey(QStringLiteral("categoryKey :: allFiles"), Key::f, command | option, &fired);
    const HotKeyPtr tag = makeHotKey(QStringLiteral("tagKey :: Work"), Key::t, command | option, &fired);
    for (const HotKeyPtr& hotKey : {window, files, tag})
        ASSERT_TRUE(center.registerHotKey(hotKey));
    // Our own second registration of a combination is taken at once.
    EXPECT_EQ(bus.backend->registerHotKey(40, command | option).status,
              platform::GlobalHotKeys::Status::taken);

    ASSERT_TRUE(waitUntil([&] { return taken.size() == 2; }));
    EXPECT_EQ(taken, (QStringList{QStringLiteral("categoryKey :: allFiles"), QStringLiteral("tagKey :: Work")}));
    EXPECT_EQ(center.hotKeys().size(), 1u);
    EXPECT_TRUE(center.hotKeys().count(QStringLiteral("globalHotKey")));
    EXPECT_FALSE(files->hotKeyRef().has_value());
    // The desktop put the tag on other keys: its activation is not ours any more.
    portal.activate(QStringLiteral("tagKey :: Work"));
    portal.activate(QStringLiteral("globalHotKey"));
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(fired, 1);

    // A user who declines the binding leaves every new hotkey taken.
    portal.declineBinding = true;
    const HotKeyPtr entry = makeHotKey(QStringLiteral("userDefinedKey :: /a"), Key::e, command | option, &fired);
    ASSERT_TRUE(center.registerHotKey(entry));
    ASSERT_TRUE(waitUntil([&] { return taken.size() == 4; }));
    EXPECT_TRUE(taken.contains(QStringLiteral("userDefinedKey :: /a")));
    EXPECT_TRUE(center.hotKeys().empty());
}

// The desktop keeps what a session bound: while a shortcut is recorded no
// session is closed or bound anew (the desktop would ask its user again), and
// an activation of one of ours goes to the recorder, not to the action.
TEST(PortalHotKeys, RecordingKeepsTheBindingAndHandsActivationsToTheRecorder)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    int fired = 0;
    const HotKeyPtr window = makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &fired);
    ASSERT_TRUE(bus.center->registerHotKey(window));
    ASSERT_TRUE(waitUntil([&] { return bus.portal->bindings.size() == 1; }));
    QStringList heard;
    auto recording = bus.center->releaseKeys([&](const HotKeyPtr& hotKey) { heard << hotKey->identifier(); });
    bus.portal->activate(QStringLiteral("globalHotKey"));
    ASSERT_TRUE(waitUntil([&] { return heard.size() == 1; }));
    recording.reset();
    bus.portal->activate(QStringLiteral("globalHotKey"));
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    EXPECT_EQ(heard, QStringList{QStringLiteral("globalHotKey")});
    EXPECT_EQ(bus.portal->bindings.size(), 1);
    EXPECT_EQ(bus.portal->sessionsClosed, 0);
    bus.center->unregisterAll();
}

// Lines the backend logged while it lives, with debug logging on.
struct LogLines {
    LogLines() { platform::Log::setDebugLogging(true); }
    ~LogLines() { platform::Log::setDebugLogging(false); }
    QString text() const { return sink.messages().join(QLatin1Char('\n')); }
    platform::Log::CaptureSink sink;
};

// Any process owning the portal's name may answer with other types than the
// interface's: each is "no list", reported and logged, and never read.
TEST(PortalHotKeys, AListOfTheWrongTypeLeavesTheHotKeysTaken)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    FakePortal& portal = *bus.portal;
    HotKeyCenter& center = *bus.center;
    QStringList& taken = bus.taken;
    LogLines log;

    struct Answer {
        QString signature;
        QVariant trigger;
        QString logged;
    };
    const QList<Answer> answers{
        {QStringLiteral("a(ss)"), {}, QStringLiteral("list of shortcuts is of type a(ss)")},
        {QStringLiteral("a(sai)"), {}, QStringLiteral("list of shortcuts is of type a(sai)")},
        {QStringLiteral("(ss)"), {}, QStringLiteral("list of shortcuts is of type (ss)")},
        {QStringLiteral("a{sv}"), {}, QStringLiteral("list of shortcuts is of type a{sv}")},
        {{}, 5, QStringLiteral("trigger description of type i")},
        {{}, QStringList{QStringLiteral("CTRL+ALT+k")}, QStringLiteral("trigger description of type as")},
    };
    int fired = 0;
    for (const Answer& answer : answers) {
        portal.listSignature = answer.signature;
        portal.listedTrigger = answer.trigger;
        log.sink.clear();
        const qsizetype before = taken.size();
        const HotKeyPtr hotKey = makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &fired);
        ASSERT_TRUE(center.registerHotKey(hotKey));
        ASSERT_TRUE(waitUntil([&] { return taken.size() == before + 1; })) << qPrintable(answer.logged);
        EXPECT_TRUE(center.hotKeys().empty());
        EXPECT_TRUE(log.text().contains(answer.logged)) << qPrintable(log.text());
    }

    // A list of the right type binds again.
    portal.listSignature.clear();
    portal.listedTrigger = QVariant();
    ASSERT_TRUE(center.registerHotKey(makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &fired)));
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == answers.size() + 1; }));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(taken.size(), answers.size());
    EXPECT_EQ(center.hotKeys().size(), 1u);

    // Activations of the wrong type are not presses, and a token of the
    // wrong type is no token.
    qunsetenv("XDG_ACTIVATION_TOKEN");
    const QString session = portal.lastSession, id = QStringLiteral("globalHotKey");
    const QVariantMap badToken{{QStringLiteral("activation_token"), 5}};
    portal.activateWith({session, id, qulonglong(1), QVariantMap()});
    portal.activateWith({QVariant::fromValue(QDBusObjectPath(session)), id});
    portal.activateWith({QVariant::fromValue(QDBusObjectPath(session)), 7, qulonglong(1), QVariantMap()});
    portal.activateWith({QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(1), badToken});
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
    center.unregisterAll();
}

// A session handle or a Response of the wrong type ends the backend: the
// desktop can't bind for it.
TEST(PortalHotKeys, ASessionOrResponseOfTheWrongTypeLeavesTheHotKeysTaken)
{
    const QList<std::pair<QVariant, QVariantList>> answers{
        {42u, {}},
        {QStringLiteral("no path"), {}},
        {QStringList{QStringLiteral("/org/freedesktop/portal/desktop/session/a")}, {}},
        {{}, {QStringLiteral("0"), QVariantMap()}},
        {{}, {0u}},
        {{}, {0u, QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath("/a")})}},
    };
    for (const auto& [handle, response] : answers) {
        PortalBus bus;
        ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
        bus.portal->sessionHandle = handle;
        bus.portal->responseArguments = response;
        QStringList& taken = bus.taken;
        int fired = 0;
        ASSERT_TRUE(bus.center->registerHotKey(makeHotKey(QStringLiteral("globalHotKey"), Key::k, command, &fired)));
        ASSERT_TRUE(waitUntil([&] { return taken.size() == 1; })) << qPrintable(handle.toString());
        EXPECT_FALSE(bus.backend->isSupported());
        EXPECT_TRUE(bus.portal->bindings.isEmpty());
    }
}

// Older portals answer on another path than the token names; the Response
// may come before the reply that names it.
TEST(PortalHotKeys, AResponseOnAnotherPathIsHeardInEitherOrder)
{
    for (const auto order : {FakePortal::Elsewhere::beforeReply, FakePortal::Elsewhere::afterReply}) {
        const bool before = order == FakePortal::Elsewhere::beforeReply;
        PortalBus bus;
        ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
        FakePortal& portal = *bus.portal;
        portal.respondElsewhere = order;
        QStringList& taken = bus.taken;
        int windowFired = 0, tagFired = 0;
        const HotKeyPtr window = makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &windowFired);
        const HotKeyPtr tag = makeHotKey(QStringLiteral("tagKey :: Work"), Key::t, command | shift, &tagFired);
        ASSERT_TRUE(bus.center->registerHotKey(window));
        ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 1; })) << before;
        portal.activate(QStringLiteral("globalHotKey"));
        ASSERT_TRUE(waitUntil([&] { return windowFired == 1; })) << before;
        // The binding ended: the next change binds again.
        ASSERT_TRUE(bus.center->registerHotKey(tag));
        ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 2; })) << before;
        portal.activate(QStringLiteral("tagKey :: Work"));
        ASSERT_TRUE(waitUntil([&] { return tagFired == 1; })) << before;
        EXPECT_TRUE(taken.isEmpty());
        bus.center->unregisterAll();
    }
}

// A desktop that never answers holds no hotkey for good.
TEST(PortalHotKeys, ABindingPastItsTimeLimitFailsAndTheNextChangeBindsAgain)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start(std::chrono::milliseconds(1500))) << "dbus-daemon could not give a private bus";
    FakePortal& portal = *bus.portal;
    HotKeyCenter& center = *bus.center;
    QStringList& taken = bus.taken;
    LogLines log;

    portal.holdBinding = true;
    int fired = 0;
    ASSERT_TRUE(center.registerHotKey(makeHotKey(QStringLiteral("globalHotKey"), Key::k, command | option, &fired)));
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 1; }));
    spinEventLoop(std::chrono::milliseconds(200));
    EXPECT_TRUE(taken.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return taken.size() == 1; }));
    EXPECT_TRUE(log.text().contains(QStringLiteral("did not finish binding"))) << qPrintable(log.text());
    // The question is withdrawn and the session closed.
    ASSERT_TRUE(waitUntil([&] { return portal.requestsClosed.size() == 1 && portal.sessions.isEmpty(); }));

    portal.holdBinding = false;
    ASSERT_TRUE(center.registerHotKey(makeHotKey(QStringLiteral("tagKey :: Work"), Key::t, command, &fired)));
    ASSERT_TRUE(waitUntil([&] { return portal.bindings.size() == 2; }));
    spinEventLoop(std::chrono::milliseconds(600));
    EXPECT_EQ(taken.size(), 1);
    EXPECT_EQ(center.hotKeys().size(), 1u);
    portal.activate(QStringLiteral("tagKey :: Work"));
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    center.unregisterAll();
}

// The manager names what each hotkey does as the overview does, and keeps a
// combination the desktop refused as taken.
class PortalHotKeyManagerTest : public DatastoreTest {};

TEST_F(PortalHotKeyManagerTest, DescriptionsAndRefusalsReachTheManager)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    HotKeyCenter& center = *bus.center;
    for (int i = 0; i < 7; ++i)
        config().setSidebarCategoriesShow(static_cast<Configuration::SidebarCategory>(i), false);
    config().setSidebarCategoriesShow(Configuration::SidebarCategory::files, true);
    config().setGlobalKeyComboCategories(Configuration::SidebarCategory::files,
                                         KeyCombo::withCarbonModifiers(Key::f, command | option));
    config().setGlobalKeyCombo(KeyCombo::withCarbonModifiers(Key::k, command | option));
    bus.portal->refused.insert(QStringLiteral("categoryKey :: allFiles"));

    HotKeyManager manager(*store, config(), center);
    manager.registerHotKeys(HotKeyType::categoryKey);
    manager.registerHotKeys(HotKeyType::globalHotKey);
    ASSERT_TRUE(waitUntil([&] { return manager.isTaken(QStringLiteral("categoryKey :: allFiles")); }));
    ASSERT_EQ(bus.portal->bindings.size(), 1);
    const auto& bound = bus.portal->bindings[0];
    ASSERT_EQ(bound.size(), 2);
    EXPECT_EQ(bound[0].description, QStringLiteral("Hotkeys for categories: Files"));
    EXPECT_EQ(bound[1].description, QStringLiteral("Hotkey to show the main window"));
    // Refused by the desktop, not by one of ours: the setting stays.
    EXPECT_TRUE(config().globalKeyComboCategories(Configuration::SidebarCategory::files).has_value());
    EXPECT_FALSE(manager.isTaken(QStringLiteral("globalHotKey")));
    center.unregisterAll();
}

// Under Wayland no client sees a double tap of a modifier: the portal's
// backend says so, as of any combination it can't register.
TEST_F(PortalHotKeyManagerTest, ADoubleTapIsUnsupported)
{
    PortalBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    config().setGlobalKeyCombo(KeyCombo::withDoubledCarbonModifiers(command));
    HotKeyManager manager(*store, config(), *bus.center);
    manager.registerHotKeys(HotKeyType::globalHotKey);
    EXPECT_TRUE(manager.isTaken(QStringLiteral("globalHotKey")));
    EXPECT_TRUE(bus.center->hotKeys().empty());
    EXPECT_EQ(bus.backend->registerDoubleTap(), platform::GlobalHotKeys::Status::unsupported);
    spinEventLoop(std::chrono::milliseconds(100));
    EXPECT_TRUE(bus.portal->bindings.isEmpty());
}

} // namespace
