#include "model/Logger.h"

#include <gtest/gtest.h>

using namespace vantel;

TEST(Logger, TheCategoriesInTheirOrder)
{
    const QStringList expected{
        QStringLiteral("general"), QStringLiteral("mainSectionView"), QStringLiteral("mainTableView"),
        QStringLiteral("mainViewController"), QStringLiteral("open"), QStringLiteral("config"),
        QStringLiteral("tagManager"), QStringLiteral("vantelManager"), QStringLiteral("dataStorageExternalObjects"),
        QStringLiteral("dataStorageCurrentDataFilter"), QStringLiteral("dataStorageConfigDataFilter"),
        QStringLiteral("spotlightProxyFS"), QStringLiteral("lastUsedProxy"), QStringLiteral("tagsProxy"),
        QStringLiteral("dataStorage"), QStringLiteral("tableViewItem"), QStringLiteral("importExport"),
        QStringLiteral("iconCache"), QStringLiteral("hotkeys"), QStringLiteral("shortcuts"),
        QStringLiteral("sandboxFileAccess"), QStringLiteral("sandboxFileAccessPersistDictionary"),
        QStringLiteral("spotlightQueryCoreSandboxAccess"), QStringLiteral("securityScopedURLManager"),
    };
    EXPECT_EQ(Logger::categoryNames(), expected);
    EXPECT_EQ(Logger::general().name(), QStringLiteral("general"));
    EXPECT_EQ(Logger::securityScopedURLManager().name(), QStringLiteral("securityScopedURLManager"));
}
