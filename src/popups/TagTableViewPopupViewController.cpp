#include "popups/TagTableViewPopupViewController.h"

#include "config/SystemConfiguration.h"
#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "graphics/widgets/SwatchColors.h"
#include "model/LocalizedStrings.h"
#include "platform/Bundle.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorPopupParts.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/TagIconModel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace vantel {

namespace {

constexpr int margin = 10;
constexpr int swatchSide = 20;
constexpr int gridColumns = 10;
constexpr int gridRows = 7;

std::optional<QColor> qColorOf(const std::optional<platform::Color>& color)
{
    return color ? std::optional<QColor>(color->toQColor()) : std::nullopt;
}

} // namespace

TagTableViewPopupViewController::TagTableViewPopupViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

TagTableViewPopupViewController::~TagTableViewPopupViewController() = default;

QList<DrawnColorCircle*> TagTableViewPopupViewController::colorCircles() const
{
    return ColorPopupParts::colorCircleList(colorCircles_);
}

QWidget* TagTableViewPopupViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("TagTableViewPopupViewController"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(8);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    imagePreview_ = new QLabel(view);
    imagePreview_->setObjectName(QStringLiteral("imagePreview"));
    imagePreview_->setFixedSize(previewSide + 8, previewSide + 8);
    imagePreview_->setAlignment(Qt::AlignCenter);
    imagePreview_->setFrameShape(QFrame::StyledPanel);
    top->addWidget(imagePreview_, 0, Qt::AlignTop);

    auto* controls = new QVBoxLayout;
    controls->setSpacing(6);
    auto* swatches = new QHBoxLayout;
    swatches->setSpacing(4);
    for (int i = 0; i < swatchCount; ++i) {
        DrawnColorCircle* circle = ColorPopupParts::makeColorCircle(i, swatchSide, view);
        swatches->addWidget(circle);
        colorCircles_.append(circle);
    }
    swatches->addStretch();
    controls->addLayout(swatches);
    colorSlider_ = ColorPopupParts::makeColorSlider(view);
    controls->addWidget(colorSlider_);
    auto* buttons = new QHBoxLayout;
    defaultButton_ = new QPushButton(localized("Default"), view);
    defaultButton_->setObjectName(QStringLiteral("btnDefault"));
    defaultButton_->setToolTip(localized("The default symbol and no colour"));
    clearColorButton_ = new QPushButton(localized("Clear Colour"), view);
    clearColorButton_->setObjectName(QStringLiteral("btnClearColor"));
    buttons->addStretch();
    buttons->addWidget(defaultButton_);
    buttons->addWidget(clearColorButton_);
    controls->addLayout(buttons);
    top->addLayout(controls, 1);
    column->addLayout(top);

    iconChooseCollectionView_ = new IconChooseCollectionView(view);
    iconChooseCollectionView_->setObjectName(QStringLiteral("iconChooseCollectionView"));
    column->addWidget(iconChooseCollectionView_, 1);

    connect(defaultButton_, &QPushButton::clicked, this, &TagTableViewPopupViewController::btnDefaultClick);
    connect(clearColorButton_, &QPushButton::clicked, this, &TagTableViewPopupViewController::btnClearColorClick);
    return view;
}

void TagTableViewPopupViewController::viewDidLoad()
{
    // The grid: the catalogue tinted in the chosen colour, items as large
    // as the sidebar's icons.
    iconModel_ = new TagIconModel(TagManager::shared().iconNames(), this);
    iconChooseCollectionView_->setModel(iconModel_);
    const int side = std::max(8, int(std::lround(SystemConfiguration::shared().sidebarIconSize())));
    iconChooseCollectionView_->setItemSize(QSize(side, side));
    const int cell = side + IconChooseCollectionView::spacing;
    iconChooseCollectionView_->setMinimumSize(gridColumns * cell + IconChooseCollectionView::spacing + 2,
                                              gridRows * cell + IconChooseCollectionView::spacing);
    iconChooseCollectionView_->clearSelection();
    connect(iconChooseCollectionView_, &IconChooseCollectionView::iconSelected, this,
            &TagTableViewPopupViewController::didSelectIcon);

    const QList<QColor> colors = systemSwatchColors();
    for (int i = 0; i < colorCircles_.size(); ++i) {
        colorCircles_.at(i)->setDelegate(this);
        colorCircles_.at(i)->setColor(colors.value(i));
    }
}

void TagTableViewPopupViewController::viewWillAppear()
{
    isVisible_ = true;
    if (!currentIconTag_)
        return;
    tintColor_ = currentIconTag_->color();
    refreshPreview();
    ColorPopupParts::prepareColorSlider(colorSlider_.data(), this,
                                        &TagTableViewPopupViewController::onChangeColorSlider);
}

void TagTableViewPopupViewController::viewWillDisappear()
{
    isVisible_ = false;
}

void TagTableViewPopupViewController::showPreview(const QString& symbol, const std::optional<platform::Color>& color)
{
    if (!imagePreview_)
        return;
    const std::optional<QIcon> image = platform::Bundle::main().imageNamed(symbol);
    if (!image) {
        imagePreview_->clear();
        imagePreview_->setAccessibleName(QString());
        return;
    }
    const QIcon shown = tinted(*image, qColorOf(color));
    imagePreview_->setPixmap(shown.pixmap(QSize(previewSide, previewSide), imagePreview_->devicePixelRatioF()));
    imagePreview_->setAccessibleName(TagIconModel::spokenName(symbol));
}

void TagTableViewPopupViewController::refreshPreview()
{
    if (currentIconTag_) {
        currentIconTag_->setColor(tintColor_);
        showPreview(currentIconTag_->tagSymbol(), tintColor_);
    }
    if (iconModel_)
        iconModel_->setTintColor(qColorOf(tintColor_));
}

void TagTableViewPopupViewController::didSelectIcon(int row)
{
    if (!currentIconTag_ || !iconModel_)
        return;
    const QString name = iconModel_->imageName(row);
    if (name.isEmpty())
        return;
    currentIconTag_->setTagSymbol(name);
    currentIconTag_->setColor(tintColor_);
    showPreview(name, currentIconTag_->color());
}

void TagTableViewPopupViewController::colorCircleClicked(DrawnColorCircle*, const QColor& color)
{
    tintColor_ = ColorPopupParts::swatchChoice(color);
    refreshPreview();
}

void TagTableViewPopupViewController::onChangeColorSlider()
{
    if (!colorSlider_)
        return;
    tintColor_ = platform::Color::fromQColor(colorSlider_->selectedColor());
    refreshPreview();
}

void TagTableViewPopupViewController::btnClearColorClick()
{
    tintColor_.reset();
    refreshPreview();
}

void TagTableViewPopupViewController::btnDefaultClick()
{
    if (!currentIconTag_)
        return;
    currentIconTag_->setTagSymbol(TagManager::shared().defaultTag);
    tintColor_.reset();
    refreshPreview();
}

} // namespace vantel
