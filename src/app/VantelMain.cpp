#include "platform/UnixSignals.h"
#include "shell/AppDelegate.h"
#include "shell/ui/StatusItem.h"

#include <QApplication>
#include <QSessionManager>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantel"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.net"));
    QApplication::setQuitOnLastWindowClosed(false);

    vantel::platform::UnixSignals unixSignals;

    // The delegate exists before the event loop; its launch sequence runs on
    // the loop's first turn.
    vantel::AppDelegate& delegate = vantel::AppDelegate::shared();
    delegate.attachApplication(&app);
    delegate.setStatusBarItem(std::make_shared<vantel::StatusItem>());
    // Quit from the menu, SIGTERM and SIGINT all end the loop; the end of the
    // session may not, so it runs the sequence itself. It runs once.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&delegate](QSessionManager&) { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });

    QTextStream(stderr) << "Vantel " << VANTEL_VERSION << " is running\n";
    const int status = app.exec();
    QTextStream(stderr) << "Vantel quits"
                        << (unixSignals.receivedSignal() ? QStringLiteral(" on signal %1").arg(unixSignals.receivedSignal())
                                                     : QString())
                        << "\n";
    return status;
}
