#include "platform/WorkspaceIcons.h"

#include "platform/SystemMimeData.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using vantel::platform::WorkspaceIcons::iconForFile;
using vantel::platform::WorkspaceIcons::themeNamesForFile;

using vantel::test::paintedPixels;
using vantel::test::renderIcon;

namespace {

bool isColour(QColor seen, QColor wanted)
{
    return std::abs(seen.red() - wanted.red()) + std::abs(seen.green() - wanted.green())
        + std::abs(seen.blue() - wanted.blue()) < 30;
}

QString writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

// Executable by its owner: an application, not a downloaded document.
QString desktopEntry(const QString& path, const QString& icon, bool executable = true)
{
    writeFile(path, "[Desktop Entry]\nType=Application\nName=Fixture\nExec=true\nIcon=" + icon.toUtf8() + "\n");
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

} // namespace

TEST(WorkspaceIconsTest, ApplicationShowsItsIconFromAnAbsolutePath)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("ws-abs"));
    QImage picture(64, 64, QImage::Format_ARGB32);
    picture.fill(QColor(200, 30, 160));
    ASSERT_TRUE(picture.save(dir + "/logo.png"));
    const QIcon icon = iconForFile(desktopEntry(dir + "/fixture.desktop", dir + "/logo.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(isColour(renderIcon(icon).pixelColor(24, 24), QColor(200, 30, 160)));

    // The same entry downloaded (not executable) shows no icon of its choosing.
    const QIcon downloaded = iconForFile(desktopEntry(dir + "/downloaded.desktop", dir + "/logo.png", false));
    EXPECT_FALSE(isColour(renderIcon(downloaded).pixelColor(24, 24), QColor(200, 30, 160)));
}

TEST(WorkspaceIconsTest, ApplicationShowsItsThemeIcon)
{
    // A theme icon installed in the user's own icon folder (hicolor, which
    // every theme inherits; its index comes from the system's copy).
    const QString icons = vantel::test::testHome() + QStringLiteral("/data/icons");
    const QString folder = icons + QStringLiteral("/hicolor/48x48/apps");
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(QColor(20, 180, 40));
    ASSERT_TRUE(picture.save(folder + QStringLiteral("/vantel-fixture-app.png")));
    // The search paths are read once per process; this folder may be newer.
    (void)iconForFile(QString());
    if (!QIcon::themeSearchPaths().contains(icons))
        QIcon::setThemeSearchPaths(QStringList{icons} + QIcon::themeSearchPaths());

    const QString dir = vantel::test::makeTempDir(QStringLiteral("ws-theme"));
    const QIcon icon = iconForFile(desktopEntry(dir + "/fixture.desktop", QStringLiteral("vantel-fixture-app")));
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(isColour(renderIcon(icon).pixelColor(24, 24), QColor(20, 180, 40)));

    // An old-style name with its extension finds the same icon.
    const QIcon legacy = iconForFile(desktopEntry(dir + "/legacy.desktop", QStringLiteral("vantel-fixture-app.png")));
    EXPECT_TRUE(isColour(renderIcon(legacy).pixelColor(24, 24), QColor(20, 180, 40)));
}

TEST(WorkspaceIconsTest, EveryKindOfFileGetsAVisibleIcon)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("ws-kinds"));
    QImage picture(8, 8, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir + "/p.png"));
    const QStringList paths{
        dir + "/p.png",
        writeFile(dir + "/notes.txt", "words\n"),
        writeFile(dir + "/blob.vantelunknown", QByteArray(64, '\x01')),
        dir,
        desktopEntry(dir + "/missing-icon.desktop", QStringLiteral("no-such-icon-anywhere")),
        desktopEntry(dir + "/no-file.desktop", dir + "/absent.png"),
    };
    for (const QString& path : paths) {
        const QIcon icon = iconForFile(path);
        ASSERT_FALSE(icon.isNull()) << path.toStdString();
        EXPECT_GT(paintedPixels(renderIcon(icon, 32)), 32) << path.toStdString();
    }
    EXPECT_TRUE(themeNamesForFile(dir).contains(QStringLiteral("folder")));
    EXPECT_EQ(themeNamesForFile(dir + "/p.png").value(0), QStringLiteral("image-png"));
    const QStringList text = themeNamesForFile(dir + "/notes.txt");
    EXPECT_EQ(text.mid(0, 2), (QStringList{QStringLiteral("text-plain"), QStringLiteral("text-x-generic")}));
}
