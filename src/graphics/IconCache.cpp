#include "graphics/IconCache.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "model/Logger.h"
#include "platform/Bundle.h"
#include "platform/FileFacts.h"
#include "platform/MainQueue.h"

#include <QTimeZone>

namespace vantel {

using platform::LogType;

namespace {

std::optional<QIcon> imageNamed(const QString& name)
{
    return platform::Bundle::main().imageNamed(name);
}

} // namespace

IconCache& IconCache::shared()
{
    static IconCache* const instance = new IconCache();
    return *instance;
}

IconCache::IconCache()
    : lastCacheRebuild_(QDateTime::fromMSecsSinceEpoch(0, QTimeZone::utc()))
{
    // The prefixes do not overlap, so at most one matches.
    static const std::pair<const char*, const char*> prefixes[] = {
        {"https://", "url_HTTPs"},
        {"http://", "url_HTTPs"},
        {"shortcuts://", "url_Shortcuts"},
        {"kmtrigger://", "url_KeyboardMaestro"},
        {"mailto:", "url_Mail"},
        {"things://", "url_Things"},
        {"ulysses://", "url_Ulysses"},
        {"x-devonthink-item://", "url_DevonThink"},
        {"x-devonthink://", "url_DevonThink"},
        {"craftdocs://", "url_Craft"},
        {"drafts5://", "url_Drafts"},
        {"drafts://", "url_Drafts"},
    };
    // Loaded when first asked: loading them loads the icon theme, which
    // the start, up to the tray icon, does not need.
    for (const auto& [prefix, name] : prefixes)
        customURLIcons_.append({QString::fromLatin1(prefix), QString::fromLatin1(name), std::nullopt});

    rebuildObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("dataStorageRebuildIsFinished"), [this](const platform::Notification&) {
            dataStorageRebuildIsFinished();
        });
}

QIcon IconCache::customIconUnkownObject()
{
    if (!customIconUnkownObject_)
        customIconUnkownObject_ = imageNamed(QStringLiteral("unkownObject"));
    return customIconUnkownObject_->value_or(QIcon());
}

QIcon IconCache::customIconDefaultURL()
{
    if (!customIconDefaultURL_)
        customIconDefaultURL_ = imageNamed(QStringLiteral("url_Custom"));
    return customIconDefaultURL_->value_or(QIcon());
}

QUrl IconCache::fileURLOf(const TableViewItem& entry)
{
    return QUrl::fromLocalFile(entry.path());
}

QIcon IconCache::getIcon(const TableViewItemPtr& entry, std::optional<bool> largeIcon)
{
    if (!entry || !entry->isReachable())
        return customIconUnkownObject();
    if (std::optional<QIcon> icon = urlIcon(*entry))
        return *icon;
    if (std::optional<QIcon> icon = tagIcon(*entry))
        return *icon;

    const QUrl url = fileURLOf(*entry);
    if (const IconCacheObject::Ptr object = cachedObject(url)) {
        object->refresh();
        return object->image(largeIcon);
    }
    // A new object has just taken its images: nothing to refresh yet.
    if (const IconCacheObject::Ptr object = addObject(url))
        return object->image(largeIcon);
    return customIconUnkownObject();
}

bool IconCache::givesSymbol(const TableViewItem& entry)
{
    return !entry.isReachable() || entry.itemType() == ListviewItemType::url;
}

std::optional<QIcon> IconCache::urlIcon(const TableViewItem& entry)
{
    if (entry.itemType() != ListviewItemType::url)
        return std::nullopt;
    const QString text = entry.path().toLower();
    for (CustomURLIcon& custom : customURLIcons_) {
        if (!text.startsWith(custom.prefix))
            continue;
        if (!custom.image)
            custom.image = imageNamed(custom.name);
        return *custom.image;
    }
    return customIconDefaultURL();
}

std::optional<QIcon> IconCache::tagIcon(const TableViewItem& entry)
{
    if (entry.itemType() != ListviewItemType::tag)
        return std::nullopt;
    TagManager& tags = TagManager::shared();
    const std::optional<iconTagPtr> tag = tags.allAvailableTags()->firstItem(TagManager::tagNameMatches(entry.path()));
    if (!tag || !*tag)
        return imageNamed(tags.defaultFolder);
    const QString symbol = (*tag)->tagSymbol().isEmpty() ? tags.defaultTag : (*tag)->tagSymbol();
    const std::optional<QIcon> image = imageNamed(symbol);
    if (!image)
        return std::nullopt;
    const std::optional<platform::Color> colour = (*tag)->color();
    return tinted(*image, colour ? std::optional<QColor>(colour->toQColor()) : std::nullopt);
}

IconCacheObject::Ptr IconCache::cachedObject(const QUrl& fileURL) const
{
    std::shared_lock lock(cacheLock_);
    return cache_.value(fileURL);
}

IconCacheObject::Ptr IconCache::addObject(const QUrl& fileURL)
{
    if (cachedObject(fileURL))
        return nullptr;
    IconCacheObject::Ptr object = IconCacheObject::create(fileURL);
    if (!object)
        return nullptr;
    VLOG(Logger::iconCache(), LogType::Info, "Added to IconCache: %{public}@", fileURL.toLocalFile());
    std::unique_lock lock(cacheLock_);
    cache_.insert(fileURL, object);
    return object;
}

void IconCache::removeAllObjects()
{
    QHash<QUrl, IconCacheObject::Ptr> released;
    {
        std::unique_lock lock(cacheLock_);
        released.swap(cache_);
    }
    // The objects go outside the lock; their pending thumbnails find them gone.
}

qsizetype IconCache::objectCount() const
{
    std::shared_lock lock(cacheLock_);
    return cache_.size();
}

QDateTime IconCache::lastCacheRebuild() const
{
    std::lock_guard lock(rebuildLock_);
    return lastCacheRebuild_;
}

void IconCache::setLastCacheRebuild(const QDateTime& moment)
{
    std::lock_guard lock(rebuildLock_);
    lastCacheRebuild_ = moment;
}

void IconCache::dataStorageRebuildIsFinished()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const double seconds = double(lastCacheRebuild().msecsTo(now)) / 1000.0;
    if (seconds > verificationInterval) {
        VLOG(Logger::iconCache(), LogType::Default, "dataStorageRebuildIsFinished -> build and verify the IconCache");
        rebuildCache();
        // Renewed even when the store was busy and nothing was verified.
        setLastCacheRebuild(now);
        return;
    }
    VLOG(Logger::iconCache(), LogType::Default,
         "dataStorageRebuildIsFinished but we don't verify the cache because the last verify was less than "
         "%{public}@ seconds ago ...",
         QString::number(verificationInterval, 'f', 1));
}

void IconCache::rebuildCache()
{
    DataStorage& store = DataStorage::shared();
    if (store.state() != DatastorageState::idle)
        return;
    store.allData()->forEach([this](const TableViewItemPtr& entry) {
        platform::MainQueue::async([this, weakEntry = std::weak_ptr<TableViewItem>(entry)] {
            if (const TableViewItemPtr alive = weakEntry.lock())
                verifyEntry(alive);
        });
    });
}

void IconCache::verifyEntry(const TableViewItemPtr& entry)
{
    if (!entry || !entry->isPhysicalEntry())
        return;
    const QUrl url = fileURLOf(*entry);
    if (!platform::FileFacts::isReachable(url.toLocalFile()))
        return;
    const IconCacheObject::Ptr object = cachedObject(url);
    if (!object)
        (void)addObject(url);
    else if (entry->itemType() == ListviewItemType::file)
        object->refresh();
}

} // namespace vantel
