#include "Announcements.h"
#include "PopupsProbe.h"

#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorPopupManager.h"
#include "popups/ColorPopupViewController.h"
#include "popups/ColorSlider.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vantel;
using R = TableViewItemChangeReason;

namespace {

TableViewItem::Ptr makeEntry()
{
    return TableViewItem::initForURL(QStringLiteral("https://example.org/colour"), QStringLiteral("Example"), QString());
}

// A controller whose view was loaded and has appeared, as the popover does it.
void appear(ColorPopupViewController& controller)
{
    controller.view()->resize(ColorPopupViewController::contentSize);
    controller.sendViewWillAppear();
    controller.sendViewDidAppear();
}

} // namespace

TEST(ColorPopupViewControllerTest, AppearanceSetsUpSwatchesAndSlider)
{
    ColorPopupViewController controller;
    EXPECT_FALSE(controller.isVisible());
    appear(controller);
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(controller.preferredContentSize(), QSize(252, 153));

    const QList<DrawnColorCircle*> circles = controller.colorCircles();
    ASSERT_EQ(circles.size(), 18);
    const QList<QColor> colors = entrySwatchColors();
    for (int i = 0; i < circles.size(); ++i) {
        EXPECT_EQ(circles.at(i)->delegate(), &controller);
        EXPECT_EQ(circles.at(i)->color(), colors.at(i));
        EXPECT_EQ(circles.at(i)->objectName(), QStringLiteral("colorCircle%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    }
    ColorSlider* slider = controller.colorSlider();
    ASSERT_TRUE(slider);
    EXPECT_FALSE(slider->isContinuous());
    EXPECT_TRUE(slider->refusesFirstResponder());
    EXPECT_DOUBLE_EQ(slider->knobBorderSize(), 0.5);
    EXPECT_DOUBLE_EQ(slider->knobHeight(), 16);
    EXPECT_DOUBLE_EQ(slider->sliderHeight(), 10);
    EXPECT_TRUE(slider->isEnabled());

    controller.sendViewWillDisappear();
    EXPECT_FALSE(controller.isVisible());
    controller.sendViewDidDisappear();
}

TEST(ColorPopupViewControllerTest, SwatchWritesTheColourOnceAndLetsGo)
{
    ColorPopupViewController controller;
    appear(controller);
    QSignalSpy finished(&controller, &ColorPopupViewController::editingFinished);
    auto entry = makeEntry();
    controller.setItem(entry);
    vantel::test::Announcements heard;

    DrawnColorCircle* third = controller.colorCircles().at(2);
    QTest::mouseClick(third, Qt::LeftButton);
    ASSERT_TRUE(entry->color().has_value());
    EXPECT_EQ(entry->color()->toQColor().toRgb(), entrySwatchColors().at(2).toRgb());
    EXPECT_EQ(heard.entryReasons, (QList<std::optional<R>>{R::colorChanged}));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(controller.item());

    // Without an entry, a click changes nothing.
    QTest::mouseClick(controller.colorCircles().at(5), Qt::LeftButton);
    EXPECT_EQ(entry->color()->toQColor().toRgb(), entrySwatchColors().at(2).toRgb());
    EXPECT_EQ(finished.count(), 1);

    // The colour the entry already has: the popover closes, nothing is announced.
    controller.setItem(entry);
    QTest::mouseClick(third, Qt::LeftButton);
    EXPECT_EQ(heard.entryReasons.size(), 1);
    EXPECT_EQ(finished.count(), 2);
}

TEST(ColorPopupViewControllerTest, ClearStoresNoColour)
{
    ColorPopupViewController controller;
    appear(controller);
    QSignalSpy finished(&controller, &ColorPopupViewController::editingFinished);
    auto entry = makeEntry();
    entry->setColor(platform::Color{1, 0, 0, 1});
    vantel::test::Announcements heard;

    controller.setItem(entry);
    controller.clearColorButton()->click();
    EXPECT_FALSE(entry->color().has_value()); // none, not a transparent colour
    EXPECT_EQ(heard.entryReasons, (QList<std::optional<R>>{R::colorChanged}));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(controller.item());

    // Clearing an entry without a colour announces nothing but still closes.
    controller.setItem(entry);
    controller.clearColor_click();
    EXPECT_EQ(heard.entryReasons.size(), 1);
    EXPECT_EQ(finished.count(), 2);

    // A swatch holding the clear colour clears too.
    entry->setColor(platform::Color{0, 1, 0, 1});
    controller.setItem(entry);
    controller.colorCircleClicked(nullptr, clearColor());
    EXPECT_FALSE(entry->color().has_value());
}

TEST(ColorPopupViewControllerTest, SliderGivesTheHueAndItsLateActionIsIgnored)
{
    ColorPopupViewController controller;
    appear(controller);
    ColorSlider* slider = controller.colorSlider();
    auto entry = makeEntry();

    controller.setItem(entry);
    slider->setDoubleValue(slider->minValue());
    emit slider->triggered();
    ASSERT_TRUE(entry->color().has_value());
    EXPECT_EQ(entry->color()->toQColor().toRgb(), QColor(255, 0, 0));

    // The release sends one more action: no entry any more, nothing changes.
    slider->setDoubleValue(slider->maxValue() / 2);
    emit slider->triggered();
    EXPECT_EQ(entry->color()->toQColor().toRgb(), QColor(255, 0, 0));

    controller.setItem(entry);
    slider->setDoubleValue(slider->maxValue()); // hue 1 is red as well
    emit slider->triggered();
    EXPECT_EQ(entry->color()->toQColor().toRgb(), QColor(255, 0, 0));

    // A real drag: the action comes once, on release.
    entry->setColor(std::nullopt);
    controller.setItem(entry);
    controller.view()->show();
    const int y = slider->height() / 2;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, y));
    EXPECT_FALSE(entry->color().has_value());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, y));
    ASSERT_TRUE(entry->color().has_value());
    EXPECT_NEAR(entry->color()->toQColor().hsvHueF(), 0.5, 0.02);
    controller.view()->hide();
}

TEST(ColorPopupManagerTest, ShowsBesideTheAnchorAndClosesOnAChoice)
{
    QWidget window;
    window.resize(500, 300);
    auto* anchor = new QPushButton(QStringLiteral("colour"), &window);
    anchor->setGeometry(380, 130, 40, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    ColorPopupManager& manager = ColorPopupManager::shared();
    EXPECT_EQ(&manager, &ColorPopupManager::shared());
    auto entry = makeEntry();
    manager.showPopover(anchor, entry);
    platform::PopoverHost* popover = manager.colorPopover();
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isShown());
    ColorPopupViewController* controller = manager.popupViewController();
    EXPECT_EQ(popover->contentViewController(), controller);
    EXPECT_EQ(controller->item(), entry);
    EXPECT_TRUE(controller->isVisible());
    // On the anchor's left edge.
    const QRect anchorOnScreen(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    EXPECT_LE(popover->geometry().right(), anchorOnScreen.left());

    QImage picture = popover->grab().toImage();
    EXPECT_TRUE(picture.save(vantel::test::outputFolder() + QStringLiteral("/color-popover.png")));

    QTest::mouseClick(controller->colorCircles().at(0), Qt::LeftButton);
    EXPECT_TRUE(entry->color().has_value());
    EXPECT_FALSE(popover->isShown());
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(controller->item());

    // The same controller serves the next showing.
    auto other = makeEntry();
    manager.showPopover(anchor, other);
    EXPECT_EQ(manager.popupViewController(), controller);
    EXPECT_EQ(controller->item(), other);
    manager.closePopover();
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(controller->item(), other); // closed from outside: the binding stays until the next showing
}
