#include "model/Logger.h"

namespace vantel {

const platform::LogCategory& Logger::general()
{
    static const platform::LogCategory category("general");
    return category;
}

const platform::LogCategory& Logger::mainSectionView()
{
    static const platform::LogCategory category("mainSectionView");
    return category;
}

const platform::LogCategory& Logger::mainTableView()
{
    static const platform::LogCategory category("mainTableView");
    return category;
}

const platform::LogCategory& Logger::mainViewController()
{
    static const platform::LogCategory category("mainViewController");
    return category;
}

const platform::LogCategory& Logger::open()
{
    static const platform::LogCategory category("open");
    return category;
}

const platform::LogCategory& Logger::config()
{
    static const platform::LogCategory category("config");
    return category;
}

const platform::LogCategory& Logger::tagManager()
{
    static const platform::LogCategory category("tagManager");
    return category;
}

const platform::LogCategory& Logger::vantelManager()
{
    static const platform::LogCategory category("vantelManager");
    return category;
}

const platform::LogCategory& Logger::dataStorageExternalObjects()
{
    static const platform::LogCategory category("dataStorageExternalObjects");
    return category;
}

const platform::LogCategory& Logger::dataStorageCurrentDataFilter()
{
    static const platform::LogCategory category("dataStorageCurrentDataFilter");
    return category;
}

const platform::LogCategory& Logger::dataStorageConfigDataFilter()
{
    static const platform::LogCategory category("dataStorageConfigDataFilter");
    return category;
}

const platform::LogCategory& Logger::spotlightProxyFS()
{
    static const platform::LogCategory category("spotlightProxyFS");
    return category;
}

const platform::LogCategory& Logger::lastUsedProxy()
{
    static const platform::LogCategory category("lastUsedProxy");
    return category;
}

const platform::LogCategory& Logger::tagsProxy()
{
    static const platform::LogCategory category("tagsProxy");
    return category;
}

const platform::LogCategory& Logger::dataStorage()
{
    static const platform::LogCategory category("dataStorage");
    return category;
}

const platform::LogCategory& Logger::tableViewItem()
{
    static const platform::LogCategory category("tableViewItem");
    return category;
}

const platform::LogCategory& Logger::importExport()
{
    static const platform::LogCategory category("importExport");
    return category;
}

const platform::LogCategory& Logger::iconCache()
{
    static const platform::LogCategory category("iconCache");
    return category;
}

const platform::LogCategory& Logger::hotkeys()
{
    static const platform::LogCategory category("hotkeys");
    return category;
}

const platform::LogCategory& Logger::shortcuts()
{
    static const platform::LogCategory category("shortcuts");
    return category;
}

const platform::LogCategory& Logger::sandboxFileAccess()
{
    static const platform::LogCategory category("sandboxFileAccess");
    return category;
}

const platform::LogCategory& Logger::sandboxFileAccessPersistDictionary()
{
    static const platform::LogCategory category("sandboxFileAccessPersistDictionary");
    return category;
}

const platform::LogCategory& Logger::spotlightQueryCoreSandboxAccess()
{
    static const platform::LogCategory category("spotlightQueryCoreSandboxAccess");
    return category;
}

const platform::LogCategory& Logger::securityScopedURLManager()
{
    static const platform::LogCategory category("securityScopedURLManager");
    return category;
}

QStringList Logger::categoryNames()
{
    return {
        QStringLiteral("general"),
        QStringLiteral("mainSectionView"),
        QStringLiteral("mainTableView"),
        QStringLiteral("mainViewController"),
        QStringLiteral("open"),
        QStringLiteral("config"),
        QStringLiteral("tagManager"),
        QStringLiteral("vantelManager"),
        QStringLiteral("dataStorageExternalObjects"),
        QStringLiteral("dataStorageCurrentDataFilter"),
        QStringLiteral("dataStorageConfigDataFilter"),
        QStringLiteral("spotlightProxyFS"),
        QStringLiteral("lastUsedProxy"),
        QStringLiteral("tagsProxy"),
        QStringLiteral("dataStorage"),
        QStringLiteral("tableViewItem"),
        QStringLiteral("importExport"),
        QStringLiteral("iconCache"),
        QStringLiteral("hotkeys"),
        QStringLiteral("shortcuts"),
        QStringLiteral("sandboxFileAccess"),
        QStringLiteral("sandboxFileAccessPersistDictionary"),
        QStringLiteral("spotlightQueryCoreSandboxAccess"),
        QStringLiteral("securityScopedURLManager"),
    };
}

} // namespace vantel
