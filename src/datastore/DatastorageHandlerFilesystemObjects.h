#pragma once

#include "datastore/DatastorageResultCode.h"

#include <QString>

#include <memory>
#include <optional>

namespace vantel {

class DataStorage;
class ViewController;

// Adds the files, folders and applications the user picks to the catalogue,
// once access to them is granted. Owned by the store; main thread only.
class DatastorageHandlerFilesystemObjects {
public:
    explicit DatastorageHandlerFilesystemObjects(DataStorage& store);
    DatastorageHandlerFilesystemObjects(const DatastorageHandlerFilesystemObjects&) = delete;
    DatastorageHandlerFilesystemObjects& operator=(const DatastorageHandlerFilesystemObjects&) = delete;

    // Runs the open panel (attached to the controller's window when it has
    // one, else modally after closing the main window), adds the chosen item,
    // rebuilds and posts "datastorageFilesystemObjectAddedOrModified". A
    // cancelled panel does nothing.
    void addFileOrFolder(const std::shared_ptr<ViewController>& viewController, const std::optional<QString>& tagName);

    // Adds one path; no rebuild, nothing posted.
    DatastorageResultCode addFilesystemObjectToDatabase(const QString& path, const std::optional<QString>& tagName);

private:
    void addChosen(const QString& path, const std::optional<QString>& tagName);

    DataStorage& store_;
};

} // namespace vantel
