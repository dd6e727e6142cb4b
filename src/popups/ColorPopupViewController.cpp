#include "popups/ColorPopupViewController.h"

#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "model/LocalizedStrings.h"
#include "popups/ColorPopupParts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantel {

namespace {

constexpr int margin = 10;
constexpr int swatchSide = 22;
constexpr int swatchesPerRow = 9;

} // namespace

ColorPopupViewController::ColorPopupViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

ColorPopupViewController::~ColorPopupViewController() = default;

QList<DrawnColorCircle*> ColorPopupViewController::colorCircles() const
{
    return ColorPopupParts::colorCircleList(colorCircles_);
}

QWidget* ColorPopupViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ColorPopupViewController"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(8);

    auto* swatches = new QGridLayout;
    swatches->setHorizontalSpacing(4);
    swatches->setVerticalSpacing(4);
    const QList<QColor> colors = entrySwatchColors();
    for (int i = 0; i < swatchCount; ++i) {
        DrawnColorCircle* circle = ColorPopupParts::makeColorCircle(i, swatchSide, view);
        circle->setColor(colors.value(i));
        swatches->addWidget(circle, i / swatchesPerRow, i % swatchesPerRow, Qt::AlignCenter);
        colorCircles_.append(circle);
    }
    column->addLayout(swatches);

    colorSlider_ = ColorPopupParts::makeColorSlider(view);
    column->addWidget(colorSlider_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    clearColorButton_ = new QPushButton(localized("Clear Colour"), view);
    clearColorButton_->setObjectName(QStringLiteral("clearColor"));
    connect(clearColorButton_, &QPushButton::clicked, this, &ColorPopupViewController::clearColor_click);
    buttons->addWidget(clearColorButton_);
    column->addLayout(buttons);
    column->addStretch();
    return view;
}

void ColorPopupViewController::viewDidLoad()
{
    setPreferredContentSize(contentSize);
    for (const QPointer<DrawnColorCircle>& circle : colorCircles_)
        circle->setDelegate(this);
}

void ColorPopupViewController::viewWillAppear()
{
    setPreferredContentSize(contentSize);
    isVisible_ = true;
    ColorPopupParts::prepareColorSlider(colorSlider_.data(), this, &ColorPopupViewController::onChangeColorSlider);
}

void ColorPopupViewController::viewWillDisappear()
{
    isVisible_ = false;
}

void ColorPopupViewController::choose(const std::optional<platform::Color>& color)
{
    if (!item_)
        return;
    // The entry's setter announces the change only when the colour differs.
    item_->setColor(color);
    item_.reset();
    emit editingFinished();
}

void ColorPopupViewController::colorCircleClicked(DrawnColorCircle*, const QColor& color)
{
    choose(ColorPopupParts::swatchChoice(color));
}

void ColorPopupViewController::onChangeColorSlider()
{
    if (!colorSlider_)
        return;
    choose(platform::Color::fromQColor(colorSlider_->selectedColor()));
}

void ColorPopupViewController::clearColor_click()
{
    choose(std::nullopt);
}

} // namespace vantel
