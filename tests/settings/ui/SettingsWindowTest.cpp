#include "SettingsTestSupport.h"

#include "hotkeys/ui/RecordView.h"
#include "platform/Log.h"
#include "settings/ui/ConfigTabViewController_Settings.h"
#include "settings/ui/ConfigViewControllerAdvanced.h"
#include "settings/ui/ConfigViewControllerAppearance.h"
#include "settings/ui/ConfigViewControllerGeneral.h"
#include "shell/AutoLaunchManager.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>

namespace vantel {
namespace {

using Category = Configuration::SidebarCategory;

KeyCombo ctrlAlt(Key key)
{
    return *KeyCombo::withCarbonModifiers(key, KeyCombo::commandKey | KeyCombo::optionKey);
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configuration& config = harness.config;
        config.setWindowViewStyle(0);
        config.setClickType(0);
        config.setMenubarIcon(QStringLiteral("statusbar-1"));
        config.setSearchForTags(true);
        config.setSelectingTagsInMainWindowLaunchAll(false);
        config.setGlobalKeyCombo(std::nullopt);
        config.setEntryBackgroundAlphaValue(0.2f);
        config.setDebugLogging(false);
        for (Category category : ConfigViewControllerAppearance::categories) {
            config.setSidebarCategoriesShow(category, true);
            config.setGlobalKeyComboCategories(category, std::nullopt);
        }
    }

    // A pane shown in a window of its own, as a host shows it.
    template <class Pane>
    void show(Pane& pane)
    {
        host.setContentViewController(&pane);
        host.showWindow();
    }

    test::SettingsHarness harness;
    platform::WindowHost host;
};

TEST_F(SettingsWindowTest, GeneralPaneFallsBackForUnknownStoredValuesAndShowsImagesOnly)
{
    harness.config.setWindowViewStyle(7);
    harness.config.setClickType(1);
    harness.config.setMenubarIcon(QStringLiteral("statusbar-9"));
    ConfigViewControllerGeneral pane(harness.services());
    show(pane);

    // An unknown style selects nothing; the click type is found by its index.
    EXPECT_EQ(pane.popupButtonWindowType()->currentIndex(), -1);
    EXPECT_EQ(pane.popupButtonClickType()->currentText(), QStringLiteral("Launch items with a single mouse click"));
    // Four images, no titles, data 0 to 3; an unknown icon shows the first.
    QComboBox* icons = pane.popupButtonMenuItem();
    ASSERT_EQ(icons->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(icons->itemText(i).isEmpty());
        EXPECT_FALSE(icons->itemIcon(i).isNull()) << i;
        EXPECT_EQ(icons->itemData(i).toInt(), i);
    }
    EXPECT_EQ(icons->currentIndex(), 0);

    test::PostedNames names({QStringLiteral("menubarIconChanged")});
    host.close();
    EXPECT_EQ(harness.config.windowViewStyle(), 0);
    EXPECT_EQ(harness.config.clickType(), 1);
    EXPECT_EQ(harness.config.menubarIcon(), QStringLiteral("statusbar-1"));
    EXPECT_EQ(names.posted, QStringList{QStringLiteral("menubarIconChanged")});
}

TEST_F(SettingsWindowTest, GeneralPaneWritesBackOnlyWhenItLeaves)
{
    ConfigViewControllerGeneral pane(harness.services());
    show(pane);
    pane.popupButtonWindowType()->setCurrentIndex(1);
    pane.popupButtonMenuItem()->setCurrentIndex(2);
    pane.textfieldAlternateBrowser()->setText(QStringLiteral("/no/such/browser"));
    EXPECT_EQ(harness.config.windowViewStyle(), 0);
    host.close();
    EXPECT_EQ(harness.config.windowViewStyle(), 1);
    EXPECT_EQ(harness.config.menubarIcon(), QStringLiteral("statusbar-3"));
    // Kept as typed: it is checked where a folder is opened.
    EXPECT_EQ(harness.config.alternateFolderBrowser(), QStringLiteral("/no/such/browser"));
    harness.config.setAlternateFolderBrowser(QString());
}

TEST_F(SettingsWindowTest, TagSearchChoicesFollowTheirCheckBoxAndTakeEffectAtOnce)
{
    harness.config.setSearchForTags(false);
    ConfigViewControllerGeneral pane(harness.services());
    show(pane);
    EXPECT_FALSE(pane.checkboxSearchInTagsLaunchAll()->isEnabled());
    EXPECT_FALSE(pane.checkboxSearchInTagsView()->isEnabled());

    pane.checkboxSearchInTags()->click();
    EXPECT_TRUE(pane.checkboxSearchInTagsLaunchAll()->isEnabled());
    EXPECT_TRUE(pane.checkboxSearchInTagsView()->isEnabled());
    EXPECT_TRUE(harness.config.searchForTags());

    pane.checkboxSearchInTagsLaunchAll()->click();
    EXPECT_TRUE(harness.config.selectingTagsInMainWindowLaunchAll());
    EXPECT_FALSE(pane.checkboxSearchInTagsView()->isChecked());
    pane.checkboxSearchInTagsView()->click();
    EXPECT_FALSE(harness.config.selectingTagsInMainWindowLaunchAll());
}

TEST_F(SettingsWindowTest, GlobalHotkeyIsRefusedWhenTakenAndRegisteredAtOnce)
{
    ConfigViewControllerGeneral pane(harness.services());
    show(pane);
    RecordView& recorder = *pane.globalHotkey();
    EXPECT_TRUE(pane.mayRecord(recorder));
    RecordView other;
    EXPECT_FALSE(pane.mayRecord(other));

    const KeyCombo k = ctrlAlt(Key::k);
    EXPECT_TRUE(pane.acceptsKeyCombo(recorder, k));
    pane.keyComboChanged(recorder, k);
    EXPECT_EQ(harness.config.globalKeyCombo(), k);
    ASSERT_TRUE(harness.center->hotKeyWithKeyCombo(k));
    // Now registered, the same combination is refused, and the recorder says why.
    EXPECT_FALSE(pane.acceptsKeyCombo(recorder, k));
    EXPECT_EQ(recorder.refusal(), QStringLiteral("Taken by the hotkey of the main window"));

    // Cleared: no hotkey in the configuration, none registered.
    pane.keyComboChanged(recorder, std::nullopt);
    EXPECT_FALSE(harness.config.globalKeyCombo());
    EXPECT_FALSE(harness.center->hotKeyWithKeyCombo(k));
}

TEST_F(SettingsWindowTest, LaunchAtLoginShowsWhatTheDesktopHas)
{
    AutoLaunchManager::setLaunchAtLoginEnabled(false);
    ConfigViewControllerGeneral pane(harness.services());
    show(pane);
    EXPECT_FALSE(pane.checkboxLaunchAtLogin()->isChecked());
    // The test program has no launcher beside it: the entry can't start
    // anything, so the box goes back off instead of claiming success.
    pane.checkboxLaunchAtLogin()->click();
    EXPECT_EQ(pane.checkboxLaunchAtLogin()->isChecked(), AutoLaunchManager::launchAtLoginEnabled());
    AutoLaunchManager::setLaunchAtLoginEnabled(false);
}

TEST_F(SettingsWindowTest, TabsLetPanesLeaveAndClosingSavesAndRegistersInOrder)
{
    harness.config.setGlobalKeyCombo(ctrlAlt(Key::g));
    ConfigTabViewController_Settings settings(harness.services());
    ASSERT_EQ(settings.paneCount(), 6);
    show(settings);
    EXPECT_TRUE(harness.manager->hotkeysPaused());
    QTabWidget* tabs = settings.tabView();
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i).remove(QLatin1Char('&'));
    EXPECT_EQ(titles.join(QLatin1Char(',')),
              QStringLiteral("General,Appearance,Search scope,Folder access,URL templates,Advanced"));

    auto* general = settings.paneOf<ConfigViewControllerGeneral>();
    auto* appearance = settings.paneOf<ConfigViewControllerAppearance>();
    EXPECT_EQ(general->appearanceState(), platform::ViewControllerBase::AppearanceState::viewDidAppear);
    general->popupButtonWindowType()->setCurrentIndex(1);
    test::PostedNames names({QStringLiteral("menubarIconChanged"), QStringLiteral("showPathInMainViewChanged")});
    tabs->setCurrentIndex(1);
    // Leaving wrote the General pane back; the Appearance pane came.
    EXPECT_EQ(harness.config.windowViewStyle(), 1);
    EXPECT_EQ(general->appearanceState(), platform::ViewControllerBase::AppearanceState::viewWillDisappear);
    EXPECT_EQ(appearance->appearanceState(), platform::ViewControllerBase::AppearanceState::viewDidAppear);

    harness.config.setDebugLogging(true);
    platform::Log::CaptureSink log;
    host.close();
    harness.config.setDebugLogging(false);
    // The shown pane wrote back before the window's save and registration.
    EXPECT_EQ(names.posted, (QStringList{QStringLiteral("menubarIconChanged"), QStringLiteral("showPathInMainViewChanged")}));
    QStringList kinds;
    for (const QString& message : log.messages()) {
        static const QString prefix = QStringLiteral("# Register Hotkeys for KeyType: Optional(Vantel.HotKeyType.");
        if (message.startsWith(prefix))
            kinds << message.mid(prefix.size()).chopped(1);
    }
    EXPECT_EQ(kinds.join(QLatin1Char(',')),
              QStringLiteral("categoryKey,tagKey,tagKeyLaunchAll,userDefinedKey,globalHotKey"));
    EXPECT_FALSE(harness.manager->hotkeysPaused());
    EXPECT_TRUE(harness.center->hotKeyWithKeyCombo(ctrlAlt(Key::g)));
    harness.config.setGlobalKeyCombo(std::nullopt);
    harness.config.setWindowViewStyle(0);
}

TEST_F(SettingsWindowTest, AppearanceFallsBackForOutOfRangeIntensityAndSizes)
{
    harness.config.setEntryBackgroundAlphaValue(1.5f);
    harness.config.setMainWindowWidth(MainWindowWidth::with550);
    harness.config.setMainWindowHeight(MainWindowHeight::height90);
    ConfigViewControllerAppearance pane(harness.services());
    show(pane);
    EXPECT_EQ(pane.backgroundColorIntensity()->value(), 20);
    EXPECT_FLOAT_EQ(pane.backgroundColorIntensityValue(), 0.2f);
    EXPECT_EQ(pane.mainWindowWidth()->currentText(), QStringLiteral("550px"));
    EXPECT_EQ(pane.mainWindowHeight()->currentText(), QStringLiteral("90%"));
    EXPECT_EQ(pane.mainWindowWidth()->count(), 6);
    EXPECT_EQ(pane.mainWindowHeight()->count(), 9);

    // Unless moved, the fallback is what is stored.
    host.close();
    EXPECT_FLOAT_EQ(harness.config.entryBackgroundAlphaValue(), 0.2f);

    host.showWindow();
    pane.backgroundColorIntensity()->setValue(35);
    EXPECT_FLOAT_EQ(pane.mainViewPreviewBackground()->alphaColor(), 0.35f);
    pane.mainWindowWidth()->setCurrentIndex(-1);
    pane.mainWindowHeight()->setCurrentIndex(-1);
    host.close();
    EXPECT_FLOAT_EQ(harness.config.entryBackgroundAlphaValue(), 0.35f);
    EXPECT_EQ(harness.config.mainWindowWidth(), MainWindowWidth::with700);
    EXPECT_EQ(harness.config.mainWindowHeight(), MainWindowHeight::height70);
}

TEST_F(SettingsWindowTest, ACategorySwitchedOffLosesItsHotkey)
{
    const KeyCombo f = ctrlAlt(Key::f);
    harness.config.setGlobalKeyComboCategories(Category::files, f);
    harness.config.setSidebarCategoriesShow(Category::folders, false);
    harness.config.setGlobalKeyComboCategories(Category::folders, ctrlAlt(Key::o));
    ConfigViewControllerAppearance pane(harness.services());
    show(pane);
    // A hidden category keeps none, already when the pane loads.
    EXPECT_FALSE(harness.config.globalKeyComboCategories(Category::folders));
    EXPECT_FALSE(pane.hotkeyCategoriesShow(Category::folders)->isEnabled());
    EXPECT_FALSE(pane.mayRecord(*pane.hotkeyCategoriesShow(Category::folders)));
    EXPECT_EQ(pane.hotkeyCategoriesShow(Category::files)->keyCombo(), f);
    // Without the Shortcuts tool its row can't be changed, yet shows its value.
    EXPECT_FALSE(pane.checkboxCategoriesShow(Category::shortcuts)->isEnabled());
    EXPECT_TRUE(pane.checkboxCategoriesShow(Category::shortcuts)->isChecked());

    pane.checkboxCategoriesShow(Category::files)->setEnabled(true);
    pane.checkboxCategoriesShow(Category::files)->click();
    EXPECT_FALSE(pane.hotkeyCategoriesShow(Category::files)->keyCombo());
    EXPECT_FALSE(pane.hotkeyCategoriesShow(Category::files)->isEnabled());
    host.close();
    EXPECT_FALSE(harness.config.sidebarCategoriesShowFiles());
    EXPECT_FALSE(harness.config.globalKeyComboCategories(Category::files));
    EXPECT_TRUE(harness.config.sidebarCategoriesShowShortcuts());

    // Switched on again: an empty recorder.
    host.showWindow();
    pane.checkboxCategoriesShow(Category::files)->click();
    EXPECT_TRUE(pane.hotkeyCategoriesShow(Category::files)->isEnabled());
    EXPECT_FALSE(pane.hotkeyCategoriesShow(Category::files)->keyCombo());

    // A recorded category hotkey is stored and registered at once.
    const KeyCombo u = ctrlAlt(Key::u);
    pane.keyComboChanged(*pane.hotkeyCategoriesShow(Category::urls), u);
    EXPECT_EQ(harness.config.globalKeyComboCategories(Category::urls), u);
    EXPECT_TRUE(harness.center->hotKeyWithKeyCombo(u));
    EXPECT_FALSE(pane.acceptsKeyCombo(*pane.hotkeyCategoriesShow(Category::files), u));
    host.close();
}

TEST_F(SettingsWindowTest, AppearancePostsItsThreeNotificationsInOrderAndPreviewFollows)
{
    harness.config.setShowPathInMainView(true);
    harness.config.setHotkeyBorder(false);
    ConfigViewControllerAppearance pane(harness.services());
    show(pane);
    EXPECT_TRUE(pane.mainViewPreviewPath()->isVisible());
    EXPECT_TRUE(pane.mainViewPreviewHotkey()->isFlat());
    pane.checkboxShowPathInMainView()->click();
    pane.checkboxDrawBorderAroundHotkey()->click();
    EXPECT_FALSE(pane.mainViewPreviewPath()->isVisible());
    EXPECT_FALSE(pane.mainViewPreviewHotkey()->isFlat());
    EXPECT_EQ(pane.mainViewPreviewHotkey()->text(), QStringLiteral("Hotkey"));

    test::PostedNames names({QStringLiteral("showPathInMainViewChanged"), QStringLiteral("useSmallModeInMainViewChanged"),
                             QStringLiteral("sidebarCategoriesShowNumberOfElementInSidebarChanged")});
    host.close();
    EXPECT_EQ(names.posted, (QStringList{QStringLiteral("showPathInMainViewChanged"),
                                         QStringLiteral("useSmallModeInMainViewChanged"),
                                         QStringLiteral("sidebarCategoriesShowNumberOfElementInSidebarChanged")}));
    EXPECT_FALSE(harness.config.showPathInMainView());
    EXPECT_TRUE(harness.config.hotkeyBorder());
    harness.config.setShowPathInMainView(true);
    harness.config.setHotkeyBorder(false);
}

TEST_F(SettingsWindowTest, AdvancedPaneResetsWarningsAndWritesLoggingOnLeave)
{
    harness.config.setNeverRemindMeRenameTagDialog(true);
    harness.config.setNeverRemindMeRemoveTagDialog(true);
    ConfigViewControllerAdvanced pane(harness.config);
    show(pane);
    EXPECT_FALSE(pane.checkBoxEnableDebugLogging()->isChecked());
    pane.buttonResetAllWarningDialogs()->click();
    pane.buttonResetAllWarningDialogs()->click();
    EXPECT_FALSE(harness.config.neverRemindMeRenameTagDialog());
    EXPECT_FALSE(harness.config.neverRemindMeRemoveTagDialog());

    pane.checkBoxEnableDebugLogging()->click();
    EXPECT_FALSE(harness.config.debugLogging());
    host.close();
    EXPECT_TRUE(harness.config.debugLogging());
    harness.config.setDebugLogging(false);
}

} // namespace
} // namespace vantel
