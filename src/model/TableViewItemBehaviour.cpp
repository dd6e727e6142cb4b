// What an entry answers and does besides opening itself.
#include "model/TableViewItem.h"

#include "model/ExecutionServices.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "model/StringArrays.h"
#include "model/TagNames.h"

#include <QFileInfo>

#include <atomic>
#include <mutex>

namespace vantel {

namespace {
constexpr qint64 reachabilityCacheMilliseconds = 5000;

std::mutex clockMutex;
std::atomic<bool> clockSet{false};
std::function<QDateTime()>& clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

void TableViewItem::setClock(std::function<QDateTime()> clock)
{
    std::lock_guard lock(clockMutex);
    clockSet.store(bool(clock));
    clockFunction() = std::move(clock);
}

qint64 TableViewItem::nowMSecs()
{
    if (clockSet.load()) {
        std::lock_guard lock(clockMutex);
        if (clockFunction())
            return clockFunction()().toMSecsSinceEpoch();
    }
    return QDateTime::currentMSecsSinceEpoch();
}

bool TableViewItem::isReachable() const
{
    if (isReachableByFlags())
        return true;
    const ListviewItemType type = itemType();
    const ListviewItemSource source = itemSource();
    if (source == ListviewItemSource::tags
        || (source == ListviewItemSource::other && type == ListviewItemType::tag)) {
        lastReachableCheck_.store(1);
        return true;
    }
    return fileTestWithCache();
}

bool TableViewItem::fileTestWithCache() const
{
    // Two threads asking at once each renew the time stamp in one step; at
    // worst both test the file, which gives the same answer.
    const qint8 cached = lastReachableCheck_.load();
    if (cached >= 0) {
        const qint64 current = nowMSecs();
        // Every question with a cached answer renews the time stamp.
        const qint64 previous = lastReachableCheckTime_.exchange(current);
        if (previous != noTime && current - previous <= reachabilityCacheMilliseconds)
            return cached == 1;
    }
    const bool reachable = isReachablePath(path());
    lastReachableCheck_.store(reachable ? 1 : 0);
    return reachable;
}

bool TableViewItem::isLaunched() const
{
    if (itemType() != ListviewItemType::application)
        return false;
    const auto services = ExecutionServices::shared();
    return services && services->isApplicationRunning(path());
}

bool TableViewItem::isPhysicalEntry() const
{
    switch (itemType()) {
    case ListviewItemType::url:
    case ListviewItemType::tag:
    case ListviewItemType::unknown:
        return false;
    default:
        return true;
    }
}

bool TableViewItem::acceptsDrop() const
{
    switch (itemType()) {
    case ListviewItemType::file:
    case ListviewItemType::application:
        return isReachable();
    case ListviewItemType::url:
        return true;
    default:
        return false;
    }
}

bool TableViewItem::shouldSavedToConfig() const
{
    const ListviewItemType type = itemType();
    if (type == ListviewItemType::unknown) {
        VLOG(Logger::tableViewItem(), platform::LogType::Error, "UNKOWN ITEMTYPE DETECTED: %{public}@", path());
        return false;
    }
    if (type == ListviewItemType::tag || itemSource() == ListviewItemSource::tags)
        return false;
    bool carriesUserData = !tags().isEmpty() || isFavorite() || !isVisible();
    {
        std::shared_lock lock(fieldLock());
        carriesUserData = carriesUserData || !comment_.isEmpty() || color_ || hotkey_;
    }
    if (carriesUserData)
        return true;
    return itemSource() != ListviewItemSource::spotlight;
}

std::optional<QDateTime> TableViewItem::lastModifiedDate() const
{
    if (!isPhysicalEntry())
        return std::nullopt;
    const QFileInfo info(path());
    if (!info.exists())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return modified;
}

bool TableViewItem::showInFinder() const
{
    if (!isReachable())
        return false;
    const auto services = ExecutionServices::shared();
    return services && services->selectFile(path());
}

void TableViewItem::renameTag(const QString& givenOldName, const QString& givenNewName)
{
    // The entry stores its names normalised.
    const QString oldName = normalizeTagName(givenOldName);
    const QString newName = normalizeTagName(givenNewName);
    if (oldName.isEmpty() || newName.isEmpty() || oldName == newName)
        return;
    const QStringList initial = tags();
    if (initial.isEmpty() || !initial.contains(oldName) || initial.contains(newName))
        return;
    const qsizetype length = initial.size();
    for (qsizetype i = 0; i < length; ++i) {
        QStringList current = tags();
        if (i >= current.size() || current.at(i) != oldName)
            continue;
        const QStringList before = current;
        current[i] = newName;
        storeTags(current);
        if (!containsSameElements(before, current))
            itemChanged(TableViewItemChangeReason::tagChanged);
    }
    setTags(uniqued(tags()));
    VLOG(Logger::tableViewItem(), platform::LogType::Default, "Modify Tags for entry: %{public}@", name());
    VLOG(Logger::tableViewItem(), platform::LogType::Default, "-> Tag %{public}@ found and renamed", oldName);
}

void TableViewItem::deleteTag(const QString& givenTagName)
{
    const QString tagName = normalizeTagName(givenTagName);
    if (tagName.isEmpty())
        return;
    const QStringList copy = tags();
    if (copy.isEmpty() || !copy.contains(tagName))
        return;
    setTags({});
    for (const QString& element : copy) {
        if (element == tagName)
            continue;
        const QStringList before = tags();
        QStringList after = before;
        after.append(element);
        storeTags(after);
        if (!containsSameElements(before, after))
            itemChanged(TableViewItemChangeReason::tagChanged);
    }
    VLOG(Logger::tableViewItem(), platform::LogType::Default, "Modify Tags for entry: %{public}@", name());
    VLOG(Logger::tableViewItem(), platform::LogType::Default, "-> Tag %{public}@ found and removed", tagName);
}

} // namespace vantel
