#include "VantelProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

namespace vantel {
namespace {

// A private X server with trayer as the tray, for the whole program.
class TrayDesktop {
public:
    bool start(QString* why)
    {
        for (const char* tool : {"Xvfb", "trayer", "xdotool", "import"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
                *why = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
                return false;
            }
        }
        xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                                             "1280x800x24"});
        if (!xvfb_.waitForStarted(5000) || !xvfb_.waitForReadyRead(10000)) {
            *why = QStringLiteral("Xvfb did not start");
            return false;
        }
        display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readAllStandardOutput()).trimmed();
        trayer_.setProcessEnvironment(environment());
        trayer_.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request",
                                                 "--height", "28", "--transparent", "true", "--alpha", "0",
                                                 "--tint", "0x31363b"});
        if (!trayer_.waitForStarted(5000)) {
            *why = QStringLiteral("trayer did not start");
            return false;
        }
        QThread::msleep(800);
        return true;
    }
    ~TrayDesktop()
    {
        for (QProcess* process : {&trayer_, &xvfb_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished(3000);
            }
        }
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        return env;
    }
    int run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        process.waitForFinished(10000);
        return process.exitCode();
    }
    QImage screenshot(const QString& name) const
    {
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        run(QStringLiteral("import"), {"-window", "root", path});
        return QImage(path);
    }
    QString display() const { return display_; }

private:
    QProcess xvfb_;
    QProcess trayer_;
    QString display_;
};

bool isIconOrange(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 100 && qGreen(pixel) < 170 && qBlue(pixel) < 80;
}

// The centre of the status item's orange picture in the top-right corner.
std::optional<QPoint> findIcon(const QImage& screen)
{
    QRect box;
    for (int y = 0; y < 40 && y < screen.height(); ++y) {
        for (int x = screen.width() - 300; x < screen.width(); ++x) {
            if (isIconOrange(screen.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    if (box.isEmpty())
        return std::nullopt;
    return box.center();
}

// Light pixels below the tray: the opened menu.
int lightPixelsBelowTray(const QImage& screen)
{
    int count = 0;
    for (int y = 40; y < 400 && y < screen.height(); ++y) {
        for (int x = screen.width() - 400; x < screen.width(); ++x) {
            if (qGray(screen.pixel(x, y)) > 200)
                ++count;
        }
    }
    return count;
}

TEST(Tray, TheIconSitsInTheTrayAndAnswersBothButtons)
{
    TrayDesktop desktop;
    QString why;
    if (!desktop.start(&why))
        GTEST_SKIP() << why.toStdString();

    const QString home = test::makeTempDir(QStringLiteral("tray-home"));
    test::VantelProcess::prepareHome(home);
    test::VantelProcess vantel(home);
    QProcessEnvironment env = test::VantelProcess::environment(home);
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    vantel.process().setProcessEnvironment(env);
    vantel.start();
    ASSERT_TRUE(vantel.waitForOutput("<- applicationDidFinishLaunching")) << vantel.output().toStdString();
    ASSERT_TRUE(vantel.output().contains("Initializing StatusBarButton")) << vantel.output().toStdString();
    QThread::msleep(700);

    const QImage tray = desktop.screenshot(QStringLiteral("tray-icon.png"));
    const std::optional<QPoint> icon = findIcon(tray);
    ASSERT_TRUE(icon.has_value()) << "no status item in the tray";
    const int before = lightPixelsBelowTray(tray);

    const QString x = QString::number(icon->x());
    const QString y = QString::number(icon->y());
    desktop.run(QStringLiteral("xdotool"), {"mousemove", x, y, "click", "1"});
    EXPECT_TRUE(vantel.waitForOutput("switchMainWindow in AppDelegate executed")) << vantel.output().toStdString();
    EXPECT_TRUE(vantel.output().contains("statusBarButtonAction -> left click"));

    desktop.run(QStringLiteral("xdotool"), {"mousemove", x, y, "click", "3"});
    EXPECT_TRUE(vantel.waitForOutput("statusBarButtonAction -> right click")) << vantel.output().toStdString();
    QThread::msleep(500);
    const QImage menu = desktop.screenshot(QStringLiteral("tray-status-menu.png"));
    EXPECT_GT(lightPixelsBelowTray(menu), before + 20000) << "no menu under the tray";
    desktop.run(QStringLiteral("xdotool"), {"key", "Escape"});

    vantel.signal(SIGTERM);
    ASSERT_TRUE(vantel.waitForFinished());
    EXPECT_EQ(vantel.process().exitCode(), 0);
    EXPECT_EQ(vantel.logMessages().count(QStringLiteral("-> applicationWillTerminate")), 1);
}

} // namespace
} // namespace vantel
