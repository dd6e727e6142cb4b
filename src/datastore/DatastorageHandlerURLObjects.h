#pragma once

#include "datastore/DatastorageResultCode.h"
#include "model/TableViewItem.h"

#include <QString>

#include <memory>
#include <optional>

namespace vantel {

class DataStorage;
class ViewController;
class AddModifyURLPane;

// Adds URL entries to the catalogue and changes existing ones: opens the
// add-or-modify-URL pane prefilled, validates what it hands back, refuses
// duplicates, writes the entry and asks its store for a rebuild. Owned by the
// store; main thread only.
class DatastorageHandlerURLObjects {
public:
    explicit DatastorageHandlerURLObjects(DataStorage& store);
    DatastorageHandlerURLObjects(const DatastorageHandlerURLObjects&) = delete;
    DatastorageHandlerURLObjects& operator=(const DatastorageHandlerURLObjects&) = delete;

    // Both answer the pane they opened, none when there was none to open.
    std::shared_ptr<AddModifyURLPane> showAddURLSheet(const QString& urlString,
                                                      const std::shared_ptr<ViewController>& presenting,
                                                      const std::optional<QString>& tag);
    std::shared_ptr<AddModifyURLPane> showModifyURLSheet(const TableViewItemPtr& entry,
                                                         const std::shared_ptr<ViewController>& presenting);

    DatastorageResultCode addURLToDatabase(const QString& urlString, const QString& title, const QString& comment,
                                           const std::optional<QString>& tag);
    DatastorageResultCode modifyURLInDatabase(const TableViewItemPtr& entry, const QString& urlString,
                                              const QString& title, const QString& comment);

    // The modify duplicate test: paths equal without regard to case.
    static bool urlEntryPathMatches(const TableViewItem& entry, const QString& string);
    // The host of the URL once its placeholders are taken out; empty when it
    // has none or is no valid URL.
    static QString hostOfURLTemplate(const QString& urlString);

private:
    std::shared_ptr<AddModifyURLPane> paneFor(const std::shared_ptr<ViewController>& presenting);

    DataStorage& store_;
};

} // namespace vantel
