// Every test process gets its own home: the XDG folders point into a
// temporary folder, so no test ever reads or writes the user's files.
#include <gtest/gtest.h>

#include <QDir>
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
    const QByteArray root = home.path().toUtf8();
    for (const char* sub : {"config", "data", "data/applications", "cache", "state", "runtime"})
        QDir().mkpath(home.path() + QStringLiteral("/") + QString::fromLatin1(sub));
    qputenv("VANTEL_TEST_HOME", root);
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_STATE_HOME", root + "/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("XDG_DATA_DIRS", root + "/system-data");
    qputenv("XDG_CONFIG_DIRS", root + "/system-config");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
