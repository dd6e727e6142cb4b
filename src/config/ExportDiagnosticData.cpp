#include "config/ExportDiagnosticData.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessProtocol.h"
#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "datastore/spotlight/ProxySpotlightQueryFS.h"
#include "model/LocalizedStrings.h"
#include "platform/Bookmark.h"
#include "platform/Bundle.h"
#include "platform/Dialogs.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace vantel {

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString hotkeyText(const std::optional<KeyCombo>& combo)
{
    return combo ? combo->displayString() : QString();
}

QString infoString(const char* key)
{
    const QVariant value = platform::Bundle::main().objectForInfoDictionaryKey(QString::fromLatin1(key));
    return value.metaType() == QMetaType::fromType<QString>() ? value.toString() : QString();
}

} // namespace

ExportDiagnosticData::ExportDiagnosticData(Configuration& config, std::shared_ptr<SandboxFileAccessProtocol> bookmarks)
    : config_(config)
    , bookmarks_(bookmarks ? std::move(bookmarks) : SandboxFileAccess::shared().persistanceBookmarkStorage())
{
}

void ExportDiagnosticData::addFrame(const QString& title, bool blankAfter)
{
    exportData_ << divider << title << divider;
    if (blankAfter)
        exportData_ << QString();
}

void ExportDiagnosticData::addAppInfo()
{
    exportData_ << QStringLiteral("AppName: ") + infoString("CFBundleName")
                << QStringLiteral("Version: ") + infoString("CFBundleShortVersionString")
                << QStringLiteral("Build: ") + infoString("CFBundleVersion") << QString();
}

void ExportDiagnosticData::addConfiguration()
{
    const Configuration& c = config_;
    addFrame(QStringLiteral("# Configuration"));
    exportData_ << QStringLiteral("  defaultMenubarIcon: ") + c.defaultMenubarIcon
                << QStringLiteral("  alternateFolderBrowser: ") + c.alternateFolderBrowser()
                << QStringLiteral("  clickType: ") + QString::number(c.clickType())
                << QStringLiteral("  showPathInMainView: ") + boolText(c.showPathInMainView())
                << QStringLiteral("  debugLogging: ") + boolText(c.debugLogging())
                << QStringLiteral("  useSmallModeInMainView: ") + boolText(c.useSmallModeInMainView())
                << QStringLiteral("  sidebarCategoriesShowNumberOfElementInSidebar: ")
                       + boolText(c.sidebarCategoriesShowNumberOfElementInSidebar())
                << QString()
                << QStringLiteral("  sidebarCategoriesShowActiveApplications: ")
                       + boolText(c.sidebarCategoriesShowActiveApplications())
                << QStringLiteral("  sidebarCategoriesShowFiles: ") + boolText(c.sidebarCategoriesShowFiles())
                << QStringLiteral("  sidebarCategoriesShowFolders: ") + boolText(c.sidebarCategoriesShowFolders())
                << QStringLiteral("  sidebarCategoriesShowFavorites: ") + boolText(c.sidebarCategoriesShowFavorites())
                << QStringLiteral("  sidebarCategoriesShowRecentApplications: ")
                       + boolText(c.sidebarCategoriesShowRecentApplications())
                << QString()
                << QStringLiteral("  neverRemindMeRemoveTagDialog: ") + boolText(c.neverRemindMeRemoveTagDialog())
                << QStringLiteral("  neverRemindMeRenameTagDialog: ") + boolText(c.neverRemindMeRenameTagDialog())
                << QString() << QStringLiteral("  searchForComments: ") + boolText(c.searchForComments())
                << QStringLiteral("  searchForTags: ") + boolText(c.searchForTags()) << QString()
                << QStringLiteral("  customSpotlightSearchScope: ") + c.customSpotlightSearchScope().join(QStringLiteral(", "))
                << QString();
}

void ExportDiagnosticData::addSearchScopes()
{
    addFrame(QStringLiteral("# SearchScopes"), false);
    const auto proxy = std::dynamic_pointer_cast<ProxySpotlightQueryFS>(config_.dataStorage().proxySpotlightQueryFSAllApps());
    if (proxy)
        for (const QString& scope : proxy->searchScopes())
            exportData_ << QStringLiteral("  ") + scope;
    exportData_ << QString();
}

void ExportDiagnosticData::addSpotlightData()
{
    addFrame(QStringLiteral("# SpotlightData"));
    const auto proxy = std::dynamic_pointer_cast<ProxySpotlightQueryFS>(config_.dataStorage().proxySpotlightQueryFSAllApps());
    const QStringList paths = proxy ? proxy->spotlightResultComplete() : QStringList();
    for (const QString& path : paths)
        exportData_ << QStringLiteral("  ") + path;
    exportData_ << QString() << QStringLiteral("Items: ") + QString::number(paths.size()) << QString() << QString();
}

void ExportDiagnosticData::addMainDatabase()
{
    QStringList groups[4]; // spotlight, shortcuts, other, tags
    for (const auto& entry : config_.dataStorage().allData()->snapshot()) {
        if (!entry)
            continue;
        const auto lastUsed = entry->lastUsedDate();
        const QString line = rawValue(entry->itemType()) + QStringLiteral(" -> [") + entry->path()
                             + QStringLiteral("]; Tags: [") + entry->tags().join(QStringLiteral(", "))
                             + QStringLiteral("] ; isVisible: ") + boolText(entry->isVisible())
                             + QStringLiteral(" ; isReachable: ") + boolText(entry->isReachable())
                             + QStringLiteral(" ; Hotkey: ") + hotkeyText(entry->hotkey()) + QStringLiteral(" ; LastUsed: ")
                             + (lastUsed ? lastUsed->toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                               + QStringLiteral(" +0000")
                                         : QStringLiteral("-"));
        switch (entry->itemSource()) {
        case ListviewItemSource::spotlight:
            groups[0].append(line);
            break;
        case ListviewItemSource::shortcuts:
            groups[1].append(line);
            break;
        case ListviewItemSource::other:
            groups[2].append(line);
            break;
        case ListviewItemSource::tags:
            groups[3].append(line);
            break;
        }
    }
    static const char* const headings[4] = {
        "# Itemsource -> Spotlight (found and imported using Spotlight):",
        "# Itemsource -> Shortcuts (found and imported using Shortcuts-Import):",
        "# Itemsource -> Other (manually added items):",
        "# Itemsource -> Tags (automatically created from the used tags):",
    };
    static const char* const emptyLines[4] = {
        "No items of type Spotlight available",
        "No items of type Shortcuts available",
        "No items of type Other available",
        "No items of type Tags available",
    };
    addFrame(QStringLiteral("# Main-Database"));
    for (int i = 0; i < 4; ++i) {
        QStringList& group = groups[i];
        if (group.isEmpty()) {
            exportData_ << QString::fromLatin1(emptyLines[i]) << QString();
            continue;
        }
        std::sort(group.begin(), group.end());
        exportData_ << QString() << QString::fromLatin1(headings[i]) << QString();
        for (const QString& line : group)
            exportData_ << QStringLiteral("  ") + line;
        exportData_ << QString() << QStringLiteral("Items: ") + QString::number(group.size()) << QString() << QString()
                    << QString();
    }
}

void ExportDiagnosticData::addTags()
{
    addFrame(QStringLiteral("# Tags"));
    const auto tags = config_.dataStorage().tagManager().allAvailableTags()->snapshot();
    for (const auto& tag : tags)
        exportData_ << QStringLiteral("[") + tag->tagName() + QStringLiteral("] -> Symbol: ") + tag->tagSymbol()
                           + QStringLiteral("; Used: ") + boolText(tag->tagUsed()) + QStringLiteral("; Use-Counter: ")
                           + QString::number(tag->tagUseCounter()) + QStringLiteral("; View-Hotkey: ")
                           + hotkeyText(tag->hotkey()) + QStringLiteral("; Launch-Hotkey: ")
                           + hotkeyText(tag->hotkeyLaunchAll());
    exportData_ << QString() << QStringLiteral("Items: ") + QString::number(tags.size()) << QString() << QString();
}

void ExportDiagnosticData::addBookmarks()
{
    addFrame(QStringLiteral("# Bookmarks"));
    if (bookmarks_) {
        bookmarks_->forEachBookmark([this](const QUrl& url, const QByteArray& data) {
            const auto resolution = platform::Bookmark::resolveBookmark(data, platform::Bookmark::WithSecurityScope);
            QString line = QStringLiteral("  key: [") + url.toString(QUrl::FullyEncoded) + QStringLiteral("] -> ");
            if (resolution.ok() && resolution.url)
                line += QStringLiteral("stale: ") + boolText(resolution.stale) + QStringLiteral(" [")
                        + resolution.url->toString(QUrl::FullyEncoded) + QStringLiteral("]");
            else
                line += QStringLiteral("unable to resolve BookmarkData!");
            exportData_ << line;
        });
    }
    exportData_ << QString();
}

void ExportDiagnosticData::addHotkeys()
{
    const Configuration& c = config_;
    addFrame(QStringLiteral("# Hotkeys"));
    if (const auto global = c.globalKeyCombo())
        exportData_ << QStringLiteral("Global:")
                    << QStringLiteral("  Hotkey to show the main window -> ") + global->displayString()
                    << QString();

    using Slot = Configuration::HotkeySlot;
    const std::pair<const char*, Slot> categories[] = {
        {"  Active Applications -> ", Slot::categoriesShowActiveApplications},
        {"  Recent Applications -> ", Slot::categoriesShowRecentApplications},
        {"  Favorites -> ", Slot::categoriesShowFavorites},
        {"  Files -> ", Slot::categoriesShowFiles},
        {"  Folders -> ", Slot::categoriesShowFolders},
        {"  Shortcuts -> ", Slot::categoriesShowShortcuts},
        {"  URLs -> ", Slot::categoriesShowURLs},
    };
    exportData_ << QStringLiteral("Hotkeys for categories:");
    for (const auto& [label, slot] : categories)
        if (const auto combo = c.keyCombo(slot))
            exportData_ << QString::fromLatin1(label) + combo->displayString();
    exportData_ << QString();

    exportData_ << QStringLiteral("Hotkeys for entries:");
    QList<TableViewItemPtr> withHotkey;
    for (const auto& entry : c.dataStorage().allData()->snapshot())
        if (entry && entry->hotkey())
            withHotkey.append(entry);
    for (const auto& entry : sortItemsByName(withHotkey))
        exportData_ << QStringLiteral("  [") + entry->name() + QStringLiteral("] -> ") + hotkeyText(entry->hotkey());
    exportData_ << QString();

    const auto visible = sortTagsByName(c.dataStorage().tagManager().allVisibleTags()->snapshot());
    exportData_ << QStringLiteral("Hotkeys to show a tag:");
    for (const auto& tag : visible)
        if (tag->hotkey())
            exportData_ << QStringLiteral("  [") + tag->tagName() + QStringLiteral("] -> ") + hotkeyText(tag->hotkey());
    exportData_ << QString();
    exportData_ << QStringLiteral("Hotkeys to launch all entries of a tag:");
    for (const auto& tag : visible)
        if (tag->hotkeyLaunchAll())
            exportData_ << QStringLiteral("  [") + tag->tagName() + QStringLiteral("] -> ")
                               + hotkeyText(tag->hotkeyLaunchAll());
    exportData_ << QString();
}

QString ExportDiagnosticData::text() const
{
    return exportData_.join(QLatin1Char('\n'));
}

bool ExportDiagnosticData::writeToFile(const QString& path, QString* error) const
{
    platform::WriteOptions options;
    options.newFileMode = 0644;
    options.createFolder = false;
    const platform::WriteResult written = platform::writeFileSafely(path, text().toUtf8(), options);
    if (!written && error)
        *error = written.error;
    return written.ok;
}

void ExportDiagnosticData::saveToFile()
{
    platform::SavePanelRequest panel;
    panel.allowsOtherFileTypes = false;
    panel.canCreateDirectories = true;
    panel.allowedFileTypes = {QStringLiteral("txt")};
    panel.fileTypeDescription = localized("Plain text");
    panel.nameFieldStringValue = localized("Vantel Diagnostic Data") + QStringLiteral(".txt");
    const auto response = platform::Dialogs::runSavePanel(panel);
    if (!response.accepted || response.path.isEmpty())
        return;
    if (QFileInfo::exists(response.path)) {
        bool granted = false;
        SandboxFileAccess::shared().access(QUrl::fromLocalFile(response.path), Permissions{5}, true, true,
                                           [&granted](const SandboxFileAccess::Result& result) {
                                               granted = result.succeeded();
                                           });
        if (!granted)
            return;
    }
    QString error;
    if (!writeToFile(response.path, &error)) {
        QTextStream(stdout) << "Error on writing strings to file: " << error << Qt::endl;
        platform::Dialogs::showAlert(localized("Error on writing strings to file: ") + error,
                                     localized("Error: Export"));
    }
}

QList<TableViewItemPtr> ExportDiagnosticData::sortItemsByName(QList<TableViewItemPtr> items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const TableViewItemPtr& a, const TableViewItemPtr& b) { return a->name() < b->name(); });
    return items;
}

QList<iconTagPtr> ExportDiagnosticData::sortTagsByName(QList<iconTagPtr> tags)
{
    std::stable_sort(tags.begin(), tags.end(),
                     [](const iconTagPtr& a, const iconTagPtr& b) { return a->tagName() < b->tagName(); });
    return tags;
}

} // namespace vantel
