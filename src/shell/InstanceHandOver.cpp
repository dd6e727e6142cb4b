#include "shell/InstanceHandOver.h"

#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/InstanceLock.h"
#include "platform/SingleInstance.h"
#include "shell/AppDelegate.h"
#include "shell/ServiceManager.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace vantel::InstanceHandOver {

QStringList handedPaths(const QStringList& arguments, const QString& currentDirectory)
{
    QStringList paths;
    const QDir base(currentDirectory);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        QString path = argument;
        if (argument.startsWith(QStringLiteral("file:"))) {
            const QUrl url(argument);
            // A file on another host is no path of this machine.
            const bool local = url.host().isEmpty() || url.host() == QStringLiteral("localhost");
            if (!url.isLocalFile() || !local || url.path().isEmpty())
                continue;
            path = url.path();
        }
        paths << QDir::cleanPath(base.absoluteFilePath(path));
    }
    return paths;
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& currentDirectory)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        localized("A launcher in the system tray. Files and folders given here wait in its main view for the "
                  "next entry that is opened; without any, a running Vantel shows or hides its main view."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(localized("files"), localized("Files or folders to hand to Vantel."),
                                 localized("[FILE...]"));
    // The GUI application takes these out itself; a start without a display
    // reads its command line before there is one. They have one dash, as
    // all of Qt's own options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString& qtOption : {QStringLiteral("platform"), QStringLiteral("display")}) {
        QCommandLineOption option(qtOption);
        option.setValueName(qtOption);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.exitCode = 2;
        result.errors = QStringLiteral("Vantel: %1\n%2\n").arg(parser.errorText(), localized("Try \"Vantel --help\"."));
        return result;
    }
    if (parser.isSet(help)) {
        result.exitCode = 0;
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitCode = 0;
        result.output = QStringLiteral("Vantel %1\n").arg(QStringLiteral(VANTEL_VERSION));
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    result.paths = handedPaths(positional, currentDirectory);
    QStringList refused;
    // A file URL of another host is no file of this machine either.
    if (result.paths.size() != qsizetype(std::count_if(positional.cbegin(), positional.cend(),
                                                        [](const QString& argument) { return !argument.isEmpty(); })))
        refused << QStringLiteral("Vantel: ") + localized("only local files can be handed over");
    for (const QString& path : std::as_const(result.paths)) {
        if (!QFileInfo::exists(path))
            refused << QStringLiteral("Vantel: ") + localized("%1: no such file or folder").arg(path);
    }
    if (!refused.isEmpty()) {
        result.exitCode = 1;
        result.errors = refused.join(QLatin1Char('\n')) + u'\n' + localized("Nothing was handed over.") + u'\n';
        result.paths.clear();
    }
    return result;
}

namespace {

// The second guard, independent of the socket: one process per settings file.
std::optional<int> lockOrRefuse(platform::SingleInstance& instance, platform::InstanceLock& lock)
{
    switch (lock.tryLock()) {
    case platform::InstanceLock::Result::Locked:
        return std::nullopt;
    case platform::InstanceLock::Result::Failed:
        // Nobody else holds it; what can't lock can't save settings either.
        QTextStream(stderr) << localized("Vantel can't lock its settings (%1); it runs anyway").arg(lock.errorString())
                            << "\n";
        return std::nullopt;
    case platform::InstanceLock::Result::HeldElsewhere:
        break;
    }
    instance.close();
    QTextStream(stderr) << (instance.socketPath().isEmpty()
                                ? localized("Vantel already runs with these settings (it holds %1) but can't be "
                                            "reached; this start ends without writing anything")
                                      .arg(lock.path())
                                : localized("Vantel already runs with these settings (it holds %1) but can't be "
                                            "reached at %2; this start ends without writing anything")
                                      .arg(lock.path(), instance.socketPath()))
                        << "\n";
    return 1;
}

// The exit code once the request reached a running instance; none when
// nobody listens at the socket.
std::optional<int> handOver(const QString& socketPath, const QStringList& paths)
{
    const auto message =
        paths.isEmpty() ? platform::SingleInstance::Message::toggle() : platform::SingleInstance::Message::open(paths);
    const platform::SingleInstance::Reply reply =
        platform::SingleInstance::send(message, std::chrono::seconds(5), socketPath);
    if (reply.accepted()) {
        QTextStream(stderr) << (paths.isEmpty()
                                    ? localized("Vantel already runs: main view switched")
                                    : localized("Vantel already runs: %1 path(s) handed over").arg(paths.size()))
                            << "\n";
        return 0;
    }
    if (reply.instanceRuns()) {
        QTextStream(stderr) << (reply.error.isEmpty()
                                    ? localized("Vantel already runs but did not take the request")
                                    : localized("Vantel already runs but did not take the request: %1").arg(reply.error))
                            << "\n";
        return 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<int> claimOrHandOver(platform::SingleInstance& instance, platform::InstanceLock& lock,
                                   const QStringList& paths)
{
    // Twice: the instance that answered may end between the two steps.
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (instance.listen()) {
        case platform::SingleInstance::ListenResult::Listening:
            return lockOrRefuse(instance, lock);
        case platform::SingleInstance::ListenResult::Failed:
            QTextStream(stderr) << localized("Vantel can't make its single-instance socket (%1)").arg(instance.errorString())
                                << "\n";
            return lockOrRefuse(instance, lock);
        case platform::SingleInstance::ListenResult::AnotherInstanceRuns:
            break;
        }
        if (const std::optional<int> exitCode = handOver(instance.socketPath(), paths))
            return exitCode;
    }
    QTextStream(stderr) << localized("Vantel can't reach the running instance") << "\n";
    return 1;
}

int handOverWithoutDisplay(const QString& socketPath, const QStringList& paths, const QString& missingDisplay)
{
    if (const std::optional<int> exitCode = handOver(socketPath, paths))
        return *exitCode;
    QTextStream(stderr) << localized("Vantel needs a display and can't reach one (%1); it does not start")
                               .arg(missingDisplay)
                        << "\n";
    return 1;
}

void connectRequests(platform::SingleInstance& instance)
{
    QObject::connect(&instance, &platform::SingleInstance::toggleRequested, &instance,
                     [] { AppDelegate::shared().switchMainWindow(); });
    QObject::connect(&instance, &platform::SingleInstance::openRequested, &instance, [](const QStringList& paths) {
        if (ServiceManager* service = AppDelegate::shared().serviceManager())
            service->serviceAddFile(paths);
        else
            AppDelegate::shared().openFilesInMainView(paths);
    });
}

} // namespace vantel::InstanceHandOver
