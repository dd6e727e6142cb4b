#include "config/Configuration.h"
#include "model/Logger.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

using namespace vantel;

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
