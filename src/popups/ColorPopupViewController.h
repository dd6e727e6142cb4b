#pragma once

#include "graphics/widgets/ColorCircleDelegate.h"
#include "model/TableViewItem.h"
#include "platform/Color.h"
#include "platform/ui/ViewControllerBase.h"
#include "popups/ColorSlider.h"

#include <QPushButton>

#include <QList>
#include <QPointer>

#include <optional>

namespace vantel {

class DrawnColorCircle;

// The content of the colour popover of the settings' entry list: eighteen
// swatches, a hue slider and a button that removes the colour. The first
// choice is written to the entry at once (announced only when the colour
// differs), ends the binding to the entry and asks for the popover to close
// (editingFinished). Clearing stores no colour at all. Main thread only.
class ColorPopupViewController : public platform::ViewControllerBase, public ColorCircleDelegate {
    Q_OBJECT
public:
    static constexpr int swatchCount = 18;
    static constexpr QSize contentSize{252, 153};

    explicit ColorPopupViewController(QObject* parent = nullptr);
    ~ColorPopupViewController() override;

    // colorCircle01 ... colorCircle18, once the view is loaded.
    QList<DrawnColorCircle*> colorCircles() const;
    ColorSlider* colorSlider() const { return colorSlider_; }
    QPushButton* clearColorButton() const { return clearColorButton_; }

    // True between viewWillAppear and viewWillDisappear.
    bool isVisible() const { return isVisible_; }
    const TableViewItem::Ptr& item() const { return item_; }
    void setItem(const TableViewItem::Ptr& item) { item_ = item; }

    // ---- Actions ----
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override;
    void onChangeColorSlider();
    void clearColor_click();

signals:
    // A colour was chosen or cleared: the entry is let go, the popover closes.
    void editingFinished();

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

private:
    void choose(const std::optional<platform::Color>& color);

    QList<QPointer<DrawnColorCircle>> colorCircles_;
    QPointer<ColorSlider> colorSlider_;
    QPointer<QPushButton> clearColorButton_;
    bool isVisible_ = false;
    TableViewItem::Ptr item_;
};

} // namespace vantel
