#include "datastore/ProxyLastUsedApps.h"

#include "datastore/DataStorage.h"
#include "model/Logger.h"
#include "platform/LaunchHistory.h"
#include "platform/Log.h"
#include "platform/RunningApplications.h"

#include <algorithm>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::lastUsedProxy();
}

// A launch never moves a later date back: an application found running was
// launched when it started, which may be before its last use known here.
void takeLaterDate(TableViewItem& entry, const QDateTime& date)
{
    const std::optional<QDateTime> current = entry.lastUsedDate();
    if (!current || !current->isValid() || *current < date)
        entry.setLastUsedDate(date);
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
    // The running applications announce what they find running, also at
    // every start of this program: such a launch happened when its process
    // started. One running since a time unknown has no date to give.
    std::optional<QDateTime> launched = QDateTime::currentDateTime();
    if (const auto running = platform::RunningApplications::listedApplication(path))
        launched = running->launchDate;
    // Kept for the next start whether or not the catalogue knows the
    // application yet: discovery hands the date on.
    if (launched)
        platform::LaunchHistory::shared().record(path, *launched);

    if (!enabled()) {
        VLOG(category(), platform::LogType::Default,
             "Observer applicationWasLaunched was called, but Proxy was disabled. Storing values temporary", path);
        if (!launched)
            return;
        const std::lock_guard lock(bufferMutex_);
        const auto it = std::find_if(tempLastUsedApplications_.begin(), tempLastUsedApplications_.end(),
                                     [&path](const lastUsedApplication& element) { return element.path == path; });
        if (it == tempLastUsedApplications_.end())
            tempLastUsedApplications_.append({path, *launched});
        else if (it->lastUsed < *launched)
            it->lastUsed = *launched;
        return;
    }

    applyTemporaryValues();

    const TableViewItemPtr entry = store_.entryForPath(path);
    if (!entry) {
        VLOG(category(), platform::LogType::Error,
             "Observer applicationWasLaunched was called, but entry was not found in Database for: %{public}@", path);
        return;
    }
    if (!launched) {
        VLOG(category(), platform::LogType::Default,
             "Observer applicationWasLaunched was called for: %{public}@, running since a time not known", path);
        return;
    }
    takeLaterDate(*entry, *launched);
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
        takeLaterDate(*entry, element.lastUsed);
    }
    VLOG(category(), platform::LogType::Default, "Removing temporary stored values ...");
}

} // namespace vantel
