#include "access/AccessExecutionServices.h"
#include "access/ui/QtURLInputDialogProvider.h"
#include "config/FirstRunConfig.h"
#include "datastore/DataStorage.h"
#include "model/Logger.h"
#include "platform/Bundle.h"
#include "platform/DisplayProbe.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
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
#include "settings/ui/SettingsWindows.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QSessionManager>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

QStringList programArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// --help and --version answer without a display: QApplication would abort
// before the parser ran.
bool asksOnlyForText(int argc, char* argv[])
{
    static const QByteArrayList textOptions{"-h", "--help", "-?", "--help-all", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        if (textOptions.contains(QByteArray(argv[i])))
            return true;
    }
    return false;
}

// Qt's own texts (the file panels, the context menus of text fields, the
// help's headings) in the language of Vantel's string tables, chosen by the
// same rule: a French panel beside German windows, or German under
// LANGUAGE=en:de, would mix languages. English needs no translation.
void installQtTexts(QTranslator& qtTexts)
{
    const QString language = vantel::platform::Bundle::localizationLanguage(
        vantel::platform::Bundle::main().resourcePath(), vantel::platform::Bundle::userLanguages());
    if (!language.isEmpty()
        && qtTexts.load(QStringLiteral("qtbase_") + QString(language).replace(u'-', u'_'),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

} // namespace

int main(int argc, char* argv[])
{
    // Without a display QApplication would abort; help, version and a hand-
    // over to the running Vantel need none.
    const std::optional<QString> missingDisplay =
        vantel::platform::DisplayProbe(programArguments(argc, argv), QProcessEnvironment::systemEnvironment())
            .unreachableReason();
    if (missingDisplay || asksOnlyForText(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Vantel"));
        QTranslator qtTexts;
        installQtTexts(qtTexts);
        const vantel::InstanceHandOver::CommandLine commandLine =
            vantel::InstanceHandOver::parseCommandLine(QCoreApplication::arguments(), QDir::currentPath());
        if (commandLine.exitCode) {
            QTextStream(stdout) << commandLine.output;
            QTextStream(stderr) << commandLine.errors;
            return *commandLine.exitCode;
        }
        if (missingDisplay)
            return vantel::InstanceHandOver::handOverWithoutDisplay(
                vantel::platform::SingleInstance::defaultSocketPath(), commandLine.paths, *missingDisplay);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantel"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.net"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Before any window: the windows' toolbars and buttons look their icons
    // up by theme name, which finds nothing without a desktop's theme.
    vantel::platform::Bundle::setUpIconThemes();
    QTranslator qtTexts;
    installQtTexts(qtTexts);

    // --help, --version and a file that is not there end here, whether or
    // not another Vantel runs.
    const vantel::InstanceHandOver::CommandLine commandLine =
        vantel::InstanceHandOver::parseCommandLine(QApplication::arguments(), QDir::currentPath());
    if (commandLine.exitCode) {
        QTextStream(stdout) << commandLine.output;
        QTextStream(stderr) << commandLine.errors;
        return *commandLine.exitCode;
    }
    const QStringList paths = commandLine.paths;

    // One Vantel per user: a later start hands its files (or a toggle of the
    // main view) to the running one and ends. The lock of the settings holds
    // for as long as the process runs.
    vantel::platform::SingleInstance instance;
    vantel::platform::InstanceLock settingsLock;
    if (const std::optional<int> exitCode = vantel::InstanceHandOver::claimOrHandOver(instance, settingsLock, paths))
        return *exitCode;
    vantel::InstanceHandOver::connectRequests(instance);

    vantel::platform::UnixSignals unixSignals;

    // The delegate exists before the event loop; its launch sequence runs on
    // the loop's first turn.
    vantel::AppDelegate& delegate = vantel::AppDelegate::shared();
    // The first line the debugLogging setting lets through (the delegate
    // reads it): from here on a quit signal ends the program in order.
    VLOG(vantel::Logger::general(), vantel::platform::LogType::Default, "Quit signals handled: SIGTERM, SIGINT, SIGHUP");
    delegate.attachApplication(&app);
    delegate.setStatusBarItem(std::make_shared<vantel::StatusItem>());
    // The windowing of the manager and the catalogue, and the windows the
    // launch may open.
    vantel::ShellWindowing::install();
    vantel::registerFirstRunInterface();
    vantel::registerSettingsWindows();
    vantel::registerConfigurationWindows();
    // What the core asks of the desktop: opening entries, alerts and panels,
    // the address prompt of URL templates, the first run's preset tags.
    vantel::AccessExecutionServices::install();
    vantel::platform::QtDialogProvider::install();
    vantel::QtURLInputDialogProvider::install();
    vantel::FirstRunConfig::install(vantel::DataStorage::shared());
    // Quit from the menu, SIGTERM, SIGINT, SIGHUP and the session manager's
    // "die" all end the loop through aboutToQuit; the sequence runs once. A
    // checkpoint of the session (also the first step of a log-out) only saves.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&delegate](QSessionManager&) { delegate.checkpoint(); });
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
    // The termination sequence has saved everything. Worker threads may still
    // run (a scan, a thumbnail) and use the shared objects, so the process
    // ends here rather than through destructors those threads race with.
    instance.close();
    std::fflush(nullptr);
    std::_Exit(status);
}
