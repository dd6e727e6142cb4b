#include "config/ExportImportManager.h"

#include "config/Configuration.h"

namespace vantel {

ExportImportManager& ExportImportManager::shared()
{
    static ExportImportManager instance(Configuration::shared());
    return instance;
}

ExportImportManager::ExportImportManager(Configuration& config)
    : config_(config)
    , importData_(*this)
    , exportData_(*this)
    , exportVersionedBackup_(*this)
{
}

} // namespace vantel
