#include "config/ExportImportManager.h"

#include "shell/AppDelegate.h"

namespace vantel {

ExportImportManager& ExportImportManager::shared()
{
    static ExportImportManager instance(AppDelegate::shared().config());
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
