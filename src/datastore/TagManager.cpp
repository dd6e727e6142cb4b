#include "datastore/TagManager.h"

#include "datastore/DataStorage.h"
#include "datastore/StringOrder.h"
#include "model/Logger.h"
#include "platform/Log.h"

#include <algorithm>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::tagManager();
}

void post(const QString& name, const TagManager* sender)
{
    platform::NotificationCenter::defaultCenter().post(name, {}, sender);
}

} // namespace

QString rawValue(TagManager::TagCompareResults result)
{
    switch (result) {
    case TagManager::TagCompareResults::rebuildNeeded:
        return QStringLiteral("rebuildNeeded");
    case TagManager::TagCompareResults::redrawNeeded:
        return QStringLiteral("redrawNeeded");
    case TagManager::TagCompareResults::tagUseCounterChanged:
        return QStringLiteral("tagUseCounterChanged");
    case TagManager::TagCompareResults::validateHotkeyNeeded:
        return QStringLiteral("validateHotkeyNeeded");
    }
    return {};
}

TagManager& TagManager::shared()
{
    return DataStorage::shared().tagManager();
}

TagManager::TagManager(DataStorage& store)
    : store_(store)
    , allAvailableTags_(TagArray::create())
    , allVisibleTags_(TagArray::create())
{
    rebuildObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification&) { rebuildVisibleTags(); },
        &store_);
    fillIconNames();
}

TagArray::Ptr TagManager::allVisibleTags() const
{
    std::lock_guard lock(mutex_);
    return allVisibleTags_;
}

QList<std::shared_ptr<iconTagForBackup>> TagManager::backupVisibleTags() const
{
    std::lock_guard lock(mutex_);
    return backupVisibleTags_;
}

iconTagPtr TagManager::tagForName(const QString& name) const
{
    return allAvailableTags_->firstItem(tagNameMatches(name)).value_or(nullptr);
}

// ---- After a rebuild ----

void TagManager::rebuildVisibleTags()
{
    QList<iconTagPtr> visible;
    for (const iconTagPtr& tag : allAvailableTags_->snapshot())
        if (tag && tag->tagVisible())
            visible.append(tag);
    std::stable_sort(visible.begin(), visible.end(),
                     [](const iconTagPtr& a, const iconTagPtr& b) { return codePointLess(a->tagName(), b->tagName()); });
    {
        std::lock_guard lock(mutex_);
        allVisibleTags_ = TagArray::create(std::move(visible));
    }

    const QList<TagCompareResults> results = compareVisibleTags();
    if (results.isEmpty()) {
        VLOG(category(), platform::LogType::Default, "-> visibleTags have not changed!");
        storeVisibleTagsBackup();
        return;
    }
    if (results.contains(TagCompareResults::validateHotkeyNeeded)) {
        VLOG(category(), platform::LogType::Default, "-> Hotkey changed in visibleTags - re-registering Tag-Hotkeys ...");
        post(QStringLiteral("validateTagHotkeyNeeded"), this);
    }
    if (results.contains(TagCompareResults::rebuildNeeded)) {
        VLOG(category(), platform::LogType::Default, "-> visibleTagsRebuildNeeded");
        post(QStringLiteral("visibleTagsRebuildNeeded"), this);
    } else {
        if (results.contains(TagCompareResults::tagUseCounterChanged)) {
            VLOG(category(), platform::LogType::Default, "-> visibleTagsUseCounterChanged");
            post(QStringLiteral("visibleTagsUseCounterChanged"), this);
        }
        if (results.contains(TagCompareResults::redrawNeeded)) {
            VLOG(category(), platform::LogType::Default, "-> visibleTagsRedrawNeeded");
            post(QStringLiteral("visibleTagsRedrawNeeded"), this);
        }
    }
    // Observers ran while the previous snapshot was still in place.
    storeVisibleTagsBackup();
}

QList<TagManager::TagCompareResults> TagManager::compareVisibleTags() const
{
    QList<TagCompareResults> results;
    const QList<iconTagPtr> visible = allVisibleTags()->snapshot();
    const QList<std::shared_ptr<iconTagForBackup>> backup = backupVisibleTags();

    for (const iconTagPtr& tag : visible) {
        const QString name = tag->tagName();
        const auto found = std::find_if(backup.cbegin(), backup.cend(), [&name](const auto& b) { return b->tagName() == name; });
        if (found != backup.cend())
            compareTagWithBackup(*tag, **found, results);
        else if (!results.contains(TagCompareResults::rebuildNeeded))
            results.append(TagCompareResults::rebuildNeeded);
    }
    for (const auto& snapshot : backup) {
        const QString name = snapshot->tagName();
        const auto found = std::find_if(visible.cbegin(), visible.cend(), [&name](const auto& t) { return t->tagName() == name; });
        if (found != visible.cend())
            compareTagWithBackup(**found, *snapshot, results);
        else if (!results.contains(TagCompareResults::rebuildNeeded))
            results.append(TagCompareResults::rebuildNeeded);
    }
    return results;
}

void TagManager::compareTagWithBackup(const iconTag& tag, const iconTag& backup, QList<TagCompareResults>& results)
{
    const auto add = [&results](TagCompareResults kind) {
        if (!results.contains(kind))
            results.append(kind);
    };
    if (tag.tagUsed() != backup.tagUsed())
        add(TagCompareResults::redrawNeeded);
    if (tag.color() != backup.color())
        add(TagCompareResults::redrawNeeded);
    if (tag.tagUseCounter() != backup.tagUseCounter()) {
        add(TagCompareResults::tagUseCounterChanged);
        add(TagCompareResults::redrawNeeded);
    }
    if (tag.hotkey() != backup.hotkey())
        add(TagCompareResults::validateHotkeyNeeded);
    if (tag.hotkeyLaunchAll() != backup.hotkeyLaunchAll())
        add(TagCompareResults::validateHotkeyNeeded);
}

void TagManager::storeVisibleTagsBackup()
{
    QList<std::shared_ptr<iconTagForBackup>> backup;
    for (const iconTagPtr& tag : allVisibleTags()->snapshot()) {
        auto snapshot = iconTagForBackup::create(tag->tagName(), tag->tagSymbol());
        // The name exactly as the tag holds it, so the next comparison finds it.
        snapshot->setTagName(tag->tagName());
        snapshot->setTagUsed(true);
        snapshot->setColor(tag->color());
        snapshot->setTagUseCounter(tag->tagUseCounter());
        snapshot->setHotkey(tag->hotkey());
        snapshot->setHotkeyLaunchAll(tag->hotkeyLaunchAll());
        backup.append(std::move(snapshot));
    }
    std::lock_guard lock(mutex_);
    backupVisibleTags_ = std::move(backup);
}

void TagManager::validateTagSymbols()
{
    const QList<iconTagPtr> tags = allAvailableTags_->snapshot();
    for (const iconTagPtr& tag : tags)
        if (tag && !iconNames_.contains(tag->tagSymbol()))
            tag->setTagSymbol(defaultTag);
}

} // namespace vantel
