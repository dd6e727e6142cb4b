#pragma once

#include "platform/DialogProvider.h"

#include <QDBusConnection>

#include <atomic>
#include <optional>

namespace vantel::platform {

// Where alerts go once the program is on its way out (quit, a signal, the
// session's end, the display lost): nothing may wait for an answer then, or
// the session's end kills the process in the middle of its saving. Each alert
// is written to the log and handed to the desktop's notification service,
// which shows it without holding the program; a question is answered as
// cancelled. The service gets a short time to take a notification; one that
// does not answer in time is not asked again.
class ExitDialogProvider final : public DialogProvider {
public:
    ExitDialogProvider() = default;
    // The notification service on this bus instead of the session bus.
    explicit ExitDialogProvider(const QDBusConnection& bus)
        : bus_(bus)
    {
    }

    AlertResponse runAlert(const AlertRequest& request) override;
    OpenPanelResponse runOpenPanel(const OpenPanelRequest& request) override;
    SavePanelResponse runSavePanel(const SavePanelRequest& request) override;

    // How long the notification service has to take one.
    static constexpr int notifyTimeoutMilliseconds = 700;

private:
    // False when the service can't be reached (no session bus, no service,
    // no answer in time).
    bool notify(const QString& summary, const QString& body);

    const std::optional<QDBusConnection> bus_;
    std::atomic<bool> serviceGaveUp_{false};
};

} // namespace vantel::platform
