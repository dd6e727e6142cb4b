#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/Workspace.h"
#include "support/PrivateBus.h"
#include "support/TestSupport.h"

#include "PrivateXServer.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <xcb/xcb.h>

using vantel::platform::OpenConfiguration;
using vantel::platform::Workspace;
using vantel::platform::WorkspaceError;

namespace {

struct Outcome {
    bool called = false;
    bool onMainThread = false;
    std::optional<WorkspaceError> error;
};

Workspace::Completion recordInto(Outcome& outcome)
{
    return [&outcome](const std::optional<WorkspaceError>& error) {
        outcome.called = true;
        outcome.onMainThread = vantel::platform::MainQueue::isMainThread();
        outcome.error = error;
    };
}

void writeFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Plays the local program that wins the race: the moment a reader closes
// `path` (the check), `replacement` is renamed over it. A reader then left
// waiting on a FIFO is let go after a few seconds, so that the test fails
// instead of hanging.
class SwapAfterCheck {
public:
    SwapAfterCheck(const QString& path, const QString& replacement)
        : path_(QFile::encodeName(path)), replacement_(QFile::encodeName(replacement))
    {
        struct stat facts {};
        const bool fifo = ::stat(replacement_.constData(), &facts) == 0 && S_ISFIFO(facts.st_mode);
        inotify_add_watch(inotify_, path_.constData(), IN_CLOSE_NOWRITE);
        thread_ = std::thread([this, fifo] {
            pollfd watch{inotify_, POLLIN, 0};
            while (!finished_ && ::poll(&watch, 1, 20) != 1) {}
            swapped_ = !finished_ && ::rename(replacement_.constData(), path_.constData()) == 0;
            for (int waited = 0; swapped_ && !finished_; waited += 20) {
                // A writer that comes and goes ends a reader's wait in open().
                const int writer = fifo && waited > 3000 ? ::open(path_.constData(), O_WRONLY | O_NONBLOCK) : -1;
                if (writer >= 0) {
                    stuck_ = true;
                    ::close(writer);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~SwapAfterCheck()
    {
        finished_ = true;
        thread_.join();
        ::close(inotify_);
    }
    bool swapped() const { return swapped_; }
    bool readerWasStuck() const { return stuck_; }

private:
    QByteArray path_;
    QByteArray replacement_;
    int inotify_ = inotify_init1(IN_CLOEXEC);
    std::atomic<bool> finished_{false};
    std::atomic<bool> swapped_{false};
    std::atomic<bool> stuck_{false};
    std::thread thread_;
};

// So many lines that the check lasts until the swap has landed: 3 MB, or
// with `pastTheBound` 5 MB.
QByteArray padded(const QByteArray& entry, bool pastTheBound = false)
{
    QByteArray text = entry;
    for (int i = pastTheBound ? 2'500'000 : 1'500'000; i > 0; --i)
        text += "#\n";
    return text;
}

// Desktop entries whose program writes its arguments, one per line, to a file;
// the viewer is the default handler of text/plain, folders and "vanteltest:".
class WorkspaceTest : public ::testing::Test {
protected:
    static inline QString applications;
    static inline QString work;
    static inline QString appEntry;
    static inline QString viewerEntry;
    static inline QString brokenEntry;
    static inline QString appOutput;
    static inline QString viewerOutput;
    static inline QString folderEntry;
    static inline QString ownFolderEntry;
    static inline QString folderOutput;
    static inline QString noInterpreterEntry;

    static void SetUpTestSuite()
    {
        applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
        QDir().mkpath(applications);
        work = vantel::test::makeTempDir(QStringLiteral("workspace"));
        appOutput = work + QStringLiteral("/app-args");
        viewerOutput = work + QStringLiteral("/viewer-args");
        const QString recorder = work + QStringLiteral("/record.sh");
        writeFile(recorder, "#!/bin/sh\nout=\"$1\"; shift\n: > \"$out.tmp\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out.tmp\"; done\nmv \"$out.tmp\" \"$out\"\n", true);

        appEntry = applications + QStringLiteral("/vantel-test-app.desktop");
        viewerEntry = applications + QStringLiteral("/vantel-test-viewer.desktop");
        brokenEntry = applications + QStringLiteral("/vantel-test-broken.desktop");
        writeFile(appEntry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Test App\nExec=%1 %2 %F\n")
                                .arg(recorder, appOutput).toUtf8());
        writeFile(viewerEntry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Test Viewer\nExec=%1 %2 %U\n"
                                              "MimeType=text/plain;inode/directory;x-scheme-handler/vanteltest;\n")
                                   .arg(recorder, viewerOutput).toUtf8());
        writeFile(brokenEntry, "[Desktop Entry]\nType=Application\nName=Broken\nExec=/nonexistent/vantel-no-such-program %F\n");
        // Two programs that write the folder they started in.
        const QString whereAmI = work + QStringLiteral("/where.sh");
        writeFile(whereAmI, "#!/bin/sh\npwd > \"$1.tmp\"\nmv \"$1.tmp\" \"$1\"\n", true);
        folderOutput = work + QStringLiteral("/folder");
        folderEntry = applications + QStringLiteral("/vantel-test-folder.desktop");
        writeFile(folderEntry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Folder\nExec=%1 %2 %U\n"
                                              "MimeType=x-scheme-handler/vantelfolder;\n")
                                   .arg(whereAmI, folderOutput).toUtf8());
        ownFolderEntry = applications + QStringLiteral("/vantel-test-own-folder.desktop");
        writeFile(ownFolderEntry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Own Folder\nExec=%1 %2\n"
                                                 "Path=%3\n")
                                      .arg(whereAmI, folderOutput, work).toUtf8());
        // A script whose "#!" names an interpreter that isn't there: GIO finds
        // the script, only its exec fails.
        const QString noInterpreter = work + QStringLiteral("/no-interpreter.sh");
        writeFile(noInterpreter, "#!/nonexistent/vantel-interpreter\n", true);
        noInterpreterEntry = applications + QStringLiteral("/vantel-test-no-interpreter.desktop");
        writeFile(noInterpreterEntry, QStringLiteral("[Desktop Entry]\nType=Application\nName=No Interpreter\nExec=%1 %F\n")
                                          .arg(noInterpreter).toUtf8());
        writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
                  "[Default Applications]\ntext/plain=vantel-test-viewer.desktop\n"
                  "image/png=vantel-test-no-interpreter.desktop\n"
                  "application/x-desktop=vantel-test-viewer.desktop\n"
                  "inode/directory=vantel-test-viewer.desktop\nx-scheme-handler/vanteltest=vantel-test-viewer.desktop\n"
                  "x-scheme-handler/vantelfolder=vantel-test-folder.desktop\n");
    }

    void SetUp() override
    {
        QFile::remove(appOutput);
        QFile::remove(viewerOutput);
        QFile::remove(folderOutput);
        // GIO notices new desktop entries through a file monitor; wait for it
        // in case it had already read the (empty) folder.
        const QUrl probe(QStringLiteral("vanteltest:probe"));
        ASSERT_TRUE(vantel::test::waitUntil(
            [&] { return Workspace::shared().urlForApplicationToOpen(probe) == std::optional<QString>(viewerEntry); }));
    }

    static QString textFile(const QString& name)
    {
        const QString path = work + QStringLiteral("/") + name;
        writeFile(path, "some plain text\n");
        return path;
    }
};

TEST_F(WorkspaceTest, OpeningAnApplicationWithDocumentsPassesThemAll)
{
    const QString first = textFile(QStringLiteral("first.txt"));
    const QString second = textFile(QStringLiteral("second.txt"));
    Outcome outcome;
    Workspace::shared().openURLs({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}, appEntry,
                                 OpenConfiguration{}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_FALSE(outcome.error.has_value()) << outcome.error->localizedDescription.toStdString();
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(appOutput); }));
    EXPECT_EQ(readLines(appOutput), (QStringList{first, second}));
}

TEST_F(WorkspaceTest, OpeningTheDesktopEntryItselfLaunchesTheApplication)
{
    Outcome outcome;
    Workspace::shared().openURL(QUrl::fromLocalFile(appEntry), OpenConfiguration{}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
    EXPECT_FALSE(outcome.error.has_value());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(appOutput); }));
    EXPECT_TRUE(readLines(appOutput).isEmpty());
}

// As file managers do: a desktop entry from elsewhere (a download, mode 0644)
// is a document; its owner marking it executable makes it an application.
TEST_F(WorkspaceTest, ADownloadedDesktopEntryOpensAsADocumentAndRunsNothing)
{
    const QString downloads = vantel::test::makeTempDir(QStringLiteral("Downloads"));
    const QString downloaded = downloads + QStringLiteral("/vantel-test-app.desktop");
    ASSERT_TRUE(QFile::copy(appEntry, downloaded));
    QFile::setPermissions(downloaded, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);

    Outcome outcome;
    Workspace::shared().openURL(QUrl::fromLocalFile(downloaded), OpenConfiguration{}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
    Outcome withDocuments;
    Workspace::shared().openURLs({QUrl::fromLocalFile(textFile(QStringLiteral("held.txt")))}, downloaded,
                                 OpenConfiguration{}, recordInto(withDocuments));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return withDocuments.called; }));
    ASSERT_TRUE(withDocuments.error.has_value());
    EXPECT_TRUE(withDocuments.error->localizedDescription.contains(QStringLiteral("not launched")));
    // Opened as a document, its Exec never ran.
    vantel::test::spinEventLoop(std::chrono::milliseconds(1500));
    EXPECT_FALSE(QFileInfo::exists(appOutput));
    if (!outcome.error) {
        EXPECT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(viewerOutput); }));
        EXPECT_EQ(readLines(viewerOutput), QStringList{downloaded});
    }

    QFile::setPermissions(downloaded, QFile::permissions(downloaded) | QFileDevice::ExeOwner);
    Outcome trusted;
    Workspace::shared().openURL(QUrl::fromLocalFile(downloaded), OpenConfiguration{}, recordInto(trusted));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return trusted.called; }));
    EXPECT_FALSE(trusted.error.has_value());
    EXPECT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(appOutput); }));
}

TEST_F(WorkspaceTest, FilesFoldersAndSchemesGoToTheirDefaultHandler)
{
    const QString note = textFile(QStringLiteral("note.txt"));
    EXPECT_EQ(Workspace::shared().urlForApplicationToOpen(QUrl::fromLocalFile(note)), std::optional<QString>(viewerEntry));
    EXPECT_EQ(Workspace::shared().urlForApplicationToOpen(QUrl::fromLocalFile(work)), std::optional<QString>(viewerEntry));
    EXPECT_FALSE(Workspace::shared().urlForApplicationToOpen(QUrl(QStringLiteral("vantelunknownscheme:x"))).has_value());
    EXPECT_FALSE(Workspace::shared().urlForApplicationToOpen(QUrl()).has_value());

    Outcome outcome;
    Workspace::shared().openURL(QUrl::fromLocalFile(note), OpenConfiguration{}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_FALSE(outcome.error.has_value());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(viewerOutput); }));
    // GIO hands a local file to a %U program as a path or as a file URL.
    const QStringList received = readLines(viewerOutput);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().startsWith(QStringLiteral("file:")) ? QUrl(received.first()).toLocalFile() : received.first(), note);

    QFile::remove(viewerOutput);
    Outcome schemeOutcome;
    Workspace::shared().openURL(QUrl(QStringLiteral("vanteltest://host/path?q=1")), OpenConfiguration{},
                                recordInto(schemeOutcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return schemeOutcome.called; }));
    EXPECT_FALSE(schemeOutcome.error.has_value());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(viewerOutput); }));
    EXPECT_EQ(readLines(viewerOutput), QStringList{QStringLiteral("vanteltest://host/path?q=1")});
}

TEST_F(WorkspaceTest, ApplicationsStartInTheHomeFolderUnlessTheirEntrySaysWhere)
{
    // Vantel itself was started somewhere else.
    const QString startedIn = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(vantel::test::makeTempDir(QStringLiteral("started-here"))));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(startedIn); });
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    ASSERT_NE(home, QFileInfo(QDir::currentPath()).canonicalFilePath());
    const auto startedFolder = [&](const std::function<void(Workspace::Completion)>& open) {
        QFile::remove(folderOutput);
        Outcome outcome;
        open(recordInto(outcome));
        EXPECT_TRUE(vantel::test::waitUntil([&] { return outcome.called && QFileInfo::exists(folderOutput); }));
        EXPECT_FALSE(outcome.error.has_value());
        const QStringList lines = readLines(folderOutput);
        return lines.isEmpty() ? QString() : QFileInfo(lines.first()).canonicalFilePath();
    };

    EXPECT_EQ(startedFolder([&](Workspace::Completion done) {
                  Workspace::shared().openURL(QUrl::fromLocalFile(folderEntry), OpenConfiguration{}, std::move(done));
              }),
              home);
    EXPECT_EQ(startedFolder([&](Workspace::Completion done) {
                  Workspace::shared().openURLs({QUrl::fromLocalFile(textFile(QStringLiteral("doc.txt")))}, folderEntry,
                                               OpenConfiguration{}, std::move(done));
              }),
              home);
    // The handler of a scheme, too.
    EXPECT_EQ(startedFolder([&](Workspace::Completion done) {
                  Workspace::shared().openURL(QUrl(QStringLiteral("vantelfolder:x")), OpenConfiguration{}, std::move(done));
              }),
              home);
    EXPECT_EQ(startedFolder([&](Workspace::Completion done) {
                  Workspace::shared().openURL(QUrl::fromLocalFile(ownFolderEntry), OpenConfiguration{}, std::move(done));
              }),
              QFileInfo(work).canonicalFilePath());
}

TEST_F(WorkspaceTest, FailedLaunchesReachTheCompletionAsErrors)
{
    const QString note = textFile(QStringLiteral("doc.txt"));
    struct Case {
        const char* what;
        std::function<void(Workspace::Completion)> start;
    };
    const QList<Case> cases{
        {"entry whose program is missing",
         [&](Workspace::Completion c) { Workspace::shared().openURLs({QUrl::fromLocalFile(note)}, brokenEntry, {}, std::move(c)); }},
        {"opening that entry directly",
         [&](Workspace::Completion c) { Workspace::shared().openURL(QUrl::fromLocalFile(brokenEntry), {}, std::move(c)); }},
        {"application path that does not exist",
         [&](Workspace::Completion c) { Workspace::shared().openURLs({}, work + QStringLiteral("/gone.desktop"), {}, std::move(c)); }},
        {"a plain file as the application",
         [&](Workspace::Completion c) { Workspace::shared().openURLs({}, note, {}, std::move(c)); }},
        {"document that does not exist",
         [&](Workspace::Completion c) { Workspace::shared().openURL(QUrl::fromLocalFile(work + QStringLiteral("/missing.txt")), {}, std::move(c)); }},
        {"scheme nobody handles",
         [&](Workspace::Completion c) { Workspace::shared().openURL(QUrl(QStringLiteral("vantelunknownscheme:x")), {}, std::move(c)); }},
        {"invalid URL", [&](Workspace::Completion c) { Workspace::shared().openURL(QUrl(), {}, std::move(c)); }},
    };
    for (const Case& c : cases) {
        Outcome outcome;
        c.start(recordInto(outcome));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; })) << c.what;
        EXPECT_TRUE(outcome.onMainThread) << c.what;
        ASSERT_TRUE(outcome.error.has_value()) << c.what;
        EXPECT_FALSE(outcome.error->localizedDescription.isEmpty()) << c.what;
    }
    EXPECT_FALSE(QFileInfo::exists(appOutput));
}

// An exec that fails (the program's interpreter missing, no permission, a
// format the system can't run) is an error with its reason, whichever way
// the program was to start; a program that starts is not waited on.
TEST_F(WorkspaceTest, AProgramThatFailsAtItsExecIsAnError)
{
    const QString missing = QStringLiteral("The program to start, or the interpreter its first line names, was not found.");
    const QString denied = QStringLiteral("The program to start, or the interpreter its first line names, may not be run.");
    const QString unknownFormat = QStringLiteral("The program to start is in a format this system can't run.");
    const QString unrunnable = work + QStringLiteral("/unrunnable");
    writeFile(unrunnable, "#!/bin/sh\n");
    const QString deniedScript = work + QStringLiteral("/denied.sh");
    writeFile(deniedScript, "#!" + QFile::encodeName(unrunnable) + "\n", true);
    const QString noFormat = work + QStringLiteral("/no-format");
    writeFile(noFormat, "echo no first line\n", true);
    const auto entryFor = [&](const QString& name, const QString& program) {
        const QString path = work + QStringLiteral("/%1.desktop").arg(name);
        writeFile(path, QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %U\n").arg(name, program).toUtf8(), true);
        return path;
    };
    const QString notes = work + QStringLiteral("/notes.png");
    QImage(4, 4, QImage::Format_ARGB32).save(notes);
    ASSERT_EQ(Workspace::shared().urlForApplicationToOpen(QUrl::fromLocalFile(notes)), std::optional<QString>(noInterpreterEntry));

    struct Case {
        const char* what;
        std::function<void(Workspace::Completion)> start;
        QString reason;
    };
    const QList<Case> cases{
        {"a file whose handler's interpreter is missing",
         [&](Workspace::Completion c) { Workspace::shared().openURL(QUrl::fromLocalFile(notes), {}, std::move(c)); }, missing},
        {"that handler opened as an application",
         [&](Workspace::Completion c) { Workspace::shared().openURLs({}, noInterpreterEntry, {}, std::move(c)); }, missing},
        {"that handler's entry opened", [&](Workspace::Completion c) {
             Workspace::shared().openURL(QUrl::fromLocalFile(noInterpreterEntry), {}, std::move(c)); }, missing},
        {"an interpreter that may not be run", [&](Workspace::Completion c) {
             Workspace::shared().openURLs({QUrl::fromLocalFile(notes)}, entryFor(QStringLiteral("Denied"), deniedScript), {}, std::move(c)); }, denied},
        {"a program of no known format", [&](Workspace::Completion c) {
             Workspace::shared().openURLs({}, entryFor(QStringLiteral("NoFormat"), noFormat), {}, std::move(c)); }, unknownFormat},
        {"that program as the application itself",
         [&](Workspace::Completion c) { Workspace::shared().openURLs({}, noFormat, {}, std::move(c)); }, unknownFormat},
    };
    for (const Case& c : cases) {
        int calls = 0;
        std::optional<WorkspaceError> error;
        c.start([&](const std::optional<WorkspaceError>& e) { ++calls; error = e; });
        ASSERT_TRUE(vantel::test::waitUntil([&] { return calls > 0; })) << c.what;
        ASSERT_TRUE(error.has_value()) << c.what;
        EXPECT_EQ(error->domain, WorkspaceError::errorDomain) << c.what;
        EXPECT_EQ(error->code, WorkspaceError::programNotStarted) << c.what;
        EXPECT_EQ(error->reason, c.reason) << c.what;
        vantel::test::spinEventLoop(std::chrono::milliseconds(50));
        EXPECT_EQ(calls, 1) << c.what;
    }

    // The completion comes while the started program still runs.
    const QString pidFile = work + QStringLiteral("/waiting.pid");
    const QString waiting = work + QStringLiteral("/waiting.sh");
    writeFile(waiting, QStringLiteral("#!/bin/sh\necho $$ > %1.tmp\nmv %1.tmp %1\nexec sleep 600\n").arg(pidFile).toUtf8(), true);
    Outcome outcome;
    Workspace::shared().openURLs({}, entryFor(QStringLiteral("Waiting"), waiting), {}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called && QFileInfo::exists(pidFile); }));
    EXPECT_FALSE(outcome.error.has_value());
    const pid_t pid = pid_t(readLines(pidFile).value(0).toInt());
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, SIGKILL), 0) << "the program ended before its start was told";
}

TEST_F(WorkspaceTest, AnExecutableServesAsApplication)
{
    const QString browser = work + QStringLiteral("/browser.sh");
    const QString browserOutput = work + QStringLiteral("/browser-args");
    writeFile(browser, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > %1.tmp && mv %1.tmp %1\n").arg(browserOutput).toUtf8(), true);
    Outcome outcome;
    Workspace::shared().openURLs({QUrl::fromLocalFile(work)}, browser, OpenConfiguration{}, recordInto(outcome));
    ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
    EXPECT_FALSE(outcome.error.has_value());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(browserOutput); }));
    EXPECT_EQ(readLines(browserOutput), QStringList{work});
}

TEST_F(WorkspaceTest, IconOfAnApplicationComesFromItsEntry)
{
    const QString image = work + QStringLiteral("/icon.png");
    QImage pixels(16, 16, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    ASSERT_TRUE(pixels.save(image));
    const QString entry = work + QStringLiteral("/with-icon.desktop");
    writeFile(entry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Iconic\nExec=/bin/true\nIcon=%1\n").arg(image).toUtf8(),
              true);
    const QIcon icon = Workspace::shared().iconForFile(entry);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));

    // No icon theme in the test home: a plain file has no icon, and asking is harmless.
    EXPECT_NO_FATAL_FAILURE(Workspace::shared().iconForFile(textFile(QStringLiteral("plain.txt"))));
    EXPECT_TRUE(Workspace::shared().iconForFile(QString()).isNull());
}

// What a local program swaps in after the check, a FIFO (which would hold the
// launching thread, or the interface, for good) or a file past the bound, is
// never read: the checked entry is launched, GIO still knowing its file, and
// gives the icon.
TEST_F(WorkspaceTest, ADesktopFileSwappedAfterItsCheckIsUsedAsChecked)
{
    const QString program = work + QStringLiteral("/launched.sh");
    writeFile(program, "#!/bin/sh\nout=\"$1\"; shift\n{ printf '%s\\n' \"$@\" \"$GIO_LAUNCHED_DESKTOP_FILE\"\n"
                       "[ \"$GIO_LAUNCHED_DESKTOP_FILE_PID\" = $$ ] && echo own-pid; } > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n",
              true);
    const auto entryWith = [&](const QString& output, Qt::GlobalColor color) {
        const QString image = work + QStringLiteral("/%1.png").arg(int(color));
        QImage pixels(16, 16, QImage::Format_ARGB32);
        pixels.fill(color);
        pixels.save(image);
        return QStringLiteral("[Desktop Entry]\nType=Application\nName=Swapped\nExec=%1 %2 %F %k\nIcon=%3\n")
            .arg(program, output, image).toUtf8();
    };
    const QString entry = work + QStringLiteral("/swapped.desktop");
    const QString replacement = work + QStringLiteral("/replacement");
    const QString swappedOutput = work + QStringLiteral("/swapped-in-args");
    const QString note = textFile(QStringLiteral("swapped.txt"));
    for (const bool fifo : {true, false}) {
        for (const bool launch : {true, false}) {
            SCOPED_TRACE(std::string(fifo ? "FIFO" : "past the bound") + (launch ? ", launch" : ", icon"));
            QFile::remove(appOutput);
            QFile::remove(replacement);
            writeFile(entry, padded(entryWith(appOutput, Qt::red)), true);
            if (fifo)
                ASSERT_EQ(::mkfifo(QFile::encodeName(replacement).constData(), 0700), 0);
            else
                writeFile(replacement, padded(entryWith(swappedOutput, Qt::blue), true), true);
            Outcome outcome;
            QIcon icon;
            {
                SwapAfterCheck swap(entry, replacement);
                if (launch)
                    Workspace::shared().openURLs({QUrl::fromLocalFile(note)}, entry, {}, recordInto(outcome));
                else
                    icon = Workspace::shared().iconForFile(entry);
                EXPECT_TRUE(vantel::test::waitUntil([&] { return swap.swapped() && (outcome.called || !launch); }));
                EXPECT_FALSE(swap.readerWasStuck()) << "the path was opened again and waited on";
            }
            if (launch) {
                EXPECT_FALSE(outcome.error.has_value()) << outcome.error->localizedDescription.toStdString();
                EXPECT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(appOutput); }));
                EXPECT_EQ(readLines(appOutput).join(u' '),
                          QStringList({note, entry, entry, QStringLiteral("own-pid")}).join(u' '));
                EXPECT_FALSE(QFileInfo::exists(swappedOutput));
            } else {
                EXPECT_EQ(icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
            }
            QFile::remove(entry);
        }
    }
}

// Plays the window manager on a private X server: a window of a running
// fixture process is on the client list, and activation requests sent to
// the root window are recorded.
TEST_F(WorkspaceTest, AnApplicationThatShowsAWindowIsBroughtForwardNotStartedAgain)
{
    const vantel::test::PrivateXServer server;
    if (server.name().isEmpty())
        GTEST_SKIP() << "no Xvfb";
    const vantel::test::ScopedEnvironment display("DISPLAY", server.name());

    const QString program = work + QStringLiteral("/windowed.sh");
    const QString output = work + QStringLiteral("/windowed-args");
    writeFile(program, "#!/bin/sh\nout=\"$1\"; shift\n"
                       "if [ \"$1\" = --stay ]; then while :; do sleep 1; done; fi\n"
                       "{ printf 'startup=%s\\n' \"$DESKTOP_STARTUP_ID\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; }"
                       " > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n",
              true);
    const QString entry = work + QStringLiteral("/vantel-test-windowed.desktop");
    writeFile(entry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Windowed\nExec=%1 %2 %F\n")
                         .arg(program, output).toUtf8(),
              true);
    QProcess running;
    running.start(program, {work + QStringLiteral("/unused"), QStringLiteral("--stay")});
    ASSERT_TRUE(running.waitForStarted());
    xcb_connection_t* c = xcb_connect(server.name().constData(), nullptr);
    struct Cleanup {
        QProcess& process;
        xcb_connection_t* connection;
        ~Cleanup()
        {
            xcb_disconnect(connection);
            process.kill();
            process.waitForFinished();
        }
    } cleanup{running, c};
    ASSERT_FALSE(xcb_connection_has_error(c));
    auto atom = [c](const char* name) {
        auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &redirect);
    const xcb_window_t client = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, client, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 28,
                        "vantelfixture\0VantelFixture");
    const uint32_t pid = uint32_t(running.processId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, client, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, clientList, XCB_ATOM_WINDOW, 32, 1, &client);
    const xcb_atom_t activeWindow = atom("_NET_ACTIVE_WINDOW");
    xcb_flush(c);

    struct Activation {
        xcb_window_t window;
        uint32_t source;
        uint32_t time;
    };
    QList<Activation> activations;
    auto collect = [&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == activeWindow)
                    activations.append({message->window, message->data.data32[0], message->data.data32[1]});
            }
            std::free(event);
        }
    };
    auto open = [&](const std::function<void(Workspace::Completion)>& start) {
        Outcome outcome;
        start(recordInto(outcome));
        EXPECT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
        EXPECT_FALSE(outcome.error.has_value());
        vantel::test::spinEventLoop(std::chrono::milliseconds(300));
        collect();
    };

    open([&](Workspace::Completion done) { Workspace::shared().openURL(QUrl::fromLocalFile(entry), {}, std::move(done)); });
    ASSERT_EQ(activations.size(), 1);
    EXPECT_EQ(activations[0].window, client);
    EXPECT_EQ(activations[0].source, 2u) << "a request on the user's behalf";
    EXPECT_NE(activations[0].time, 0u) << "a real timestamp, which focus-stealing prevention accepts";
    EXPECT_FALSE(QFileInfo::exists(output)) << "no second copy";

    // Documents still reach the application, through a launch.
    const QString document = textFile(QStringLiteral("handed-over.txt"));
    open([&](Workspace::Completion done) {
        Workspace::shared().openURLs({QUrl::fromLocalFile(document)}, entry, {}, std::move(done));
    });
    EXPECT_EQ(activations.size(), 2);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(output); }));
    EXPECT_EQ(readLines(output).value(1), document);
    QFile::remove(output);

    // No window: a launch whose startup id carries the server's time.
    xcb_delete_property(c, root, clientList);
    xcb_flush(c);
    open([&](Workspace::Completion done) { Workspace::shared().openURL(QUrl::fromLocalFile(entry), {}, std::move(done)); });
    EXPECT_EQ(activations.size(), 2);
    ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(output); }));
    const QString startup = readLines(output).value(0);
    EXPECT_TRUE(startup.startsWith(QStringLiteral("startup=vantel-"))) << startup.toStdString();
    EXPECT_TRUE(startup.contains(QStringLiteral("_TIME"))) << startup.toStdString();
}

// A file manager on a private bus that notes what it was asked.
class FakeFileManager final : public QDBusVirtualObject {
public:
    QList<QPair<QString, QStringList>> calls;
    QVariantList answer; // nothing, as the interface says
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        calls.append({message.member(), message.arguments().value(0).toStringList()});
        connection.send(message.createReply(answer));
        return true;
    }
};

// A running application that offers D-Bus activation, noting what it was asked.
class FakeApplication final : public QDBusVirtualObject {
public:
    QList<QVariantMap> activations;
    QList<QStringList> opened;
    QVariantList answer; // nothing, as the interface says
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.Application"))
            return false;
        if (message.member() == QLatin1String("Open"))
            opened.append(message.arguments().value(0).toStringList());
        else if (message.member() == QLatin1String("Activate"))
            activations.append(qdbus_cast<QVariantMap>(message.arguments().value(0)));
        else
            return false;
        connection.send(message.createReply(answer));
        return true;
    }
};

TEST_F(WorkspaceTest, ARunningDBusActivatableApplicationIsActivatedNotStarted)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is not installed (make deps)";
    QProcess busProcess;
    busProcess.start(daemon, vantel::test::PrivateBus::daemonArguments());
    ASSERT_TRUE(busProcess.waitForStarted());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return busProcess.canReadLine(); }));
    const QString address = QString::fromUtf8(busProcess.readLine()).trimmed();
    const QString output = work + QStringLiteral("/quill-args");
    const QString entry = applications + QStringLiteral("/org.vantel.TestQuill.desktop");
    writeFile(entry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Quill\nDBusActivatable=true\n"
                                    "Exec=%1 %2\n")
                         .arg(work + QStringLiteral("/record.sh"), output)
                         .toUtf8());
    {
        QDBusConnection client = QDBusConnection::connectToBus(address, QStringLiteral("vantel-activation-client"));
        QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("vantel-quill"));
        FakeApplication quill;
        ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/vantel/TestQuill"), &quill));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.vantel.TestQuill")));
        Workspace::shared().setApplicationBus(client);
        // The token a hotkey press brought serves this one activation.
        qputenv("XDG_ACTIVATION_TOKEN", "token-of-the-press");

        Outcome outcome;
        Workspace::shared().openURL(QUrl::fromLocalFile(entry), OpenConfiguration{}, recordInto(outcome));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
        EXPECT_FALSE(outcome.error.has_value());
        ASSERT_TRUE(vantel::test::waitUntil([&] { return quill.activations.size() == 1; }));
        EXPECT_EQ(quill.activations[0].value(QStringLiteral("activation-token")).toString(),
                  QStringLiteral("token-of-the-press"));
        EXPECT_TRUE(qEnvironmentVariable("XDG_ACTIVATION_TOKEN").isEmpty());
        // Documents go to it over the bus too, which starts it when it does not run.
        const QString note = textFile(QStringLiteral("for-quill.txt"));
        Workspace::shared().openURLs({QUrl::fromLocalFile(note)}, entry, OpenConfiguration{}, {});
        ASSERT_TRUE(vantel::test::waitUntil([&] { return quill.opened.size() == 1; }));
        EXPECT_EQ(quill.opened[0], QStringList{QUrl::fromLocalFile(note).toString(QUrl::FullyEncoded)});
        vantel::test::spinEventLoop(std::chrono::milliseconds(300));
        EXPECT_FALSE(QFileInfo::exists(output)) << "started again although it runs";
        service.unregisterObject(QStringLiteral("/org/vantel/TestQuill"));
        Workspace::shared().setApplicationBus(QDBusConnection(QStringLiteral("vantel-no-bus")));
    }
    QFile::remove(entry);
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-activation-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-quill"));
    busProcess.kill();
    busProcess.waitForFinished();
}

TEST_F(WorkspaceTest, RevealAsksTheFileManagerAndElseOpensTheFolder)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess busProcess;
    busProcess.start(daemon, vantel::test::PrivateBus::daemonArguments());
    ASSERT_TRUE(busProcess.waitForStarted());
    ASSERT_TRUE(vantel::test::waitUntil([&] { return busProcess.canReadLine(); }));
    const QString address = QString::fromUtf8(busProcess.readLine()).trimmed();
    const QString note = textFile(QStringLiteral("shown file.txt"));
    {
        QDBusConnection client = QDBusConnection::connectToBus(address, QStringLiteral("vantel-reveal-client"));
        ASSERT_TRUE(client.isConnected());
        Workspace::shared().setFileManagerBus(client);

        // Nobody owns the FileManager1 name yet: the folder is opened instead.
        Workspace::shared().revealInFileViewer({note});
        ASSERT_TRUE(vantel::test::waitUntil([&] { return QFileInfo::exists(viewerOutput); }));
        const QStringList opened = readLines(viewerOutput);
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.first().startsWith(QStringLiteral("file:")) ? QUrl(opened.first()).toLocalFile() : opened.first(), work);

        QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("vantel-file-manager"));
        FakeFileManager fileManager;
        ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        QFile::remove(viewerOutput);
        Workspace::shared().revealInFileViewer({note});
        Workspace::shared().showFolderInFileViewer(work);
        ASSERT_TRUE(vantel::test::waitUntil([&] { return fileManager.calls.size() == 2; }));
        EXPECT_EQ(fileManager.calls[0].first, QStringLiteral("ShowItems"));
        EXPECT_EQ(fileManager.calls[0].second, QStringList{QUrl::fromLocalFile(note).toString(QUrl::FullyEncoded)});
        EXPECT_EQ(fileManager.calls[1].first, QStringLiteral("ShowFolders"));
        EXPECT_EQ(fileManager.calls[1].second, QStringList{QUrl::fromLocalFile(work).toString(QUrl::FullyEncoded)});
        vantel::test::spinEventLoop(std::chrono::milliseconds(100));
        EXPECT_FALSE(QFileInfo::exists(viewerOutput));
        service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        Workspace::shared().setFileManagerBus(QDBusConnection(QStringLiteral("vantel-no-bus")));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-reveal-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("vantel-file-manager"));
    busProcess.kill();
    busProcess.waitForFinished();
}

// Any process may own an application's or the file manager's name: an answer
// of another type is no answer, said once in the log. The application is
// started as one that is not running (through the bus once more), the folder
// opened instead, and a proper answer still counts.
TEST_F(WorkspaceTest, AnswersOfAnotherTypeFromAnApplicationOrTheFileManagerAreRefused)
{
    vantel::test::PrivateBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    QDBusConnection service = bus.connect(QStringLiteral("vantel-peer"));
    const QDBusConnection client = bus.connect(QStringLiteral("vantel-peer-client"));
    FakeApplication quill;
    FakeFileManager fileManager;
    ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/vantel/TestQuill"), &quill));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.vantel.TestQuill")));
    ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    Workspace::shared().setApplicationBus(client);
    Workspace::shared().setFileManagerBus(client);
    const auto restore = qScopeGuard([&] {
        service.unregisterObject(QStringLiteral("/org/vantel/TestQuill"));
        service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        Workspace::shared().setApplicationBus(QDBusConnection(QStringLiteral("vantel-no-bus")));
        Workspace::shared().setFileManagerBus(QDBusConnection(QStringLiteral("vantel-no-bus")));
    });
    const QString output = work + QStringLiteral("/quill-args");
    const QString entry = applications + QStringLiteral("/org.vantel.TestQuill.desktop");
    writeFile(entry, QStringLiteral("[Desktop Entry]\nType=Application\nName=Quill\nDBusActivatable=true\nExec=%1 %2\n")
                         .arg(work + QStringLiteral("/record.sh"), output)
                         .toUtf8());
    const auto removed = qScopeGuard([&] { QFile::remove(entry); });
    vantel::platform::Log::CaptureSink log;
    vantel::platform::Log::setDebugLogging(true);
    const auto ignored = [&](const char* what) {
        return log.messages().filter(QStringLiteral("ignored (said once)")).filter(QLatin1String(what)).size();
    };
    // Started, or shown by the file manager, exactly when the answer is of the wrong type.
    for (const QVariantList& answer : {QVariantList{QStringLiteral("done")}, QVariantList{true}, QVariantList{}}) {
        const bool wrong = !answer.isEmpty();
        quill.answer = fileManager.answer = answer;
        QFile::remove(viewerOutput);
        const qsizetype asked = quill.activations.size() + (wrong ? 2 : 1);
        Outcome outcome;
        Workspace::shared().openURL(QUrl::fromLocalFile(entry), OpenConfiguration{}, recordInto(outcome));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return outcome.called; }));
        EXPECT_FALSE(outcome.error.has_value());
        vantel::test::waitUntil([&] { return quill.activations.size() > asked; }, std::chrono::milliseconds(300));
        EXPECT_EQ(quill.activations.size(), asked);
        EXPECT_FALSE(QFileInfo::exists(output));
        Outcome shown;
        Workspace::shared().showFolderInFileViewer(work, recordInto(shown));
        ASSERT_TRUE(vantel::test::waitUntil([&] { return shown.called; }));
        EXPECT_EQ(vantel::test::waitUntil([&] { return QFileInfo::exists(viewerOutput); }, std::chrono::milliseconds(wrong ? 5000 : 500)),
                  wrong);
    }
    vantel::platform::Log::setDebugLogging(false);
    EXPECT_EQ(quill.activations.size(), 5);
    EXPECT_EQ(fileManager.calls.size(), 3);
    EXPECT_EQ(ignored("answer to Activate"), 1) << log.messages().join(u'\n').toStdString();
    EXPECT_EQ(ignored("file manager's answer"), 1) << log.messages().join(u'\n').toStdString();
}

} // namespace
