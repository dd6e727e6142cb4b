#include "platform/DisplayProbe.h"

#include "PrivateXServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>

using vantel::platform::DisplayProbe;

namespace {

QProcessEnvironment environment(const QList<QPair<QString, QString>>& variables)
{
    QProcessEnvironment env;
    for (const auto& [name, value] : variables)
        env.insert(name, value);
    return env;
}

// A display number nobody serves.
QString freeDisplay()
{
    int number = 500;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
        || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
        ++number;
    return QStringLiteral(":%1").arg(number);
}

const QString program = QStringLiteral("Vantel");

} // namespace

// Qt's own order: the argument, then QT_QPA_PLATFORM, then Wayland before X
// in a Wayland session. Only X and Wayland need a display.
TEST(DisplayProbe, OnlyTheXAndWaylandPluginsNeedADisplay)
{
    const DisplayProbe nothing({program}, QProcessEnvironment());
    EXPECT_EQ(nothing.platforms(), QStringList{QStringLiteral("xcb")});
    EXPECT_TRUE(nothing.unreachableReason());
    EXPECT_EQ(DisplayProbe({program}, environment({{QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland")}}))
                  .platforms(),
        (QStringList{QStringLiteral("wayland"), QStringLiteral("xcb")}));

    const auto offscreen = environment({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
    EXPECT_FALSE(DisplayProbe({program}, offscreen).unreachableReason());
    // A later plugin of the list is Qt's fallback.
    EXPECT_FALSE(
        DisplayProbe({program}, environment({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb;offscreen:x=1")}}))
            .unreachableReason());
    const DisplayProbe argument({program, QStringLiteral("--platform"), QStringLiteral("xcb")}, offscreen);
    EXPECT_EQ(argument.platforms(), QStringList{QStringLiteral("xcb")});
    EXPECT_TRUE(argument.unreachableReason());
}

TEST(DisplayProbe, AnXServerIsReachableOnlyWhereOneAnswers)
{
    const QString nobody = freeDisplay();
    const auto unserved =
        DisplayProbe({program}, environment({{QStringLiteral("DISPLAY"), nobody}})).unreachableReason();
    ASSERT_TRUE(unserved);
    EXPECT_TRUE(unserved->contains(nobody)) << unserved->toStdString();

    const vantel::test::PrivateXServer server;
    ASSERT_FALSE(server.name().isEmpty()) << "Xvfb did not come up";
    const QString served = QString::fromLatin1(server.name());
    EXPECT_FALSE(DisplayProbe({program}, environment({{QStringLiteral("DISPLAY"), served}})).unreachableReason());
    // -display names the server in place of DISPLAY, as it does for Qt.
    EXPECT_FALSE(
        DisplayProbe({program, QStringLiteral("-display"), served}, environment({{QStringLiteral("DISPLAY"), nobody}}))
            .unreachableReason());
    EXPECT_TRUE(
        DisplayProbe({program, QStringLiteral("-display"), nobody}, environment({{QStringLiteral("DISPLAY"), served}}))
            .unreachableReason());
}

TEST(DisplayProbe, AWaylandCompositorIsReachableOnlyWhileItsSocketListens)
{
    const QString runtime = vantel::test::makeTempDir(QStringLiteral("display-probe-runtime"));
    const QString socket = runtime + QStringLiteral("/wayland-test");
    const auto byName = environment({{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-test")},
        {QStringLiteral("XDG_RUNTIME_DIR"), runtime}});
    const auto byPath = environment({{QStringLiteral("WAYLAND_DISPLAY"), socket}});
    {
        QLocalServer compositor;
        ASSERT_TRUE(compositor.listen(socket)) << compositor.errorString().toStdString();
        EXPECT_FALSE(DisplayProbe({program}, byName).unreachableReason());
        EXPECT_FALSE(DisplayProbe({program}, byPath).unreachableReason());
    }
    // Gone: neither Wayland nor X (no DISPLAY) can start.
    const auto gone = DisplayProbe({program}, byName).unreachableReason();
    ASSERT_TRUE(gone);
    EXPECT_TRUE(gone->contains(socket)) << gone->toStdString();
    EXPECT_TRUE(gone->contains(QStringLiteral("DISPLAY"))) << gone->toStdString();
}
