#include "platform/Bundle.h"

#include "platform/PropertyList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using vantel::platform::Bundle;
namespace PropertyList = vantel::platform::PropertyList;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// A small bundle with an Info.plist, two resources and a localized one.
QString makeBundle(const QString& name, const QByteArray& info)
{
    const QString app = vantel::test::makeTempDir(name) + "/Sample.app";
    writeFile(app + "/Contents/Info.plist", info);
    writeFile(app + "/Contents/Resources/help_intro.md", "# Help");
    writeFile(app + "/Contents/Resources/README", "plain");
    writeFile(app + "/Contents/Resources/images/status_unknown.svg", "<svg/>");
    writeFile(app + "/Contents/Resources/Base.lproj/Localizable.strings", "\"a\" = \"b\";");
    return app;
}

QByteArray sampleInfo()
{
    return PropertyList::serialize(QVariantMap{{"CFBundleIdentifier", "org.example.sample"},
                                               {"CFBundleExecutable", "Sample"},
                                               {"LSUIElement", true}},
                                   PropertyList::Format::Xml);
}

} // namespace

TEST(Bundle, ReadsTheBuiltApplicationBundle)
{
    const QString contents = QStringLiteral(VANTEL_BUNDLE_DIR);
    const QString app = QFileInfo(contents).absolutePath();
    for (const QString& path : {app, contents, app + "/"}) {
        const auto bundle = Bundle::atPath(path);
        ASSERT_TRUE(bundle) << path.toStdString();
        EXPECT_EQ(bundle->bundlePath(), app);
        EXPECT_EQ(bundle->bundleIdentifier(), "net.tarnwick.vantel");
        EXPECT_EQ(bundle->objectForInfoDictionaryKey("CFBundleName").toString(), "Vantel");
        EXPECT_EQ(bundle->executablePath(), contents + "/MacOS/Vantel");
        EXPECT_EQ(bundle->resourcePath(), contents + "/Resources");
        EXPECT_TRUE(bundle->infoError().isEmpty());
    }
    const auto launcher = Bundle::atPath(contents + "/Library/LoginItems/VantelLauncher.app");
    ASSERT_TRUE(launcher);
    EXPECT_EQ(launcher->bundleIdentifier(), "net.tarnwick.vantelLauncher");
}

TEST(Bundle, FindsResourcesByNameExtensionAndFolder)
{
    const auto bundle = Bundle::atPath(makeBundle("bundle-resources", sampleInfo()));
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundleIdentifier(), "org.example.sample");
    EXPECT_EQ(bundle->objectForInfoDictionaryKey("LSUIElement"), QVariant(true));
    EXPECT_FALSE(bundle->objectForInfoDictionaryKey("Missing").isValid());

    const QString resources = bundle->resourcePath();
    EXPECT_EQ(bundle->pathForResource("help_intro", "md"), resources + "/help_intro.md");
    EXPECT_EQ(bundle->pathForResource("help_intro", ".md"), resources + "/help_intro.md");
    EXPECT_EQ(bundle->pathForResource("help_intro.md", ""), resources + "/help_intro.md");
    EXPECT_EQ(bundle->pathForResource("README", {}), resources + "/README");
    EXPECT_EQ(bundle->pathForResource("status_unknown", "svg", "images"), resources + "/images/status_unknown.svg");
    EXPECT_EQ(bundle->pathForResource("Localizable", "strings"), resources + "/Base.lproj/Localizable.strings");

    EXPECT_FALSE(bundle->pathForResource("status_unknown", "svg"));
    EXPECT_FALSE(bundle->pathForResource("help_intro", "txt"));
    EXPECT_FALSE(bundle->pathForResource("images", {}));   // a folder is no resource file
    EXPECT_FALSE(bundle->pathForResource("", "md"));
}

// A copy in the user's language wins over the English file at the top; a
// language without its copy, and every language after English, falls back.
TEST(Bundle, PrefersTheCopyInTheUsersLanguage)
{
    const QString app = makeBundle("bundle-languages", sampleInfo());
    const QString resources = app + "/Contents/Resources";
    writeFile(resources + "/de.lproj/help_intro.md", "# Hilfe");
    writeFile(resources + "/de-AT.lproj/help_intro.md", "# Hilfe (AT)");
    writeFile(resources + "/fr.lproj/README", "texte");

    const auto find = [&](const QString& file, const QStringList& languages) {
        return Bundle::resourceIn(resources, file, languages).value_or(QString());
    };
    EXPECT_EQ(find("help_intro.md", {"de-DE", "de"}), resources + "/de.lproj/help_intro.md");
    EXPECT_EQ(find("help_intro.md", {"de_AT"}), resources + "/de-AT.lproj/help_intro.md");
    // The first language the bundle has wins: one it lacks is passed over,
    // one it has but without this file falls back to English, not to a later language.
    EXPECT_EQ(find("help_intro.md", {"es-ES", "de-DE"}), resources + "/de.lproj/help_intro.md");
    EXPECT_EQ(find("help_intro.md", {"fr-FR", "de-DE"}), resources + "/help_intro.md");
    EXPECT_EQ(find("README", {"fr-FR", "de-DE"}), resources + "/fr.lproj/README");
    // Qt's own texts follow the same choice.
    EXPECT_EQ(Bundle::localizationLanguage(resources, {"es-ES", "de-DE"}), "de");
    EXPECT_EQ(Bundle::localizationLanguage(resources, {"de_AT"}), "de-AT");
    EXPECT_EQ(Bundle::localizationLanguage(resources, {"en", "de"}), "");
    EXPECT_EQ(find("help_intro.md", {"en-US", "en"}), resources + "/help_intro.md");
    EXPECT_EQ(find("help_intro.md", {"en-GB", "de-DE"}), resources + "/help_intro.md");
    EXPECT_EQ(find("help_intro.md", {}), resources + "/help_intro.md");
    // A German copy missing: the English one.
    EXPECT_EQ(find("README", {"de-DE"}), resources + "/README");
    EXPECT_EQ(find("Localizable.strings", {"de-DE"}), resources + "/Base.lproj/Localizable.strings");
    EXPECT_FALSE(Bundle::resourceIn(resources, "../Info.plist", {"de"}));
    EXPECT_FALSE(Bundle::resourceIn(resources, "missing.md", {"de"}));
}

TEST(Bundle, RefusesResourceNamesThatLeaveTheBundle)
{
    const auto bundle = Bundle::atPath(makeBundle("bundle-escape", sampleInfo()));
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->pathForResource("../Info", "plist"));
    EXPECT_FALSE(bundle->pathForResource("Info", "plist", ".."));
    EXPECT_FALSE(bundle->pathForResource(bundle->bundlePath() + "/Contents/Info", "plist"));
    EXPECT_FALSE(bundle->pathForResource("help_intro", "md", "images/../.."));
}

TEST(Bundle, DamagedOrMissingInfoLeavesAnEmptyDictionary)
{
    const QList<QByteArray> infos = {"not a plist at all", "", PropertyList::serialize(QVariantList{"x"}),
                                     PropertyList::serialize(QVariantMap{{"CFBundleIdentifier", 42},
                                                                         {"CFBundleExecutable", "../../evil"}})};
    int n = 0;
    for (const QByteArray& info : infos) {
        const auto bundle = Bundle::atPath(makeBundle(QString("bundle-damaged-%1").arg(n++), info));
        ASSERT_TRUE(bundle);
        EXPECT_TRUE(bundle->bundleIdentifier().isEmpty());
        EXPECT_TRUE(bundle->executablePath().isEmpty());
        EXPECT_EQ(bundle->pathForResource("README", {}), bundle->resourcePath() + "/README");
    }
    const QString bare = vantel::test::makeTempDir("bundle-bare") + "/Bare.app";
    QDir().mkpath(bare);
    const auto bundle = Bundle::atPath(bare);
    ASSERT_TRUE(bundle);
    EXPECT_TRUE(bundle->infoDictionary().isEmpty());
    EXPECT_FALSE(bundle->infoError().isEmpty());
}

TEST(Bundle, MissingFolderIsNoBundle)
{
    EXPECT_FALSE(Bundle::atPath({}));
    EXPECT_FALSE(Bundle::atPath(vantel::test::testHome() + "/nowhere/X.app"));
    const QString file = vantel::test::makeTempDir("bundle-file") + "/File.app";
    writeFile(file, "x");
    EXPECT_FALSE(Bundle::atPath(file));
}

TEST(Bundle, UnbundledExecutableGetsTheCompiledInIdentity)
{
    const Bundle& bundle = Bundle::main();
    EXPECT_EQ(&bundle, &Bundle::main());
    EXPECT_EQ(bundle.bundleIdentifier(), VANTEL_BUNDLE_ID);
    EXPECT_EQ(bundle.executablePath(), QFileInfo("/proc/self/exe").symLinkTarget());
    EXPECT_TRUE(bundle.resourcePath().endsWith("/resources/bundle"));
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey("CFBundleShortVersionString").toString().isEmpty());
}

TEST(Bundle, ExecutableInsideABundleFindsIt)
{
    const QString contents = QStringLiteral(VANTEL_BUNDLE_DIR);
    const Bundle app = Bundle::forExecutable(contents + "/MacOS/Vantel");
    EXPECT_EQ(app.bundlePath(), QFileInfo(contents).absolutePath());
    EXPECT_EQ(app.bundleIdentifier(), "net.tarnwick.vantel");
    EXPECT_EQ(app.resourcePath(), contents + "/Resources");

    const Bundle launcher =
        Bundle::forExecutable(contents + "/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher");
    EXPECT_EQ(launcher.bundleIdentifier(), "net.tarnwick.vantelLauncher");
    EXPECT_EQ(launcher.executablePath(),
              contents + "/Library/LoginItems/VantelLauncher.app/Contents/MacOS/VantelLauncher");

    // A damaged Info.plist still leaves the program an identifier.
    const QString broken = makeBundle("bundle-broken-main", "garbage");
    EXPECT_EQ(Bundle::forExecutable(broken + "/Contents/MacOS/Sample").bundleIdentifier(), VANTEL_BUNDLE_ID);

    // Not a bundle layout: the executable's folder, the resources the test program was given.
    const QString loose = vantel::test::makeTempDir("bundle-loose");
    const Bundle unbundled = Bundle::forExecutable(loose + "/MacOS/tool");
    EXPECT_EQ(unbundled.bundlePath(), loose + "/MacOS");
    EXPECT_EQ(unbundled.bundleIdentifier(), VANTEL_BUNDLE_ID);
    EXPECT_TRUE(unbundled.resourcePath().endsWith("/resources/bundle"));
}

TEST(Bundle, AnInstalledProgramFindsItsFilesBelowItsPrefix)
{
    const QString prefix = vantel::test::makeTempDir("bundle-installed") + "/my prefix";
    writeFile(prefix + "/share/vantel/versionhistory.md", "# History\n");
    writeFile(prefix + "/bin/vantel", "#!/bin/sh\n");
    writeFile(prefix + "/libexec/vantel/vantel-launcher", "#!/bin/sh\n");

    const Bundle program = Bundle::forExecutable(prefix + "/bin/vantel");
    EXPECT_EQ(program.layout(), Bundle::Layout::installed);
    EXPECT_EQ(program.bundlePath(), prefix);
    EXPECT_EQ(program.executablePath(), prefix + "/bin/vantel");
    EXPECT_EQ(program.resourcePath(), prefix + "/share/vantel");
    EXPECT_EQ(program.bundleIdentifier(), "net.tarnwick.vantel");
    EXPECT_EQ(program.pathForResource("versionhistory", "md"), prefix + "/share/vantel/versionhistory.md");
    EXPECT_FALSE(program.objectForInfoDictionaryKey("CFBundleShortVersionString").toString().isEmpty());

    const Bundle launcher = Bundle::forExecutable(prefix + "/libexec/vantel/vantel-launcher");
    EXPECT_EQ(launcher.layout(), Bundle::Layout::installed);
    EXPECT_EQ(launcher.bundlePath(), prefix);
    EXPECT_EQ(launcher.bundleIdentifier(), "net.tarnwick.vantelLauncher");

    // Another name or folder is no install, and neither is a prefix without its resources.
    EXPECT_EQ(Bundle::forExecutable(prefix + "/bin/other").layout(), Bundle::Layout::loose);
    EXPECT_EQ(Bundle::forExecutable(prefix + "/sbin/vantel").layout(), Bundle::Layout::loose);
    EXPECT_EQ(Bundle::forExecutable(prefix + "/libexec/vantel-launcher").layout(), Bundle::Layout::loose);
    EXPECT_EQ(Bundle::forExecutable(prefix + "/bin/vantel-launcher").layout(), Bundle::Layout::loose);
    ASSERT_TRUE(QDir(prefix + "/share/vantel").removeRecursively());
    EXPECT_EQ(Bundle::forExecutable(prefix + "/bin/vantel").layout(), Bundle::Layout::loose);

    // The build tree's bundle is still a bundle.
    EXPECT_EQ(Bundle::forExecutable(QStringLiteral(VANTEL_BUNDLE_DIR "/MacOS/Vantel")).layout(),
              Bundle::Layout::appBundle);
}
