// Every pane and window rendered offscreen, light and dark, to PNG files in
// the test's output folder; the checks catch what a person would see wrong.
#include "SettingsTestSupport.h"

#include "access/URLManager.h"
#include "config/ExportImportManager.h"
#include "hotkeys/ui/RecordView.h"
#include "model/LocalizedStrings.h"
#include "platform/UserDefaults.h"
#include "settings/ui/ConfigTabViewController_Settings.h"
#include "settings/ui/ConfigViewControllerGeneral.h"
#include "settings/ui/ConfigViewControllerHotkeyOverview.h"
#include "settings/ui/ConfigViewControllerInfo.h"
#include "settings/ui/ConfigViewControllerVersionedBackup.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/VersionHistoryWindowContent.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>

namespace vantel {
namespace {

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(40, 40, 43));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(55, 55, 58));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(230, 120, 40));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return dark;
}

// Texts shown whole, controls inside their window and not on each other.
void expectTidy(QWidget* window, const QString& name)
{
    const QRect bounds = window->rect();
    QList<QWidget*> leaves;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(window) || child->isWindow())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(child); button && !button->text().isEmpty()) {
            EXPECT_GE(button->width(), button->sizeHint().width())
                << name.toStdString() << ": clipped " << button->text().toStdString();
        }
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty() && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->minimumSizeHint().width())
                << name.toStdString() << ": clipped " << label->text().toStdString();
        }
        if (auto* combo = qobject_cast<QComboBox*>(child)) {
            EXPECT_GE(combo->width(), combo->minimumSizeHint().width()) << name.toStdString();
        }
        const QRect frame(child->mapTo(window, QPoint(0, 0)), child->size());
        if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QComboBox*>(child)
            || qobject_cast<RecordView*>(child)) {
            EXPECT_TRUE(bounds.contains(frame)) << name.toStdString() << ": outside "
                                                << child->objectName().toStdString();
            leaves << child;
        }
    }
    for (int i = 0; i < leaves.size(); ++i) {
        for (int j = i + 1; j < leaves.size(); ++j) {
            if (leaves[i]->isAncestorOf(leaves[j]) || leaves[j]->isAncestorOf(leaves[i]))
                continue;
            const QRect a(leaves[i]->mapTo(window, QPoint(0, 0)), leaves[i]->size());
            const QRect b(leaves[j]->mapTo(window, QPoint(0, 0)), leaves[j]->size());
            EXPECT_FALSE(a.intersects(b)) << name.toStdString() << ": " << leaves[i]->objectName().toStdString()
                                          << " overlaps " << leaves[j]->objectName().toStdString();
        }
    }
}

QImage grabTo(QWidget* window, const QString& name)
{
    test::spinEventLoop(std::chrono::milliseconds(30));
    const QImage image = window->grab().toImage();
    image.save(test::outputFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));
    return image;
}

class ScreenshotTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        saved = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        if (dark())
            QApplication::setPalette(darkPalette());
        else
            QApplication::setPalette(QApplication::style()->standardPalette());
    }
    void TearDown() override { QApplication::setPalette(saved); }
    bool dark() const { return GetParam(); }
    QString suffix() const { return dark() ? QStringLiteral("-dark") : QStringLiteral("-light"); }

    QPalette saved;
    test::SettingsHarness harness;
};

TEST_P(ScreenshotTest, EverySettingsPane)
{
    harness.config.setGlobalKeyCombo(*KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::optionKey));
    auto settings = std::make_shared<ConfigTabViewController_Settings>(harness.services());
    SettingsWindowController window(settings, QStringLiteral("Preferences"));
    window.showWindow(false);
    static const char* const names[] = {"general", "appearance", "searchscope", "folderaccess", "urltemplates",
                                        "advanced"};
    for (int i = 0; i < settings->paneCount(); ++i) {
        settings->tabView()->setCurrentIndex(i);
        const QString name = QStringLiteral("settings-%1%2").arg(QString::fromLatin1(names[i]), suffix());
        const QImage image = grabTo(window.window(), name);
        EXPECT_GE(image.width(), 800) << name.toStdString();
        expectTidy(settings->pane(i)->view(), name);
    }
    // The menu-bar icons are drawn, not blank.
    auto* general = settings->paneOf<ConfigViewControllerGeneral>();
    for (int i = 0; i < general->popupButtonMenuItem()->count(); ++i)
        EXPECT_GT(test::paintedPixels(test::renderIcon(general->popupButtonMenuItem()->itemIcon(i), 18)), 20) << i;
    window.close();
    harness.config.setGlobalKeyCombo(std::nullopt);
}

TEST_P(ScreenshotTest, TheOtherWindows)
{
    platform::UserDefaults defaults(test::makeTempDir(QStringLiteral("shots")) + QStringLiteral("/settings.plist"));
    Configuration config(defaults);
    DataStorage store;
    URLManager urls;
    config.setStores(&store, &urls);
    ExportImportManager manager(config);
    config.setGlobalKeyCombo(*KeyCombo::withCarbonModifiers(Key::k, KeyCombo::commandKey | KeyCombo::optionKey));
    config.setGlobalKeyComboCategories(Configuration::SidebarCategory::files,
                                       *KeyCombo::withCarbonModifiers(Key::f, KeyCombo::commandKey | KeyCombo::shiftKey));
    auto entry = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example page"),
                                           QString(), ListviewItemSource::other);
    entry->setHotkey(*KeyCombo::withCarbonModifiers(Key::e, KeyCombo::commandKey | KeyCombo::optionKey));
    store.allData()->append(entry);
    manager.exportVersionedBackup().createBackup();

    struct Window {
        const char* name;
        std::shared_ptr<ViewController> content;
        SettingsWindowController::Frame frame;
    };
    const Window windows[] = {
        {"backup", std::make_shared<ConfigViewControllerVersionedBackup>(manager, [] {}),
         SettingsWindowController::Frame::titled},
        {"info", std::make_shared<ConfigViewControllerInfo>(), SettingsWindowController::Frame::frameless},
        {"overview",
         std::make_shared<ConfigViewControllerHotkeyOverview>(HotkeyOverviewContentView::sections(config, {entry}, {})),
         SettingsWindowController::Frame::frameless},
        {"overview-empty", std::make_shared<ConfigViewControllerHotkeyOverview>(
                               HotkeyOverviewContentView::sections(*std::make_unique<Configuration>(defaults), {}, {})),
         SettingsWindowController::Frame::frameless},
        {"whatsnew", std::make_shared<VersionHistoryWindowContent>(), SettingsWindowController::Frame::frameless},
    };
    for (const Window& shown : windows) {
        SettingsWindowController window(shown.content, QString::fromLatin1(shown.name), shown.frame);
        window.showWindow(false);
        const QString name = QString::fromLatin1(shown.name) + suffix();
        const QImage image = grabTo(window.window(), name);
        expectTidy(window.window(), name);
        // The window's background is drawn: its corner pixel is the window colour.
        EXPECT_EQ(QColor(image.pixel(image.width() / 2, image.height() - 3)).rgb() & 0xffffff,
                  QApplication::palette().color(QPalette::Window).rgb() & 0xffffff)
            << name.toStdString();
        window.close();
    }
}

// Run with LANG=de_DE.UTF-8 only: the longest German texts of the panes and
// the tabs are shown whole at the window's own size.
TEST(GermanSettingsPanes, TheLongestTextsAreShownWhole)
{
    test::SettingsHarness harness;
    auto settings = std::make_shared<ConfigTabViewController_Settings>(harness.services());
    SettingsWindowController window(settings, localized("Preferences"));
    window.showWindow(false);
    EXPECT_EQ(window.window()->windowTitle(), QStringLiteral("Einstellungen"));
    const QTabBar* tabs = settings->tabView()->tabBar();
    ASSERT_EQ(tabs->count(), 6);
    EXPECT_EQ(settings->tabView()->tabText(5), QStringLiteral("Er&weitert"));
    for (int i = 0; i < tabs->count(); ++i) {
        const QString text = tabs->tabText(i).remove(QLatin1Char('&'));
        EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(text)) << text.toStdString();
    }
    const struct {
        int pane;
        const char* text;
    } longest[] = {{0, "Tags und Kategorien beim Darüberfahren auswählen"},
                   {1, "Durchscheinender Hintergrund der Eintragsliste"}};
    for (const auto& probe : longest) {
        settings->tabView()->setCurrentIndex(probe.pane);
        test::spinEventLoop(std::chrono::milliseconds(30));
        QWidget* pane = settings->pane(probe.pane)->view();
        const QAbstractButton* found = nullptr;
        for (const QAbstractButton* button : pane->findChildren<QAbstractButton*>())
            if (button->text() == QString::fromUtf8(probe.text))
                found = button;
        ASSERT_TRUE(found) << probe.text;
        // Its whole text fits, and it ends inside the window.
        EXPECT_GE(found->width(), found->sizeHint().width()) << probe.text;
        EXPECT_LE(found->mapTo(window.window(), QPoint(found->width(), 0)).x(), window.window()->width()) << probe.text;
        grabTo(window.window(), QStringLiteral("german-settings-pane%1").arg(probe.pane));
    }
    window.close();
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, ScreenshotTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "dark" : "light"; });

} // namespace
} // namespace vantel
