#include "launcher/AppDelegate.h"

#include "platform/Bundle.h"
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

bool startBundle(const QString& applicationPath)
{
    const auto bundle = platform::Bundle::atPath(applicationPath);
    if (!bundle) {
        write(platform::LogType::Error, "No application bundle at %{public}@", {applicationPath});
        return false;
    }
    const QFileInfo executable(bundle->executablePath());
    if (bundle->executablePath().isEmpty() || !executable.isFile() || !executable.isExecutable()) {
        write(platform::LogType::Error, "The bundle %{public}@ has no executable: %{public}@",
              {applicationPath, bundle->infoError().isEmpty() ? bundle->executablePath() : bundle->infoError()});
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
    environment.ownBundlePath = platform::Bundle::main().bundlePath();
    environment.mainApplicationRuns = [] {
        using platform::SingleInstance;
        return SingleInstance::send(SingleInstance::Message::ping(), kPingTimeout).instanceRuns();
    };
    environment.launchApplication = startBundle;
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
    } else if (const auto path = mainApplicationPath(environment_.ownBundlePath)) {
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

} // namespace vantel::VantelLauncher
