#include "AccessTestSupport.h"

#include "access/OpenObject.h"
#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "access/SecurityScopedURLManager.h"
#include "platform/Bookmark.h"
#include "platform/ScopedEnvironment.h"
#include "platform/Workspace.h"
#include "config/Configuration.h"
#include "model/LocalizedStrings.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

using namespace vantel;

namespace {

const QString kHandlerId = QStringLiteral("vantel-test-handler.desktop");
const QString kTerminalHandlerId = QStringLiteral("vantel-test-terminal.desktop");
const QByteArray kTerminalEntry = "[Desktop Entry]\nType=Application\nName=Needs Terminal\nExec=/bin/true %F\n"
                                  "Terminal=true\nMimeType=application/octet-stream;\n";

QString fixture(const QString& name)
{
    return QStringLiteral(VANTEL_FIXTURES_DIR "/access/") + name;
}

// The content type the system gives a file, asked the way the workspace asks.
QString contentTypeOf(const QString& path)
{
    GFile* file = g_file_new_for_path(QFile::encodeName(path).constData());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr,
                                        nullptr);
    QString type;
    if (info && g_file_info_get_content_type(info))
        type = QString::fromUtf8(g_file_info_get_content_type(info));
    if (info)
        g_object_unref(info);
    g_object_unref(file);
    return type;
}

// A desktop entry that records its arguments into `output`.
bool writeRecorder(const QString& desktopPath, const QString& output, const QString& mimeType)
{
    QByteArray text = test::readFile(fixture(QStringLiteral("recorder.desktop.in")));
    text.replace("@SCRIPT@", QFile::encodeName(fixture(QStringLiteral("record-arguments.sh"))));
    text.replace("@OUTPUT@", QFile::encodeName(output));
    text.replace("@MIMETYPE@", mimeType.toUtf8());
    // Executable by its owner, as an installed entry may be: it launches.
    return test::writeFile(desktopPath, text)
        && QFile::setPermissions(desktopPath, QFile::permissions(desktopPath) | QFileDevice::ExeOwner);
}

QStringList recordedLines(const QString& output)
{
    return QString::fromUtf8(test::readFile(output)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class OpenObjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        home = test::makeTempDir(QStringLiteral("open-object"));
        document = home + QStringLiteral("/report.vanteldoc");
        ASSERT_TRUE(test::writeFile(document, "a document for the test handler\n"));
        // The default handler of the document's type, registered in the
        // test's own XDG folders before anything asks for applications.
        handlerOutput = home + QStringLiteral("/handler.out");
        const QString type = contentTypeOf(document);
        ASSERT_FALSE(type.isEmpty());
        ASSERT_TRUE(writeRecorder(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/") + kHandlerId,
                                  handlerOutput, type));
        // Binary files go to a handler that needs a terminal, and there is none.
        ASSERT_TRUE(test::writeFile(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/")
                                        + kTerminalHandlerId, kTerminalEntry));
        ASSERT_TRUE(test::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
                                    "[Default Applications]\n" + type.toUtf8() + "=" + kHandlerId.toUtf8()
                                        + "\napplication/octet-stream=" + kTerminalHandlerId.toUtf8() + "\n"));
    }

    void SetUp() override
    {
        folder = test::makeTempDir(QStringLiteral("open"));
        QFile::remove(handlerOutput);
        // A grant that covers the folder, so that every open holds a scope.
        auto store = SandboxFileAccess::shared().persistanceBookmarkStorage();
        store->setBookmark(platform::Bookmark::createBookmarkForPath(folder).value(), QUrl::fromLocalFile(folder));
    }

    void TearDown() override { Configuration::shared().setAlternateFolderBrowser(QString()); }

    // Opens and waits for the completion; the scopes are all closed afterwards.
    std::optional<bool> runToCompletion(const std::function<void(OpenObject::Completion)>& start)
    {
        std::optional<bool> result;
        start([&](bool opened) { result = opened; });
        test::waitUntil([&] { return result.has_value(); });
        return result;
    }

    static inline QString home;
    static inline QString document;
    static inline QString handlerOutput;
    test::ScriptedDialogs dialogs;
    QString folder;
};

TEST_F(OpenObjectTest, AnApplicationEntryRunsWithBothHandedOverFiles)
{
    const QString output = folder + QStringLiteral("/app.out");
    const QString application = folder + QStringLiteral("/recorder.desktop");
    ASSERT_TRUE(writeRecorder(application, output, QStringLiteral("application/x-vantel-none")));
    const QString first = folder + QStringLiteral("/first file.txt");
    const QString second = folder + QStringLiteral("/second.txt");
    ASSERT_TRUE(test::writeFile(first, "1"));
    ASSERT_TRUE(test::writeFile(second, "2"));

    const auto result = runToCompletion([&](OpenObject::Completion done) {
        EXPECT_TRUE(OpenObject::shared().openPath(application, QVariantList{first, second}, std::move(done)));
    });
    ASSERT_EQ(result, std::optional<bool>(true));
    ASSERT_TRUE(test::waitUntil([&] { return recordedLines(output).size() == 2; }));
    EXPECT_EQ(recordedLines(output), (QStringList{first, second}));
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

TEST_F(OpenObjectTest, AFileOpensInItsDefaultHandler)
{
    const QString copy = folder + QStringLiteral("/copy.vanteldoc");
    ASSERT_TRUE(QFile::copy(document, copy));
    const auto result = runToCompletion(
        [&](OpenObject::Completion done) { OpenObject::shared().openPath(copy, std::nullopt, std::move(done)); });
    ASSERT_EQ(result, std::optional<bool>(true));
    ASSERT_TRUE(test::waitUntil([&] { return !recordedLines(handlerOutput).isEmpty(); }));
    EXPECT_EQ(recordedLines(handlerOutput), QStringList{copy});
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

TEST_F(OpenObjectTest, AFailedLaunchReachesTheCompletionAndEndsItsScope)
{
    const QString broken = folder + QStringLiteral("/broken.desktop");
    ASSERT_TRUE(test::writeFile(broken, "[Desktop Entry]\nType=Application\nName=Broken\nExec=/nonexistent/program %F\n"));
    ASSERT_TRUE(QFile::setPermissions(broken, QFile::permissions(broken) | QFileDevice::ExeOwner));
    const auto result = runToCompletion(
        [&](OpenObject::Completion done) { OpenObject::shared().openPath(broken, std::nullopt, std::move(done)); });
    EXPECT_EQ(result, std::optional<bool>(false));
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText, QStringLiteral("\"Broken\" could not be opened."));
    EXPECT_EQ(dialogs.alerts->alerts().first().informativeText,
              QStringLiteral("Its desktop entry can't be read, or its program is missing."));

    // Unreachable paths fail before anything is begun.
    const auto missing = runToCompletion([&](OpenObject::Completion done) {
        EXPECT_FALSE(OpenObject::shared().openPath(folder + QStringLiteral("/missing"), std::nullopt, std::move(done)));
    });
    EXPECT_EQ(missing, std::optional<bool>(false));
    EXPECT_FALSE(OpenObject::shared().openPath(QString(), std::nullopt));
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

// An entry whose file or folder was removed says so, once, by the entry's
// name (the file's when none is given); one whose folder is gone too is out
// of reach. A link is judged by where it points, not by where it lies.
TEST_F(OpenObjectTest, AFileOrFolderThatIsGoneIsToldInAnAlert)
{
    const QString file = folder + QStringLiteral("/gone.txt");
    const QString inner = folder + QStringLiteral("/Gone folder");
    ASSERT_TRUE(test::writeFile(file, "x") && QDir().mkpath(inner));
    ASSERT_TRUE(QFile::remove(file) && QDir().rmdir(inner));
    const QString intoMissingFolder = folder + QStringLiteral("/Drive report");
    const QString toMissingFile = folder + QStringLiteral("/Notes link");
    ASSERT_TRUE(QFile::link(inner + QStringLiteral("/report.txt"), intoMissingFolder));
    ASSERT_TRUE(QFile::link(QStringLiteral("gone.txt"), toMissingFile));
    const QString found = QStringLiteral("Its file or folder can't be found. It may have been moved, renamed or deleted.");
    const QString reached = QStringLiteral("Its file or folder can't be reached. The folder or drive it is on is "
                                           "missing, not connected or closed to your account.");
    const std::tuple<QString, QString, QString> cases[] = {
        {file, QStringLiteral("Ledger notes"), found},
        {inner, QString(), found},
        {inner + QStringLiteral("/inside.txt"), QStringLiteral("Inside"), reached},
        {intoMissingFolder, QStringLiteral("Report on the drive"), reached},
        {toMissingFile, QStringLiteral("Notes"), found}};
    for (const auto& [path, entryName, reason] : cases) {
        const qsizetype before = dialogs.alerts->alerts().size();
        const auto result = runToCompletion([&](OpenObject::Completion done) {
            EXPECT_FALSE(OpenObject::shared().openPath(path, std::nullopt, std::move(done), entryName));
        });
        EXPECT_EQ(result, std::optional<bool>(false));
        ASSERT_EQ(dialogs.alerts->alerts().size(), before + 1) << path.toStdString();
        EXPECT_EQ(dialogs.alerts->alerts().last().messageText,
                  QStringLiteral("\"%1\" could not be opened.")
                      .arg(entryName.isEmpty() ? QFileInfo(path).fileName() : entryName));
        EXPECT_EQ(dialogs.alerts->alerts().last().informativeText, reason) << path.toStdString();
    }
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

// GIO's answer is the reason the alert gives, for a file whose handler
// fails, for that application itself and for a folder nothing shows.
TEST_F(OpenObjectTest, ALaunchTheSystemRefusesShowsItsReason)
{
    const test::ScopedEnvironment noTerminal("PATH", "/nonexistent/vantel-bin");
    platform::Workspace::shared().setFileManagerBus(QDBusConnection(QStringLiteral("vantel-no-bus")));
    const QString binary = folder + QStringLiteral("/samples.bin");
    ASSERT_TRUE(test::writeFile(binary, QByteArray("\x00\x01\x02\xff\xfe", 5)));
    ASSERT_EQ(contentTypeOf(binary), QStringLiteral("application/octet-stream"));
    const QString application = folder + QStringLiteral("/terminal.desktop");
    ASSERT_TRUE(test::writeFile(application, kTerminalEntry));
    ASSERT_TRUE(QFile::setPermissions(application, QFile::permissions(application) | QFileDevice::ExeOwner));
    const QString empty = folder + QStringLiteral("/Empty folder");
    ASSERT_TRUE(QDir().mkpath(empty));

    const std::pair<QString, QString> cases[] = {{binary, QStringLiteral("samples.bin")},
                                                 {application, QStringLiteral("Needs Terminal")},
                                                 {empty, QStringLiteral("Empty folder")}};
    for (const auto& [path, name] : cases) {
        const auto result = runToCompletion(
            [&](OpenObject::Completion done) { OpenObject::shared().openPath(path, std::nullopt, std::move(done)); });
        EXPECT_EQ(result, std::optional<bool>(false)) << name.toStdString();
        ASSERT_FALSE(dialogs.alerts->alerts().isEmpty()) << name.toStdString();
        EXPECT_EQ(dialogs.alerts->alerts().last().messageText, QStringLiteral("\"%1\" could not be opened.").arg(name));
    }
    ASSERT_EQ(dialogs.alerts->alerts().size(), 3);
    EXPECT_EQ(dialogs.alerts->alerts().at(0).informativeText,
              QStringLiteral("It runs in a terminal, and no terminal was found."));
    EXPECT_EQ(dialogs.alerts->alerts().at(1).informativeText, dialogs.alerts->alerts().at(0).informativeText);
    EXPECT_EQ(dialogs.alerts->alerts().at(2).informativeText, QStringLiteral("No application is set to open it."));
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

// A URL, or a template once its question is answered, that nothing opens is
// told as a file is, by its address; so is a file URL whose file is gone.
TEST_F(OpenObjectTest, AURLOrTemplateThatNothingOpensIsToldInAnAlert)
{
    ASSERT_FALSE(platform::Workspace::shared().urlForApplicationToOpen(QUrl(QStringLiteral("https://example.org/"))));
    const QString gone = folder + QStringLiteral("/gone.vanteldoc");
    const QString noHandler = QStringLiteral("No application is set to open it.");
    const std::tuple<QString, QString, QString> cases[] = {
        {QStringLiteral("https://example.org/page"), QStringLiteral("https://example.org/page"), noHandler},
        {QStringLiteral("https://example.org/?q=%%userInput:Q%%"), QStringLiteral("https://example.org/?q=two words"),
         noHandler},
        {QUrl::fromLocalFile(gone).toString(QUrl::FullyEncoded), QStringLiteral("gone.vanteldoc"),
         QStringLiteral("Its file or folder can't be found. It may have been moved, renamed or deleted.")}};
    dialogs.input->queueAnswer(QStringLiteral("two words"));
    for (const auto& [text, name, reason] : cases) {
        const qsizetype before = dialogs.alerts->alerts().size();
        const auto result = runToCompletion([&](OpenObject::Completion done) {
            OpenObject::shared().openURLString(text, std::nullopt, std::move(done));
        });
        EXPECT_EQ(result, std::optional<bool>(false)) << text.toStdString();
        ASSERT_EQ(dialogs.alerts->alerts().size(), before + 1) << text.toStdString();
        EXPECT_EQ(dialogs.alerts->alerts().last().messageText, QStringLiteral("\"%1\" could not be opened.").arg(name));
        EXPECT_EQ(dialogs.alerts->alerts().last().informativeText, reason) << text.toStdString();
    }
    EXPECT_EQ(dialogs.input->requests.size(), 1);
}

TEST_F(OpenObjectTest, DocumentsThatAreNotAllTextOpenTheApplicationAlone)
{
    const QString output = folder + QStringLiteral("/alone.out");
    const QString application = folder + QStringLiteral("/alone.desktop");
    ASSERT_TRUE(writeRecorder(application, output, QStringLiteral("application/x-vantel-none")));
    const auto result = runToCompletion([&](OpenObject::Completion done) {
        OpenObject::shared().open(QUrl::fromLocalFile(application), QVariantList{document, 7}, std::move(done));
    });
    ASSERT_EQ(result, std::optional<bool>(true));
    test::spinEventLoop(std::chrono::milliseconds(300));
    EXPECT_TRUE(recordedLines(output).isEmpty());
}

TEST_F(OpenObjectTest, AFolderGoesToTheConfiguredBrowser)
{
    const QString browser = folder + QStringLiteral("/browser.sh");
    const QString output = folder + QStringLiteral("/browser.out");
    ASSERT_TRUE(test::writeFile(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + QFile::encodeName(output) + "'\n"));
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Configuration::shared().setAlternateFolderBrowser(browser);
    const QString target = folder + QStringLiteral("/target");
    QDir().mkpath(target);

    const auto result = runToCompletion(
        [&](OpenObject::Completion done) { EXPECT_TRUE(OpenObject::shared().openPath(target, std::nullopt, std::move(done))); });
    ASSERT_EQ(result, std::optional<bool>(true));
    ASSERT_TRUE(test::waitUntil([&] { return !recordedLines(output).isEmpty(); }));
    EXPECT_EQ(recordedLines(output), QStringList{target});
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

TEST_F(OpenObjectTest, URLStringsAlertOnlyForBadURLsAndOpenFileURLsThroughTheAccessCheck)
{
    auto run = [&](const QString& text) {
        return runToCompletion(
            [&](OpenObject::Completion done) { OpenObject::shared().openURLString(text, std::nullopt, std::move(done)); });
    };
    EXPECT_EQ(run(QString()), std::optional<bool>(false));
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());

    // Cancelling the question opens nothing and says nothing.
    EXPECT_EQ(run(QStringLiteral("https://e.org/?q=%%userInput:Q%%")), std::optional<bool>(false));
    EXPECT_TRUE(dialogs.alerts->alerts().isEmpty());

    EXPECT_EQ(run(QStringLiteral("no scheme")), std::optional<bool>(false));
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText, QStringLiteral("URL error - Is the URL correct?"));
    EXPECT_EQ(dialogs.alerts->alerts().first().informativeText, QStringLiteral("no scheme"));

    const QString copy = folder + QStringLiteral("/template.vanteldoc");
    ASSERT_TRUE(QFile::copy(document, copy));
    EXPECT_EQ(run(QUrl::fromLocalFile(copy).toString(QUrl::FullyEncoded)), std::optional<bool>(true));
    ASSERT_TRUE(test::waitUntil([&] { return !recordedLines(handlerOutput).isEmpty(); }));
    EXPECT_EQ(recordedLines(handlerOutput), QStringList{copy});
    EXPECT_EQ(SecurityScopedURLManager::shared().scopeCount(), 0);
}

TEST_F(OpenObjectTest, AFileTemplateRefusesValuesThatLeaveItsFolder)
{
    const QString inside = folder + QStringLiteral("/inside");
    QDir().mkpath(inside);
    ASSERT_TRUE(QFile::copy(document, folder + QStringLiteral("/outside.vanteldoc")));
    ASSERT_TRUE(QFile::copy(document, inside + QStringLiteral("/named+1.vanteldoc")));
    const QString urlTemplate =
        QUrl::fromLocalFile(inside).toString(QUrl::FullyEncoded) + QStringLiteral("/%%userInput:Name%%");
    auto run = [&](const QString& answer) {
        dialogs.input->queueAnswer(answer);
        return runToCompletion([&](OpenObject::Completion done) {
            OpenObject::shared().openURLString(urlTemplate, std::nullopt, std::move(done));
        });
    };
    // An encoded "/" becomes a real one again on the way to the path.
    for (const QString& answer : {QStringLiteral("../outside.vanteldoc"), QStringLiteral("..")}) {
        EXPECT_EQ(run(answer), std::optional<bool>(false)) << answer.toStdString();
        ASSERT_FALSE(dialogs.alerts->alerts().isEmpty());
        EXPECT_EQ(dialogs.alerts->alerts().last().messageText, QStringLiteral("URL error - Is the URL correct?"));
    }
    EXPECT_EQ(dialogs.alerts->alerts().size(), 2);
    test::spinEventLoop(std::chrono::milliseconds(200));
    EXPECT_TRUE(recordedLines(handlerOutput).isEmpty());

    EXPECT_EQ(run(QStringLiteral("named+1.vanteldoc")), std::optional<bool>(true));
    ASSERT_TRUE(test::waitUntil([&] { return !recordedLines(handlerOutput).isEmpty(); }));
    EXPECT_EQ(recordedLines(handlerOutput), QStringList{inside + QStringLiteral("/named+1.vanteldoc")});
}

// Run only under a German locale, for which the C library has no texts: the
// reason is Vantel's own German, not GIO's English words.
class GermanOpenObjectTest : public OpenObjectTest {};

TEST_F(GermanOpenObjectTest, ALaunchWithoutItsTerminalSaysWhyInGerman)
{
    ASSERT_EQ(LocalizedStrings::main().language(), QStringLiteral("de"));
    const test::ScopedEnvironment noTerminal("PATH", "/nonexistent/vantel-bin");
    const QString application = folder + QStringLiteral("/terminal.desktop");
    ASSERT_TRUE(test::writeFile(application, kTerminalEntry));
    ASSERT_TRUE(QFile::setPermissions(application, QFile::permissions(application) | QFileDevice::ExeOwner));
    const auto result = runToCompletion([&](OpenObject::Completion done) {
        OpenObject::shared().openPath(application, std::nullopt, std::move(done));
    });
    EXPECT_EQ(result, std::optional<bool>(false));
    ASSERT_EQ(dialogs.alerts->alerts().size(), 1);
    EXPECT_EQ(dialogs.alerts->alerts().first().messageText,
              QStringLiteral("„Needs Terminal“ konnte nicht geöffnet werden."));
    EXPECT_EQ(dialogs.alerts->alerts().first().informativeText,
              QStringLiteral("Es läuft in einem Terminal, und es wurde kein Terminal gefunden."));
}

} // namespace
