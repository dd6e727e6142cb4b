#include "popups/IconChoosePopupViewController.h"

#include "popups/IconChooseCollectionView.h"

#include <QVBoxLayout>

namespace vantel {

namespace {

constexpr int columns = 10;
constexpr int rows = 8;

} // namespace

IconChoosePopupViewController::IconChoosePopupViewController(QObject* parent)
    : platform::ViewControllerBase(parent)
{
}

IconChoosePopupViewController::~IconChoosePopupViewController() = default;

QWidget* IconChoosePopupViewController::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("IconChoosePopupViewController"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    iconChooseCollectionView_ = new IconChooseCollectionView(view);
    iconChooseCollectionView_->setObjectName(QStringLiteral("iconChooseCollectionView"));
    column->addWidget(iconChooseCollectionView_);
    return view;
}

void IconChoosePopupViewController::viewDidLoad()
{
    iconChooseCollectionView_->setItemSize(QSize(itemSide, itemSide));
    const int cell = itemSide + IconChooseCollectionView::spacing;
    // Room for the scroll bar beside ten columns.
    const int scrollBar = iconChooseCollectionView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    iconChooseCollectionView_->setMinimumSize(columns * cell + IconChooseCollectionView::spacing + scrollBar + 2,
                                              rows * cell + IconChooseCollectionView::spacing);
    setPreferredContentSize(iconChooseCollectionView_->minimumSize());
}

} // namespace vantel
