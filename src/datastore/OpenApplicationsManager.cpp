#include "datastore/OpenApplicationsManager.h"

#include "access/AccessExecutionServices.h"
#include "platform/RunningApplications.h"

#include <QStringList>

#include <mutex>

namespace vantel {

namespace {

const QString didLaunchApplication = QStringLiteral("didLaunchApplication");
const QString didTerminateApplication = QStringLiteral("didTerminateApplication");

} // namespace

// Predicates ask from their own threads while the main thread edits.
struct OpenApplicationsManager::OpenSet {
    mutable std::mutex mutex;
    QSet<QString> paths;

    bool contains(const QString& path) const
    {
        const std::lock_guard lock(mutex);
        return paths.contains(path);
    }
    QSet<QString> snapshot() const
    {
        const std::lock_guard lock(mutex);
        return paths;
    }
    void insert(const QString& path)
    {
        const std::lock_guard lock(mutex);
        paths.insert(path);
    }
    void remove(const QString& path)
    {
        const std::lock_guard lock(mutex);
        paths.remove(path);
    }
};

OpenApplicationsManager& OpenApplicationsManager::shared()
{
    // Never released: the entries' launched state asks it until the end.
    static OpenApplicationsManager* const instance = [] {
        auto* created = new OpenApplicationsManager(platform::RunningApplications::shared());
        created->installRunningApplicationQuery();
        return created;
    }();
    return *instance;
}

OpenApplicationsManager::OpenApplicationsManager(platform::RunningApplications& source,
                                                 platform::NotificationCenter& notificationCenter)
    : source_(source)
    , notificationCenter_(notificationCenter)
    , openApplications_(std::make_shared<OpenSet>())
{
    source_.start();
    collectRunningApplications();
    observeRunningApplications();
}

OpenApplicationsManager::~OpenApplicationsManager()
{
    observers_.clear();
    if (installedQuery_)
        AccessExecutionServices::setRunningApplicationQuery({});
}

QSet<QString> OpenApplicationsManager::openApplications() const
{
    return openApplications_->snapshot();
}

bool OpenApplicationsManager::isApplicationOpen(const QString& path) const
{
    return !path.isEmpty() && openApplications_->contains(path);
}

void OpenApplicationsManager::installRunningApplicationQuery()
{
    const std::weak_ptr<OpenSet> weak = openApplications_;
    AccessExecutionServices::setRunningApplicationQuery([weak](const QString& applicationPath) {
        const auto set = weak.lock();
        return set && !applicationPath.isEmpty() && set->contains(applicationPath);
    });
    installedQuery_ = true;
}

void OpenApplicationsManager::collectRunningApplications()
{
    for (const QString& path : source_.regularApplicationPaths()) {
        if (!path.isEmpty())
            openApplications_->insert(path);
    }
}

void OpenApplicationsManager::observeRunningApplications()
{
    // The source posts each change as one notification per path, terminations
    // first; passing each on as it comes keeps that order.
    const auto pathOf = [](const platform::Notification& n) {
        const auto* path = std::any_cast<QString>(&n.object);
        return path ? *path : QString();
    };
    observers_.push_back(notificationCenter_.addObserver(
        platform::RunningApplications::didTerminateApplication,
        [this, pathOf](const platform::Notification& n) { applicationsChanged({pathOf(n)}, {}); }, &source_));
    observers_.push_back(notificationCenter_.addObserver(
        platform::RunningApplications::didLaunchApplication,
        [this, pathOf](const platform::Notification& n) { applicationsChanged({}, {pathOf(n)}); }, &source_));

    // The first pass: every ordinary application running now counts as launched.
    applicationsChanged({}, source_.regularApplicationPaths());
}

void OpenApplicationsManager::applicationsChanged(const QStringList& terminated, const QStringList& launched)
{
    auto& center = platform::NotificationCenter::defaultCenter();
    // An entry without a path cannot be told apart from any other: not announced.
    for (const QString& path : terminated) {
        if (path.isEmpty())
            continue;
        openApplications_->remove(path);
        center.post(didTerminateApplication, path, this);
    }
    for (const QString& path : launched) {
        if (path.isEmpty())
            continue;
        openApplications_->insert(path);
        center.post(didLaunchApplication, path, this);
    }
}

} // namespace vantel
