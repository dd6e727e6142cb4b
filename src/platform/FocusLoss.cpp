#include "platform/FocusLoss.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <chrono>

namespace vantel::platform {

namespace {

using namespace std::chrono_literals;

// Qt's wait for a focus that comes back is under half a second; a loss
// heard within this time of such a show may be the late one.
constexpr auto kLateReportWindow = 1000ms;
// Time for the window system's report that the shown window has the focus.
constexpr auto kRecheck = 400ms;

QElapsedTimer& sinceShow()
{
    static QElapsedTimer timer;
    return timer;
}

} // namespace

void focusLossMayFollowShow()
{
    sinceShow().start();
}

void whenFocusLossHolds(QObject* context, std::function<void()> act)
{
    if (!sinceShow().isValid() || std::chrono::milliseconds(sinceShow().elapsed()) > kLateReportWindow) {
        act();
        return;
    }
    QTimer::singleShot(kRecheck, context, [act = std::move(act)] {
        if (QGuiApplication::applicationState() != Qt::ApplicationActive)
            act();
    });
}

} // namespace vantel::platform
