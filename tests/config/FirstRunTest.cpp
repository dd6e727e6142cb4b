#include "ConfigTestSupport.h"

#include "config/FirstRunConfig.h"

#include <QSet>

namespace vantel::test {

TEST(FirstRunConfigTest, TheTableHoldsTheBundlePathsAndDesktopIDsUnderThirteenTags)
{
    FirstRunConfig presets;
    presets.fillPredefinedAppTag();
    QHash<QString, int> pathsByTag;
    QSet<QString> tags;
    int ids = 0;
    for (auto it = presets.predefinedAppTag().cbegin(); it != presets.predefinedAppTag().cend(); ++it) {
        tags.insert(it.value());
        if (it.key().startsWith(QLatin1Char('/'))) {
            EXPECT_TRUE(it.key().endsWith(QStringLiteral(".app"))) << it.key().toStdString();
            ++pathsByTag[it.value()];
        } else {
            EXPECT_TRUE(it.key().endsWith(QStringLiteral(".desktop"))) << it.key().toStdString();
            // A Linux utility is not filed under the maker of the Mac ones.
            EXPECT_FALSE(it.value().endsWith(QStringLiteral("|Apple")) || it.value().endsWith(QStringLiteral("|Microsoft")))
                << it.key().toStdString() << " under " << it.value().toStdString();
            ++ids;
        }
    }
    int paths = 0;
    for (int count : pathsByTag)
        paths += count;
    EXPECT_EQ(paths, 141);
    EXPECT_EQ(tags.size(), 13);
    EXPECT_EQ(pathsByTag.value(QStringLiteral("Tools|Apple")), 40);
    EXPECT_EQ(pathsByTag.value(QStringLiteral("Office")), 26);
    EXPECT_EQ(presets.predefinedAppTag().value(QStringLiteral("/Applications/MAMP/MAMP.app")), QStringLiteral("Webdesign"));
    EXPECT_EQ(presets.predefinedAppTag().value(QStringLiteral("/System/Applications/Utilities/Terminal.app")),
              QStringLiteral("Tools|Apple"));
    EXPECT_FALSE(presets.predefinedAppTag().contains(QStringLiteral("/System/Applications/Notes.app")));
    EXPECT_GT(ids, 100);
    EXPECT_EQ(presets.predefinedAppTag().value(QStringLiteral("org.gnome.Terminal.desktop")), QStringLiteral("Tools|System"));

    EXPECT_EQ(FirstRunConfig::desktopID(QStringLiteral("/usr/share/applications/kde4/kate.desktop"),
                                        {QStringLiteral("/usr/share/applications")}),
              QStringLiteral("kde4-kate.desktop"));
    EXPECT_EQ(FirstRunConfig::desktopID(QStringLiteral("/elsewhere/vlc.desktop"), {QStringLiteral("/usr/share/applications")}),
              QStringLiteral("vlc.desktop"));
    // Of nested scopes, the one listed first names the ID.
    const QString nested = QStringLiteral("/opt/apps/kde/kate.desktop");
    EXPECT_EQ(FirstRunConfig::desktopID(nested, {QStringLiteral("/opt/apps"), QStringLiteral("/opt/apps/kde")}),
              QStringLiteral("kde-kate.desktop"));
    EXPECT_EQ(FirstRunConfig::desktopID(nested, {QStringLiteral("/opt/apps/kde/"), QStringLiteral("/opt/apps")}),
              QStringLiteral("kate.desktop"));
}

TEST_F(ConfigTest, AFirstRunTagsTheApplicationsItKnows)
{
    const QString scope = makeTempDir(QStringLiteral("apps"));
    const auto application = [this](const QString& path, const QString& name) {
        auto entry = TableViewItem::initForPath(path, name, ListviewItemType::application, ListviewItemSource::spotlight);
        store->allData()->append(entry);
        return entry;
    };
    auto calculator = application(scope + QStringLiteral("/org.gnome.Calculator.desktop"), QStringLiteral("Calculator"));
    auto writer = application(scope + QStringLiteral("/libreoffice-writer.desktop"), QStringLiteral("Writer"));
    auto terminal = application(QStringLiteral("/System/Applications/Utilities/Terminal.app"), QStringLiteral("Terminal"));
    auto unknown = application(scope + QStringLiteral("/com.example.Unknown.desktop"), QStringLiteral("Unknown"));

    FirstRunConfig presets;
    presets.fillPredefinedAppTag();
    presets.applyPredefinedTags(*store, {scope});
    EXPECT_EQ(calculator->tags(), QStringList{QStringLiteral("Tools|System")});
    EXPECT_EQ(writer->tags(), QStringList{QStringLiteral("Office")});
    EXPECT_EQ(terminal->tags(), QStringList{QStringLiteral("Tools|Apple")});
    EXPECT_TRUE(unknown->tags().isEmpty());
}

} // namespace vantel::test
