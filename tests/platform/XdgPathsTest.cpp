#include "platform/XdgPaths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace XdgPaths = vantel::platform::XdgPaths;

namespace {

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

TEST(XdgPaths, FollowsTheEnvironment)
{
    const QString home = vantel::test::testHome();
    EXPECT_EQ(XdgPaths::configHome(), home + "/config");
    EXPECT_EQ(XdgPaths::dataHome(), home + "/data");
    EXPECT_EQ(XdgPaths::cacheHome(), home + "/cache");
    EXPECT_EQ(XdgPaths::settingsFile(), home + "/config/Vantel/net.tarnwick.vantel.plist");
    EXPECT_EQ(XdgPaths::autostartDir(), home + "/config/autostart");
}

TEST(XdgPaths, UnsetEmptyOrRelativeValuesFallBackToDefaults)
{
    const QString home = vantel::test::testHome();
    {
        ScopedEnv config("XDG_CONFIG_HOME", "");
        ScopedEnv data("XDG_DATA_HOME", "relative/share");
        ScopedEnv dirs("XDG_DATA_DIRS", "");
        EXPECT_EQ(XdgPaths::configHome(), home + "/.config");
        EXPECT_EQ(XdgPaths::dataHome(), home + "/.local/share");
        EXPECT_EQ(XdgPaths::dataDirs(), (QStringList{"/usr/local/share", "/usr/share"}));
    }
    EXPECT_EQ(XdgPaths::configHome(), home + "/config");
}

TEST(XdgPaths, ApplicationDirsKeepOrderAndDropRepeats)
{
    const QString home = vantel::test::testHome();
    ScopedEnv dirs("XDG_DATA_DIRS", "/opt/one/::relative:/usr/share:/opt/one:" + (home + "/data").toUtf8());
    EXPECT_EQ(XdgPaths::dataDirs(), (QStringList{"/opt/one", "/usr/share", home + "/data"}));
    EXPECT_EQ(XdgPaths::applicationDirs(),
              (QStringList{home + "/data/applications", "/opt/one/applications", "/usr/share/applications"}));
}

TEST(XdgPaths, DocumentsDirIsCreatedOnDemand)
{
    const QString expected = vantel::test::testHome() + "/data/Vantel";
    QDir(expected).removeRecursively();
    EXPECT_EQ(XdgPaths::documentsDir(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
}
