#pragma once

#include "config/ExportImportData.h"

#include <QString>

#include <memory>

namespace vantel {

class ExportImportManager;

// Reads an export file back and applies it. Every inner archive is decoded
// before anything changes; a list is replaced only by what decoded, so a
// damaged part keeps the current list (and its bytes are kept aside). Main
// thread.
class ImportData {
public:
    explicit ImportData(ExportImportManager& manager);

    // The archive the last import read.
    const std::shared_ptr<ExportImportData>& exportImportData() const { return exportImportData_; }

    // Asks for the file, confirms, imports.
    void importDataFromFile();
    // The overwrite warning; true only for "OK".
    bool confirmImport();
    // Reads and applies the file; false when it changed nothing. After it
    // applied, posts "importDataFinished" from the store.
    bool loadImportFile(const QString& path);

private:
    ExportImportManager& manager_;
    std::shared_ptr<ExportImportData> exportImportData_;
};

} // namespace vantel
