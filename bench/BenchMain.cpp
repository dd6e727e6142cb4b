// The benchmark process gets its own home, like every test process: the XDG
// folders point into a temporary folder, so nothing reads or writes the
// user's files, and the user's applications never enter a measurement.
#include "BenchSupport.h"
#include "support/ThrowAwayHome.h"

#include "platform/Bundle.h"
#include "shell/AppDelegate.h"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vantel-bench-XXXXXX"));
    if (!home.isValid())
        return 2;
    vantel::testing::pointAtThrowAwayHome(home.path(), "VANTEL_BENCH_HOME");
    const QByteArray root = home.path().toUtf8();

    // GLib reads XDG_DATA_DIRS once per process: point it at the folders its
    // application scan is measured over and make it read them now. Our own
    // code reads the variable on every call and sees an empty system folder
    // afterwards, so the default discovery scopes hold no application and
    // each benchmark names its folders itself.
    QStringList gioDirs = vantel::bench::gioDataDirs();
    for (const QString& dir : std::as_const(gioDirs))
        QDir().mkpath(dir + QStringLiteral("/applications"));
    qputenv("XDG_DATA_DIRS", gioDirs.join(u':').toUtf8());
    (void)g_get_system_data_dirs();
    qputenv("XDG_DATA_DIRS", root + "/system-data");

    // The icon jobs make images and the entry list's job shows a list: a
    // widget application, drawn offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The benchmark lies in no bundle: its images are the source tree's.
    vantel::platform::Bundle::setLooseResourcePath(QStringLiteral(VANTEL_SOURCE_RESOURCES_DIR));
    QApplication app(argc, argv);
    // Read once and kept for the process: empty here, see above.
    (void)vantel::AppDelegate::shared().config().spotlightDefaultSearchScope();
    vantel::AppDelegate::shared().config().setDebugLogging(false);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
