#include "shell/ui/FirstRunFirstScreenViewController.h"
#include "shell/ui/FirstRunInterface.h"
#include "shell/ui/FirstRunSecondScreenViewController.h"
#include "shell/ui/FirstRunViewController.h"
#include "shell/ui/FirstRunWindowController.h"

#include "platform/XdgPaths.h"
#include "shell/VantelWindowEnum.h"
#include "platform/ui/UiCatalog.h"
#include "platform/ui/WindowHost.h"

#include "support/ShownTexts.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QStackedWidget>

using namespace vantel;
using State = platform::ViewControllerBase::AppearanceState;

namespace {

QString outputFolder()
{
    const QString folder = vantel::test::outputFolder();
    QDir().mkpath(folder);
    return folder;
}

// Pixels that differ from the top-left corner's colour.
int paintedPixels(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != background;
    return count;
}

struct Buttons {
    bool back, forward, done;
    bool operator==(const Buttons&) const = default;
};

Buttons visibleButtons(const FirstRunViewController& controller)
{
    return {!controller.btnBack()->isHidden(), !controller.btnForward()->isHidden(),
            !controller.btnDismiss()->isHidden()};
}

class FirstRun : public ::testing::Test {
protected:
    void SetUp() override { registerFirstRunInterface(); }
    void TearDown() override
    {
        VantelWindowEnum::reset();
        catalog_.clear();
    }
    platform::UiCatalog& catalog_ = platform::UiCatalog::main();
};

} // namespace

TEST(FirstRunPageEnum, PagesInOrderWithTheirIdentifiers)
{
    EXPECT_EQ(allFirstRunPages(), QList<FirstRunPageEnum>({FirstRunPageEnum::pageOne, FirstRunPageEnum::pageTwo}));
    EXPECT_EQ(rawValue(FirstRunPageEnum::pageOne), "Vantel.FirstRunPageEnum.pageOne");
    EXPECT_EQ(rawValue(FirstRunPageEnum::pageTwo), "Vantel.FirstRunPageEnum.pageTwo");
    EXPECT_EQ(firstRunPage("Vantel.FirstRunPageEnum.pageTwo"), FirstRunPageEnum::pageTwo);
    EXPECT_EQ(firstRunPage("pageTwo"), std::nullopt);
}

TEST_F(FirstRun, OpensOnPageOneWithOnlyForward)
{
    FirstRunViewController controller(catalog_);
    controller.view();
    EXPECT_EQ(controller.arrangedObjects(), allFirstRunPages());
    EXPECT_EQ(controller.selectedIndex(), 0);
    EXPECT_EQ(visibleButtons(controller), (Buttons{false, true, false}));
    ASSERT_NE(controller.selectedViewController(), nullptr);
    EXPECT_NE(dynamic_cast<FirstRunFirstScreenViewController*>(controller.selectedViewController()), nullptr);
    EXPECT_EQ(controller.identifierForObject(FirstRunPageEnum::pageTwo), "Vantel.FirstRunPageEnum.pageTwo");
}

TEST_F(FirstRun, ForwardAndBackFollowTheButtonTable)
{
    FirstRunViewController controller(catalog_);
    controller.view();
    controller.btnForward()->click();
    EXPECT_EQ(controller.selectedIndex(), 1);
    EXPECT_EQ(visibleButtons(controller), (Buttons{true, false, true}));
    auto* second = dynamic_cast<FirstRunSecondScreenViewController*>(controller.selectedViewController());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second->image(), nullptr);
    EXPECT_FALSE(second->image()->pixmap().isNull());
    // Forward on the last page stays there.
    controller.navigateForward();
    EXPECT_EQ(controller.selectedIndex(), 1);

    controller.btnBack()->click();
    EXPECT_EQ(controller.selectedIndex(), 0);
    EXPECT_EQ(visibleButtons(controller), (Buttons{false, true, false}));
    controller.navigateBack();
    EXPECT_EQ(controller.selectedIndex(), 0);

    // Pages are made once and kept.
    controller.navigateForward();
    EXPECT_EQ(controller.selectedViewController(), second);
}

TEST_F(FirstRun, OpensAsItsWindowKindAndDoneClosesIt)
{
    const auto opened = VantelWindowEnum::openWindow(false, VantelWindowEnum::firstRun);
    auto* window = dynamic_cast<FirstRunWindowController*>(opened.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindowOpen());
    EXPECT_EQ(window->window()->windowTitle(), "Welcome to Vantel");
    auto controller = std::dynamic_pointer_cast<FirstRunViewController>(window->contentViewController());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->currentState(), defaultVantelMainViewControllerState::viewDidAppear);
    EXPECT_EQ(visibleButtons(*controller), (Buttons{false, true, false}));
    // Opening it again keeps the one window.
    EXPECT_EQ(VantelWindowEnum::openWindow(false, VantelWindowEnum::firstRun), opened);

    controller->btnForward()->click();
    ASSERT_TRUE(controller->btnDismiss()->isVisible());
    controller->btnDismiss()->click();
    EXPECT_FALSE(window->isWindowOpen());
    EXPECT_FALSE(window->window()->isVisible());
    // The assistant writes no settings.
    EXPECT_FALSE(QFileInfo::exists(platform::XdgPaths::settingsFile()));
}

TEST_F(FirstRun, APageThatCannotBeMadeIsEmpty)
{
    platform::UiCatalog empty;
    FirstRunViewController controller(empty);
    for (const QString& identifier : {QStringLiteral("Vantel.FirstRunPageEnum.pageOne"), QStringLiteral("nonsense")}) {
        const auto page = controller.viewControllerForIdentifier(identifier);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->view()->children().isEmpty()) << identifier.toStdString();
    }
    // The assistant still works through its empty pages.
    controller.view();
    controller.navigateForward();
    EXPECT_EQ(controller.selectedIndex(), 1);
    EXPECT_EQ(visibleButtons(controller), (Buttons{true, false, true}));
}

TEST_F(FirstRun, TheShownPageAppearsAndDisappearsWithTheWindow)
{
    auto controller = std::make_shared<FirstRunViewController>(catalog_);
    platform::WindowHost window;
    window.setContentViewController(controller.get());
    window.showWindow();
    platform::ViewControllerBase* first = controller->selectedViewController();
    EXPECT_EQ(first->appearanceState(), State::viewDidAppear);

    controller->navigateForward();
    platform::ViewControllerBase* second = controller->selectedViewController();
    EXPECT_EQ(second->appearanceState(), State::viewDidAppear);
    EXPECT_EQ(first->appearanceState(), State::viewWillDisappear);
    EXPECT_FALSE(first->isAppearing());

    window.close();
    EXPECT_EQ(second->appearanceState(), State::viewWillDisappear);
    window.setContentViewController(nullptr);
}

TEST_F(FirstRun, BothPagesRenderWithoutClippingOrBlanks)
{
    const auto opened = VantelWindowEnum::openWindow(false, VantelWindowEnum::firstRun);
    auto* windowController = dynamic_cast<FirstRunWindowController*>(opened.get());
    ASSERT_NE(windowController, nullptr);
    auto controller = std::dynamic_pointer_cast<FirstRunViewController>(windowController->contentViewController());
    ASSERT_NE(controller, nullptr);
    QWidget* window = windowController->window();

    for (int page = 0; page < 2; ++page) {
        QApplication::processEvents();
        QWidget* pageView = controller->selectedViewController()->view();
        EXPECT_TRUE(pageView->isVisible());
        // Every label gets the room its wrapped text or its picture needs.
        for (QLabel* label : pageView->findChildren<QLabel*>()) {
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
            }
            if (!label->pixmap().isNull()) {
                const QSizeF shown = label->pixmap().deviceIndependentSize();
                EXPECT_GE(label->width(), shown.width());
                EXPECT_GE(label->height(), shown.height());
            }
        }
        // Under a German locale, no English on either page.
        const QStringList english = test::englishLeftInGerman(window);
        EXPECT_TRUE(english.isEmpty()) << english.join(u'\n').toStdString();
        const QImage image = window->grab().toImage();
        EXPECT_GT(paintedPixels(image), image.width() * image.height() / 50);
        EXPECT_TRUE(image.save(outputFolder() + QStringLiteral("/first-run-page%1.png").arg(page + 1)));
        controller->navigateForward();
    }
    windowController->close();
}

TEST_F(FirstRun, TheSecondPagesPictureShowsOnADarkPalette)
{
    const QPalette saved = QApplication::palette();
    FirstRunSecondScreenViewController page; // made light, shown after the desktop turned dark
    page.view();
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    // The category symbols, top left above the tags' coloured dots, in the light text colour.
    const QImage image = page.image()->pixmap().toImage();
    int light = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 30; ++x)
            light += qAlpha(image.pixel(x, y)) > 200 && QColor(image.pixel(x, y)).lightness() > 150 ? 1 : 0;
    EXPECT_GT(light, 40) << "the symbols are dark on the dark picture";
    QApplication::setPalette(saved);
}
