#include "datastore/DataStorage.h"
#include "platform/ExitHook.h"
#include "platform/Log.h"
#include "platform/ProcessActivity.h"
#include "platform/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "shell/StatusBarItem.h"
#include "shell/VantelWindowEnum.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

namespace vantel {
namespace {

class RecordingStatusItem : public StatusBarItem {
public:
    explicit RecordingStatusItem(platform::Log::CaptureSink& sink) : sink_(sink) {}
    bool hasButton() const override { return true; }
    void setImage(const std::optional<QIcon>& image) override { image_ = image; }
    std::optional<QIcon> image() const override { return image_; }
    void setUpButton() override { setUpAt = sink_.messages().size(); }
    QRect geometry() const override { return {}; }

    qsizetype setUpAt = -1;

private:
    platform::Log::CaptureSink& sink_;
    std::optional<QIcon> image_;
};

class RecordingWindowController : public WindowController {
public:
    explicit RecordingWindowController(std::function<void()> shown) : shown_(std::move(shown)) {}
    std::shared_ptr<ViewController> contentViewController() const override { return nullptr; }
    void showWindow(bool) override
    {
        open_ = true;
        shown_();
    }
    bool isWindowOpen() const override { return open_; }
    void close() override { open_ = false; }

private:
    std::function<void()> shown_;
    bool open_ = false;
};

qsizetype indexOf(const QStringList& lines, const QString& line)
{
    return lines.indexOf(line);
}

// The whole launch and termination, in this process, against the test's
// throw-away home: a first run, since no settings exist there yet.
TEST(LaunchSequence, RunsItsStepsInOrderAndTerminatesOnce)
{
    platform::Log::CaptureSink sink;
    AppDelegate& delegate = AppDelegate::shared();
    delegate.config().setDebugLogging(true);
    platform::UserDefaults::standard().setBool(true, QStringLiteral("debugLogging"));
    ASSERT_FALSE(delegate.config().launchedBefore());
    const QString settingsFile = platform::UserDefaults::standardFilePath();

    // A checkpoint before the load (one that arrives under a launch-time
    // alert) has no settings of the user's to save: it writes nothing.
    delegate.checkpoint();
    EXPECT_FALSE(QFile::exists(settingsFile));
    EXPECT_FALSE(delegate.hasTerminated());

    auto item = std::make_shared<RecordingStatusItem>(sink);
    delegate.setStatusBarItem(item);
    qsizetype firstRunShownAt = -1;
    VantelWindowEnum::registerWindowController(VantelWindowEnum::firstRun, [&] {
        return std::make_shared<RecordingWindowController>([&] { firstRunShownAt = sink.messages().size(); });
    });

    delegate.applicationDidFinishLaunching();
    delegate.applicationDidFinishLaunching(); // only once
    const QStringList lines = sink.messages();

    const QStringList steps{
        QStringLiteral("-> applicationDidFinishLaunching"),
        QStringLiteral("Shared instances created"),
        QStringLiteral("Configuration loaded"),
        QStringLiteral("Main window controller created"),
        QStringLiteral("HotKeyManager created"),
        QStringLiteral("Initializing StatusBarButton"),
        QStringLiteral("First run: opening the first-run assistant"),
        QStringLiteral("Services provider installed"),
        QStringLiteral("Observers registered"),
        QStringLiteral("Data proxies enabled"),
        QStringLiteral("-> RebuildData - Request initiated: Datastorage initialize"),
        QStringLiteral("Hotkeys registered"),
        QStringLiteral("Begin activity: Prevent App Nap to preserve responsiveness"),
        QStringLiteral("<- applicationDidFinishLaunching"),
    };
    qsizetype previous = -1;
    for (const QString& step : steps) {
        const qsizetype at = indexOf(lines, step);
        EXPECT_GT(at, previous) << step.toStdString() << "\n" << lines.join(QLatin1Char('\n')).toStdString();
        previous = std::max(previous, at);
        EXPECT_EQ(lines.count(step), 1) << step.toStdString();
    }
    // The button is set up with its image, and the first-run assistant opens
    // after it and before the services provider.
    ASSERT_TRUE(item->image().has_value());
    EXPECT_FALSE(item->image()->isNull());
    EXPECT_GT(item->setUpAt, indexOf(lines, QStringLiteral("Initializing StatusBarButton")));
    EXPECT_GT(firstRunShownAt, item->setUpAt);
    EXPECT_LE(firstRunShownAt, indexOf(lines, QStringLiteral("Services provider installed")));
    ASSERT_TRUE(delegate.activity());
    EXPECT_EQ(delegate.activity()->options(), 0xEFFFFFu);
    EXPECT_NE(delegate.serviceManager(), nullptr);
    EXPECT_TRUE(platform::ExitHook::isArmed());

    // A session checkpoint saves the pending change at once and nothing else:
    // no backup, nothing ends, and the real quit still runs in full.
    sink.clear();
    delegate.config().setMenubarIcon(QStringLiteral("statusbar-3"));
    delegate.config().scheduleSaveConfig(QStringLiteral("test"));
    delegate.checkpoint();
    EXPECT_FALSE(delegate.config().saveConfigPending());
    EXPECT_EQ(platform::UserDefaults(settingsFile).stringForKey(QStringLiteral("menubarIcon")),
              QStringLiteral("statusbar-3"));
    EXPECT_EQ(sink.messages().count(QStringLiteral("Bookmarks saved")), 1);
    EXPECT_EQ(sink.messages().filter(QStringLiteral("Versioned backup")).size(), 0);
    EXPECT_FALSE(delegate.hasTerminated());
    EXPECT_TRUE(delegate.activity());
    EXPECT_TRUE(DataStorage::shared().enableDataProxies());
    delegate.config().setMenubarIcon(QStringLiteral("statusbar-2"));

    sink.clear();
    delegate.applicationWillTerminate();
    delegate.applicationWillTerminate(); // e.g. a signal after the session's end
    const QStringList end = sink.messages();
    const QStringList endSteps{
        QStringLiteral("-> applicationWillTerminate"), QStringLiteral("Configuration saved"),
        QStringLiteral("Bookmarks saved"),
    };
    previous = -1;
    for (const QString& step : endSteps) {
        EXPECT_GT(indexOf(end, step), previous) << step.toStdString();
        previous = indexOf(end, step);
        EXPECT_EQ(end.count(step), 1) << step.toStdString();
    }
    const qsizetype backup = end.indexOf(QRegularExpression(QStringLiteral("Versioned backup: .*")));
    const qsizetype activityEnd = end.indexOf(QStringLiteral("End activity: Prevent App Nap to preserve responsiveness"));
    const qsizetype last = end.indexOf(QStringLiteral("<- applicationWillTerminate"));
    EXPECT_GT(backup, previous);
    EXPECT_GT(activityEnd, backup);
    EXPECT_GT(last, activityEnd);
    EXPECT_EQ(end.count(QStringLiteral("<- applicationWillTerminate")), 1);
    EXPECT_FALSE(delegate.activity());
    // The backup switched the discovery off and left it off.
    EXPECT_FALSE(DataStorage::shared().enableDataProxies());
    EXPECT_FALSE(platform::ExitHook::isArmed());

    // The save reached the disk, with the change made after the checkpoint:
    // the next start is no first run.
    platform::UserDefaults reread(settingsFile);
    EXPECT_TRUE(reread.boolForKey(QStringLiteral("launchedBefore")));
    EXPECT_EQ(reread.stringForKey(QStringLiteral("menubarIcon")), QStringLiteral("statusbar-2"));

    // After the termination a checkpoint writes nothing more.
    const QByteArray saved = [&] {
        QFile file(settingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    delegate.config().setMenubarIcon(QStringLiteral("statusbar-4"));
    delegate.checkpoint();
    QFile file(settingsFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);

    VantelWindowEnum::registerWindowController(VantelWindowEnum::firstRun, {});
    delegate.setStatusBarItem(nullptr);
}

} // namespace
} // namespace vantel
