#pragma once

#include "platform/ui/ViewControllerBase.h"
#include "popups/IconChooseCollectionView.h"

#include <QPointer>
#include <QString>

namespace vantel {

// The content of the symbol chooser's popover: the catalogue of tag
// symbols, untinted, in 24-point items. A selection changes nothing.
class IconChoosePopupViewController : public platform::ViewControllerBase {
    Q_OBJECT
public:
    explicit IconChoosePopupViewController(QObject* parent = nullptr);
    ~IconChoosePopupViewController() override;

    static constexpr int itemSide = 24;
    const QString tagIconItemIdentifier = QStringLiteral("photoItemIdentifier");

    IconChooseCollectionView* iconChooseCollectionView() const { return iconChooseCollectionView_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

private:
    QPointer<IconChooseCollectionView> iconChooseCollectionView_;
};

} // namespace vantel
