#include "launcher/AppDelegate.h"

#include <QCoreApplication>
#include <QTimer>

// The login-item launcher: no arguments, no windows; opens the application
// unless it runs and quits.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VantelLauncher"));

    vantel::VantelLauncher::AppDelegate delegate;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}
