#include "config/ExportVersionedBackup.h"

#include "config/Configuration.h"
#include "config/ExportImportManager.h"
#include "config/UnreadableData.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/Logger.h"
#include "platform/UserFileRead.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QUuid>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>

namespace vantel {

ExportVersionedBackup::ExportVersionedBackup(ExportImportManager& manager)
    : manager_(manager)
{
}

std::optional<QString> ExportVersionedBackup::backupFolderURL() const
{
    return UnreadableData::backupFolderPath();
}

std::optional<qint64> ExportVersionedBackup::fileDate(const QString& path, DateKey key)
{
    const QByteArray native = QFile::encodeName(path);
    struct statx facts {};
    const unsigned mask = key == DateKey::creation              ? STATX_BTIME | STATX_MTIME
                          : key == DateKey::contentModification ? STATX_MTIME
                                                                : STATX_ATIME;
    if (statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, mask, &facts) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const struct statx_timestamp& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    switch (key) {
    case DateKey::creation:
        // Where the file system keeps no birth time the last change stands in.
        if (facts.stx_mask & STATX_BTIME)
            return nanoseconds(facts.stx_btime);
        if (facts.stx_mask & STATX_MTIME)
            return nanoseconds(facts.stx_mtime);
        return std::nullopt;
    case DateKey::contentModification:
        return (facts.stx_mask & STATX_MTIME) ? std::optional(nanoseconds(facts.stx_mtime)) : std::nullopt;
    case DateKey::contentAccess:
        return (facts.stx_mask & STATX_ATIME) ? std::optional(nanoseconds(facts.stx_atime)) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QStringList> ExportVersionedBackup::sortedDirectoryFileNames(const QString& directory, DateKey key,
                                                                           bool ascending)
{
    QDir dir(directory);
    if (!dir.exists())
        return std::nullopt;
    struct Item {
        QString name;
        std::optional<qint64> date;
    };
    QList<Item> items;
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
        items.append({name, fileDate(dir.filePath(name), key)});
    // A strict order: dated items by date, undated ones last, ties by name.
    std::sort(items.begin(), items.end(), [ascending](const Item& a, const Item& b) {
        if (a.date.has_value() != b.date.has_value())
            return a.date.has_value();
        if (a.date && *a.date != *b.date)
            return ascending ? *a.date < *b.date : *a.date > *b.date;
        return a.name < b.name;
    });
    QStringList names;
    for (const Item& item : items)
        names.append(item.name);
    return names;
}

std::optional<QStringList> ExportVersionedBackup::listBackupFiles() const
{
    const auto folder = backupFolderURL();
    if (!folder)
        return std::nullopt;
    const auto names = sortedDirectoryFileNames(*folder, DateKey::creation, false);
    if (!names)
        return std::nullopt;
    QStringList paths;
    const QString suffix = QLatin1Char('.') + manager_.defaultFileExtension;
    for (const QString& name : *names)
        if (name.endsWith(suffix))
            paths.append(*folder + QLatin1Char('/') + name);
    return paths;
}

void ExportVersionedBackup::removeOldBackupFiles(const std::optional<QStringList>& paths) const
{
    if (!paths || paths->size() <= keptBackupCount)
        return;
    const QString suffix = QLatin1Char('.') + manager_.defaultFileExtension;
    for (qsizetype i = keptBackupCount; i < paths->size(); ++i) {
        const QString& path = paths->at(i);
        // A file of another kind, or one that can't be dated (so its age is
        // unknown), is never deleted.
        if (!path.endsWith(suffix) || !fileDate(path, DateKey::creation))
            continue;
        QFile file(path);
        if (!file.remove())
            QTextStream(stdout) << "Unable to remove old backupfile: " << file.errorString() << Qt::endl;
    }
}

bool ExportVersionedBackup::holdsUserData() const
{
    const Configuration& config = manager_.config();
    DataStorage& store = config.dataStorage();
    return store.allData()->containsItem([](const TableViewItemPtr& entry) {
               return entry && entry->shouldSavedToConfig();
           })
        || store.tagManager().allAvailableTags()->containsItem([](const iconTagPtr& tag) {
               return tag && tag->shouldSavedToConfig();
           });
}

std::optional<QString> ExportVersionedBackup::createBackup(Repeat repeat)
{
    const auto folder = backupFolderURL();
    if (!folder)
        return std::nullopt;
    // A state with nothing of the user's (after a reset, or before anything
    // loaded) is no backup worth having at a quit, and would push good ones
    // out; one the user asks for is written.
    if (repeat == Repeat::skipUnchanged && !holdsUserData()) {
        VLOG(Logger::importExport(), platform::LogType::Default, "No backup: nothing of the user's to keep");
        return std::nullopt;
    }
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QLatin1Char('.')
                         + manager_.defaultFileExtension;
    const QString path = *folder + QLatin1Char('/') + name;
    // Only a change since the newest backup makes a new one: unchanged quits
    // must not rotate the older backups out.
    const auto existing = listBackupFiles();
    const QString newest = existing && !existing->isEmpty() ? existing->first() : QString();
    const auto changed = [&newest, repeat](const QByteArray& archive) {
        if (newest.isEmpty() || repeat == Repeat::writeAlways)
            return true;
        const platform::UserFileRead previous = platform::readUserFile(newest, ExportImportManager::maximumImportFileSize);
        return !previous.ok() || previous.data != archive;
    };
    const ExportData::Outcome outcome = manager_.exportData().exportAll(path, false, changed, true);
    if (outcome == ExportData::Outcome::skipped)
        VLOG(Logger::importExport(), platform::LogType::Default, "No backup: nothing changed since %{public}@", newest);
    if (outcome != ExportData::Outcome::written)
        return std::nullopt;
    return path;
}

} // namespace vantel
