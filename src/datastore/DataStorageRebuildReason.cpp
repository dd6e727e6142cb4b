#include "datastore/DataStorageRebuildReason.h"

#include <array>

namespace vantel {

QString text(DataStorageRebuildReason reason)
{
    static constexpr std::array<const char*, 18> texts{
        "User initiated request",
        "Datastorage initialize",
        "TableView-Popup",
        "Section-View Popup",
        "Outlineview Datasource",
        "ConfigView Content",
        "ConfigView Tags",
        "Shortcuts",
        "addingFilesystemObjectsToDatabaseFinished",
        "modifyURLInDatabase",
        "addURLToDatabase",
        "Tag renamed",
        "Tag deleted",
        "import Data",
        "First run",
        "Volumechange detected",
        "Spotlight Database updated",
        "Spotlight Database first update",
    };
    const auto index = static_cast<std::size_t>(reason);
    return index < texts.size() ? QString::fromLatin1(texts[index]) : QString();
}

} // namespace vantel
