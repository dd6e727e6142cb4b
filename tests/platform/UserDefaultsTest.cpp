#include "platform/LoadAlerts.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/ScriptedDialogProvider.h"
#include "platform/UserDefaults.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <optional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantel::platform;

namespace {

const char* const childPathVariable = "VANTEL_TEST_DEFAULTS_WRITER";

QString freshPath(const QString& name)
{
    return vantel::test::makeTempDir(name) + QStringLiteral("/Vantel/settings.plist");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// The copies a refused save kept in `folder`, without the note that names them.
QStringList sessionCopiesIn(const QString& folder)
{
    QStringList copies = QDir(folder).entryList({QStringLiteral("*.session-*")}, QDir::Files);
    copies.removeIf([](const QString& name) { return name.endsWith(QStringLiteral(".session-note")); });
    return copies;
}

} // namespace

TEST(UserDefaultsTest, EveryTypeIsKeptAcrossARestart)
{
    const QString path = freshPath(QStringLiteral("types"));
    const QVariantMap dictionary{{QStringLiteral("nested"), QVariantList{qint64(1), QStringLiteral("x")}}};
    {
        UserDefaults defaults(path);
        defaults.setBool(true, QStringLiteral("bool"));
        defaults.setInteger(-7, QStringLiteral("int"));
        defaults.setInteger(0, QStringLiteral("zero"));
        defaults.setDouble(0.1, QStringLiteral("double"));
        defaults.setDouble(3.0, QStringLiteral("wholeDouble"));
        defaults.setFloat(0.2f, QStringLiteral("float"));
        defaults.setString(QStringLiteral("/usr/bin/files"), QStringLiteral("string"));
        defaults.setString(QString(), QStringLiteral("emptyString"));
        defaults.setStringArray({QStringLiteral("/a"), QStringLiteral("/b")}, QStringLiteral("strings"));
        defaults.setData(QByteArray("\0\1\2", 3), QStringLiteral("data"));
        defaults.setDictionary(dictionary, QStringLiteral("dict"));
        ASSERT_TRUE(defaults.synchronize());
    }
    UserDefaults defaults(path);
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("bool")).typeId(), QMetaType::Bool);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("bool")));
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("int")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("int")), -7);
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("zero")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("double")).typeId(), QMetaType::Double);
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("double")), 0.1);
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("wholeDouble")).typeId(), QMetaType::Double);
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("float")), 0.2f);
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("string")), QStringLiteral("/usr/bin/files"));
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("emptyString")), QString());
    EXPECT_EQ(defaults.stringArrayForKey(QStringLiteral("strings")), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(defaults.dataForKey(QStringLiteral("data")), QByteArray("\0\1\2", 3));
    EXPECT_EQ(defaults.dictionaryForKey(QStringLiteral("dict")), dictionary);

    // The file is a binary property list any reader understands.
    const auto raw = PropertyList::parse(readFile(path));
    ASSERT_TRUE(raw);
    EXPECT_TRUE(readFile(path).startsWith("bplist00"));
    EXPECT_EQ(raw->toMap().value(QStringLiteral("bool")).typeId(), QMetaType::Bool);
}

TEST(UserDefaultsTest, MissingAndMistypedValuesReadAsEmptyOrTheFallback)
{
    UserDefaults defaults(freshPath(QStringLiteral("missing")));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("none")));
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("none"), true));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("none")), 0);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("none"), 5), 5);
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("none"), 0.5), 0.5);
    EXPECT_EQ(defaults.floatForKey(QStringLiteral("none")), 0.f);
    EXPECT_FALSE(defaults.stringForKey(QStringLiteral("none")));
    EXPECT_TRUE(defaults.stringArrayForKey(QStringLiteral("none")).isEmpty());
    EXPECT_FALSE(defaults.dataForKey(QStringLiteral("none")));
    EXPECT_FALSE(defaults.dictionaryForKey(QStringLiteral("none")));
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("none")).isValid());

    defaults.setObject(QVariantList{QStringLiteral("a"), qint64(1)}, QStringLiteral("mixed"));
    defaults.setString(QStringLiteral("text"), QStringLiteral("text"));
    defaults.setString(QStringLiteral("42"), QStringLiteral("numeric"));
    defaults.setString(QStringLiteral("YES"), QStringLiteral("yes"));
    defaults.setDouble(2.9, QStringLiteral("real"));
    defaults.setBool(true, QStringLiteral("flag"));
    EXPECT_TRUE(defaults.stringArrayForKey(QStringLiteral("mixed")).isEmpty());
    EXPECT_FALSE(defaults.dataForKey(QStringLiteral("text")));
    EXPECT_FALSE(defaults.dictionaryForKey(QStringLiteral("mixed")));
    EXPECT_FALSE(defaults.stringForKey(QStringLiteral("real")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("text"), 9), 9);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("text"), true));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("numeric")), 42);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("yes")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("real")), 2);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("flag")), 1);
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("flag")), 1.0);
}

TEST(UserDefaultsTest, RemovingNullsAndRefusedValues)
{
    const QString path = freshPath(QStringLiteral("remove"));
    UserDefaults defaults(path);
    defaults.setInteger(1, QStringLiteral("a"));
    defaults.setInteger(2, QStringLiteral("b"));
    defaults.removeObject(QStringLiteral("a"));
    defaults.setObject(QVariant(), QStringLiteral("b"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("a")));
    EXPECT_FALSE(defaults.contains(QStringLiteral("b")));

    defaults.setString(QStringLiteral("kept"), QStringLiteral("c"));
    defaults.setObject(QUrl(QStringLiteral("https://example.org")), QStringLiteral("c"));
    defaults.setObject(QVariantList{QStringLiteral("x"), QVariant()}, QStringLiteral("d"));
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("c")), QStringLiteral("kept"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("d")));
    ASSERT_TRUE(defaults.synchronize());

    defaults.setInteger(3, QStringLiteral("unsaved"));
    defaults.reload();
    EXPECT_FALSE(defaults.contains(QStringLiteral("unsaved")));
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("c")), QStringLiteral("kept"));
}

TEST(UserDefaultsTest, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty)
{
    Log::CaptureSink sink;
    const bool logging = Log::debugLogging();
    Log::setDebugLogging(true);

    const QByteArray good = PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}});
    QByteArray exponential("bplist00");
    for (int i = 0; i < 24; ++i)
        exponential += QByteArray("\xa2") + char(i + 1) + char(i + 1);
    exponential += "\xa0";
    for (int i = 0; i < 25; ++i)
        exponential += char(8 + 3 * i);
    exponential += QByteArray(6, '\0') + "\x01\x01" + QByteArray(7, '\0') + "\x19" + QByteArray(15, '\0') + "\x51";
    const QList<QByteArray> damaged{good.left(good.size() - 5), QByteArray("not a plist at all"),
                                    PropertyList::serialize(QVariantList{qint64(1)}),
                                    QByteArray("<plist><dict><key>k</key><string>\0</string></dict></plist>", 58),
                                    "<plist>" + QByteArray("<array>").repeated(200000) + "</plist>", exponential};
    for (const QByteArray& bytes : damaged) {
        const QString path = freshPath(QStringLiteral("damaged"));
        writeFile(path, bytes);
        sink.clear();

        UserDefaults defaults(path);
        EXPECT_FALSE(defaults.contains(QStringLiteral("k")));
        EXPECT_FALSE(QFileInfo::exists(path));
        const QStringList aside = QFileInfo(path).dir().entryList({QStringLiteral("settings.plist.damaged-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(readFile(QFileInfo(path).dir().filePath(aside.first())), bytes);
        ASSERT_EQ(sink.messages().size(), 1);
        EXPECT_TRUE(sink.messages().first().contains(QStringLiteral("damaged")));

        // The store works on, and a second damaged file does not overwrite the first.
        defaults.setBool(true, QStringLiteral("fresh"));
        ASSERT_TRUE(defaults.synchronize());
        EXPECT_TRUE(UserDefaults(path).boolForKey(QStringLiteral("fresh")));
        writeFile(path, bytes);
        UserDefaults again(path);
        EXPECT_EQ(QFileInfo(path).dir().entryList({QStringLiteral("settings.plist.damaged-*")}, QDir::Files).size(), 2);
    }
    Log::setDebugLogging(logging);
}

// Every descriptor the process may open is in use: the next open fails with
// EMFILE, a failure that is not the file's fault (root is not spared).
class NoFreeDescriptors {
public:
    NoFreeDescriptors()
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = 0;
        for (const QString& fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
            highest = std::max(highest, fd.toInt());
        rlimit limit = saved_;
        limit.rlim_cur = rlim_t(highest + 1);
        // Descriptors below the limit that are free would still be handed out.
        for (int fd = 0; fd <= highest; ++fd)
            if (::fcntl(fd, F_GETFD) < 0)
                filler_.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~NoFreeDescriptors()
    {
        ::setrlimit(RLIMIT_NOFILE, &saved_);
        for (int fd : filler_)
            ::close(fd);
    }

private:
    rlimit saved_ {};
    std::vector<int> filler_;
};

TEST(UserDefaultsTest, AFileThatCannotBeReadIsNeitherMovedNorWrittenOver)
{
    LoadAlerts::reset();
    const QString path = freshPath(QStringLiteral("unreadable"));
    const QByteArray stored = PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}});
    writeFile(path, stored);
    std::optional<UserDefaults> defaults;
    {
        NoFreeDescriptors exhausted;
        defaults.emplace(path);
    }
    EXPECT_FALSE(defaults->contains(QStringLiteral("k")));
    EXPECT_FALSE(defaults->writeRefusal().isEmpty());
    defaults->setBool(true, QStringLiteral("fresh"));
    EXPECT_FALSE(defaults->synchronize());
    EXPECT_EQ(readFile(path), stored);
    EXPECT_TRUE(QFileInfo(path).dir().entryList({QStringLiteral("settings.plist.damaged-*")}, QDir::Files).isEmpty());
    ASSERT_EQ(LoadAlerts::pending().size(), 1);
    EXPECT_TRUE(LoadAlerts::pending().first().informativeText.contains(path));
}

TEST(UserDefaultsTest, WhatIsNoRegularFileIsRefusedUnreadAndKept)
{
    // A FIFO would block the start, /dev/zero would be read without end.
    const QString fifo = freshPath(QStringLiteral("fifo"));
    QDir().mkpath(QFileInfo(fifo).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = freshPath(QStringLiteral("zero"));
    QDir().mkpath(QFileInfo(zero).absolutePath());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {fifo, zero}) {
        LoadAlerts::reset();
        UserDefaults defaults(path);
        EXPECT_TRUE(defaults.objectForKey(QStringLiteral("k")).isNull());
        defaults.setBool(true, QStringLiteral("fresh"));
        EXPECT_FALSE(defaults.synchronize());
        ASSERT_EQ(LoadAlerts::pending().size(), 1) << path.toStdString();
        EXPECT_TRUE(LoadAlerts::pending().first().informativeText.contains(QStringLiteral("not a regular file")));
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    EXPECT_EQ(QFileInfo(zero).symLinkTarget(), QStringLiteral("/dev/zero"));
}

TEST(UserDefaultsTest, ALinkedSettingsFileStaysALinkAndItsTargetIsWritten)
{
    const QString path = freshPath(QStringLiteral("linked"));
    const QString target = vantel::test::makeTempDir(QStringLiteral("dotfiles")) + QStringLiteral("/vantel.plist");
    writeFile(target, PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}}));
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QFile::link(target, path));
    {
        UserDefaults defaults(path);
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), 1);
        defaults.setInteger(2, QStringLiteral("k"));
        ASSERT_TRUE(defaults.synchronize());
    }
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(UserDefaults(target).integerForKey(QStringLiteral("k")), 2);
}

TEST(UserDefaultsTest, DamageAndAFolderThatCannotBeWrittenAreToldOnceWithWhereToLook)
{
    LoadAlerts::reset();
    const QString path = freshPath(QStringLiteral("told"));
    writeFile(path, QByteArray("not a plist at all"));
    UserDefaults defaults(path);
    defaults.reload(); // nothing more to tell: the file is gone aside
    ASSERT_EQ(LoadAlerts::pending().size(), 1);
    const QString text = LoadAlerts::pending().first().informativeText;
    const QStringList aside = QFileInfo(path).dir().entryList({QStringLiteral("settings.plist.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(text.contains(aside.first()));
    EXPECT_TRUE(text.contains(QStringLiteral("/Backup")));

    // A folder that can't be written, seen by an account that permissions
    // stop (a child that gives up root where the test runs as root).
    const QString folder = vantel::test::makeTempDir(QStringLiteral("read-only"));
    ::chmod(QFile::encodeName(vantel::test::testHome()).constData(), 0755);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    EXPECT_EQ(vantel::test::exitCodeAsUnprivilegedChild([&] {
                  LoadAlerts::reset();
                  UserDefaults readOnly(folder + QStringLiteral("/settings.plist"));
                  const QList<LoadAlerts::Alert> told = LoadAlerts::pending();
                  return told.size() == 1 && told.first().messageText == QStringLiteral("The settings can't be kept")
                          && told.first().informativeText.contains(folder)
                      ? 0
                      : 1;
              }),
              0);
}

// The settings folder is a link into a drive mounted after the start: the
// load finds nothing and says at once that the folder can't be reached, and
// the user's file that appears with the drive (or one another program puts in
// place of the file read) is never written over.
TEST(UserDefaultsTest, AFileThatAppearedOrWasReplacedSinceTheLoadIsKeptAndToldOnce)
{
    const QByteArray users = PropertyList::serialize(QVariantMap{{QStringLiteral("ApplicationData"), QByteArray(6000, 'u')}});
    for (const bool appeared : {true, false}) {
        SCOPED_TRACE(appeared ? "appeared" : "replaced");
        LoadAlerts::reset();
        const QString home = vantel::test::makeTempDir(QStringLiteral("mounted-later"));
        const QString drive = home + QStringLiteral("/media/drive");
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/config")));
        ASSERT_TRUE(QFile::link(drive + QStringLiteral("/Vantel"), home + QStringLiteral("/config/Vantel")));
        const QString path = home + QStringLiteral("/config/Vantel/settings.plist");
        if (!appeared) {
            ASSERT_TRUE(QDir().mkpath(drive + QStringLiteral("/Vantel")));
            writeFile(path, PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}}));
        }
        UserDefaults defaults(path);
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), appeared ? 0 : 1);
        QList<LoadAlerts::Alert> told = LoadAlerts::pending();
        if (appeared) {
            ASSERT_EQ(told.size(), 1);
            EXPECT_EQ(told.first().messageText, QStringLiteral("The settings can't be kept"));
            for (const QString& named : {home + QStringLiteral("/config/Vantel"), drive + QStringLiteral("/Vantel")})
                EXPECT_TRUE(told.first().informativeText.contains(named)) << named.toStdString();
            EXPECT_TRUE(told.first().informativeText.contains(QStringLiteral("can't be reached")));
            defaults.reload();
        } else {
            EXPECT_TRUE(told.isEmpty());
        }
        ASSERT_TRUE(QDir().mkpath(drive + QStringLiteral("/Vantel")));
        QFile::remove(path);
        writeFile(path, users);
        defaults.setInteger(2, QStringLiteral("k"));
        EXPECT_FALSE(defaults.synchronize());
        defaults.setInteger(3, QStringLiteral("k"));
        EXPECT_FALSE(defaults.synchronize());
        EXPECT_EQ(readFile(drive + QStringLiteral("/Vantel/settings.plist")), users);
        // The session's settings, as the last save had them, beside the user's file.
        const QStringList copies = sessionCopiesIn(drive + QStringLiteral("/Vantel"));
        ASSERT_EQ(copies.size(), 1);
        const QString copy = QFileInfo(path).absolutePath() + u'/' + copies.first();
        EXPECT_EQ(UserDefaults(copy).integerForKey(QStringLiteral("k")), 3);
        told = LoadAlerts::pending();
        ASSERT_EQ(told.size(), appeared ? 2 : 1);
        EXPECT_EQ(told.last().messageText, QStringLiteral("The settings file changed after the start"));
        EXPECT_TRUE(told.last().informativeText.contains(path));
        EXPECT_TRUE(told.last().informativeText.contains(copy));
        EXPECT_TRUE(told.last().informativeText.contains(QStringLiteral("restart Vantel")));
    }
    // What the store wrote itself it replaces again.
    const QString own = freshPath(QStringLiteral("own-writes"));
    UserDefaults defaults(own);
    for (const qint64 value : {1, 2}) {
        defaults.setInteger(value, QStringLiteral("k"));
        EXPECT_TRUE(defaults.synchronize());
    }
    EXPECT_EQ(UserDefaults(own).integerForKey(QStringLiteral("k")), 2);
}

// The same bytes put back by a sync tool under a new inode, then touched:
// still the file the store read, saved over and over.
TEST(UserDefaultsTest, TheFileReadPutBackOrTouchedIsSavedOver)
{
    LoadAlerts::reset();
    const QString path = freshPath(QStringLiteral("put-back"));
    writeFile(path, PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}}));
    UserDefaults defaults(path);
    const QByteArray bytes = readFile(path);
    ASSERT_TRUE(QFile::remove(path));
    writeFile(path, bytes);
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0), 0);
    for (const qint64 value : {2, 3}) {
        defaults.setInteger(value, QStringLiteral("k"));
        EXPECT_TRUE(defaults.synchronize()) << value;
    }
    EXPECT_EQ(UserDefaults(path).integerForKey(QStringLiteral("k")), 3);
    EXPECT_TRUE(LoadAlerts::pending().isEmpty());
}

// A refused save at the quit has an alert no one sees: the next start tells
// which file was kept and where the settings went, and only once. A refusal
// whose alert was shown is not told again.
TEST(UserDefaultsTest, ACopyOfTheSessionNoOneWasToldOfIsToldAtTheNextStartOnce)
{
    const auto dialogs = std::make_shared<ScriptedDialogProvider>();
    DialogProvider::setShared(dialogs);
    for (const bool seen : {false, true}) {
        SCOPED_TRACE(seen ? "seen" : "unseen");
        LoadAlerts::reset();
        const QString path = freshPath(QStringLiteral("told-later"));
        writeFile(path, PropertyList::serialize(QVariantMap{{QStringLiteral("k"), qint64(1)}}));
        {
            UserDefaults defaults(path);
            writeFile(path, PropertyList::serialize(QVariantMap{{QStringLiteral("theirs"), qint64(10)}}));
            defaults.setInteger(2, QStringLiteral("k"));
            EXPECT_FALSE(defaults.synchronize());
            if (seen)
                LoadAlerts::showPending();
        }
        const QStringList copies = sessionCopiesIn(QFileInfo(path).absolutePath());
        ASSERT_EQ(copies.size(), 1);
        const QString copy = QFileInfo(path).absolutePath() + u'/' + copies.first();

        LoadAlerts::reset();
        EXPECT_EQ(UserDefaults(path).integerForKey(QStringLiteral("theirs")), 10);
        const QList<LoadAlerts::Alert> told = LoadAlerts::pending();
        if (!seen) {
            ASSERT_EQ(told.size(), 1);
            EXPECT_EQ(told.first().messageText, QStringLiteral("The settings of the last session were kept in another file"));
            EXPECT_TRUE(told.first().informativeText.contains(path));
            EXPECT_TRUE(told.first().informativeText.contains(copy));
            LoadAlerts::showPending();
            LoadAlerts::reset();
            UserDefaults third(path);
        }
        EXPECT_TRUE(LoadAlerts::pending().isEmpty());
        EXPECT_EQ(UserDefaults(copy).integerForKey(QStringLiteral("k")), 2);
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".session-note")));
    }
    DialogProvider::setShared(nullptr);
}

TEST(UserDefaultsTest, TemporaryFilesOfAnUnfinishedSaveAreRemovedAtStart)
{
    const QString path = freshPath(QStringLiteral("leftover"));
    writeFile(path + QStringLiteral(".saving-Ab12Cd"), QByteArray("half a save"));
    writeFile(path + QStringLiteral(".backup"), QByteArray("the user's own"));
    UserDefaults defaults(path);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".saving-Ab12Cd")));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".backup")));
}

TEST(UserDefaultsTest, AFailedWriteReportsFalseAndLeavesThePreviousFile)
{
    const QString path = freshPath(QStringLiteral("failed"));
    UserDefaults defaults(path);
    defaults.setString(QStringLiteral("old"), QStringLiteral("key"));
    ASSERT_TRUE(defaults.synchronize());
    const QByteArray before = readFile(path);

    // A directory where the file should go: no writer can replace it.
    UserDefaults blocked(QFileInfo(path).absolutePath());
    blocked.setBool(true, QStringLiteral("x"));
    EXPECT_FALSE(blocked.synchronize());

    if (::geteuid() != 0) {
        const QString folder = QFileInfo(path).absolutePath();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        defaults.setString(QStringLiteral("new"), QStringLiteral("key"));
        EXPECT_FALSE(defaults.synchronize());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(readFile(path), before);
        EXPECT_TRUE(defaults.synchronize()); // still pending, written once possible
    }
}

// Run as a child by the test below: writes a large setting and is killed by
// the file-size limit in the middle of the write.
TEST(DISABLED_UserDefaultsChild, Writer)
{
    const QByteArray path = qgetenv(childPathVariable);
    ASSERT_FALSE(path.isEmpty()) << "run by UserDefaultsTest.AWriteKilledHalfwayLeavesThePreviousFileWhole";
    UserDefaults defaults(QString::fromUtf8(path));
    defaults.setData(QByteArray(1 << 20, 'x'), QStringLiteral("big"));
    defaults.setString(QStringLiteral("new"), QStringLiteral("key"));
    defaults.synchronize();
    ADD_FAILURE() << "the write was expected to be cut off";
}

TEST(UserDefaultsTest, AWriteKilledHalfwayLeavesThePreviousFileWhole)
{
    const QString path = freshPath(QStringLiteral("killed"));
    {
        UserDefaults defaults(path);
        defaults.setString(QStringLiteral("old"), QStringLiteral("key"));
        ASSERT_TRUE(defaults.synchronize());
    }
    const QByteArray before = readFile(path);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childPathVariable), path);
    child.setProcessEnvironment(environment);
    child.setChildProcessModifier([] {
        // Any file grown past 64 KiB ends the process with SIGXFSZ.
        rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=DISABLED_UserDefaultsChild.Writer")});
    ASSERT_TRUE(child.waitForFinished(int(vantel::test::longWait.count())));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();

    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(UserDefaults(path).stringForKey(QStringLiteral("key")), QStringLiteral("old"));
}

TEST(UserDefaultsTest, ReadsAndWritesFromManyThreads)
{
    const QString path = freshPath(QStringLiteral("threads"));
    UserDefaults defaults(path);
    std::atomic<bool> wrongValue{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const QString key = QStringLiteral("key%1").arg(t);
            for (int i = 0; i < 500; ++i) {
                defaults.setInteger(i, key);
                if (defaults.integerForKey(key) != i)
                    wrongValue = true;
                defaults.setStringArray({key}, QStringLiteral("shared"));
                (void)defaults.stringArrayForKey(QStringLiteral("shared"));
                if (i % 100 == 0)
                    defaults.synchronize();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(wrongValue);
    ASSERT_TRUE(defaults.synchronize());
    UserDefaults reread(path);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(reread.integerForKey(QStringLiteral("key%1").arg(t)), 499);
}

TEST(UserDefaultsTest, TheStandardStoreLivesInTheConfigFolder)
{
    EXPECT_TRUE(UserDefaults::standardFilePath().endsWith(QStringLiteral("/Vantel/net.tarnwick.vantel.plist")));
    EXPECT_TRUE(UserDefaults::standardFilePath().startsWith(vantel::test::testHome()));
    EXPECT_EQ(&UserDefaults::standard(), &UserDefaults::standard());
}

// The assistant opens while "launchedBefore" is not stored: a read-only
// folder brings it back only where the file does not say so.
TEST(UserDefaultsTest, AReadOnlyFolderSaysTheFirstRunShowsAgainOnlyWhereItWill)
{
    ::chmod(QFile::encodeName(vantel::test::testHome()).constData(), 0755);
    for (const bool launchedBefore : {false, true}) {
        const QString folder = vantel::test::makeTempDir(QStringLiteral("read-only-assistant"));
        if (launchedBefore)
            writeFile(folder + QStringLiteral("/settings.plist"),
                      PropertyList::serialize(QVariantMap{{QStringLiteral("launchedBefore"), true}}));
        ::chmod(QFile::encodeName(folder + QStringLiteral("/settings.plist")).constData(), 0644);
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        EXPECT_EQ(vantel::test::exitCodeAsUnprivilegedChild([&] {
                      LoadAlerts::reset();
                      UserDefaults readOnly(folder + QStringLiteral("/settings.plist"));
                      const QList<LoadAlerts::Alert> told = LoadAlerts::pending();
                      const bool saysShowsAgain = told.size() == 1
                          && told.first().informativeText.contains(QStringLiteral("assistant shows again"));
                      return told.size() == 1 && saysShowsAgain != launchedBefore ? 0 : 1;
                  }),
                  0)
            << "launched before: " << launchedBefore;
    }
}

// A dotfile manager's layout: the settings folder a link (home_cfg ->
// real/cfg) and the file in it a relative link whose ".." starts from real/cfg.
TEST(UserDefaultsTest, TheTwoLinkLayoutKeepsAChangeAcrossARestartWithNoStrayFile)
{
    const QString home = vantel::test::makeTempDir(QStringLiteral("two-links"));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/real/cfg")) && QDir().mkpath(home + QStringLiteral("/real/data")));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/cfg"), home + QStringLiteral("/home_cfg")));
    const QString path = home + QStringLiteral("/home_cfg/settings");
    ASSERT_EQ(::symlink("../data/settings", QFile::encodeName(path).constData()), 0);
    {
        UserDefaults defaults(path);
        defaults.setInteger(2, QStringLiteral("k"));
        ASSERT_TRUE(defaults.synchronize());
    }
    EXPECT_EQ(UserDefaults(path).integerForKey(QStringLiteral("k")), 2) << "the change is lost at the restart";
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    // Damage there is kept aside beside the real file.
    writeFile(home + QStringLiteral("/real/data/settings"), QByteArray("damaged"));
    UserDefaults damaged(path);
    EXPECT_EQ(QDir(home + QStringLiteral("/real/data")).entryList({QStringLiteral("settings.damaged-*")}).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/data"))) << "a stray file";
}
