#include "access/AccessExecutionServices.h"
#include "access/ui/QtURLInputDialogProvider.h"
#include "config/FirstRunConfig.h"
#include "datastore/DataStorage.h"
#include "platform/SingleInstance.h"
#include "platform/ui/QtDialogProvider.h"
#include "platform/UnixSignals.h"
#include "settings/ui/ConfigurationWindows.h"
#include "shell/InstanceHandOver.h"
#include "shell/ServiceManager.h"
#include "shell/AppDelegate.h"
#include "shell/ui/FirstRunInterface.h"
#include "shell/ui/ShellWindowing.h"
#include "shell/ui/StatusItem.h"

#include <QApplication>
#include <QDir>
#include <QSessionManager>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantel"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.net"));
    QApplication::setQuitOnLastWindowClosed(false);

    // One Vantel per user: a later start hands its files (or a toggle of the
    // main view) to the running one and ends.
    vantel::platform::SingleInstance instance;
    const QStringList paths =
        vantel::InstanceHandOver::handedPaths(QApplication::arguments().mid(1), QDir::currentPath());
    if (const std::optional<int> exitCode = vantel::InstanceHandOver::claimOrHandOver(instance, paths))
        return *exitCode;
    vantel::InstanceHandOver::connectRequests(instance);

    vantel::platform::UnixSignals unixSignals;

    // The delegate exists before the event loop; its launch sequence runs on
    // the loop's first turn.
    vantel::AppDelegate& delegate = vantel::AppDelegate::shared();
    delegate.attachApplication(&app);
    delegate.setStatusBarItem(std::make_shared<vantel::StatusItem>());
    // The windowing of the manager and the catalogue, and the windows the
    // launch may open.
    vantel::ShellWindowing::install();
    vantel::registerFirstRunInterface();
    vantel::registerConfigurationWindows();
    // What the core asks of the desktop: opening entries, alerts and panels,
    // the address prompt of URL templates, the first run's preset tags.
    vantel::AccessExecutionServices::install();
    vantel::platform::QtDialogProvider::install();
    vantel::QtURLInputDialogProvider::install();
    vantel::FirstRunConfig::install(vantel::DataStorage::shared());
    // Quit from the menu, SIGTERM and SIGINT all end the loop; the end of the
    // session may not, so it runs the sequence itself. It runs once.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&delegate](QSessionManager&) { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, &app, [&delegate, paths] {
        delegate.applicationDidFinishLaunching();
        // Files given to the first start wait in the main view as well.
        if (!paths.isEmpty())
            delegate.serviceManager()->serviceAddFile(paths);
    });

    QTextStream(stderr) << "Vantel " << VANTEL_VERSION << " is running\n";
    const int status = app.exec();
    QTextStream(stderr) << "Vantel quits"
                        << (unixSignals.receivedSignal() ? QStringLiteral(" on signal %1").arg(unixSignals.receivedSignal())
                                                     : QString())
                        << "\n";
    return status;
}
