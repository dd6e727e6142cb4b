// The three stored lists: entries, tags and URL templates, each one keyed
// archive whose root is an array of the model objects.
#include "config/Configuration.h"

#include "access/URLManager.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Dialogs.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/UserDefaults.h"

namespace vantel {

namespace {

const QString kApplicationData = QStringLiteral("ApplicationData");
const QString kTagData = QStringLiteral("TagData");
const QString kURLTemplateData = QStringLiteral("urlTemplateData");
// Shown under an alert's message: looked up when shown, not at start-up.
QString errorConfiguration()
{
    return localized("Error: Configuration");
}

template <class T>
QByteArray archiveArray(const QList<std::shared_ptr<T>>& objects)
{
    QVariantList array;
    array.reserve(objects.size());
    for (const auto& object : objects)
        array.append(QVariant::fromValue(platform::ArchivablePtr(object)));
    return platform::KeyedArchiver::archivedData(QVariant(array));
}

// What reading a stored list gave.
template <class T>
struct DecodedList {
    bool readable = true;      // false: the archive itself is damaged
    bool isArray = false;      // false: a sound archive of something else
    bool complete = true;      // false: some elements were not of the list's class
    QList<std::shared_ptr<T>> objects;
};

template <class T>
DecodedList<T> decodeArray(const QByteArray& data, const QSet<QString>& allowedClasses)
{
    DecodedList<T> result;
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = allowedClasses;
    const auto decoded = platform::KeyedUnarchiver::unarchiveTopLevelObject(data, options);
    if (!decoded.ok()) {
        result.readable = false;
        return result;
    }
    if (decoded.value.metaType() != QMetaType::fromType<QVariantList>()) {
        result.complete = false;
        return result;
    }
    result.isArray = true;
    for (const QVariant& element : decoded.value.toList()) {
        std::shared_ptr<T> object;
        if (element.metaType() == QMetaType::fromType<platform::ArchivablePtr>())
            object = std::dynamic_pointer_cast<T>(element.value<platform::ArchivablePtr>());
        if (object)
            result.objects.append(std::move(object));
        else
            result.complete = false;
    }
    return result;
}

} // namespace

DataStorage& Configuration::dataStorage() const
{
    return store_ ? *store_ : DataStorage::shared();
}

URLManager& Configuration::urlManager() const
{
    return urls_ ? *urls_ : URLManager::shared();
}

void Configuration::setStores(DataStorage* store, URLManager* urls)
{
    store_ = store;
    urls_ = urls;
}

// What a readable list that was not wholly a list of its class keeps, and says.
static QString partlyReadText(const QString& key)
{
    return localized("Part of \"%1\" was not of the expected kind and could not be loaded.").arg(key);
}

void Configuration::saveAllDataArray()
{
    VLOG(Logger::config(), platform::LogType::Default, "saveAllDataArray");
    const auto& allData = dataStorage().allData();
    // An empty catalogue at save time is one that was never filled: the
    // stored list stays for the next launch.
    if (allData->isEmpty() || isKeyProtected(kApplicationData))
        return;
    const auto selection = allData->filtered([](const TableViewItemPtr& entry) {
        return entry && entry->shouldSavedToConfig();
    });
    const QByteArray data = archiveArray(selection->snapshot());
    if (data.isEmpty()) {
        platform::Dialogs::showAlert(localized("Error saving allDataArray to UserDefaults"), errorConfiguration());
        return;
    }
    defaults_.setData(data, kApplicationData);
}

bool Configuration::mayPruneUnusedTags() const
{
    return !storedEntriesIncomplete_ && dataStorage().tagUsageKnown();
}

void Configuration::saveTagDataArray(bool removeUnusedTags)
{
    VLOG(Logger::config(), platform::LogType::Default, "saveTagDataArray");
    const auto& tags = dataStorage().tagManager().allAvailableTags();
    if (isKeyProtected(kTagData))
        return;
    // Tags look unused when the entries that use them could not be read.
    if (removeUnusedTags && mayPruneUnusedTags() && tags->containsItem([](const iconTagPtr& tag) { return tag && !tag->tagUsed(); }))
        tags->removeAllWhere([](const iconTagPtr& tag) { return !tag || !tag->tagUsed(); });
    const auto selection = tags->filtered([](const iconTagPtr& tag) { return tag && tag->shouldSavedToConfig(); })->snapshot();
    // Before anything was loaded an empty selection says nothing; after a
    // load it means the user removed the last such tag, which must stay removed.
    if (selection.isEmpty() && !configLoaded())
        return;
    const QByteArray data = archiveArray(selection);
    if (data.isEmpty()) {
        platform::Dialogs::showAlert(localized("Error saving arrayOfAllTags to UserDefaults"), errorConfiguration());
        return;
    }
    defaults_.setData(data, kTagData);
}

void Configuration::saveURLTemplateDataArray()
{
    VLOG(Logger::config(), platform::LogType::Default, "saveURLTemplateDataArray");
    const auto& templates = urlManager().urlTemplates();
    if (isKeyProtected(kURLTemplateData))
        return;
    if (templates.isEmpty() && !configLoaded())
        return;
    const QByteArray data = archiveArray(templates);
    if (data.isEmpty()) {
        platform::Dialogs::showAlert(localized("Error saving urlTemplates to UserDefaults"), errorConfiguration());
        return;
    }
    defaults_.setData(data, kURLTemplateData);
}

void Configuration::loadAllDataArray()
{
    VLOG(Logger::config(), platform::LogType::Default, "loadAllDataArray");
    DataStorage& store = dataStorage();
    store.setEnableDataProxies(false);
    store.forgetTagUsage();
    store.allData()->removeAll();
    if (const auto data = defaults_.dataForKey(kApplicationData)) {
        const auto decoded = decodeArray<TableViewItem>(*data, TableViewItem::archiveClassNames());
        if (!decoded.readable || !decoded.complete)
            storedEntriesIncomplete_ = true;
        if (!decoded.readable) {
            keepUnreadableValue(kApplicationData, *data, L10n::errorLoadingAllData_MessageText(),
                                L10n::errorLoadingAllData_InfomativeText(), true);
        } else if (!decoded.complete) {
            keepUnreadableValue(kApplicationData, *data, L10n::errorLoadingAllData_MessageText(),
                                partlyReadText(kApplicationData), false);
        }
        store.allData()->appendContentsOf(decoded.objects);
    } else if (const QVariant stored = defaults_.objectForKey(kApplicationData); stored.isValid()) {
        // Present but not read: every tag would look unused.
        storedEntriesIncomplete_ = true;
        keepWrongTypedList(kApplicationData, stored, L10n::errorLoadingAllData_MessageText());
    }
    store.setEnableDataProxies(true);
}

void Configuration::loadTagDataArray()
{
    VLOG(Logger::config(), platform::LogType::Default, "loadTagDataArray");
    TagManager& tagManager = dataStorage().tagManager();
    dataStorage().forgetTagUsage();
    tagManager.allAvailableTags()->removeAll();
    if (const auto data = defaults_.dataForKey(kTagData)) {
        const auto decoded = decodeArray<iconTag>(*data, iconTag::archiveClassNames());
        if (!decoded.readable) {
            keepUnreadableValue(kTagData, *data, L10n::errorLoadingAllData_MessageText(),
                                L10n::errorLoadingAllData_InfomativeText(), true);
        } else if (!decoded.complete) {
            keepUnreadableValue(kTagData, *data, L10n::errorLoadingAllData_MessageText(), partlyReadText(kTagData),
                                false);
        }
        tagManager.allAvailableTags()->appendContentsOf(decoded.objects);
    } else if (const QVariant stored = defaults_.objectForKey(kTagData); stored.isValid()) {
        keepWrongTypedList(kTagData, stored, L10n::errorLoadingAllData_MessageText());
    }
    tagManager.validateTagSymbols();
}

void Configuration::loadURLTemplateDataArray()
{
    VLOG(Logger::config(), platform::LogType::Default, "loadURLTemplateDataArray");
    URLManager& urls = urlManager();
    urls.urlTemplates().clear();
    const auto data = defaults_.dataForKey(kURLTemplateData);
    if (const QVariant stored = defaults_.objectForKey(kURLTemplateData); !data && stored.isValid()) {
        // As for a damaged list: kept aside, and no built-in templates.
        keepWrongTypedList(kURLTemplateData, stored, localized("Error loading urlTemplates from UserDefaults"));
    } else if (!data) {
        urls.loadDefaultTemplates();
    } else {
        const auto decoded = decodeArray<urlTemplateData>(*data, urlTemplateData::archiveClassNames());
        if (!decoded.readable) {
            keepUnreadableValue(kURLTemplateData, *data, localized("Error loading urlTemplates from UserDefaults"),
                                errorConfiguration(), true);
        } else if (!decoded.complete) {
            keepUnreadableValue(kURLTemplateData, *data, localized("Error loading urlTemplates from UserDefaults"),
                                partlyReadText(kURLTemplateData), false);
        }
        urls.urlTemplates() = decoded.objects;
    }
    urls.cleanUpTemplates();
}

} // namespace vantel
