#include "model/Logger.h"

#include "config/Configuration.h"

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

TEST(Logger, TheSettingIsTheGateAndTakesEffectAtTheNextLine)
{
    Configuration& config = Configuration::shared();
    platform::Log::CaptureSink sink;
    int evaluated = 0;
    const auto argument = [&] {
        ++evaluated;
        return QStringLiteral("arg");
    };

    config.setDebugLogging(false);
    VLOG(Logger::config(), platform::LogType::Default, "line %{public}@", argument());
    VLOG(Logger::hotkeys(), platform::LogType::Error, "another");
    EXPECT_TRUE(sink.records().isEmpty());
    EXPECT_EQ(evaluated, 0);

    config.setDebugLogging(true);
    VLOG(Logger::config(), platform::LogType::Default, "line %{public}@", argument());
    config.setDebugLogging(false);
    ASSERT_EQ(sink.records().size(), 1);
    EXPECT_EQ(sink.records().first().category, QStringLiteral("config"));
    EXPECT_EQ(sink.records().first().message, QStringLiteral("line arg"));
    EXPECT_EQ(evaluated, 1);
}
