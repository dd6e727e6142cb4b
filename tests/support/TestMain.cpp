// Every test process gets its own home: the XDG folders point into a
// temporary folder, so no test ever reads or writes the user's files.
#include "platform/Bundle.h"
#include "support/ThrowAwayHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

    vantel::platform::Bundle::setLooseResourcePath(QStringLiteral(VANTEL_SOURCE_RESOURCES_DIR));

    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
