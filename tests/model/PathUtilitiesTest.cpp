#include "model/CharacterSet.h"
#include "model/PathUtilities.h"

#include "support/TestSupport.h"
#include "model/FileObjectKind.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace vantel;
using vantel::test::makeTempDir;

namespace {

QString writeScript(const QString& dir, const QString& name, const QByteArray& body)
{
    QFile file(dir + QLatin1Char('/') + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    return file.fileName();
}

} // namespace

TEST(PathUtilities, HasURLScheme)
{
    EXPECT_TRUE(hasURLScheme(QStringLiteral("https://example.org")));
    EXPECT_TRUE(hasURLScheme(QStringLiteral("MAILTO:someone")));
    EXPECT_TRUE(hasURLScheme(QStringLiteral("x:")));
    EXPECT_FALSE(hasURLScheme(QStringLiteral("example.org")));
    EXPECT_FALSE(hasURLScheme(QString()));
    EXPECT_FALSE(hasURLScheme(QStringLiteral("line\nhttp://x")));
    EXPECT_FALSE(hasURLScheme(QStringLiteral("http://x\r")));
    EXPECT_FALSE(hasURLScheme(QStringLiteral("http://x") + QChar(0x2028)));
}

TEST(PathUtilities, TrimmingWhitespaceKeepsLineBreaks)
{
    EXPECT_EQ(trimmingWhitespace(QStringLiteral(" \t https://a.org \u00a0")), QStringLiteral("https://a.org"));
    EXPECT_EQ(trimmingWhitespace(QStringLiteral("\nmiddle text\n")), QStringLiteral("\nmiddle text\n"));
    EXPECT_EQ(trimmingWhitespace(QStringLiteral(" \t ")), QString());
}

TEST(PathUtilities, ReachableAndExecutablePaths)
{
    const QString dir = makeTempDir(QStringLiteral("paths"));
    const QString script = writeScript(dir, QStringLiteral("tool"), "exit 0\n");
    QFile plain(dir + QStringLiteral("/plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(isReachablePath(QString()));
    EXPECT_TRUE(isReachablePath(dir));
    EXPECT_FALSE(isReachablePath(dir + QStringLiteral("/missing")));
    EXPECT_TRUE(isExecutablePath(script));
    EXPECT_FALSE(isExecutablePath(plain.fileName()));
    EXPECT_FALSE(isExecutablePath(dir + QStringLiteral("/missing")));
    EXPECT_TRUE(isExecutablePath(dir));  // a searchable folder, as the file system says
}

TEST(PathUtilities, RunExecutableSplitsOutputAndErrorIntoLines)
{
    const QString dir = makeTempDir(QStringLiteral("run"));
    const auto twoLines = runExecutable(writeScript(dir, QStringLiteral("two"), "printf 'a\\nb\\n'; printf 'e1\\n' >&2; exit 3\n"), {});
    EXPECT_EQ(twoLines.outputLines, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(twoLines.errorLines, QStringList{QStringLiteral("e1")});
    EXPECT_EQ(twoLines.exitStatus, 3);

    const auto silent = runExecutable(writeScript(dir, QStringLiteral("silent"), "exit 0\n"), {});
    EXPECT_EQ(silent.outputLines, QStringList{QString()});
    EXPECT_EQ(silent.exitStatus, 0);

    const auto arguments = runExecutable(writeScript(dir, QStringLiteral("args"), "printf '%s\\n' \"$@\"\n"),
                                         {QStringLiteral("x y"), QStringLiteral("z")});
    EXPECT_EQ(arguments.outputLines, (QStringList{QStringLiteral("x y"), QStringLiteral("z")}));

    const auto badUtf8 = runExecutable(writeScript(dir, QStringLiteral("bad"), "printf '\\377\\376'\n"), {});
    EXPECT_TRUE(badUtf8.outputLines.isEmpty());

    platform::Log::setDebugLogging(true);
    platform::Log::CaptureSink sink;
    const auto missing = runExecutable(dir + QStringLiteral("/missing"), {});
    platform::Log::setDebugLogging(false);
    EXPECT_EQ(missing.exitStatus, -1);
    EXPECT_TRUE(missing.outputLines.isEmpty());
    EXPECT_TRUE(missing.errorLines.isEmpty());
    EXPECT_TRUE(sink.records().isEmpty());
}

TEST(PathUtilities, LargeOutputOnBothPipesDoesNotBlock)
{
    const QString dir = makeTempDir(QStringLiteral("large"));
    const auto result = runExecutable(
        writeScript(dir, QStringLiteral("large"), "i=0; while [ $i -lt 20000 ]; do echo out$i; echo err$i >&2; i=$((i+1)); done\n"), {});
    EXPECT_EQ(result.outputLines.size(), 20000);
    EXPECT_EQ(result.errorLines.size(), 20000);
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(PathUtilities, URLComponentEncoding)
{
    const CharacterSet allowed = urlComponentAllowed();
    EXPECT_EQ(addingPercentEncoding(QStringLiteral("a b&?/#@;"), allowed), QStringLiteral("a%20b%26%3F%2F%23%40%3B"));
    EXPECT_EQ(addingPercentEncoding(QStringLiteral("AZaz09-._~:=+!$'()*,"), allowed), QStringLiteral("AZaz09-._~:=+!$'()*,"));
    EXPECT_EQ(addingPercentEncoding(QStringLiteral("Ä%€"), allowed), QStringLiteral("%C3%84%25%E2%82%AC"));
    EXPECT_EQ(addingPercentEncoding(QString(QChar(0xD83D)), allowed), std::nullopt);
    EXPECT_TRUE(urlQueryDisallowed().contains(U' '));
    EXPECT_FALSE(urlQueryDisallowed().contains(U'?'));
    EXPECT_TRUE(urlQueryValueDisallowed().contains(U'?'));
    EXPECT_TRUE(urlComponentsDisallowed().contains(U'\u00e4'));
}

TEST(PathUtilities, FileKindsOfDesktopEntriesFoldersAndFiles)
{
    const QString dir = makeTempDir(QStringLiteral("kinds"));
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(dir + QLatin1Char('/') + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        // Desktop entries as installed ones may be: executable by their owner.
        if (name.endsWith(QStringLiteral(".desktop")))
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return QUrl::fromLocalFile(file.fileName());
    };
    const QUrl app = write(QStringLiteral("app.desktop"), "# comment\n[Desktop Entry]\nName=App\nName[xx]=Other\nType=Application\n");
    const QUrl link = write(QStringLiteral("link.desktop"), "[Desktop Entry]\nType=Link\nURL=https://x\n");
    const QUrl damaged = write(QStringLiteral("damaged.desktop"), "[Other Group]\nType=Application\n");
    const QUrl text = write(QStringLiteral("notes.txt"), "Type=Application\n");
    EXPECT_TRUE(isApplication(app));
    EXPECT_FALSE(isApplication(link));
    EXPECT_FALSE(isApplication(damaged));
    EXPECT_FALSE(isApplication(text));
    EXPECT_FALSE(isPackage(app));
    EXPECT_EQ(fileObjectKind(app), fileKindApplication);
    EXPECT_EQ(fileObjectKind(link), fileKindPlainFile);
    EXPECT_EQ(fileObjectKind(QUrl::fromLocalFile(dir)), fileKindFolder);
    EXPECT_EQ(fileObjectKind(QUrl::fromLocalFile(dir + QStringLiteral("/missing"))), fileKindUnreachable);
    EXPECT_EQ(fileObjectKind(QUrl::fromLocalFile(QStringLiteral("/dev/null"))), fileKindOther);
    EXPECT_EQ(displayNameAtPath(app.toLocalFile()), QStringLiteral("App"));
    EXPECT_EQ(displayNameAtPath(text.toLocalFile()), QStringLiteral("notes.txt"));

    EXPECT_TRUE(isDirectory(QUrl::fromLocalFile(dir)));
    EXPECT_TRUE(isRegularFile(text));
    EXPECT_FALSE(isRegularFile(QUrl(QStringLiteral("https://example.org/x"))));
    const auto volume = volumeURL(text);
    ASSERT_TRUE(volume.has_value());
    EXPECT_TRUE(QDir(dir).canonicalPath().startsWith(volume->toLocalFile()));
    EXPECT_FALSE(volumeURL(QUrl::fromLocalFile(dir + QStringLiteral("/missing"))).has_value());
    EXPECT_FALSE(volumeIsLocal(QUrl(QStringLiteral("https://example.org"))));
}
