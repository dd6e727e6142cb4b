#pragma once

#include "platform/Log.h"

#include <QStringList>

namespace vantel {

// The program's log categories, one per area, all under the bundle's log
// subsystem. Each is created on its first use. Lines are written through
// VLOG, so nothing is built or written while debug logging is off; the gate
// is Configuration::debugLogging, which sets platform::Log's switch.
class Logger {
public:
    static const platform::LogCategory& general();
    static const platform::LogCategory& mainSectionView();
    static const platform::LogCategory& mainTableView();
    static const platform::LogCategory& mainViewController();
    static const platform::LogCategory& open();
    static const platform::LogCategory& config();
    static const platform::LogCategory& tagManager();
    static const platform::LogCategory& vantelManager();
    static const platform::LogCategory& dataStorageExternalObjects();
    static const platform::LogCategory& dataStorageCurrentDataFilter();
    static const platform::LogCategory& dataStorageConfigDataFilter();
    static const platform::LogCategory& spotlightProxyFS();
    static const platform::LogCategory& lastUsedProxy();
    static const platform::LogCategory& tagsProxy();
    static const platform::LogCategory& dataStorage();
    static const platform::LogCategory& tableViewItem();
    static const platform::LogCategory& importExport();
    static const platform::LogCategory& iconCache();
    static const platform::LogCategory& hotkeys();
    static const platform::LogCategory& shortcuts();
    static const platform::LogCategory& sandboxFileAccess();
    static const platform::LogCategory& sandboxFileAccessPersistDictionary();
    static const platform::LogCategory& spotlightQueryCoreSandboxAccess();
    static const platform::LogCategory& securityScopedURLManager();

    // The category names in declaration order.
    static QStringList categoryNames();
};

} // namespace vantel
