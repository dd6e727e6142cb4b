#include "datastore/ProxyTags.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/Logger.h"
#include "platform/Log.h"

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::tagsProxy();
}

bool isTagEntry(const TableViewItemPtr& entry)
{
    return entry && entry->itemType() == ListviewItemType::tag;
}

} // namespace

ProxyTags::ProxyTags(DataStorage& store, TagManager& tagManager)
    : store_(store)
    , tagManager_(tagManager)
{
}

ProxyTags::~ProxyTags() = default;

void ProxyTags::initialize()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto refresh = [this](const platform::Notification&) { refreshTagEntries(); };
    rebuildObserver_ = center.addObserver(QStringLiteral("visibleTagsRebuildNeeded"), refresh, &tagManager_);
    counterObserver_ = center.addObserver(QStringLiteral("visibleTagsUseCounterChanged"), refresh, &tagManager_);
    initialized_.store(true);
}

void ProxyTags::setEnabled(bool enabled)
{
    if (enabled_.exchange(enabled) != enabled)
        VLOG(category(), platform::LogType::Info, "Proxy: Tags enabled: %{public}@",
             enabled ? QStringLiteral("true") : QStringLiteral("false"));
}

QString ProxyTags::entryName(const QString& tagName)
{
    return QStringLiteral("Tag [") + tagName + QStringLiteral("]");
}

void ProxyTags::refreshTagEntries()
{
    if (!enabled())
        return;
    VLOG(category(), platform::LogType::Default, "Proxy: Tags - Refreshing Tags-Entries in AllData");

    const EntryArray::Ptr& allData = store_.allData();
    for (const TableViewItemPtr& entry : allData->filtered(isTagEntry)->snapshot())
        entry->setIsFoundByTags(false);

    for (const iconTagPtr& tag : tagManager_.allVisibleTags()->snapshot())
        if (tag)
            validateTagEntry(*tag);

    // Submitted after the appends above, so it runs after them.
    allData->removeAllWhere([](const TableViewItemPtr& entry) { return isTagEntry(entry) && !entry->isFoundByTags(); });
}

void ProxyTags::validateTagEntry(const iconTag& tag)
{
    const QString tagName = tag.tagName();
    const QString key = entryName(tagName);
    const EntryArray::Ptr& allData = store_.allData();
    const auto existing =
        allData->firstItem([&key](const TableViewItemPtr& entry) { return isTagEntry(entry) && entry->name() == key; });
    if (existing) {
        (*existing)->setIsFoundByTags(true);
        VLOG(category(), platform::LogType::Default, "Proxy: Tags - Validated: %{public}@", key);
        return;
    }
    const TableViewItemPtr entry = TableViewItem::initForTag(tagName, key);
    entry->setIsFoundByTags(true);
    allData->append(entry);
    VLOG(category(), platform::LogType::Default, "Proxy: Tags - Added: %{public}@", key);
}

} // namespace vantel
