#include "datastore/DatastorageHandlerURLObjects.h"

#include "access/ParsedURL.h"
#include "datastore/AddModifyURLPane.h"
#include "datastore/DataStorage.h"
#include "datastore/WindowRequests.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <QUrl>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::dataStorageExternalObjects();
}

} // namespace

DatastorageHandlerURLObjects::DatastorageHandlerURLObjects(DataStorage& store)
    : store_(store)
{
}

QString DatastorageHandlerURLObjects::hostOfURLTemplate(const QString& urlString)
{
    const auto parsed = ParsedURL::create(urlString, std::nullopt);
    return parsed ? parsed->urlWithoutPlaceholders().host() : QString();
}

bool DatastorageHandlerURLObjects::urlEntryPathMatches(const TableViewItem& entry, const QString& string)
{
    return entry.path().toLower() == string.toLower();
}

// ---- The pane ----

std::shared_ptr<AddModifyURLPane>
DatastorageHandlerURLObjects::paneFor(const std::shared_ptr<ViewController>& presenting)
{
    const auto windows = WindowRequests::shared();
    if (!windows)
        return nullptr;
    if (presenting) {
        auto pane = std::dynamic_pointer_cast<AddModifyURLPane>(windows->getViewController(WindowKind::addOrModifyURL));
        if (pane)
            presenting->presentAsSheet(pane);
        return pane;
    }
    const auto window = windows->openWindow(false, WindowKind::addOrModifyURL);
    if (!window)
        return nullptr;
    return std::dynamic_pointer_cast<AddModifyURLPane>(window->contentViewController());
}

std::shared_ptr<AddModifyURLPane>
DatastorageHandlerURLObjects::showAddURLSheet(const QString& urlString, const std::shared_ptr<ViewController>& presenting,
                                              const std::optional<QString>& tag)
{
    std::optional<QString> url;
    std::optional<QString> title;
    const QString trimmed = trimmingWhitespace(urlString);
    if (!trimmed.isEmpty() && hasURLScheme(trimmed)) {
        const QUrl parsed(trimmed, QUrl::StrictMode);
        if (parsed.isValid()) {
            url = trimmed;
            title = trimmingWhitespace(parsed.host());
        }
    }

    const auto pane = paneFor(presenting);
    if (!pane)
        return nullptr;
    pane->newOrModifyURL = url;
    pane->refreshURLField();
    pane->newOrModifyTitle = title;
    pane->setSiteTitleText(title.value_or(QString()));
    pane->newOrModifyComment = std::nullopt;
    pane->setSiteCommentText(QString());
    pane->newOrModifyTag = tag;
    return pane;
}

std::shared_ptr<AddModifyURLPane>
DatastorageHandlerURLObjects::showModifyURLSheet(const TableViewItemPtr& entry,
                                                 const std::shared_ptr<ViewController>& presenting)
{
    if (!entry || entry->itemType() != ListviewItemType::url)
        return nullptr;
    const auto pane = paneFor(presenting);
    if (pane)
        pane->setReferenceTableViewItem(entry);
    return pane;
}

// ---- Editing ----

DatastorageResultCode DatastorageHandlerURLObjects::addURLToDatabase(const QString& urlString, const QString& title,
                                                                     const QString& comment,
                                                                     const std::optional<QString>& tag)
{
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), platform::LogType::Fault,
             "! addURLToDatabase - Want to add entry to Database, but Database was not idle! Entry: %{public}@",
             urlString);
        return DatastorageResultCode::notIdle;
    }

    // A parsed template has its placeholder parser and a placeholder-free URL.
    if (!ParsedURL::create(urlString, std::nullopt)) {
        VLOG(category(), platform::LogType::Fault,
             "! addURLToDatabase - Want to add entry to Database, but URL was invalid! Entry: %{public}@", urlString);
        return DatastorageResultCode::urlInvalid;
    }

    const QString url = trimmingWhitespace(urlString);
    const QString trimmedComment = trimmingWhitespace(comment);
    QString trimmedTitle = trimmingWhitespace(title);
    if (trimmedTitle.isEmpty())
        trimmedTitle = trimmingWhitespace(hostOfURLTemplate(urlString));
    if (trimmedTitle.isEmpty())
        return DatastorageResultCode::titleEmpty;

    // An empty tag names no tag: it is never appended.
    const bool hasTag = tag && !tag->isEmpty();
    if (!url.isEmpty() && hasTag && store_.entryForPath(url)) {
        if (!store_.appendTag(url, *tag))
            return DatastorageResultCode::done;
        store_.rebuildData(DataStorageRebuildReason::addURLToDatabase);
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageURLAddedOrModified"), {}, &store_);
        return DatastorageResultCode::done;
    }

    VLOG(category(), platform::LogType::Default, "addURLToDatabase");
    VLOG(category(), platform::LogType::Default, " -> URL: %{public}@", urlString);
    VLOG(category(), platform::LogType::Default, " -> Title: %{public}@", title);
    VLOG(category(), platform::LogType::Default, " -> Comment: %{public}@", comment);

    const TableViewItemPtr entry = TableViewItem::initForURL(url, trimmedTitle, trimmedComment);
    if (hasTag)
        entry->setTags(entry->tags() << *tag);

    const DatastorageResultCode added = store_.addToAllData(entry);
    if (added != DatastorageResultCode::done)
        return added;

    store_.rebuildData(DataStorageRebuildReason::addURLToDatabase);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageURLAddedOrModified"), {}, &store_);
    return DatastorageResultCode::done;
}

DatastorageResultCode DatastorageHandlerURLObjects::modifyURLInDatabase(const TableViewItemPtr& entry,
                                                                        const QString& urlString, const QString& title,
                                                                        const QString& comment)
{
    if (!entry)
        return DatastorageResultCode::nothingChanged;
    if (entry->name() == title && entry->path() == urlString && entry->comment() == comment)
        return DatastorageResultCode::nothingChanged;
    if (!ParsedURL::create(urlString, std::nullopt))
        return DatastorageResultCode::urlInvalid;
    if (title.isEmpty())
        return DatastorageResultCode::titleEmpty;

    const QList<TableViewItemPtr> matches =
        store_.allData()
            ->filtered([&urlString](const TableViewItemPtr& e) { return e && urlEntryPathMatches(*e, urlString); })
            ->snapshot();
    for (const TableViewItemPtr& match : matches) {
        if (!match->isEqual(*entry))
            return DatastorageResultCode::entryExists;
    }

    VLOG(category(), platform::LogType::Default, "modifyURLInDatabase");
    VLOG(category(), platform::LogType::Default, " -> URL: %{public}@", urlString);
    VLOG(category(), platform::LogType::Default, " -> Title: %{public}@", title);
    VLOG(category(), platform::LogType::Default, " -> Comment: %{public}@", comment);

    entry->setName(title);
    entry->setPath(urlString);
    entry->setComment(comment);

    store_.rebuildData(DataStorageRebuildReason::modifyURLInDatabase);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageURLAddedOrModified"), {}, &store_);
    return DatastorageResultCode::done;
}

} // namespace vantel
