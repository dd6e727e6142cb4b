// A first launch counts as launched only once its first-run assistant was
// on screen: the real program under Xvfb, with a window manager that maps
// windows late, quit while the assistant waits to be mapped.
#include "VantelProcess.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <csignal>
#include <cstdlib>

#include <xcb/xcb.h>

namespace vantel {
namespace {

const QByteArray openingLine = "First run: opening the first-run assistant";
const QString shownLine = QStringLiteral("^First run: the first-run assistant is shown$");

// Plays a window manager on a slow machine: a window asked to be mapped
// stays unmapped until the test lets it; changes of size and place are made
// as asked.
class LateWindowManager {
public:
    explicit LateWindowManager(const QString& display)
        : connection_(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    {
        if (xcb_connection_has_error(connection_))
            return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_change_window_attributes_checked(connection_, root, XCB_CW_EVENT_MASK, &redirect));
        managing_ = !error;
        std::free(error);
    }
    ~LateWindowManager() { xcb_disconnect(connection_); }
    bool isManaging() const { return managing_; }

    // The windows asked to be mapped since the last mapAll, after reading
    // what came.
    const QList<xcb_window_t>& waiting()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const int type = event->response_type & 0x7f;
            if (type == XCB_MAP_REQUEST) {
                waiting_ << reinterpret_cast<xcb_map_request_event_t*>(event)->window;
            } else if (type == XCB_CONFIGURE_REQUEST) {
                const auto* request = reinterpret_cast<xcb_configure_request_event_t*>(event);
                const uint32_t all[]{uint32_t(request->x), uint32_t(request->y), request->width, request->height,
                                     request->border_width, request->sibling, request->stack_mode};
                QList<uint32_t> values;
                for (int bit = 0; bit < 7; ++bit) {
                    if (request->value_mask & (1 << bit))
                        values << all[bit];
                }
                xcb_configure_window(connection_, request->window, request->value_mask, values.constData());
            }
            std::free(event);
        }
        xcb_flush(connection_);
        return waiting_;
    }
    void mapAll()
    {
        for (const xcb_window_t window : waiting())
            xcb_map_window(connection_, window);
        xcb_flush(connection_);
        waiting_.clear();
    }

private:
    xcb_connection_t* connection_;
    bool managing_ = false;
    QList<xcb_window_t> waiting_;
};

bool launchedBefore(const QString& home)
{
    return platform::UserDefaults(test::VantelProcess::settingsPath(home)).boolForKey(QStringLiteral("launchedBefore"));
}

TEST(FirstRunMark, AFirstLaunchQuitBeforeItsAssistantIsOnScreenStaysTheFirst)
{
    test::TrayDesktop desktop;
    QString why;
    ASSERT_TRUE(desktop.start(&why)) << why.toStdString();
    LateWindowManager manager(desktop.display());
    ASSERT_TRUE(manager.isManaging());
    const QString home = test::makeTempDir(QStringLiteral("first-run-mark-home"));
    test::VantelProcess::prepareHome(home);

    {
        test::VantelProcess vantel(home);
        desktop.attach(vantel, home);
        vantel.start();
        ASSERT_TRUE(vantel.waitForOutput(openingLine)) << vantel.output().toStdString();
        // Half a second later, with the assistant not yet mapped, a quit.
        QThread::msleep(500);
        vantel.signal(SIGTERM);
        ASSERT_TRUE(vantel.waitForFinished());
        EXPECT_EQ(vantel.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vantel.logCount(shownLine), 0);
        EXPECT_FALSE(manager.waiting().isEmpty()) << "the assistant never asked to be shown";
        ASSERT_FALSE(launchedBefore(home)) << "marked as launched, the assistant would never come";
    }
    manager.mapAll();

    // The next start is a first one: its assistant, once mapped, marks it.
    test::VantelProcess vantel(home);
    desktop.attach(vantel, home);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput(openingLine)) << vantel.output().toStdString();
    ASSERT_TRUE(test::poll([&] { return !manager.waiting().isEmpty(); }));
    EXPECT_EQ(vantel.logCount(shownLine), 0) << "shown while unmapped";
    manager.mapAll();
    ASSERT_TRUE(vantel.waitForLog(shownLine)) << vantel.output().toStdString();
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_TRUE(launchedBefore(home));
}

} // namespace
} // namespace vantel
