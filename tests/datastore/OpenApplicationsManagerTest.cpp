#include "access/AccessExecutionServices.h"
#include "datastore/DataStorage.h"
#include "datastore/OpenApplicationsManager.h"
#include "model/ExecutionServices.h"
#include "model/TableViewItem.h"
#include "platform/LaunchHistory.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/RunningApplications.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

using namespace vantel;
using platform::Notification;
using platform::NotificationCenter;
using platform::RunningApplications;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

} // namespace

// Desktop entries whose programs are private copies of sleep, so that the
// processes the test starts are told apart from everything else on the
// machine; the source polls only the test's application folder.
class OpenApplicationsManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::makeTempDir(QStringLiteral("open-applications"));
        apps = dir + QStringLiteral("/applications");
        QDir().mkpath(apps);
        editor = addApplication(QStringLiteral("editor"));
        viewer = addApplication(QStringLiteral("viewer"));
        helper = addApplication(QStringLiteral("helper"), "NoDisplay=true\n");

        previousServices = ExecutionServices::shared();
        AccessExecutionServices::install();

        for (const QString& name : {RunningApplications::didLaunchApplication, RunningApplications::didTerminateApplication})
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(name, [this](const Notification& n) {
                // Only a manager posts these with a sender here; its pointer is
                // known only after its constructor has announced the first pass.
                if (!n.sender)
                    return;
                senders.insert(n.sender);
                offMainThread = offMainThread || !platform::MainQueue::isMainThread();
                const auto* path = std::any_cast<QString>(&n.object);
                events << (n.name == RunningApplications::didLaunchApplication ? QStringLiteral("launch ")
                                                                                : QStringLiteral("terminate "))
                              + (path ? *path : QStringLiteral("<no path>"));
            }));
    }

    void TearDown() override
    {
        manager.reset();
        source.reset();
        while (!processes.isEmpty())
            end(processes.first());
        AccessExecutionServices::setRunningApplicationQuery({});
        ExecutionServices::setShared(previousServices);
    }

    // The entry's path; its program is dir/vantel-<name>.
    QString addApplication(const QString& name, const QByteArray& extra = {})
    {
        const QString program = dir + QStringLiteral("/vantel-") + name;
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));
        QFile(program).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString entry = apps + u'/' + name + QStringLiteral(".desktop");
        writeFile(entry, "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + program.toUtf8()
                             + " %f\n" + extra);
        return entry;
    }

    // posix_spawn, not QProcess: Qt starts its child in the parent's memory
    // (clone with CLONE_VM), where the child's calls run ThreadSanitizer's
    // hooks on the parent's state while the pool's threads go on, and the
    // checker's bookkeeping breaks (races on state every thread locks).
    pid_t start(const QString& name)
    {
        const QByteArray program = QFile::encodeName(dir + QStringLiteral("/vantel-") + name);
        char seconds[] = "30";
        char* const argv[] = {const_cast<char*>(program.constData()), seconds, nullptr};
        pid_t process = -1;
        EXPECT_EQ(::posix_spawn(&process, program.constData(), nullptr, nullptr, argv, environ), 0);
        if (process > 0) {
            processes << process;
            // The spawn returns as the exec begins; the process counts once
            // the kernel shows it as the program.
            const QString proc = QStringLiteral("/proc/%1/").arg(process);
            EXPECT_TRUE(test::waitUntil([&] {
                QFile commandLine(proc + QStringLiteral("cmdline"));
                return QFileInfo(proc + QStringLiteral("exe")).symLinkTarget() == QFile::decodeName(program)
                    && commandLine.open(QIODevice::ReadOnly) && !commandLine.read(4096).isEmpty();
            }));
        }
        return process;
    }

    void end(pid_t process)
    {
        if (!processes.removeOne(process))
            return;
        ::kill(process, SIGKILL);
        int status = 0;
        ::waitpid(process, &status, 0);
    }

    void makeManager()
    {
        source = std::make_unique<RunningApplications>(
            RunningApplications::Options{QStringList{apps}, std::chrono::milliseconds(100), false});
        manager = std::make_unique<OpenApplicationsManager>(*source);
    }

    qsizetype instancesOf(const QString& entry) const
    {
        const auto list = source->runningApplications();
        const auto it = std::find_if(list.cbegin(), list.cend(),
                                     [&entry](const platform::RunningApplication& a) { return a.bundlePath == entry; });
        return it == list.cend() ? 0 : it->processIds.size();
    }

    QString dir, apps, editor, viewer, helper;
    std::shared_ptr<ExecutionServices> previousServices;
    std::unique_ptr<RunningApplications> source;
    std::unique_ptr<OpenApplicationsManager> manager;
    QList<pid_t> processes;
    std::vector<platform::ObserverToken> tokens;
    QStringList events;
    QSet<const void*> senders;
    bool offMainThread = false;
};

TEST_F(OpenApplicationsManagerTest, AProcessMarksItsEntryLaunchedUntilItsLastInstanceEnds)
{
    makeManager();
    manager->installRunningApplicationQuery();
    const auto entry = TableViewItem::initForPath(editor, QStringLiteral("editor"), ListviewItemType::application,
                                                  ListviewItemSource::spotlight);
    EXPECT_FALSE(entry->isLaunched());
    EXPECT_TRUE(events.isEmpty());

    const pid_t first = start(QStringLiteral("editor"));
    ASSERT_TRUE(test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("launch ") + editor});
    EXPECT_TRUE(entry->isLaunched());
    EXPECT_EQ(manager->openApplications(), QSet<QString>{editor});

    // One of two instances ending leaves the application running.
    const pid_t second = start(QStringLiteral("editor"));
    ASSERT_TRUE(test::waitUntil([&] { return instancesOf(editor) == 2; }));
    end(first);
    ASSERT_TRUE(test::waitUntil([&] { return instancesOf(editor) == 1; }));
    test::spinEventLoop(std::chrono::milliseconds(150));
    EXPECT_EQ(events.size(), 1) << events.join(u',').toStdString();
    EXPECT_TRUE(entry->isLaunched());

    end(second);
    ASSERT_TRUE(test::waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events.last(), QStringLiteral("terminate ") + editor);
    EXPECT_FALSE(entry->isLaunched());
    EXPECT_TRUE(manager->openApplications().isEmpty());
    EXPECT_FALSE(offMainThread);
    EXPECT_EQ(senders, QSet<const void*>{manager.get()});

    // A second launch after the end is announced again; a manager that is gone answers no more.
    start(QStringLiteral("editor"));
    ASSERT_TRUE(test::waitUntil([&] { return events.size() == 3; }));
    EXPECT_TRUE(entry->isLaunched());
    manager.reset();
    EXPECT_FALSE(entry->isLaunched());
}

TEST_F(OpenApplicationsManagerTest, HelpersAndForeignPostsChangeNothing)
{
    makeManager();
    start(QStringLiteral("helper"));
    ASSERT_TRUE(test::waitUntil([&] { return instancesOf(helper) == 1; }));
    test::spinEventLoop(std::chrono::milliseconds(150));
    EXPECT_TRUE(events.isEmpty()) << events.join(u',').toStdString();
    EXPECT_TRUE(manager->openApplications().isEmpty());
    EXPECT_FALSE(manager->isApplicationOpen(helper));

    // Only its own source speaks for the workspace.
    NotificationCenter::workspaceCenter().post(RunningApplications::didLaunchApplication, viewer);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(manager->isApplicationOpen(viewer));
}

TEST_F(OpenApplicationsManagerTest, SettingUpAnnouncesEachRunningApplicationOnce)
{
    start(QStringLiteral("editor"));
    start(QStringLiteral("editor"));
    start(QStringLiteral("viewer"));
    start(QStringLiteral("helper"));

    makeManager();
    EXPECT_EQ(events, (QStringList{QStringLiteral("launch ") + editor, QStringLiteral("launch ") + viewer}));
    EXPECT_EQ(manager->openApplications(), (QSet<QString>{editor, viewer}));
    EXPECT_EQ(senders, QSet<const void*>{manager.get()});

    // Installed later, the query answers from the same set.
    manager->installRunningApplicationQuery();
    EXPECT_TRUE(ExecutionServices::shared()->isApplicationRunning(viewer));
    EXPECT_FALSE(ExecutionServices::shared()->isApplicationRunning(helper));
    EXPECT_FALSE(ExecutionServices::shared()->isApplicationRunning(QString()));

    // The source took them in with its first snapshot: no second announcement.
    test::spinEventLoop(std::chrono::milliseconds(300));
    EXPECT_EQ(events.size(), 2);
}

// Every start of this program finds the applications that run already: each
// was last used when it was started, not when it was found, so the recent
// applications keep the order they were launched in across restarts.
TEST_F(OpenApplicationsManagerTest, ApplicationsFoundRunningAreDatedByTheirStartNotByTheirFinding)
{
    DataStorage store;
    QList<TableViewItemPtr> entries;
    for (const QString& path : {editor, viewer})
        entries << TableViewItem::initForPath(path, path, ListviewItemType::application, ListviewItemSource::spotlight);
    store.allData()->appendContentsOf(entries);
    store.setEnableDataProxies(true);
    start(QStringLiteral("editor"));
    QThread::msleep(300);
    start(QStringLiteral("viewer"));
    const QDateTime finding = QDateTime::currentDateTime();

    makeManager();
    const std::optional<QDateTime> editorDate = entries[0]->lastUsedDate(), viewerDate = entries[1]->lastUsedDate();
    ASSERT_TRUE(editorDate && viewerDate);
    EXPECT_LT(*editorDate, *viewerDate);
    EXPECT_LE(*viewerDate, finding);
    EXPECT_EQ(platform::LaunchHistory::shared().recordedDate(editor), editorDate);

    manager.reset();
    source.reset();
    makeManager(); // the next start
    EXPECT_EQ(entries[0]->lastUsedDate(), editorDate);
    EXPECT_EQ(entries[1]->lastUsedDate(), viewerDate);
    EXPECT_EQ(platform::LaunchHistory::shared().recordedDate(viewer), viewerDate);
}
