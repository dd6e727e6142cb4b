#include "config/ImportData.h"

#include "access/SandboxFileAccess.h"
#include "access/URLManager.h"
#include "config/Configuration.h"
#include "config/ExportImportManager.h"
#include "config/UnreadableData.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Dialogs.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/UserFileRead.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cmath>

namespace vantel {

namespace {

const char* const kCouldNotImport = localizable("The configuration could not be imported");

// One inner list of an export file, decoded before anything is applied.
template <class T>
struct DecodedPart {
    bool usable = true; // false: damaged or not a list of T; the current list stays
    QList<std::shared_ptr<T>> objects;
};

template <class T>
DecodedPart<T> decodePart(const std::optional<QByteArray>& archive, const QSet<QString>& allowedClasses)
{
    DecodedPart<T> part;
    if (!archive)
        return part; // the exported list was empty
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = allowedClasses;
    const auto decoded = platform::KeyedUnarchiver::unarchiveTopLevelObject(*archive, options);
    if (!decoded.ok() || decoded.value.metaType() != QMetaType::fromType<QVariantList>()) {
        part.usable = false;
        return part;
    }
    for (const QVariant& element : decoded.value.toList()) {
        if (element.metaType() != QMetaType::fromType<platform::ArchivablePtr>())
            continue;
        if (auto object = std::dynamic_pointer_cast<T>(element.value<platform::ArchivablePtr>()))
            part.objects.append(std::move(object));
    }
    return part;
}

// The damaged part is kept aside and the user told where.
void reportDamagedPart(const QByteArray& bytes, const QString& what, const QString& message, const QString& informative)
{
    const auto kept = UnreadableData::keep(bytes, what);
    platform::Dialogs::showAlert(message, informative + QLatin1Char('\n') + UnreadableData::whereKeptText(kept));
}

} // namespace

ImportData::ImportData(ExportImportManager& manager)
    : manager_(manager)
{
}

void ImportData::importDataFromFile()
{
    VLOG(Logger::importExport(), platform::LogType::Default, "-> importDataFromFile");
    platform::OpenPanelRequest panel;
    panel.showsHiddenFiles = false;
    panel.canChooseDirectories = false;
    panel.canCreateDirectories = false;
    panel.allowsMultipleSelection = false;
    panel.message = L10n::importConfigMessage();
    panel.allowedFileTypes = {manager_.defaultFileExtension};
    panel.fileTypeDescription = localized("Vantel export");
    const QString extension = QLatin1Char('.') + manager_.defaultFileExtension;
    panel.isEnabled = [extension](const QString& path) { return path.endsWith(extension); };
    const auto response = platform::Dialogs::runOpenPanel(panel);
    if (!response.accepted) {
        VLOG(Logger::importExport(), platform::LogType::Default, "<- importDataFromFile");
        return;
    }
    if (response.paths.isEmpty())
        return;
    const QString path = response.paths.first();
    if (!QFileInfo::exists(path) || !confirmImport())
        return;
    bool granted = false;
    SandboxFileAccess::shared().access(QUrl::fromLocalFile(path), Permissions{3}, true, true,
                                       [&granted](const SandboxFileAccess::Result& result) {
                                           granted = result.succeeded();
                                       });
    if (granted)
        loadImportFile(path);
    VLOG(Logger::importExport(), platform::LogType::Default, "<- importDataFromFile");
}

bool ImportData::confirmImport()
{
    platform::AlertRequest alert;
    alert.style = platform::AlertStyle::Warning;
    alert.messageText = L10n::dialogtext_ImportWarning();
    alert.buttons = {L10n::dialogtext_cancel(), L10n::dialogtext_ok()};
    alert.defaultButton = 0;
    alert.cancelButton = 0;
    return platform::Dialogs::runAlert(alert).buttonIndex == 1;
}

bool ImportData::loadImportFile(const QString& path)
{
    Configuration& config = manager_.config();
    DataStorage& store = config.dataStorage();
    store.setEnableDataProxies(false);
    manager_.setState(ExportImportManagerState::importRunning);
    VLOG(Logger::importExport(), platform::LogType::Default, "Loading Importfile");

    // Every early return leaves the store idle with the proxies on.
    const auto finish = [&](bool applied) {
        manager_.setState(ExportImportManagerState::idle);
        store.setEnableDataProxies(true);
        return applied;
    };
    const auto fail = [&](const char* logLine, const QString& informative) {
        VLOG(Logger::importExport(), platform::LogType::Error, "%{public}@", QString::fromLatin1(logLine));
        platform::Dialogs::showAlert(localized(kCouldNotImport), informative);
        return finish(false);
    };

    // Read suspiciously: a FIFO or device is refused unread, a huge file before it is read.
    const platform::UserFileRead read = platform::readUserFile(path, ExportImportManager::maximumImportFileSize);
    switch (read.status) {
    case platform::UserFileRead::Status::ok:
        break;
    case platform::UserFileRead::Status::missing:
    case platform::UserFileRead::Status::notRegularFile:
        return fail("Importfile is not reachable",
                    localized("The file %1 can't be reached. %2").arg(path, read.error).trimmed());
    case platform::UserFileRead::Status::tooLarge:
        return fail("Importfile failed to load",
                    localized("The file %1 is larger than 64 MiB; a configuration export is never that large.")
                        .arg(path));
    case platform::UserFileRead::Status::unreadable:
        return fail("Importfile failed to load", localized("The file %1 can't be read: %2").arg(path, read.error));
    }
    const QByteArray& bytes = read.data;
    VLOG(Logger::importExport(), platform::LogType::Default, "Importfile successfully loaded");
    VLOG(Logger::importExport(), platform::LogType::Default, "Extracting Data from Importfile ...");

    ExportImportData::registerArchiveClass();
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = {ExportImportData::archiveName()};
    options.maxBytes = ExportImportManager::maximumImportFileSize;
    const auto root = platform::KeyedUnarchiver::unarchive<ExportImportData>(bytes, options);
    if (!root) {
        const auto kept = UnreadableData::keep(bytes, QStringLiteral("ImportFile"));
        return fail("WARNING: Error while extracting Data",
                    localized("%1 is no configuration export or is damaged. Nothing was changed.\n%2")
                        .arg(path, UnreadableData::whereKeptText(kept)));
    }
    exportImportData_ = root;
    VLOG(Logger::importExport(), platform::LogType::Default, "Data successfully extracted");

    // The current state is backed up before the import replaces it, so the
    // import can be undone from the versioned backups. The backup's export
    // ends with the store idle and the proxies on: the import's own state is
    // taken again.
    const auto backup = manager_.exportVersionedBackup().createBackup();
    VLOG(Logger::importExport(), platform::LogType::Default, "Backup before the import: %{public}@",
         backup.value_or(QStringLiteral("none written")));
    store.setEnableDataProxies(false);
    manager_.setState(ExportImportManagerState::importRunning);
    VLOG(Logger::importExport(), platform::LogType::Default, "Beginning Import");

    // Decode every part before anything changes.
    const auto entries = decodePart<TableViewItem>(root->allDataArchive, TableViewItem::archiveClassNames());
    const auto tags = decodePart<iconTag>(root->allTagsArchive, iconTag::archiveClassNames());
    const auto templates = decodePart<urlTemplateData>(root->urlTemplateArchive, urlTemplateData::archiveClassNames());
    KeyCombo::registerArchiveClass();
    platform::KeyedUnarchiver::Options comboOptions;
    comboOptions.allowedClasses = {KeyCombo::archiveName()};
    std::optional<platform::KeyedUnarchiver::Result> combo;
    if (root->globalKeyCombo)
        combo = platform::KeyedUnarchiver::unarchiveTopLevelObject(*root->globalKeyCombo, comboOptions);

    // Entries.
    VLOG(Logger::importExport(), platform::LogType::Default, "-> importAllDataArray");
    VLOG(Logger::importExport(), platform::LogType::Default, "Available Items: %{public}@",
         QString::number(store.allData()->count()));
    if (entries.usable) {
        store.forgetTagUsage();
        store.allData()->removeAll();
        store.currentData()->removeAll();
        store.currentDataConfig()->removeAll();
        store.clearTrashData();
        VLOG(Logger::importExport(), platform::LogType::Default, "%{public}@ Items available after clearance",
             QString::number(store.allData()->count()));
        VLOG(Logger::importExport(), platform::LogType::Default, "loaded %{public}@ Items",
             QString::number(entries.objects.size()));
        store.allData()->appendContentsOf(entries.objects);
    } else {
        reportDamagedPart(*root->allDataArchive, QStringLiteral("ImportFile-allDataArchive"),
                          L10n::errorLoadingAllData_MessageText(), L10n::errorLoadingAllData_InfomativeText());
    }
    VLOG(Logger::importExport(), platform::LogType::Default, "<- importAllDataArray");

    // Tags.
    VLOG(Logger::importExport(), platform::LogType::Default, "-> importTagDataArray");
    TagManager& tagManager = store.tagManager();
    if (tags.usable) {
        store.forgetTagUsage();
        tagManager.allAvailableTags()->removeAll();
        tagManager.allAvailableTags()->appendContentsOf(tags.objects);
    } else {
        reportDamagedPart(*root->allTagsArchive, QStringLiteral("ImportFile-tagArchive"),
                          L10n::errorLoadingAllData_MessageText(), L10n::errorLoadingAllData_InfomativeText());
    }
    VLOG(Logger::importExport(), platform::LogType::Default, "<- importTagDataArray");

    // URL templates.
    VLOG(Logger::importExport(), platform::LogType::Default, "-> importURLTemplateArray");
    if (templates.usable) {
        config.urlManager().urlTemplates() = templates.objects;
    } else {
        reportDamagedPart(*root->urlTemplateArchive, QStringLiteral("ImportFile-urlTemplateArchive"),
                          L10n::errorLoadingAllData_MessageText(), L10n::errorLoadingAllData_InfomativeText());
    }
    VLOG(Logger::importExport(), platform::LogType::Default, "<- importURLTemplateArray");

    // The global hotkey: an absent archive keeps the current one.
    VLOG(Logger::importExport(), platform::LogType::Default, "-> importGlobalHotkey");
    if (combo) {
        if (!combo->ok()) {
            reportDamagedPart(*root->globalKeyCombo, QStringLiteral("ImportFile-globalKeyCombo"),
                              localized("Error loading globalKeyCombo from ImportFile"),
                              localized("Error: Import"));
        } else {
            std::shared_ptr<KeyCombo> decoded;
            if (combo->value.metaType() == QMetaType::fromType<platform::ArchivablePtr>())
                decoded = std::dynamic_pointer_cast<KeyCombo>(combo->value.value<platform::ArchivablePtr>());
            config.setGlobalKeyCombo(decoded ? std::optional<KeyCombo>(*decoded) : std::nullopt);
        }
    }
    VLOG(Logger::importExport(), platform::LogType::Default, "<- importGlobalHotkey");

    auto& center = platform::NotificationCenter::defaultCenter();
    config.setWindowViewStyle(root->windowViewStyle);
    config.setClickType(root->clickType);
    config.setMainPopoverAnimated(root->mainPopoverAnimated);
    config.setAlternateFolderBrowser(root->alternateFolderBrowser);
    config.setCustomSpotlightSearchScope(root->customSpotlightSearchScope);
    center.post(QStringLiteral("customSpotlightSearchScopeChanged"));
    config.setSearchForComments(root->searchForComments);
    config.setSearchForTags(root->searchForTags);
    config.setSelectingTagsInMainWindowLaunchAll(root->selectingTagsInMainWindowLaunchAll);
    config.setUseSmallModeInMainView(root->useSmallModeInMainView);
    center.post(QStringLiteral("useSmallModeInMainViewChanged"));
    config.setShowPathInMainView(root->showPathInMainView);
    center.post(QStringLiteral("showPathInMainViewChanged"));
    const float alpha = root->entryBackgroundAlphaValue;
    config.setEntryBackgroundAlphaValue(std::isnan(alpha) || alpha < 0.0f || alpha > 1.0f ? 0.2f : alpha);
    // The file carries these as well; an export read back gives the same settings.
    config.setHotkeyBorder(root->hotkeyBorder);
    config.setTranslucentBackgroundRight(root->translucentBackgroundRight);
    config.setMainWindowWidth(root->mainWindowWidth);
    config.setMainWindowHeight(root->mainWindowHeight);
    VLOG(Logger::importExport(), platform::LogType::Default, "Import successfully completed");
    VLOG(Logger::importExport(), platform::LogType::Default, "Save and refresh Data from Import");

    tagManager.validateTagSymbols();
    store.rebuildData(DataStorageRebuildReason::importData);
    config.saveConfig(false);
    VLOG(Logger::importExport(), platform::LogType::Default, "Save and refresh Data from Import successfully completed");
    finish(true);
    // Once the store is idle again: the hotkeys are registered anew from it.
    center.post(QStringLiteral("importDataFinished"), {}, &store);
    return true;
}

} // namespace vantel
