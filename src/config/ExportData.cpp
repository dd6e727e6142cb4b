#include "config/ExportData.h"

#include "access/SandboxFileAccess.h"
#include "access/URLManager.h"
#include "config/Configuration.h"
#include "config/ExportImportManager.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Dialogs.h"
#include "platform/KeyedArchiver.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QUrl>

namespace vantel {

namespace {

// Shown under an alert's message: looked up when shown, not at start-up.
QString errorExport()
{
    return localized("Error: Export");
}

template <class T>
std::optional<QByteArray> archiveArray(const QList<std::shared_ptr<T>>& objects)
{
    QVariantList array;
    for (const auto& object : objects)
        array.append(QVariant::fromValue(platform::ArchivablePtr(object)));
    const QByteArray data = platform::KeyedArchiver::archivedData(QVariant(array));
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error, bool newFileOnly = false)
{
    // A file the user chose keeps its folder: none is created for it.
    platform::WriteOptions options;
    options.newFileMode = 0644;
    options.createFolder = false;
    if (newFileOnly)
        options.replacing = platform::FileIdentity::none();
    const platform::WriteResult written = platform::writeFileSafely(path, bytes, options);
    if (!written)
        *error = written.error;
    return written.ok;
}

// Asks for write access to a file that exists already; a new file is written without asking.
bool mayWrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    bool granted = false;
    SandboxFileAccess::shared().access(QUrl::fromLocalFile(path), Permissions{5}, true, true,
                                       [&granted](const SandboxFileAccess::Result& result) {
                                           granted = result.succeeded();
                                       });
    return granted;
}

// Names come from desktop files and file names: a field that a spreadsheet
// would read as a formula gets a leading apostrophe, so it stays text.
QString csvField(QString text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        text.prepend(QLatin1Char('\''));
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

ExportData::ExportData(ExportImportManager& manager)
    : manager_(manager)
{
}

void ExportData::exportDataToFile()
{
    VLOG(Logger::importExport(), platform::LogType::Default, "-> exportDataToFile");
    platform::SavePanelRequest panel;
    panel.allowsOtherFileTypes = false;
    panel.canCreateDirectories = true;
    panel.allowedFileTypes = {manager_.defaultFileExtension};
    panel.fileTypeDescription = localized("Vantel export");
    panel.nameFieldStringValue = localized("Vantel Configuration") + QLatin1Char('.') + manager_.defaultFileExtension;
    const auto response = platform::Dialogs::runSavePanel(panel);
    if (response.accepted && !response.path.isEmpty()) {
        if (!mayWrite(response.path)) {
            platform::Dialogs::showAlert(localized("Nothing was exported: writing to the file was not allowed."),
                                         response.path);
        } else if (exportAll(response.path, true) == Outcome::nothingToExport) {
            platform::Dialogs::showAlert(localized("Nothing was exported: the catalogue holds no entries."),
                                         localized("No file was written."));
        }
    }
    VLOG(Logger::importExport(), platform::LogType::Default, "<- exportDataToFile");
}

ExportData::Outcome ExportData::exportAll(const QString& path, bool removeUnusedTags)
{
    return exportAll(path, removeUnusedTags, {});
}

ExportData::Outcome ExportData::exportAll(const QString& path, bool removeUnusedTags, const WriteFilter& shouldWrite,
                                          bool newFileOnly)
{
    Configuration& config = manager_.config();
    DataStorage& store = config.dataStorage();
    if (store.allData()->isEmpty())
        return Outcome::nothingToExport;
    // The catalogue holds still while it is written; the proxies come back
    // only if they were on (at termination they stay off: no new discovery).
    const bool proxiesWereEnabled = store.enableDataProxies();
    if (proxiesWereEnabled)
        store.setEnableDataProxies(false);
    manager_.setState(ExportImportManagerState::exportRunning);
    VLOG(Logger::importExport(), platform::LogType::Default, "# ExportAll #");

    exportImportData_ = std::make_shared<ExportImportData>();
    exportTagDataArray(removeUnusedTags);
    exportAllDataArray();
    exportGlobalHotkey();
    exportURLTemplatesArray();

    ExportImportData& data = *exportImportData_;
    data.windowViewStyle = config.windowViewStyle();
    data.clickType = config.clickType();
    data.mainPopoverAnimated = config.mainPopoverAnimated();
    data.alternateFolderBrowser = config.alternateFolderBrowser();
    data.customSpotlightSearchScope = config.customSpotlightSearchScope();
    data.searchForComments = config.searchForComments();
    data.searchForTags = config.searchForTags();
    data.selectingTagsInMainWindowLaunchAll = config.selectingTagsInMainWindowLaunchAll();
    data.entryBackgroundAlphaValue = config.entryBackgroundAlphaValue();
    data.useSmallModeInMainView = config.useSmallModeInMainView();
    data.showPathInMainView = config.showPathInMainView();
    data.hotkeyBorder = config.hotkeyBorder();
    data.translucentBackgroundRight = config.translucentBackgroundRight();
    data.mainWindowHeight = config.mainWindowHeight();
    data.mainWindowWidth = config.mainWindowWidth();

    QString error;
    const QByteArray bytes = platform::KeyedArchiver::archivedData(exportImportData_, &error);
    Outcome outcome = Outcome::failed;
    if (!bytes.isEmpty() && shouldWrite && !shouldWrite(bytes)) {
        outcome = Outcome::skipped;
    } else if (!bytes.isEmpty() && writeAtomically(path, bytes, &error, newFileOnly)) {
        outcome = Outcome::written;
    } else {
        VLOG(Logger::importExport(), platform::LogType::Error, "Export failed: %{public}@", error);
        platform::Dialogs::showAlert(localized("Failed to save configuration to file!"),
                                     localized("Error: Configuration") + QLatin1Char('\n') + error);
    }
    manager_.setState(ExportImportManagerState::idle);
    if (proxiesWereEnabled)
        store.setEnableDataProxies(true);
    return outcome;
}

void ExportData::exportTagDataArray(bool removeUnusedTags)
{
    const auto& tags = manager_.config().dataStorage().tagManager().allAvailableTags();
    if (tags->isEmpty())
        return;
    VLOG(Logger::importExport(), platform::LogType::Default, "-> exportTagDataArray");
    // Tags look unused when the entries that use them could not be read.
    if (removeUnusedTags && manager_.config().mayPruneUnusedTags() && !tags->allSatisfy([](const iconTagPtr& tag) { return tag && tag->tagUsed(); }))
        tags->removeAllWhere([](const iconTagPtr& tag) { return !tag || !tag->tagUsed(); });
    const auto selection = tags->filtered([](const iconTagPtr& tag) { return tag && tag->shouldSavedToConfig(); });
    exportImportData_->allTagsArchive = archiveArray(selection->snapshot());
    if (!exportImportData_->allTagsArchive)
        platform::Dialogs::showAlert(localized("Error saving arrayOfAllTags to ExportFile"), errorExport());
    VLOG(Logger::importExport(), platform::LogType::Default, "<- exportTagDataArray");
}

void ExportData::exportAllDataArray()
{
    const auto& allData = manager_.config().dataStorage().allData();
    if (allData->isEmpty())
        return;
    VLOG(Logger::importExport(), platform::LogType::Default, "-> exportAllDataArray");
    const auto selection = allData->filtered([](const TableViewItemPtr& entry) {
        return entry && entry->shouldSavedToConfig();
    });
    exportImportData_->allDataArchive = archiveArray(selection->snapshot());
    if (!exportImportData_->allDataArchive)
        platform::Dialogs::showAlert(localized("Error saving allDataArray to ExportFile"), errorExport());
    VLOG(Logger::importExport(), platform::LogType::Default, "<- exportAllDataArray");
}

void ExportData::exportGlobalHotkey()
{
    const auto combo = manager_.config().globalKeyCombo();
    if (!combo)
        return;
    VLOG(Logger::importExport(), platform::LogType::Default, "-> exportGlobalHotkey");
    const QByteArray data = platform::KeyedArchiver::archivedData(std::make_shared<KeyCombo>(*combo));
    if (data.isEmpty())
        platform::Dialogs::showAlert(localized("Error saving globalKeyCombo_KeyName to ExportFile"), errorExport());
    else
        exportImportData_->globalKeyCombo = data;
    VLOG(Logger::importExport(), platform::LogType::Default, "<- exportGlobalHotkey");
}

void ExportData::exportURLTemplatesArray()
{
    const auto& templates = manager_.config().urlManager().urlTemplates();
    if (templates.isEmpty())
        return;
    VLOG(Logger::importExport(), platform::LogType::Default, "-> exportURLTemplatesArray");
    exportImportData_->urlTemplateArchive = archiveArray(templates);
    if (!exportImportData_->urlTemplateArchive)
        platform::Dialogs::showAlert(localized("Error saving URLTemplatesArray to ExportFile"), errorExport());
    VLOG(Logger::importExport(), platform::LogType::Default, "<- exportURLTemplatesArray");
}

// ---- CSV ----

void ExportData::exportDataAsCSV(const SynchronizedArray<TableViewItemPtr>::Ptr& entries)
{
    platform::SavePanelRequest panel;
    panel.allowsOtherFileTypes = false;
    panel.canCreateDirectories = true;
    panel.allowedFileTypes = {manager_.defaultTextExtension};
    panel.fileTypeDescription = localized("CSV text");
    panel.nameFieldStringValue = localized("Vantel Entries") + QLatin1Char('.') + manager_.defaultTextExtension;
    const auto response = platform::Dialogs::runSavePanel(panel);
    if (!response.accepted || response.path.isEmpty())
        return;
    VLOG(Logger::importExport(), platform::LogType::Default, "Exporting to CSV");
    if (!entries || entries->isEmpty()) {
        platform::Dialogs::showAlert(localized("Nothing was exported: the list holds no entries."),
                                     localized("No file was written."));
        return;
    }
    if (mayWrite(response.path))
        writeCSV(response.path, entries);
}

bool ExportData::writeCSV(const QString& path, const SynchronizedArray<TableViewItemPtr>::Ptr& entries)
{
    if (!entries || entries->isEmpty())
        return false;
    manager_.setState(ExportImportManagerState::exportRunning);
    QStringList lines{QStringLiteral("Name,Path,Tags,Hotkey,Comment")};
    for (const auto& entry : entries->snapshot())
        if (entry)
            lines.append(csvLine(*entry));
    QString error;
    const bool written = writeAtomically(path, lines.join(QLatin1Char('\n')).toUtf8(), &error);
    if (!written)
        platform::Dialogs::showAlert(localized("Error on writing strings to file: ") + error, errorExport());
    manager_.setState(ExportImportManagerState::idle);
    return written;
}

QString ExportData::csvLine(const TableViewItem& entry)
{
    const auto hotkey = entry.hotkey();
    return QStringList{csvField(entry.name()), csvField(entry.path()), csvField(entry.tags().join(QLatin1Char(','))),
                       csvField(hotkey ? hotkey->displayString() : QString()), csvField(entry.comment())}
        .join(QLatin1Char(','));
}

} // namespace vantel
