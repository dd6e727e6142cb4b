// Run only under a German locale: what the settings and the catalogue show,
// their menus included, is German.
#include "ConfigWindowTestSupport.h"

#include "access/URLManager.h"
#include "model/LocalizedStrings.h"
#include "platform/ui/UiCatalog.h"
#include "platform/ui/WindowHost.h"
#include "settings/ui/ConfigTabViewController_Settings.h"
#include "settings/ui/ConfigViewControllerAddModifyURL.h"
#include "settings/ui/ConfigWindowController.h"
#include "settings/ui/ConfigWindowControllerTags.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/SettingsWindows.h"
#include "shell/VantelWindowEnum.h"
#include "support/ShownTexts.h"

#include <QHeaderView>
#include <QLibraryInfo>
#include <QMenu>
#include <QTabWidget>
#include <QTranslator>

namespace vantel {
namespace {

using GermanWindows = test::ConfigWindowFixture;

TEST_F(GermanWindows, ShowNoEnglishText)
{
    ASSERT_EQ(LocalizedStrings::main().language(), QStringLiteral("de"));
    // Qt's own texts (a tab bar's scroll buttons) come in German as in the program.
    QTranslator qtTexts;
    ASSERT_TRUE(qtTexts.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QApplication::installTranslator(&qtTexts);
    QStringList english;
    int shown = 0;
    const auto walk = [&](QWidget* window) {
        QApplication::processEvents();
        english << test::englishLeftInGerman(window);
        // The longer German headings of the lists are shown whole.
        for (const QHeaderView* header : window->findChildren<QHeaderView*>())
            for (int i = 0; header->orientation() == Qt::Horizontal && !header->isHidden() && i < header->count(); ++i)
                EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i))
                    << header->model()->headerData(i, Qt::Horizontal).toString().toStdString();
        // A picture of each for a look.
        window->grab().save(test::outputFolder() + QStringLiteral("/german-window-%1.png").arg(++shown));
    };

    registerSettingsWindows();
    for (VantelWindowEnum::Kind kind : {VantelWindowEnum::settings, VantelWindowEnum::versionedBackup,
                                        VantelWindowEnum::info, VantelWindowEnum::hotkeyOverview,
                                        VantelWindowEnum::versionHistory}) {
        auto controller = platform::UiCatalog::main().instantiateAs<SettingsWindowController>(
            VantelWindowEnum::getStoryBoardAsString(kind), VantelWindowEnum::getWindowControllerIdentifier(kind));
        ASSERT_TRUE(controller) << VantelWindowEnum::name(kind).toStdString();
        controller->showWindow(false);
        walk(controller->window());
        if (auto settings = std::dynamic_pointer_cast<ConfigTabViewController_Settings>(controller->contentViewController()))
            for (int i = 1; i < settings->paneCount(); ++i) {
                settings->tabView()->setCurrentIndex(i);
                walk(controller->window());
            }
        controller->close();
    }

    settingsui::ConfigWindowController data(services);
    data.showWindow(false);
    walk(data.window());
    data.close();
    settingsui::ConfigWindowControllerTags tags(services);
    tags.showWindow(false);
    walk(tags.window());
    tags.close();

    // The URL window with the built-in templates in its menu.
    URLManager& urls = URLManager::shared();
    const auto stored = urls.urlTemplates();
    urls.loadDefaultTemplates();
    auto pane = std::make_shared<settingsui::ConfigViewControllerAddModifyURL>(*store);
    platform::WindowHost host;
    host.setContentViewController(pane.get());
    host.showWindow();
    walk(&host);
    // Its menus pop up on their own, with no parent.
    for (QWidget* menu : QApplication::topLevelWidgets())
        if (qobject_cast<QMenu*>(menu) && !menu->actions().isEmpty())
            walk(menu);
    host.close();
    urls.urlTemplates() = stored;

    QApplication::removeTranslator(&qtTexts);
    english.removeDuplicates();
    EXPECT_TRUE(english.isEmpty()) << english.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace vantel
