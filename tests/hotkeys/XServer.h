#pragma once

#include <QString>

#include <chrono>

namespace vantel::test {

// The Xvfb of this test process, started before the first test on a free
// display (DISPLAY points at it; the session is marked as X11). Tests that
// need it skip, saying why, when none could be started.
bool hasXServer();
QString xServerUnavailableReason();

#define VANTEL_REQUIRE_X_SERVER()                                                                \
    do {                                                                                         \
        if (!::vantel::test::hasXServer())                                                       \
            GTEST_SKIP() << "no X server: " << ::vantel::test::xServerUnavailableReason().toStdString(); \
    } while (0)

// Input through XTest, as a second client. Key names are X keysym names
// ("Control_L", "k", "Caps_Lock").
void pressKey(const char* keysymName);
void releaseKey(const char* keysymName);
void tapKey(const char* keysymName);
// By X keycode (evdev code + 8), whatever the layout types on it.
void tapKeycode(int keycode);
// Runs the event loop for the time, so that our connection reads its events.
void settle(std::chrono::milliseconds duration = std::chrono::milliseconds(150));

// Another client's passive grab of the key with the modifier mask; false
// when the server refused it (BadAccess).
bool grabKeyAsOtherClient(const char* keysymName, unsigned modifiers);
void releaseOtherClientGrabs();

// setxkbmap on the test server; false when it failed.
bool setKeyboardLayout(const QString& layouts);
// Locks the keyboard group (for a layout list such as "us,de").
void lockGroup(int group);

} // namespace vantel::test
