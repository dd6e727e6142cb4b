#pragma once

#include "datastore/DataProxy.h"
#include "platform/NotificationCenter.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <mutex>

namespace vantel {

class DataStorage;

// One launch seen while the recent-launch proxy was off.
struct lastUsedApplication {
    QString path; // as posted
    QDateTime lastUsed;

    bool operator==(const lastUsedApplication&) const = default;
};

// Writes the launch time of an application into its entry's lastUsedDate.
// While disabled, launches are kept (one per exact path, the latest time)
// and written at the first launch that arrives after it was enabled again;
// enabling alone writes nothing. It creates no entry, posts nothing and asks
// for no rebuild.
class ProxyLastUsedApps : public DataProxy {
public:
    explicit ProxyLastUsedApps(DataStorage& store);
    ~ProxyLastUsedApps() override;
    ProxyLastUsedApps(const ProxyLastUsedApps&) = delete;
    ProxyLastUsedApps& operator=(const ProxyLastUsedApps&) = delete;

    bool initialized() const override { return initialized_.load(); }
    // Observes "didLaunchApplication" on the default centre, from any sender.
    void initialize() override;
    bool enabled() const override { return enabled_.load(); }
    // Only logs a change; the buffer waits for the next launch.
    void setEnabled(bool enabled) override;

    // The observer; the notification's object is the application's path.
    void applicationWasLaunchedWith(const platform::Notification& notification);

    QList<lastUsedApplication> tempLastUsedApplications() const;

private:
    void applyTemporaryValues();

    DataStorage& store_;
    std::atomic<bool> enabled_{false};
    mutable std::mutex bufferMutex_;
    QList<lastUsedApplication> tempLastUsedApplications_;
    std::atomic<bool> initialized_{false};
    platform::ObserverToken launchObserver_;
};

} // namespace vantel
