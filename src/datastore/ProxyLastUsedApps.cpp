#include "datastore/ProxyLastUsedApps.h"

#include "datastore/DataStorage.h"
#include "model/Logger.h"
#include "platform/LaunchHistory.h"
#include "platform/Log.h"

#include <algorithm>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::lastUsedProxy();
}

} // namespace

ProxyLastUsedApps::ProxyLastUsedApps(DataStorage& store)
    : store_(store)
{
}

ProxyLastUsedApps::~ProxyLastUsedApps() = default;

void ProxyLastUsedApps::initialize()
{
    launchObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("didLaunchApplication"),
        [this](const platform::Notification& n) { applicationWasLaunchedWith(n); });
    initialized_.store(true);
}

void ProxyLastUsedApps::setEnabled(bool enabled)
{
    if (enabled_.exchange(enabled) != enabled)
        VLOG(category(), platform::LogType::Info, "Proxy: LastUsedApps enabled: %{public}@",
             enabled ? QStringLiteral("true") : QStringLiteral("false"));
}

QList<lastUsedApplication> ProxyLastUsedApps::tempLastUsedApplications() const
{
    const std::lock_guard lock(bufferMutex_);
    return tempLastUsedApplications_;
}

void ProxyLastUsedApps::applicationWasLaunchedWith(const platform::Notification& notification)
{
    const auto* posted = std::any_cast<QString>(&notification.object);
    if (!posted || posted->isEmpty())
        return;
    const QString path = *posted;
    const QDateTime now = QDateTime::currentDateTime();
    // Kept for the next start whether or not the catalogue knows the
    // application yet: discovery hands the date on.
    platform::LaunchHistory::shared().record(path, now);

    if (!enabled()) {
        VLOG(category(), platform::LogType::Default,
             "Observer applicationWasLaunched was called, but Proxy was disabled. Storing values temporary", path);
        const std::lock_guard lock(bufferMutex_);
        const auto it = std::find_if(tempLastUsedApplications_.begin(), tempLastUsedApplications_.end(),
                                     [&path](const lastUsedApplication& element) { return element.path == path; });
        if (it != tempLastUsedApplications_.end())
            it->lastUsed = now;
        else
            tempLastUsedApplications_.append({path, now});
        return;
    }

    applyTemporaryValues();

    const TableViewItemPtr entry = store_.entryForPath(path);
    if (!entry) {
        VLOG(category(), platform::LogType::Error,
             "Observer applicationWasLaunched was called, but entry was not found in Database for: %{public}@", path);
        return;
    }
    entry->setLastUsedDate(now);
    VLOG(category(), platform::LogType::Default, "Observer applicationWasLaunched was called for: %{public}@", path);
}

void ProxyLastUsedApps::applyTemporaryValues()
{
    QList<lastUsedApplication> buffered;
    {
        const std::lock_guard lock(bufferMutex_);
        buffered.swap(tempLastUsedApplications_);
    }
    if (buffered.isEmpty())
        return;

    VLOG(category(), platform::LogType::Default, "Processing temporary stored values ...");
    for (const lastUsedApplication& element : buffered) {
        const TableViewItemPtr entry = element.path.isEmpty() ? nullptr : store_.entryForPath(element.path);
        if (!entry) {
            VLOG(category(), platform::LogType::Error,
                 "Processing temporary stored values, but entry was not found in Database for: %{public}@",
                 element.path);
            continue;
        }
        VLOG(category(), platform::LogType::Default, "Processing temporary stored values for: %{public}@",
             element.path);
        entry->setLastUsedDate(element.lastUsed);
    }
    VLOG(category(), platform::LogType::Default, "Removing temporary stored values ...");
}

} // namespace vantel
