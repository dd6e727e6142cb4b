#include "hotkeys/HotKeyCenter.h"
#include "platform/GlobalHotKeys.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Log.h"

#include "platform/X11Connection.h"

#include "XServer.h"
#include "platform/ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <xcb/xcb.h>

#include <cstdlib>
#include <ctime>
#include <vector>

using namespace vantel;
using namespace vantel::test;

namespace {

// X modifier masks of the other client's grabs.
constexpr unsigned lockMask = 1u << 1;
constexpr unsigned controlMask = 1u << 2;
constexpr unsigned mod1Mask = 1u << 3;

constexpr qint64 ctrlAlt = ModifierFlags::carbonCommand | ModifierFlags::carbonOption;

// A combination as an archive may hold it, unchecked.
std::shared_ptr<KeyCombo> decodedCombo(qint64 modifiers)
{
    class Raw : public platform::Archivable {
    public:
        explicit Raw(qint64 modifiers) : modifiers_(modifiers) {}
        QString archiveClassName() const override { return KeyCombo::archiveName(); }
        void encode(platform::KeyedArchiver& coder) const override
        {
            coder.encodeObject(QStringLiteral("a"), QStringLiteral("key"));
            coder.encodeInteger(modifiers_, QStringLiteral("modifiers"));
        }

    private:
        qint64 modifiers_;
    };
    KeyCombo::registerArchiveClass();
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = {KeyCombo::archiveName()};
    return platform::KeyedUnarchiver::unarchive<KeyCombo>(
        platform::KeyedArchiver::archivedData(std::make_shared<Raw>(modifiers)), options);
}

KeyCombo ctrlAltK()
{
    return *KeyCombo::withCarbonModifiers(Key::k, ctrlAlt);
}

void pressCtrlAltK()
{
    pressKey("Control_L");
    pressKey("Alt_L");
    tapKey("k");
    releaseKey("Alt_L");
    releaseKey("Control_L");
    settle();
}

} // namespace

TEST(GlobalHotKeys, FiresOncePerPressWhateverTheLocks)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    int fired = 0;
    auto hotKey = HotKey::create(QStringLiteral("test"), ctrlAltK(), HotKey::ActionQueue::main,
                                 [&](const HotKeyPtr&) { ++fired; });
    ASSERT_TRUE(center.registerHotKey(hotKey));
    EXPECT_TRUE(hotKey->hotKeyId().has_value());

    pressCtrlAltK();
    EXPECT_EQ(fired, 1);

    tapKey("Caps_Lock");
    pressCtrlAltK();
    tapKey("Num_Lock");
    pressCtrlAltK();
    tapKey("Caps_Lock");
    pressCtrlAltK();
    tapKey("Num_Lock");
    EXPECT_EQ(fired, 4);

    // Held: the server repeats the key; the press counts once.
    pressKey("Control_L");
    pressKey("Alt_L");
    pressKey("k");
    settle(std::chrono::milliseconds(900));
    pressKey("k");
    releaseKey("k");
    releaseKey("Alt_L");
    releaseKey("Control_L");
    settle();
    EXPECT_EQ(fired, 5);

    // Without its modifiers the key is not ours.
    tapKey("k");
    settle();
    EXPECT_EQ(fired, 5);

    center.unregisterHotKey(hotKey);
    EXPECT_FALSE(hotKey->hotKeyId().has_value());
    EXPECT_TRUE(grabKeyAsOtherClient("k", controlMask | mod1Mask));
    pressCtrlAltK();
    EXPECT_EQ(fired, 5);
    releaseOtherClientGrabs();
}

TEST(GlobalHotKeys, KeysAnotherClientHoldsAreRefused)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    ASSERT_TRUE(grabKeyAsOtherClient("k", controlMask | mod1Mask | lockMask));
    const quint32 countBefore = center.hotKeyCount();
    auto hotKey = HotKey::create(QStringLiteral("taken"), ctrlAltK(), HotKey::ActionQueue::main, {});
    EXPECT_FALSE(center.registerHotKey(hotKey));
    EXPECT_TRUE(center.hotKeys().empty());
    EXPECT_EQ(center.hotKeyCount(), countBefore);
    releaseOtherClientGrabs();

    // Our own grabs of the refused attempt were all given back.
    ASSERT_TRUE(center.registerHotKey(hotKey));
    EXPECT_EQ(hotKey->hotKeyId(), countBefore);
    center.unregisterAll();
}

TEST(GlobalHotKeys, AskingWhetherAnotherClientHoldsAKeyLeavesNoGrab)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    ASSERT_TRUE(grabKeyAsOtherClient("k", controlMask | mod1Mask));
    EXPECT_TRUE(center.isHeldElsewhere(ctrlAltK()));
    releaseOtherClientGrabs();
    EXPECT_FALSE(center.isHeldElsewhere(ctrlAltK()));
    EXPECT_TRUE(grabKeyAsOtherClient("k", controlMask | mod1Mask)) << "the trial grab was kept";
    releaseOtherClientGrabs();
}

TEST(HotKeyCenter, RegistryRules)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    auto first = HotKey::create(QStringLiteral("same"), ctrlAltK(), HotKey::ActionQueue::main, {});
    auto second = HotKey::create(QStringLiteral("same"), *KeyCombo::withCarbonModifiers(Key::j, ctrlAlt),
                                 HotKey::ActionQueue::main, {});
    ASSERT_TRUE(center.registerHotKey(first));
    EXPECT_FALSE(center.registerHotKey(second));
    EXPECT_EQ(center.hotKeyWithKeyCombo(ctrlAltK()), first);

    const quint32 count = center.hotKeyCount();
    auto doubled = HotKey::create(QStringLiteral("doubled"), *KeyCombo::withDoubledCarbonModifiers(0x100),
                                  HotKey::ActionQueue::main, {});
    doubled->setHotkeyType(HotKeyType::tagKey);
    EXPECT_TRUE(center.registerHotKey(doubled));
    EXPECT_FALSE(doubled->hotKeyId());
    EXPECT_EQ(center.hotKeyCount(), count);

    // A bare letter or unknown bits, as only a damaged or old archive holds,
    // never grab a key for the whole desktop.
    EXPECT_TRUE(HotKeyCenter::isRegistrable(*KeyCombo::withCarbonModifiers(Key::f5, 0)));
    for (qint64 modifiers : {qint64(0), qint64(0x100 | 0x10000), qint64(-1), qint64(0x100) << 32}) {
        const auto combo = decodedCombo(modifiers);
        ASSERT_TRUE(combo);
        auto bare = HotKey::create(QStringLiteral("bare"), *combo, HotKey::ActionQueue::main, {});
        EXPECT_FALSE(center.registerHotKey(bare)) << modifiers;
    }
    EXPECT_FALSE(center.hotKeys().count(QStringLiteral("bare")));

    // Pausing drops the registration; resuming registers again under a new id.
    const auto oldId = first->hotKeyId();
    first->setPaused(true);
    EXPECT_FALSE(center.hotKeyWithKeyCombo(ctrlAltK()));
    first->setPaused(false);
    EXPECT_EQ(center.hotKeyWithKeyCombo(ctrlAltK()), first);
    EXPECT_NE(first->hotKeyId(), oldId);

    center.unregisterHotKeys(std::nullopt);
    EXPECT_EQ(center.hotKeys().size(), 2u);
    center.unregisterHotKeys(HotKeyType::tagKey);
    EXPECT_EQ(center.hotKeys().size(), 1u);
    center.unregisterAll();

    // A main-queue action whose hotkey is gone before the block runs does not run.
    int ran = 0;
    auto gone = HotKey::create(QStringLiteral("gone"), ctrlAltK(), HotKey::ActionQueue::main,
                               [&](const HotKeyPtr&) { ++ran; });
    gone->invoke();
    gone.reset();
    settle(std::chrono::milliseconds(50));
    EXPECT_EQ(ran, 0);
}

TEST(GlobalHotKeys, UnsupportedBackendFailsAndSaysWhyOnce)
{
    const auto backend = platform::GlobalHotKeys::makeUnsupported(QStringLiteral("no X server here"));
    platform::Log::CaptureSink sink;
    platform::Log::setDebugLogging(true);
    {
        HotKeyCenter center(*backend);
        auto one = HotKey::create(QStringLiteral("one"), ctrlAltK(), HotKey::ActionQueue::main, {});
        auto two = HotKey::create(QStringLiteral("two"), *KeyCombo::withCarbonModifiers(Key::j, ctrlAlt),
                                  HotKey::ActionQueue::main, {});
        EXPECT_FALSE(center.registerHotKey(one));
        EXPECT_FALSE(center.registerHotKey(two));
        EXPECT_TRUE(center.hotKeys().empty());
    }
    platform::Log::setDebugLogging(false);
    EXPECT_EQ(sink.messages().filter(QStringLiteral("not supported")).size(), 1);
}

namespace {

// An X server of the test's own, which it may kill.
class DisposableXServer {
public:
    DisposableXServer()
    {
        process_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp")});
        QByteArray number;
        waitUntil(
            [&] {
                process_.waitForReadyRead(50);
                number += process_.readAllStandardOutput();
                return number.contains('\n') || process_.state() == QProcess::NotRunning;
            });
        if (number.contains('\n'))
            display_ = ":" + number.trimmed();
    }
    ~DisposableXServer() { kill(); }

    QByteArray display() const { return display_; }
    void kill()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(int(longWait.count()));
            // Killed, the server leaves its socket behind.
            if (!display_.isEmpty())
                QFile::remove(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(display_.mid(1)));
        }
    }

private:
    QProcess process_;
    QByteArray display_;
};

std::chrono::nanoseconds mainThreadCpuTime()
{
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

// Swaps two rows of the server's modifier map (0 Shift ... 3 Mod1 ... 7 Mod5).
void swapModifierRows(int first, int second)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    auto* map = xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    ASSERT_NE(map, nullptr);
    const int width = map->keycodes_per_modifier;
    std::vector<xcb_keycode_t> keycodes(xcb_get_modifier_mapping_keycodes(map),
                                        xcb_get_modifier_mapping_keycodes(map) + 8 * width);
    for (int k = 0; k < width; ++k)
        std::swap(keycodes[first * width + k], keycodes[second * width + k]);
    auto* reply = xcb_set_modifier_mapping_reply(
        connection, xcb_set_modifier_mapping(connection, std::uint8_t(width), keycodes.data()), nullptr);
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->status, XCB_MAPPING_STATUS_SUCCESS);
    std::free(reply);
    std::free(map);
    xcb_disconnect(connection);
}

} // namespace

TEST(GlobalHotKeys, ALostServerStopsTheReadingAndMakesHotkeysUnavailable)
{
    DisposableXServer server;
    ASSERT_FALSE(server.display().isEmpty());
    std::unique_ptr<platform::X11Connection> connection;
    {
        const ScopedEnvironment display("DISPLAY", server.display());
        QString reason;
        connection = platform::X11Connection::open(&reason);
        ASSERT_TRUE(connection) << reason.toStdString();
    }
    const auto backend = platform::GlobalHotKeys::makeX11(*connection);
    HotKeyCenter center(*backend);
    auto before = HotKey::create(QStringLiteral("before"), ctrlAltK(), HotKey::ActionQueue::main, {});
    ASSERT_TRUE(center.registerHotKey(before));
    EXPECT_TRUE(backend->isSupported());

    platform::Log::CaptureSink sink;
    platform::Log::setDebugLogging(true);
    server.kill();
    EXPECT_TRUE(waitUntil([&] { return connection->isBroken(); }));

    // Nothing left to read: the event loop idles instead of spinning.
    const auto start = mainThreadCpuTime();
    settle(std::chrono::milliseconds(600));
    EXPECT_LT(mainThreadCpuTime() - start, std::chrono::milliseconds(200));

    EXPECT_FALSE(backend->isSupported());
    EXPECT_FALSE(backend->unsupportedReason().isEmpty());
    auto after = HotKey::create(QStringLiteral("after"), *KeyCombo::withCarbonModifiers(Key::j, ctrlAlt),
                                HotKey::ActionQueue::main, {});
    EXPECT_FALSE(center.registerHotKey(after));
    platform::Log::setDebugLogging(false);
    EXPECT_EQ(sink.messages().filter(QStringLiteral("global hotkeys are unavailable")).size(), 1)
        << sink.messages().join(u'\n').toStdString();
    center.unregisterAll();
}

TEST(GlobalHotKeys, AfterTheModifierMapChangesTheKeysAreGrabbedAgain)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    int fired = 0;
    auto hotKey = HotKey::create(QStringLiteral("moved"), ctrlAltK(), HotKey::ActionQueue::main,
                                 [&](const HotKeyPtr&) { ++fired; });
    ASSERT_TRUE(center.registerHotKey(hotKey));
    pressCtrlAltK();
    EXPECT_EQ(fired, 1);

    // Alt moves from Mod1 to Mod3: Ctrl+Alt+K now arrives with Mod3 set.
    swapModifierRows(3, 5);
    settle();
    pressCtrlAltK();
    EXPECT_EQ(fired, 2);

    swapModifierRows(3, 5);
    settle();
    pressCtrlAltK();
    EXPECT_EQ(fired, 3);
    center.unregisterHotKey(hotKey);
}

// While a recorder records our keys are free for the focused window: another
// client can even grab them. The last recording's end takes them again, one
// registered meanwhile too; one another client took meanwhile is reported.
TEST(GlobalHotKeys, KeysAreLetGoWhileAShortcutIsRecorded)
{
    VANTEL_REQUIRE_X_SERVER();
    HotKeyCenter& center = HotKeyCenter::shared();
    QStringList taken;
    center.setTakenHandler([&](const HotKeyPtr& hotKey) { taken << hotKey->identifier(); });
    int fired = 0;
    auto k = HotKey::create(QStringLiteral("k"), ctrlAltK(), HotKey::ActionQueue::session,
                            [&](const HotKeyPtr&) { ++fired; });
    auto f5 = HotKey::create(QStringLiteral("f5"), *KeyCombo::withCarbonModifiers(Key::f5, 0),
                             HotKey::ActionQueue::session, [&](const HotKeyPtr&) { fired += 10; });
    ASSERT_TRUE(center.registerHotKey(k));
    auto first = center.releaseKeys({});
    auto second = center.releaseKeys({});
    pressCtrlAltK();
    ASSERT_TRUE(center.registerHotKey(f5));
    EXPECT_TRUE(grabKeyAsOtherClient("F5", 0)) << "held while recording";
    releaseOtherClientGrabs();
    first.reset();
    EXPECT_TRUE(grabKeyAsOtherClient("k", controlMask | mod1Mask)) << "one recording still runs";
    second.reset();
    settle();
    EXPECT_EQ(taken, QStringList{QStringLiteral("k")});
    tapKey("F5");
    settle();
    EXPECT_EQ(fired, 10);
    releaseOtherClientGrabs();
    center.setTakenHandler({});
    center.unregisterAll();
}
