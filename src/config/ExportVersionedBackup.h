#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vantel {

class ExportImportManager;

// Versioned backups: export files named by a fresh upper-case UUID in the
// Backup folder of the application's documents folder. Before a new backup
// all but the 20 newest are deleted. Only files with the export extension
// are listed or deleted; one whose date can't be read is never deleted. A
// backup is written only when it differs from the newest one and holds
// something of the user's, so quits without a change, or after a reset,
// never rotate good backups out; a failed write leaves no file.
class ExportVersionedBackup {
public:
    explicit ExportVersionedBackup(ExportImportManager& manager);

    static constexpr int keptBackupCount = 20;

    // The folder, created when missing.
    std::optional<QString> backupFolderURL() const;
    // Full paths, newest first.
    std::optional<QStringList> listBackupFiles() const;
    // Deletes every path after the first 20.
    void removeOldBackupFiles(const std::optional<QStringList>& paths) const;
    // Whether a backup equal to the newest one, or one without anything of
    // the user's, is written: not by the quit (unchanged quits must not rotate
    // good backups out), but when the user asks for one.
    enum class Repeat { skipUnchanged, writeAlways };
    // The path written; none when nothing was (no folder, an empty catalogue,
    // nothing changed since the newest backup, nothing of the user's).
    std::optional<QString> createBackup(Repeat repeat = Repeat::skipUnchanged);
    // Entries or tags that are saved with the configuration exist.
    bool holdsUserData() const;

    enum class DateKey { creation, contentModification, contentAccess };
    // The names of the folder's items, hidden ones skipped, sorted by the
    // date (creation falls back to modification where the file system keeps
    // no birth time). Undated items come last, ties are ordered by name.
    static std::optional<QStringList> sortedDirectoryFileNames(const QString& directory, DateKey key, bool ascending);
    // The date of a file in nanoseconds since the epoch; none when it can't be read.
    static std::optional<qint64> fileDate(const QString& path, DateKey key);

private:
    ExportImportManager& manager_;
};

} // namespace vantel
