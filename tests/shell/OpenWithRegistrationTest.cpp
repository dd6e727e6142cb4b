#include "shell/OpenWithRegistration.h"

#include "platform/Bundle.h"
#include "shell/ApplicationDesktopFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantel {
namespace {

using Source = OpenWithRegistration::Source;

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// An installed prefix with its resources and, when asked, its desktop file.
QString makePrefix(const QString& name, bool withDesktopFile)
{
    const QString prefix = test::makeTempDir(name) + "/usr";
    writeFile(prefix + "/share/vantel/versionhistory.md", "# History\n");
    writeFile(prefix + "/bin/vantel", "#!/bin/sh\n");
    if (withDesktopFile)
        writeFile(prefix + "/share/applications/net.tarnwick.vantel.desktop",
                  ApplicationDesktopFile::contents(prefix + "/bin/vantel").value_or(QString()).toUtf8());
    return prefix;
}

TEST(OpenWithRegistration, TheInstalledFileServesOnlyWhereTheDesktopReadsIt)
{
    const QString prefix = makePrefix("openwith-installed", true);
    const platform::Bundle installed = platform::Bundle::forExecutable(prefix + "/bin/vantel");
    ASSERT_EQ(installed.layout(), platform::Bundle::Layout::installed);
    const QString elsewhere = test::testHome() + "/data";

    EXPECT_EQ(OpenWithRegistration::sourceFor(installed, {elsewhere, prefix + "/share"}), Source::installedFile);
    // The same folder under another spelling, or behind a link.
    EXPECT_EQ(OpenWithRegistration::sourceFor(installed, {prefix + "/share/"}), Source::installedFile);
    const QString link = test::makeTempDir("openwith-link") + "/share";
    ASSERT_TRUE(QFile::link(prefix + "/share", link));
    EXPECT_EQ(OpenWithRegistration::sourceFor(installed, {link}), Source::installedFile);
    // A prefix the desktop does not read: the program must say where it is itself.
    EXPECT_EQ(OpenWithRegistration::sourceFor(installed, {elsewhere, "/usr/share"}), Source::userFile);
    EXPECT_EQ(OpenWithRegistration::sourceFor(installed, {}), Source::userFile);

    // An install whose desktop file went missing.
    const QString bare = makePrefix("openwith-bare", false);
    EXPECT_EQ(OpenWithRegistration::sourceFor(platform::Bundle::forExecutable(bare + "/bin/vantel"), {bare + "/share"}),
              Source::userFile);
    // The build tree's bundle and a loose program always write their own.
    EXPECT_EQ(OpenWithRegistration::sourceFor(platform::Bundle::forExecutable(VANTEL_BUNDLE_DIR "/MacOS/Vantel"),
                                              {prefix + "/share"}),
              Source::userFile);
    EXPECT_EQ(OpenWithRegistration::sourceFor(platform::Bundle::main(), {prefix + "/share"}), Source::userFile);
}

TEST(OpenWithRegistration, RemovesOnlyAFileThatIsExactlyVantelsOwn)
{
    const QString folder = test::makeTempDir("openwith-user");
    const QString path = folder + "/net.tarnwick.vantel.desktop";
    const QByteArray own = ApplicationDesktopFile::contents("/gone/My Build/Vantel.app/Contents/MacOS/Vantel").value_or(QString()).toUtf8();

    writeFile(path, own);
    EXPECT_TRUE(OpenWithRegistration::removeOwnUserFile(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(OpenWithRegistration::removeOwnUserFile(path)); // nothing there

    // The user changed it: it stays, byte for byte.
    const QByteArray edited = own + "X-Mine=true\n";
    writeFile(path, edited);
    EXPECT_FALSE(OpenWithRegistration::removeOwnUserFile(path));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), edited);
    kept.close();

    // Another program's entry, an unreadable one, and a link to ours all stay.
    writeFile(path, "[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other %F\n");
    EXPECT_FALSE(OpenWithRegistration::removeOwnUserFile(path));
    writeFile(path, "not a desktop entry");
    EXPECT_FALSE(OpenWithRegistration::removeOwnUserFile(path));
    QFile::remove(path);
    const QString target = folder + "/target.desktop";
    writeFile(target, own);
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_FALSE(OpenWithRegistration::removeOwnUserFile(path));
    EXPECT_TRUE(QFileInfo::exists(target));
}

} // namespace
} // namespace vantel
