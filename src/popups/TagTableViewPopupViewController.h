#pragma once

#include "graphics/widgets/ColorCircleDelegate.h"
#include "model/iconTag.h"
#include "platform/Color.h"
#include "platform/ui/ViewControllerBase.h"
#include "popups/ColorSlider.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/TagIconModel.h"

#include <QLabel>
#include <QPushButton>

#include <QList>
#include <QPointer>

#include <optional>

namespace vantel {

namespace platform {
class PopoverHost;
}

class DrawnColorCircle;

// The content of the tags pane's popover that edits one tag's symbol and
// colour: a grid of every tag symbol tinted in the chosen colour, a large
// preview, ten swatches, a hue slider, a button that gives the tag the
// default symbol and no colour, and one that removes the colour. Every
// choice is written to the tag at once (the tag announces only real
// changes); the popover stays open. Main thread only.
class TagTableViewPopupViewController : public platform::ViewControllerBase, public ColorCircleDelegate {
    Q_OBJECT
public:
    static constexpr int swatchCount = 10;
    static constexpr int previewSide = 48;

    explicit TagTableViewPopupViewController(QObject* parent = nullptr);
    ~TagTableViewPopupViewController() override;

    IconChooseCollectionView* iconChooseCollectionView() const { return iconChooseCollectionView_; }
    TagIconModel* iconModel() const { return iconModel_; }
    QLabel* imagePreview() const { return imagePreview_; }
    // colorCircle01 ... colorCircle10, once the view is loaded.
    QList<DrawnColorCircle*> colorCircles() const;
    ColorSlider* colorSlider() const { return colorSlider_; }
    QPushButton* defaultButton() const { return defaultButton_; }
    QPushButton* clearColorButton() const { return clearColorButton_; }

    bool isVisible() const { return isVisible_; }
    const iconTagPtr& currentIconTag() const { return currentIconTag_; }
    void setCurrentIconTag(const iconTagPtr& tag) { currentIconTag_ = tag; }
    platform::PopoverHost* popover() const { return popover_; }
    void setPopover(platform::PopoverHost* popover) { popover_ = popover; }
    // The colour being chosen; none is no colour.
    const std::optional<platform::Color>& tintColor() const { return tintColor_; }

    // Writes the tint to the tag, shows its symbol in the tint and tints
    // the grid.
    void refreshPreview();

    // ---- Actions ----
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override;
    void onChangeColorSlider();
    void btnDefaultClick();
    void btnClearColorClick();
    // The user selected the symbol at `row` of the grid.
    void didSelectIcon(int row);

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

private:
    void showPreview(const QString& symbol, const std::optional<platform::Color>& color);

    QPointer<IconChooseCollectionView> iconChooseCollectionView_;
    QPointer<TagIconModel> iconModel_;
    QPointer<QLabel> imagePreview_;
    QList<QPointer<DrawnColorCircle>> colorCircles_;
    QPointer<ColorSlider> colorSlider_;
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> clearColorButton_;
    bool isVisible_ = false;
    iconTagPtr currentIconTag_;
    QPointer<platform::PopoverHost> popover_;
    std::optional<platform::Color> tintColor_;
};

} // namespace vantel
