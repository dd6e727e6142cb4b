#pragma once

#include <QString>

#include <cstdint>

namespace vantel {

// Why a caller asks the data store for a rebuild; only written to the log.
enum class DataStorageRebuildReason : std::uint8_t {
    userInitiatedRequest,
    datastorageInitialize,
    tableViewPopup,
    sectionViewPopup,
    outlineviewDatasource,
    configViewContent,
    configViewTags,
    shortcuts,
    addingFilesystemObjectsToDatabaseFinished,
    modifyURLInDatabase,
    addURLToDatabase,
    tagRenamed,
    tagDeleted,
    importData,
    firstRun,
    volumechangeDetected,
    spotlightDatabaseUpdated,
    spotlightDatabaseFirstUpdate,
};

// The text that the rebuild logs for the reason.
QString text(DataStorageRebuildReason reason);

} // namespace vantel
