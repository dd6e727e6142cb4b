#include "launcher/AppDelegate.h"

#include "platform/Bundle.h"
#include "platform/InstalledLayout.h"
#include "platform/Log.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace vantel::VantelLauncher {

namespace {

using namespace std::chrono_literals;

// A login item must not hold up the session: an instance that does not
// answer in this time is left alone all the same (it holds the socket).
constexpr auto kPingTimeout = 1500ms;

void write(platform::LogType type, const char* format, const QStringList& args = {})
{
    platform::Log::write(log(), type, QString::fromUtf8(format), args);
}

// The installed program itself, or the executable of a bundle.
bool startApplication(const QString& applicationPath)
{
    QString program = applicationPath;
    if (QFileInfo(applicationPath).isDir()) {
        const auto bundle = platform::Bundle::atPath(applicationPath);
        program = bundle ? bundle->executablePath() : QString();
        if (program.isEmpty()) {
            write(platform::LogType::Error, "The bundle %{public}@ has no executable: %{public}@",
                  {applicationPath, bundle ? bundle->infoError() : QString()});
            return false;
        }
    }
    const QFileInfo executable(program);
    if (!executable.isFile() || !executable.isExecutable()) {
        write(platform::LogType::Error, "No application at %{public}@", {program});
        return false;
    }
    QProcess process;
    process.setProgram(executable.absoluteFilePath());
    process.setWorkingDirectory(QDir::homePath());
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace

const platform::LogCategory& log()
{
    static const platform::LogCategory category("general");
    return category;
}

AppDelegate::Environment AppDelegate::systemEnvironment()
{
    Environment environment;
    const platform::Bundle& own = platform::Bundle::main();
    environment.ownBundlePath = own.bundlePath();
    if (own.layout() == platform::Bundle::Layout::installed)
        environment.installPrefix = own.bundlePath();
    environment.mainApplicationRuns = [] {
        using platform::SingleInstance;
        return SingleInstance::send(SingleInstance::Message::ping(), kPingTimeout).instanceRuns();
    };
    environment.launchApplication = startApplication;
    environment.terminate = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return environment;
}

AppDelegate::AppDelegate(Environment environment)
    : environment_(std::move(environment))
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    launchMainApplication();
}

void AppDelegate::applicationWillTerminate()
{
    write(platform::LogType::Default, "Quit the launcher ...");
}

void AppDelegate::launchMainApplication()
{
    write(platform::LogType::Default, "VantelLauncher was successfully launched");
    write(platform::LogType::Default, "mainAppIdentifier was set to: %{public}@", {mainAppIdentifier});

    if (environment_.mainApplicationRuns && environment_.mainApplicationRuns()) {
        write(platform::LogType::Error, "%{public}@ is already running, no launch needed", {mainAppIdentifier});
    } else if (const auto path = environment_.installPrefix.isEmpty()
                                     ? mainApplicationPath(environment_.ownBundlePath)
                                     : std::optional(installedApplicationPath(environment_.installPrefix))) {
        write(platform::LogType::Default, "Trying to launch %{public}@", {*path});
        if (!environment_.launchApplication || !environment_.launchApplication(*path)) {
            write(platform::LogType::Error, "Failed to launch the application");
            exitCode_ = 1;
        }
    } else {
        write(platform::LogType::Error, "Cannot derive the application's path from %{public}@",
              {environment_.ownBundlePath});
        exitCode_ = 1;
    }
    quitLauncher();
}

void AppDelegate::quitLauncher()
{
    if (environment_.terminate)
        environment_.terminate(exitCode_);
}

std::optional<QString> AppDelegate::mainApplicationPath(const QString& ownBundlePath)
{
    QStringList pieces = ownBundlePath.split(u'/', Qt::SkipEmptyParts);
    if (pieces.size() < 4)
        return std::nullopt;
    pieces.resize(pieces.size() - 4);
    return u'/' + pieces.join(u'/');
}

QString AppDelegate::installedApplicationPath(const QString& installPrefix)
{
    return platform::InstalledLayout::programPath(installPrefix);
}

} // namespace vantel::VantelLauncher
