// Every test process gets its own home: the XDG folders point into a
// temporary folder, so no test ever reads or writes the user's files.
#include "platform/Bundle.h"
#include "support/ThrowAwayHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A test that CI skips has not passed: under CI=true every skip fails the run.
int failOnSkipsUnderCi(int result)
{
    if (qEnvironmentVariable("CI") != QLatin1String("true"))
        return result;
    std::vector<std::string> skipped;
    const auto* unitTest = ::testing::UnitTest::GetInstance();
    for (int s = 0; s < unitTest->total_test_suite_count(); ++s) {
        const auto* suite = unitTest->GetTestSuite(s);
        for (int t = 0; t < suite->total_test_count(); ++t) {
            const auto* test = suite->GetTestInfo(t);
            if (test->should_run() && test->result()->Skipped())
                skipped.push_back(std::string(suite->name()) + '.' + test->name());
        }
    }
    if (skipped.empty())
        return result;
    std::fprintf(stderr, "\nCI=true: %zu skipped test(s) fail the run:\n", skipped.size());
    for (const auto& name : skipped)
        std::fprintf(stderr, "  %s\n", name.c_str());
    return result != 0 ? result : 1;
}

} // namespace

#ifdef VANTEL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vantel-test-XXXXXX"));
    if (!home.isValid())
        return 2;
    vantel::testing::pointAtThrowAwayHome(home.path(), "VANTEL_TEST_HOME", {QStringLiteral("data/applications")});
    qputenv("XDG_DATA_DIRS", home.path().toUtf8() + "/system-data");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The texts are English whatever the developer's locale, unless a run
    // asks for a locale (VANTEL_TEST_LANG): then it alone decides, as LANG.
    if (const QByteArray lang = qgetenv("VANTEL_TEST_LANG"); !lang.isEmpty()) {
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            qunsetenv(variable);
        qputenv("LANG", lang);
    } else {
        qputenv("LANGUAGE", "en");
    }
    // A run may give the language list as well (LANGUAGE=en:de).
    if (const QByteArray languages = qgetenv("VANTEL_TEST_LANGUAGE"); !languages.isEmpty())
        qputenv("LANGUAGE", languages);

    vantel::platform::Bundle::setLooseResourcePath(QStringLiteral(VANTEL_SOURCE_RESOURCES_DIR));

    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return failOnSkipsUnderCi(RUN_ALL_TESTS());
}
