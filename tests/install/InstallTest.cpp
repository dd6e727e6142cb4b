// `cmake --install` into a throw-away prefix, the prefix moved elsewhere, and
// the installed programs run from there: the layout a Debian user expects,
// nothing of the build tree left in it, and the files the installed program
// writes naming installed files.
#include "platform/Bundle.h"
#include "platform/DesktopEntry.h"
#include "platform/InstalledLayout.h"
#include "platform/UserDefaults.h"
#include "shell/ApplicationDesktopFile.h"
#include "shell/AutoLaunchManager.h"
#include "shell/ui/VantelProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>

namespace vantel {
namespace {

using namespace std::chrono_literals;
namespace Layout = platform::InstalledLayout;

struct Finished {
    int exitCode = -1;
    QString output;
};

// cpack and lintian take minutes on a busy machine; CTest's timeout of the
// program is what ends a hang.
constexpr std::chrono::minutes toolWait{10};

Finished run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(int(std::chrono::milliseconds(toolWait).count())))
        return {-1, QStringLiteral("%1 did not finish: %2").arg(program, process.errorString())};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first Exec argument of a desktop file, its field-code escapes undone.
QString execProgram(const QString& desktopFile)
{
    const auto entry = platform::DesktopEntry::load(desktopFile);
    if (!entry)
        return {};
    const auto arguments = entry->execArguments();
    return arguments && !arguments->isEmpty() ? QString(arguments->first()).replace("%%", "%") : QString();
}

// Processes whose executable is `program`.
QList<qint64> processesOf(const QString& program)
{
    QList<qint64> found;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 id = pid.toLongLong(&number);
        if (number && QFileInfo("/proc/" + pid + "/exe").symLinkTarget() == program)
            found << id;
    }
    return found;
}

// A prepared home whose settings say the program ran before, so that it
// starts without the first-run assistant.
QString launchedHome(const QString& name)
{
    const QString home = test::makeTempDir(name);
    test::VantelProcess::prepareHome(home);
    platform::UserDefaults defaults(test::VantelProcess::settingsPath(home));
    defaults.setBool(true, "launchedBefore");
    defaults.synchronize();
    return home;
}

// Nothing under `folder` names the build or the source tree.
void expectNoPathOfTheBuildTree(const QString& folder)
{
    QStringList grep{"-r", "-l", "-F"};
#ifdef VANTEL_SANITIZED
    // The sanitizers' reports name the source files, so their programs carry
    // the paths; every other installed file must not.
    grep << "--exclude=vantel" << "--exclude=vantel-launcher" << "--exclude=vantel-thumbnailer";
#endif
    for (const QString& tree : {QStringLiteral(VANTEL_BUILD_DIR), QStringLiteral(VANTEL_SOURCE_DIR)}) {
        const Finished found = run("grep", grep + QStringList{QDir::cleanPath(tree), folder});
        EXPECT_EQ(found.exitCode, 1) << "found " << tree.toStdString() << " in:\n" << found.output.toStdString();
    }
}

// The program of `prefix`, in a prefix the desktop does not read, sits in
// the tray with its own picture and offers itself for "Open with".
void expectInTheTray(const QString& prefix)
{
    test::TrayDesktop desktop;
    QString why;
    ASSERT_TRUE(desktop.start(&why)) << why.toStdString();
    const QString home = launchedHome("installed-home");
    test::VantelProcess vantel(home);
    vantel.setProgram(prefix + "/bin/vantel");
    desktop.attach(vantel, home);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();

    std::optional<QRect> icon;
    ASSERT_TRUE(test::poll([&] { return (icon = desktop.trayIcon(vantel.process().processId())).has_value(); }))
        << "no status item in the tray\n"
        << vantel.output().toStdString();
    EXPECT_GE(icon->width(), 16);
    // Its picture is the orange one of share/vantel/images, so the resources were found.
    const QString shotName = "installed-tray-icon-" + QFileInfo(prefix).fileName() + ".png";
    int orange = 0;
    EXPECT_TRUE(test::poll([&] {
        const QImage shot = desktop.screenshot(shotName).copy(*icon);
        orange = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                orange += c.red() > 200 && c.green() > 100 && c.green() < 170 && c.blue() < 80;
            }
        }
        return orange > icon->width() * icon->height() / 4;
    })) << orange << " orange pixels in " << icon->width() << "x" << icon->height();

    // The prefix is no data folder the desktop reads: the user's own desktop
    // file names the installed program.
    const QString userFile = home + "/data/applications/net.tarnwick.vantel.desktop";
    EXPECT_EQ(execProgram(userFile), prefix + "/bin/vantel");

    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitCode(), 0);
}

// Launch at login names the launcher of `prefix`, which starts its program.
void expectLaunchAtLoginStartsTheLauncher(const QString& prefix)
{
    const QString program = prefix + "/bin/vantel";
    const QString launcher = AutoLaunchManager::launcherExecutablePath(platform::Bundle::forExecutable(program));
    EXPECT_EQ(launcher, prefix + "/libexec/vantel/vantel-launcher");
    AutoLaunchManager::setLaunchAtLoginEnabled(true, launcher);
    ASSERT_TRUE(AutoLaunchManager::launchAtLoginEnabled());
    EXPECT_EQ(execProgram(AutoLaunchManager::loginItemPath()), launcher);

    // What the session does at log-in: run the entry's Exec.
    const QString home = launchedHome("login-home");
    // Its output goes to a file, as to the session's log: the program it
    // starts keeps writing there after the launcher has quit.
    const QString logFile = home + "/session.log";
    QProcess session;
    session.setProcessEnvironment(test::VantelProcess::environment(home));
    session.setStandardOutputFile(logFile);
    session.setStandardErrorFile(logFile, QIODevice::Append);
    session.start(execProgram(AutoLaunchManager::loginItemPath()), {});
    ASSERT_TRUE(session.waitForFinished(int(test::longWait.count())));
    const Finished login{session.exitCode(), QString::fromUtf8(readAll(logFile))};
    EXPECT_EQ(login.exitCode, 0) << login.output.toStdString();
    // The program it started announces itself in the user's folder.
    const QString userFile = home + "/data/applications/net.tarnwick.vantel.desktop";
    EXPECT_TRUE(test::poll([&] { return execProgram(userFile) == program; }, 20s)) << readAll(logFile).toStdString();
    QList<qint64> started;
    EXPECT_TRUE(test::poll([&] { return !(started = processesOf(program)).isEmpty(); }));
    for (qint64 pid : started)
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    EXPECT_TRUE(test::poll([&] { return processesOf(program).isEmpty(); }));
    AutoLaunchManager::setLaunchAtLoginEnabled(false, launcher);
}

// One install for the whole program: made, checked where it was put, then
// moved, so that nothing can lean on the place it was installed to.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QString root = test::makeTempDir("install");
        installPrefix_ = root + "/prefix";
        const Finished install = run(VANTEL_CMAKE_COMMAND, {"--install", VANTEL_BUILD_DIR, "--prefix", installPrefix_,
                                                       "--strip"});
        installLog_ = install.output;
        installed_ = install.exitCode == 0;
        movedPrefix_ = root + "/moved elsewhere/vantel";
        QDir().mkpath(QFileInfo(movedPrefix_).absolutePath());
    }

    static void moveOnce()
    {
        if (QFileInfo::exists(installPrefix_)) {
            ASSERT_TRUE(QDir().rename(installPrefix_, movedPrefix_));
        }
    }

    static inline QString installPrefix_, movedPrefix_, installLog_;
    static inline bool installed_ = false;
};

TEST_F(Installed, LaysTheFilesOutWhereADebianSystemLooks)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    const QString p = installPrefix_;
    for (const QString& program :
         {p + "/bin/vantel", p + "/libexec/vantel/vantel-launcher", p + "/libexec/vantel/vantel-thumbnailer"}) {
        EXPECT_TRUE(QFileInfo(program).isFile() && QFileInfo(program).isExecutable()) << program.toStdString();
    }
    EXPECT_EQ(Layout::programPath(p), p + "/bin/vantel");
    EXPECT_EQ(Layout::launcherPath(p), p + "/libexec/vantel/vantel-launcher");
    EXPECT_EQ(Layout::thumbnailerPath(p), p + "/libexec/vantel/vantel-thumbnailer");
    EXPECT_TRUE(QFileInfo(p + "/share/man/man1/vantel.1.gz").isFile());
    for (const char* resource : {"versionhistory.md", "help_SandboxAccess.md", "help_SearchScope.md",
                                    "help_URLTemplates.md", "help_versionedBackup.md", "Colors.json",
                                    "images/statusbar-1.svg"}) {
        EXPECT_TRUE(QFileInfo(p + "/share/vantel/" + resource).isFile()) << resource;
    }
    // The build tree's bundle stays out of it.
    EXPECT_FALSE(QFileInfo::exists(p + "/Vantel.app"));
    EXPECT_FALSE(QFileInfo::exists(p + "/share/vantel/Info.plist"));

    // The icon: scalable, and each PNG size at its size.
    EXPECT_TRUE(readAll(p + "/share/icons/hicolor/scalable/apps/net.tarnwick.vantel.svg").contains("<svg"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image(QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/net.tarnwick.vantel.png").arg(p).arg(size));
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_GT(test::paintedPixels(image), size * size / 2) << size;
    }

    // The desktop file: the program's own text, naming the installed program and icon.
    const QString desktop = p + "/share/applications/net.tarnwick.vantel.desktop";
    EXPECT_EQ(Layout::desktopFilePath(p), desktop);
    EXPECT_EQ(execProgram(desktop), p + "/bin/vantel");
    const auto entry = platform::DesktopEntry::load(desktop);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->icon(), "net.tarnwick.vantel");
    const auto ownEntry = platform::DesktopEntry::parse(ApplicationDesktopFile::contents(p + "/bin/vantel").value_or(QString()).toUtf8());
    ASSERT_TRUE(ownEntry.has_value());
    for (const char* key : {"MimeType", "Exec", "Name", "Type", "Categories", "NoDisplay"})
        EXPECT_EQ(entry->string(key), ownEntry->string(key)) << key;
    const Finished validDesktop = run("desktop-file-validate", {desktop});
    EXPECT_EQ(validDesktop.exitCode, 0) << validDesktop.output.toStdString();

    const QString metainfo = p + "/share/metainfo/net.tarnwick.vantel.metainfo.xml";
    const Finished validMetainfo = run("appstreamcli", {"validate", "--no-net", metainfo});
    EXPECT_EQ(validMetainfo.exitCode, 0) << validMetainfo.output.toStdString();
}

TEST_F(Installed, AMovedCopyHoldsNoPathOfTheBuildTree)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    moveOnce();
    expectNoPathOfTheBuildTree(movedPrefix_);
    // Found from its own place, not from where it was installed.
    const platform::Bundle program = platform::Bundle::forExecutable(movedPrefix_ + "/bin/vantel");
    EXPECT_EQ(program.layout(), platform::Bundle::Layout::installed);
    EXPECT_EQ(program.resourcePath(), movedPrefix_ + "/share/vantel");
    EXPECT_TRUE(program.pathForResource("versionhistory", "md").has_value());
    const platform::Bundle launcher = platform::Bundle::forExecutable(movedPrefix_ + "/libexec/vantel/vantel-launcher");
    EXPECT_EQ(launcher.layout(), platform::Bundle::Layout::installed);
    EXPECT_EQ(launcher.bundlePath(), movedPrefix_);
}

TEST_F(Installed, WhereTheDesktopReadsTheInstalledFileTheUsersFolderIsLeftAlone)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    moveOnce();
    const QString home = launchedHome("system-home");
    // A copy that an earlier run from a build tree left behind: it would
    // hide the installed file and start a program that is gone.
    const QString userFile = home + "/data/applications/net.tarnwick.vantel.desktop";
    QDir().mkpath(QFileInfo(userFile).absolutePath());
    {
        QFile stale(userFile);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write(ApplicationDesktopFile::contents("/gone/build/Vantel.app/Contents/MacOS/Vantel").value_or(QString()).toUtf8());
    }
    test::VantelProcess vantel(home);
    vantel.setProgram(movedPrefix_ + "/bin/vantel");
    QProcessEnvironment environment = vantel.process().processEnvironment();
    environment.insert("XDG_DATA_DIRS", home + "/system-data:" + movedPrefix_ + "/share");
    vantel.process().setProcessEnvironment(environment);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    EXPECT_FALSE(QFileInfo::exists(userFile)) << vantel.output().toStdString();
    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitCode(), 0);
}

TEST_F(Installed, TheMovedThumbnailerDrawsAPdfsFirstPage)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    moveOnce();
    const QString pdf = test::makeTempDir("pdf") + "/page.pdf";
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        painter.fillRect(painter.viewport(), Qt::red);
    }
    QProcess thumbnailer;
    thumbnailer.start(movedPrefix_ + "/libexec/vantel/vantel-thumbnailer", {"--", pdf, "64"});
    ASSERT_TRUE(thumbnailer.waitForFinished(int(test::longWait.count()))) << thumbnailer.errorString().toStdString();
    const QByteArray png = thumbnailer.readAllStandardOutput();
    EXPECT_EQ(thumbnailer.exitCode(), 0) << thumbnailer.readAllStandardError().toStdString();
    const QImage page = QImage::fromData(png, "PNG");
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(std::max(page.width(), page.height()), 64);
    EXPECT_EQ(page.pixelColor(page.width() / 2, page.height() / 2), QColor(Qt::red));
}

TEST_F(Installed, TheMovedProgramSitsInTheTrayAndOffersItselfForOpenWith)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    moveOnce();
    expectInTheTray(movedPrefix_);
}

TEST_F(Installed, LaunchAtLoginStartsTheInstalledLauncherWhichStartsTheProgram)
{
    ASSERT_TRUE(installed_) << installLog_.toStdString();
    moveOnce();
    expectLaunchAtLoginStartsTheLauncher(movedPrefix_);
}

// The Debian package made from this build tree by CPack, as `make deb`
// makes it, and unpacked into a scratch root as dpkg would put it.
class Packaged : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QString folder = test::makeTempDir("package");
        const Finished cpack = run(VANTEL_CPACK_COMMAND, {"--config", VANTEL_BUILD_DIR "/CPackConfig.cmake", "-G", "DEB",
                                                          "-B", folder, "-D", "CPACK_OUTPUT_FILE_PREFIX=" + folder});
        log_ = cpack.output;
        const QStringList made = QDir(folder).entryList({"vantel_*.deb"}, QDir::Files);
        if (cpack.exitCode != 0 || made.size() != 1)
            return;
        package_ = folder + '/' + made.first();
        root_ = folder + "/root";
        const Finished unpack = run("dpkg-deb", {"-x", package_, root_});
        log_ += unpack.output;
        unpacked_ = unpack.exitCode == 0;
    }

    static QString field(const QString& name)
    {
        return run("dpkg-deb", {"-f", package_, name}).output.trimmed();
    }

    static inline QString package_, root_, log_;
    static inline bool unpacked_ = false;
};

TEST_F(Packaged, LintianFindsNoError)
{
    ASSERT_FALSE(package_.isEmpty()) << log_.toStdString();
    const Finished lintian = run("lintian", {"--fail-on", "error", "--display-info", package_});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.output.toStdString();
    EXPECT_FALSE(lintian.output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)))
        << lintian.output.toStdString();
}

TEST_F(Packaged, DependsOnWhatItsProgramsLoadAndThisSystemHasIt)
{
    ASSERT_FALSE(package_.isEmpty()) << log_.toStdString();
    const QString depends = field("Depends");
    // Worked out from the programs' libraries, with the SVG plugin no library names.
    for (const char* library : {"libc6 (", "libqt6core6 (", "libqt6widgets6 (", "libpoppler-qt6-3 (", "libqt6svg6"})
        EXPECT_TRUE(depends.contains(library)) << library << " missing in: " << depends.toStdString();
    const Finished satisfied = run("dpkg-checkbuilddeps", {"-d", depends, "/dev/null"});
    EXPECT_EQ(satisfied.exitCode, 0) << satisfied.output.toStdString();

    // The desktop and icon caches are refreshed on install and removal.
    const QString control = test::makeTempDir("package-control");
    ASSERT_EQ(run("dpkg-deb", {"-e", package_, control}).exitCode, 0);
    for (const char* script : {"postinst", "postrm"}) {
        const QFileInfo info(control + '/' + script);
        EXPECT_TRUE(info.isExecutable()) << script;
        const QByteArray text = readAll(info.filePath());
        EXPECT_TRUE(text.contains("update-desktop-database") && text.contains("icons/hicolor")) << script;
    }

    // A cache that can't be refreshed never leaves the package unconfigured.
    const QString failing = test::makeTempDir("failing-tools");
    for (const char* tool : {"update-desktop-database", "update-icon-caches", "gtk-update-icon-cache"})
        ASSERT_TRUE(QFile::link("/bin/false", failing + '/' + tool));
    QProcessEnvironment broken = QProcessEnvironment::systemEnvironment();
    broken.insert("PATH", failing + ":/usr/bin:/bin");
    const std::pair<const char*, const char*> steps[] = {{"postinst", "configure"}, {"postrm", "remove"}};
    for (const auto& [script, step] : steps) {
        const Finished finished = run("/bin/sh", {"-x", control + '/' + script, step}, broken);
        EXPECT_EQ(finished.exitCode, 0) << script << " " << step << ": " << finished.output.toStdString();
    }
}

TEST_F(Packaged, NamesTheSystemsPathsAndNoPathOfTheBuildTree)
{
    ASSERT_TRUE(unpacked_) << log_.toStdString();
    EXPECT_EQ(execProgram(root_ + "/usr/share/applications/net.tarnwick.vantel.desktop"), "/usr/bin/vantel");
    expectNoPathOfTheBuildTree(root_);
}

TEST_F(Packaged, TheUnpackedProgramSitsInTheTray)
{
    ASSERT_TRUE(unpacked_) << log_.toStdString();
    expectInTheTray(root_ + "/usr");
}

TEST_F(Packaged, LaunchAtLoginStartsTheUnpackedLauncher)
{
    ASSERT_TRUE(unpacked_) << log_.toStdString();
    expectLaunchAtLoginStartsTheLauncher(root_ + "/usr");
}

} // namespace
} // namespace vantel
