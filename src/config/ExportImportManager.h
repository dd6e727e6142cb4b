#pragma once

#include "config/ExportData.h"
#include "config/ExportVersionedBackup.h"
#include "config/ImportData.h"

#include <QString>

#include <atomic>

namespace vantel {

class Configuration;

enum class ExportImportManagerState { idle, importRunning, exportRunning };

// Export and import of the whole configuration, the versioned backups and
// the CSV list, over one Configuration (its store and URL templates). Main
// thread. While the state is not idle the application shell opens no
// window; every path that leaves idle returns to it, failures included.
class ExportImportManager {
public:
    // Over the application delegate's configuration, created on first use.
    static ExportImportManager& shared();
    explicit ExportImportManager(Configuration& config);
    ExportImportManager(const ExportImportManager&) = delete;
    ExportImportManager& operator=(const ExportImportManager&) = delete;

    const QString defaultFileExtension = QStringLiteral("Vantel_ExportData");
    const QString defaultTextExtension = QStringLiteral("csv");
    // Bigger files are refused before they are read.
    static constexpr qint64 maximumImportFileSize = 64ll << 20;

    ExportImportManagerState state() const { return state_.load(); }
    void setState(ExportImportManagerState state) { state_.store(state); }

    Configuration& config() const { return config_; }
    ExportData& exportData() { return exportData_; }
    ImportData& importData() { return importData_; }
    ExportVersionedBackup& exportVersionedBackup() { return exportVersionedBackup_; }

private:
    Configuration& config_;
    std::atomic<ExportImportManagerState> state_{ExportImportManagerState::idle};
    ImportData importData_;
    ExportData exportData_;
    ExportVersionedBackup exportVersionedBackup_;
};

} // namespace vantel
