#include "datastore/Shortcuts.h"

#include "access/SandboxFileAccess.h"
#include "datastore/DataStorage.h"
#include "model/CharacterSet.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <algorithm>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::shortcuts();
}

bool isShortcut(const TableViewItemPtr& entry)
{
    return entry && entry->itemSource() == ListviewItemSource::shortcuts;
}

} // namespace

const QString Shortcuts::runURLPrefix = QStringLiteral("shortcuts://run-shortcut?name=");

Shortcuts& Shortcuts::shared()
{
    static Shortcuts* const instance = new Shortcuts(DataStorage::shared());
    return *instance;
}

Shortcuts::Shortcuts(DataStorage& store, const QString& command)
    : shortcutCommand(command)
    , store_(store)
{
}

void Shortcuts::importShortcuts()
{
    if (!isReachablePath(shortcutCommand)) {
        SandboxFileAccess::showAlert(localized("%1 not found!").arg(shortcutCommand),
                                     localized("The File needed to get the shortcuts was not found"));
        return;
    }

    const ExecutableResult run = runExecutable(shortcutCommand, {shortcutArgs});
    if (run.exitStatus != 0) {
        SandboxFileAccess::showAlert(localized("Invalid Exit-Code"),
                                     localized("%1 returned an invalid exit code").arg(shortcutCommand));
        return;
    }
    const QString errors = run.errorLines.join(QLatin1Char('\n'));
    if (!errors.isEmpty()) {
        SandboxFileAccess::showAlert(localized("%1 returned an error").arg(shortcutCommand), errors);
        return;
    }

    // An empty listing is more likely a tool that failed quietly than a user
    // without any shortcut: the entries (with their tags and comments) stay.
    const bool listedAny = std::any_of(run.outputLines.cbegin(), run.outputLines.cend(),
                                       [](const QString& line) { return !line.isEmpty(); });
    if (!listedAny) {
        VLOG(category(), platform::LogType::Fault,
             "! importShortcuts - %{public}@ listed no Shortcut, nothing was changed", shortcutCommand);
        return;
    }

    // Checked once, before the marks are cleared: a busy store must not make
    // every existing shortcut entry look deleted.
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), platform::LogType::Fault,
             "! importShortcuts - Want to import Shortcuts, but Database was not idle! Nothing was changed");
        return;
    }

    for (const TableViewItemPtr& entry : store_.allData()->snapshot())
        if (isShortcut(entry))
            entry->setIsFoundByShortcutImport(false);

    shortcutsComplete.set(run.outputLines);
    for (const QString& line : run.outputLines)
        addShortcutToDatabase(line);
    endShortcutImportToDatabase();
}

void Shortcuts::addShortcutToDatabase(const QString& name)
{
    if (store_.state() != DatastorageState::idle) {
        VLOG(category(), platform::LogType::Fault,
             "! addShortcutToDatabase - Want to add entry to Database, but Database was not idle! Entry: %{public}@", name);
        return;
    }
    if (name.isEmpty()) {
        VLOG(category(), platform::LogType::Fault,
             "! addShortcutToDatabase - Want to add entry to Database, but Shortcut-Name was empty");
        return;
    }
    const std::optional<QString> encoded = addingPercentEncoding(name, urlComponentAllowed());
    if (!encoded) {
        VLOG(category(), platform::LogType::Fault,
             "! addShortcutToDatabase - Want to add entry to Database, but was unable to URLEncode Shortcut-Name");
        return;
    }
    if (encoded->isEmpty()) {
        VLOG(category(), platform::LogType::Fault,
             "! addShortcutToDatabase - Want to add entry to Database, but URLEncoded Shortcut-Name was empty");
        return;
    }

    const QString url = runURLPrefix + *encoded;
    const QString lowered = url.toLower();
    const auto existing = store_.allData()->firstItem(
        [&lowered](const TableViewItemPtr& e) { return isShortcut(e) && e->pathLowercased() == lowered; });
    if (existing && *existing) {
        VLOG(category(), platform::LogType::Fault, "! addShortcutToDatabase - Shortcut was already in Database! Entry: %{public}@",
             name);
        (*existing)->setIsFoundByShortcutImport(true);
        return;
    }

    VLOG(category(), platform::LogType::Default, "+ addShortcutToDatabase -> Shortcut: %{public}@", url);
    const TableViewItemPtr entry = TableViewItem::initForShortcutsURL(url, name, QString());
    entry->setIsFoundByShortcutImport(true);
    (void)store_.addToAllData(entry);
}

void Shortcuts::endShortcutImportToDatabase()
{
    for (const TableViewItemPtr& entry : store_.allData()->snapshot()) {
        if (!isShortcut(entry) || entry->isFoundByShortcutImport())
            continue;
        const QString path = entry->path();
        VLOG(category(), platform::LogType::Info,
             "- endShortcutImportToDatabase - remove entry from Database, because it was no longer found in Shortcuts! Entry: %{public}@",
             path);
        store_.moveEntryToTrash(path, true);
    }
    store_.rebuildData(DataStorageRebuildReason::shortcuts);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("datastorageURLAddedOrModified"), {}, &store_);
}

} // namespace vantel
