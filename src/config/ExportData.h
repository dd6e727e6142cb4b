#pragma once

#include "config/ExportImportData.h"
#include "model/SynchronizedArray.h"
#include "model/TableViewItem.h"

#include <QString>

#include <functional>
#include <memory>

namespace vantel {

class ExportImportManager;

// Writes export files (the command with its save panel, and the file itself
// for the versioned backups) and the CSV list of entries. Main thread.
class ExportData {
public:
    explicit ExportData(ExportImportManager& manager);

    // skipped: the filter given to exportAll declined the archive.
    enum class Outcome { written, nothingToExport, failed, skipped };
    // Sees the finished archive before it is written; false writes nothing.
    using WriteFilter = std::function<bool(const QByteArray& archive)>;

    // The archive the current export fills; a new one for every export.
    const std::shared_ptr<ExportImportData>& exportImportData() const { return exportImportData_; }

    // Asks for the file and exports; says so when nothing was written.
    void exportDataToFile();
    // Writes the export file atomically; no file while the catalogue is
    // empty. Alerts on a failure of its own.
    Outcome exportAll(const QString& path, bool removeUnusedTags);
    // `newFileOnly`: the name is a new one (a backup's), and a file that took
    // it meanwhile is not written over.
    Outcome exportAll(const QString& path, bool removeUnusedTags, const WriteFilter& shouldWrite,
                      bool newFileOnly = false);
    void exportTagDataArray(bool removeUnusedTags);
    void exportAllDataArray();
    void exportGlobalHotkey();
    void exportURLTemplatesArray();

    // CSV: asks for the file and writes the entries.
    void exportDataAsCSV(const SynchronizedArray<TableViewItemPtr>::Ptr& entries);
    // False when nothing was written (an empty list or a failed write).
    bool writeCSV(const QString& path, const SynchronizedArray<TableViewItemPtr>::Ptr& entries);
    // One data line: five fields, each quoted, a quote inside doubled.
    static QString csvLine(const TableViewItem& entry);

private:
    ExportImportManager& manager_;
    std::shared_ptr<ExportImportData> exportImportData_;
};

} // namespace vantel
