#include "shell/InstanceHandOver.h"

#include <QDir>

#include <gtest/gtest.h>

namespace vantel {
namespace {

TEST(InstanceHandOver, ArgumentsBecomeAbsolutePaths)
{
    EXPECT_EQ(InstanceHandOver::handedPaths({QStringLiteral("a.txt"), QStringLiteral("../b/c d.pdf"),
                                             QStringLiteral("/abs/./x"), QString(),
                                             QStringLiteral("file:///tmp/with%20space"),
                                             QStringLiteral("file://otherhost/share/x")},
                                            QStringLiteral("/home/me/work")),
              (QStringList{QStringLiteral("/home/me/work/a.txt"), QStringLiteral("/home/me/b/c d.pdf"),
                           QStringLiteral("/abs/x"), QStringLiteral("/tmp/with space")}));
    EXPECT_TRUE(InstanceHandOver::handedPaths({}, QStringLiteral("/")).isEmpty());
}

TEST(InstanceHandOver, HelpAndVersionPrintAndEndWithoutPaths)
{
    const QString program = QStringLiteral("Vantel");
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const auto line = InstanceHandOver::parseCommandLine({program, option, QStringLiteral("/etc")}, QStringLiteral("/"));
        EXPECT_EQ(line.exitCode, 0);
        EXPECT_TRUE(line.output.contains(QStringLiteral("[FILE...]"))) << line.output.toStdString();
        EXPECT_TRUE(line.output.contains(QStringLiteral("--version")));
        EXPECT_TRUE(line.paths.isEmpty());
    }
    const auto version = InstanceHandOver::parseCommandLine({program, QStringLiteral("--version")}, QStringLiteral("/"));
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, QStringLiteral("Vantel %1\n").arg(QStringLiteral(VANTEL_VERSION)));
    EXPECT_TRUE(version.paths.isEmpty());

    const auto unknown = InstanceHandOver::parseCommandLine({program, QStringLiteral("--frobnicate")}, QStringLiteral("/"));
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains(QStringLiteral("frobnicate"))) << unknown.errors.toStdString();
    EXPECT_TRUE(unknown.paths.isEmpty());
}

TEST(InstanceHandOver, AMissingFileRefusesTheWholeCommandLine)
{
    const QString program = QStringLiteral("Vantel");
    const QString folder = QDir::tempPath();
    const auto none = InstanceHandOver::parseCommandLine({program}, folder);
    EXPECT_FALSE(none.exitCode);
    EXPECT_TRUE(none.paths.isEmpty());

    const auto present = InstanceHandOver::parseCommandLine({program, QStringLiteral("."), QStringLiteral("/etc")}, folder);
    EXPECT_FALSE(present.exitCode);
    EXPECT_EQ(present.paths, (QStringList{QDir::cleanPath(folder), QStringLiteral("/etc")}));

    const auto missing = InstanceHandOver::parseCommandLine(
        {program, QStringLiteral("/etc"), QStringLiteral("/missing/file")}, folder);
    ASSERT_TRUE(missing.exitCode);
    EXPECT_NE(*missing.exitCode, 0);
    EXPECT_TRUE(missing.errors.contains(QStringLiteral("/missing/file: no such file or folder")))
        << missing.errors.toStdString();
    EXPECT_TRUE(missing.output.isEmpty());
    EXPECT_TRUE(missing.paths.isEmpty());

    const auto remote = InstanceHandOver::parseCommandLine({program, QStringLiteral("file://otherhost/share/x")}, folder);
    ASSERT_TRUE(remote.exitCode);
    EXPECT_NE(*remote.exitCode, 0);
    EXPECT_TRUE(remote.paths.isEmpty());
}

} // namespace
} // namespace vantel
