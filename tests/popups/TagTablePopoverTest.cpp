#include "Announcements.h"
#include "PopupsProbe.h"

#include "config/SystemConfiguration.h"
#include "datastore/TagManager.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorSlider.h"
#include "popups/IconChooseButton.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/IconChoosePopupViewController.h"
#include "popups/TagIconModel.h"
#include "popups/TagTableViewPopupManager.h"
#include "popups/TagTableViewPopupViewController.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantel;
using R = IconTagChangeReason;
using Reasons = QList<std::optional<IconTagChangeReason>>;

namespace {

const platform::Color red{1, 0, 0, 1};

iconTagPtr makeTag(const QString& symbol = QStringLiteral("icon_folder_home"),
                   std::optional<platform::Color> color = red)
{
    auto tag = iconTag::create(QStringLiteral("Work"), symbol);
    tag->setColor(color);
    return tag;
}

void appear(TagTableViewPopupViewController& controller)
{
    controller.view()->resize(controller.view()->sizeHint());
    controller.sendViewWillAppear();
    controller.sendViewDidAppear();
}

void clickRow(IconChooseCollectionView& grid, int row)
{
    grid.scrollTo(grid.model()->index(row, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(row, 0)).center());
}

// The most common opaque colour in an image, the background left aside.
QColor dominantColour(const QImage& source, std::optional<QColor> background = std::nullopt)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255 && (!background || image.pixel(x, y) != background->rgba()))
                ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    return QColor::fromRgba(best);
}

} // namespace

TEST(TagTableViewPopupViewControllerTest, AppearingShowsTheTagInItsColour)
{
    TagTableViewPopupViewController controller;
    auto tag = makeTag();
    controller.setCurrentIconTag(tag);
    vantel::test::Announcements heard;
    appear(controller);
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(controller.tintColor(), red);
    EXPECT_TRUE(heard.tagReasons.isEmpty()); // the tag's own colour written back announces nothing

    // Ten swatches in the system colours' order, this controller their delegate.
    const QList<DrawnColorCircle*> circles = controller.colorCircles();
    ASSERT_EQ(circles.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(circles.at(i)->color(), systemSwatchColors().at(i));
        EXPECT_EQ(circles.at(i)->delegate(), &controller);
    }
    EXPECT_EQ(circles.at(0)->color(), systemColor(SystemColor::red));
    EXPECT_EQ(circles.at(9)->color(), systemColor(SystemColor::purple));

    // The grid: the whole catalogue, tinted, items as large as the sidebar's icons.
    IconChooseCollectionView* grid = controller.iconChooseCollectionView();
    ASSERT_EQ(grid->model()->rowCount(), 143);
    EXPECT_EQ(grid->model(), controller.iconModel());
    EXPECT_EQ(controller.iconModel()->tintColor(), QColor(255, 0, 0));
    const int side = int(std::lround(SystemConfiguration::shared().sidebarIconSize()));
    EXPECT_EQ(grid->itemSize(), QSize(side, side));
    EXPECT_FALSE(grid->selectionModel()->hasSelection());

    // The preview: the tag's symbol in red.
    const QPixmap preview = controller.imagePreview()->pixmap();
    ASSERT_FALSE(preview.isNull());
    EXPECT_EQ(dominantColour(preview.toImage()), QColor(255, 0, 0));
    EXPECT_EQ(controller.imagePreview()->accessibleName(), TagIconModel::spokenName(QStringLiteral("icon_folder_home")));

    ColorSlider* slider = controller.colorSlider();
    EXPECT_FALSE(slider->isContinuous());
    EXPECT_DOUBLE_EQ(slider->knobHeight(), 16);
    controller.sendViewWillDisappear();
    EXPECT_FALSE(controller.isVisible());
}

TEST(TagTableViewPopupViewControllerTest, EveryColourChoiceIsWrittenAtOnce)
{
    TagTableViewPopupViewController controller;
    auto tag = makeTag();
    controller.setCurrentIconTag(tag);
    appear(controller);
    vantel::test::Announcements heard;

    QTest::mouseClick(controller.colorCircles().at(1), Qt::LeftButton); // green
    ASSERT_TRUE(tag->color());
    EXPECT_EQ(tag->color()->toQColor().toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(controller.iconModel()->tintColor()->toRgb(), systemColor(SystemColor::green));
    EXPECT_EQ(heard.tagReasons, (Reasons{R::colorChanged}));

    QTest::mouseClick(controller.colorCircles().at(1), Qt::LeftButton); // the colour it has: nothing announced
    EXPECT_EQ(heard.tagReasons.size(), 1);

    ColorSlider* slider = controller.colorSlider();
    slider->setDoubleValue(slider->maxValue() * 2.0 / 3.0);
    emit slider->triggered();
    EXPECT_EQ(tag->color()->toQColor().toRgb(), QColor(0, 0, 255));
    EXPECT_EQ(heard.tagReasons.size(), 2);

    controller.clearColorButton()->click();
    EXPECT_FALSE(tag->color().has_value());
    EXPECT_FALSE(controller.iconModel()->tintColor().has_value());
    EXPECT_EQ(heard.tagReasons, (Reasons{R::colorChanged, R::colorChanged, R::colorChanged}));
    EXPECT_EQ(tag->tagSymbol(), QStringLiteral("icon_folder_home"));
}

TEST(TagTableViewPopupViewControllerTest, ChoosingASymbolWritesItAndTheCurrentColour)
{
    TagTableViewPopupViewController controller;
    auto tag = makeTag();
    controller.setCurrentIconTag(tag);
    appear(controller);
    controller.view()->show();
    IconChooseCollectionView* grid = controller.iconChooseCollectionView();
    const QString chosen = TagManager::shared().iconNames().at(30);

    // The tag's colour changed elsewhere while the popover is open: choosing
    // a symbol writes the colour of this showing back.
    tag->setColor(platform::Color{0, 0, 1, 1});
    vantel::test::Announcements heard;
    clickRow(*grid, 30);
    EXPECT_EQ(tag->tagSymbol(), chosen);
    EXPECT_EQ(tag->color(), red);
    EXPECT_EQ(heard.tagReasons, (Reasons{R::symbolChanged, R::colorChanged}));
    EXPECT_EQ(controller.imagePreview()->accessibleName(), QStringLiteral("Symbol 31"));

    // The same symbol again announces nothing.
    clickRow(*grid, 31);
    clickRow(*grid, 30);
    EXPECT_EQ(heard.tagReasons.size(), 4);
    controller.view()->hide();
}

TEST(TagTableViewPopupViewControllerTest, DefaultGivesTheDefaultSymbolAndNoColour)
{
    TagTableViewPopupViewController controller;
    auto tag = makeTag();
    controller.setCurrentIconTag(tag);
    appear(controller);
    vantel::test::Announcements heard;

    controller.defaultButton()->click();
    EXPECT_EQ(tag->tagSymbol(), QStringLiteral("icon_tags"));
    EXPECT_FALSE(tag->color().has_value());
    EXPECT_EQ(heard.tagReasons, (Reasons{R::symbolChanged, R::colorChanged}));

    // Already the default: no symbol change; a colour is still removed.
    tag->setColor(red);
    heard.tagReasons.clear();
    controller.btnDefaultClick();
    EXPECT_EQ(heard.tagReasons, (Reasons{R::colorChanged}));
    controller.btnDefaultClick();
    EXPECT_EQ(heard.tagReasons.size(), 1);
}

TEST(TagTableViewPopupViewControllerTest, WithoutATagNothingIsWritten)
{
    TagTableViewPopupViewController controller;
    appear(controller);
    vantel::test::Announcements heard;
    QTest::mouseClick(controller.colorCircles().at(3), Qt::LeftButton);
    EXPECT_EQ(controller.iconModel()->tintColor()->toRgb(), systemColor(SystemColor::yellow)); // the grid still follows
    controller.btnDefaultClick();
    controller.didSelectIcon(4);
    EXPECT_TRUE(heard.tagReasons.isEmpty());
}

TEST(TagTableViewPopupManagerTest, TogglesBesideTheButtonAndReportsTheClose)
{
    struct Row : QObject, TagTableViewPopupManagerDelegate {
        void tagTableViewPopupDidClose() override { ++closes; }
        int closes = 0;
    };
    QWidget window;
    window.resize(700, 500);
    auto* iconButton = new QPushButton(&window);
    iconButton->setGeometry(620, 200, 24, 24);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    TagTableViewPopupManager manager;
    auto row = std::make_unique<Row>();
    manager.setCustomDelegate(row.get());
    auto tag = makeTag(QStringLiteral("icon_code_3"), platform::Color{0.2, 0.6, 0.3, 1});

    manager.toggle(iconButton, tag);
    platform::PopoverHost* popover = manager.popover();
    ASSERT_TRUE(popover->isShown());
    TagTableViewPopupViewController* controller = manager.tagTableViewPopupViewController();
    EXPECT_EQ(popover->contentViewController(), controller);
    EXPECT_EQ(controller->popover(), popover);
    EXPECT_EQ(controller->currentIconTag(), tag);
    EXPECT_TRUE(controller->isVisible());
    const QRect anchor(iconButton->mapToGlobal(QPoint(0, 0)), iconButton->size());
    EXPECT_LE(popover->geometry().right(), anchor.left());

    // The grid of the 143 symbols in the tag's colour.
    QTest::qWait(50);
    const QImage picture = popover->grab().toImage();
    EXPECT_TRUE(picture.save(vantel::test::outputFolder() + QStringLiteral("/tag-table-popover.png")));
    IconChooseCollectionView* grid = controller->iconChooseCollectionView();
    const QRect firstItem = grid->visualRect(grid->model()->index(1, 0));
    const QImage gridPicture = grid->viewport()->grab().toImage();
    const QColor base = grid->viewport()->palette().color(QPalette::Base);
    // Drawn on the white grid, the symbol's pixels are the tag's colour or
    // lighter shades of it at the antialiased edges: all of its hue.
    const QColor shown = dominantColour(gridPicture.copy(firstItem), base);
    EXPECT_NEAR(shown.hsvHue(), tag->color()->toQColor().hsvHue(), 4) << shown.name().toStdString();
    EXPECT_GT(shown.hsvSaturation(), 20); // an untinted symbol would be grey

    manager.toggle(iconButton, tag); // shown: closes
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(row->closes, 1);

    // A delegate that went is not called.
    manager.toggle(iconButton, tag);
    row.reset();
    manager.toggle(iconButton, tag);
    EXPECT_FALSE(popover->isShown());
}

TEST(IconChooseButtonTest, OpensTheCatalogueBelowItself)
{
    QWidget window;
    window.resize(600, 500);
    auto* button = new IconChooseButton(&window);
    button->setText(QStringLiteral("Symbol"));
    button->setGeometry(40, 40, 80, 24);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicked(button, &QAbstractButton::clicked);

    EXPECT_FALSE(button->isInitialized());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(button->isInitialized());
    EXPECT_EQ(clicked.count(), 0);
    platform::PopoverHost* popover = button->iconChoosePopover();
    ASSERT_TRUE(popover->isShown());
    IconChoosePopupViewController* controller = button->iconChoosePopupViewController();
    EXPECT_EQ(popover->contentViewController(), controller);
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    EXPECT_GE(popover->geometry().top(), anchor.bottom());

    IconChooseCollectionView* grid = controller->iconChooseCollectionView();
    EXPECT_EQ(grid->model()->rowCount(), 143);
    EXPECT_EQ(grid->itemSize(), QSize(24, 24));
    EXPECT_EQ(controller->tagIconItemIdentifier, QStringLiteral("photoItemIdentifier"));
    // Untinted: the symbols keep their own colour.
    EXPECT_FALSE(static_cast<TagIconModel*>(grid->model())->tintColor().has_value());
    QTest::qWait(50);
    EXPECT_TRUE(popover->grab().toImage().save(vantel::test::outputFolder() + QStringLiteral("/icon-chooser.png")));

    clickRow(*grid, 2); // a selection changes nothing else
    EXPECT_TRUE(popover->isShown());
    popover->close();
    EXPECT_FALSE(popover->isShown());
    QTest::mouseClick(button, Qt::LeftButton); // the same controller again
    EXPECT_EQ(button->iconChoosePopupViewController(), controller);
    EXPECT_TRUE(popover->isShown());
    popover->close();
}
