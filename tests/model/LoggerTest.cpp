#include "model/Logger.h"

#include "shell/AppDelegate.h"

#include <gtest/gtest.h>

#include <thread>

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
    Configuration& config = AppDelegate::shared().config();
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

TEST(Logger, ConcurrentFirstUseGivesOneLoggerPerCategory)
{
    const platform::LogCategory* seen[2][3] = {};
    std::thread a([&] {
        seen[0][0] = &Logger::iconCache();
        seen[0][1] = &Logger::lastUsedProxy();
        seen[0][2] = &Logger::tagsProxy();
    });
    std::thread b([&] {
        seen[1][0] = &Logger::iconCache();
        seen[1][1] = &Logger::lastUsedProxy();
        seen[1][2] = &Logger::tagsProxy();
    });
    a.join();
    b.join();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(seen[0][i], seen[1][i]);
}
