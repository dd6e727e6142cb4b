#pragma once

#include "graphics/widgets/ColorCircleDelegate.h"
#include "graphics/widgets/DrawnButtonDelete.h"
#include "graphics/widgets/DrawnColorCircle.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/RecordViewDelegate.h"
#include "model/iconTag.h"
#include "platform/Color.h"
#include "platform/ui/ViewControllerBase.h"
#include "popups/ColorSlider.h"
#include "popups/IconChooseCollectionView.h"
#include "popups/TagIconModel.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <optional>

namespace vantel {

namespace platform {
class PopoverHost;
}

// The content of the sidebar's tag popover: the tag's name and symbol in its
// colour, a grid of every tag symbol (shown on demand), ten swatches, a hue
// slider, no colour, the default symbol, the tag's hotkey and launch-all
// hotkey, opening all of the tag's entries and deleting the tag. Every edit
// is written to the tag at once; there is no OK or Cancel.
//
// The tag is looked up by name each time it is needed, so a tag removed or
// replaced meanwhile is never written to. While the popover is shown for a
// known tag it holds one pause of the hotkeys and gives it back when it goes.
// Main thread only.
class TagPopupViewController : public platform::ViewControllerBase,
                               public RecordViewDelegate,
                               public ColorCircleDelegate {
    Q_OBJECT
public:
    static constexpr int swatchCount = 10;
    // The content height with the symbol grid shown.
    static constexpr int expandedHeight = 487;
    static constexpr int previewSide = 32;
    // Index of the grid's section in the stack of the content.
    static constexpr int iconChooserSection = 2;

    explicit TagPopupViewController(QObject* parent = nullptr);
    ~TagPopupViewController() override;

    // ---- The sidebar row the popover is shown for ----
    struct SourceListItem {
        QString tag;  // the tag name the row stands for
        QString name; // what the row shows
    };
    const std::optional<SourceListItem>& currentSourcelistItem() const { return currentSourcelistItem_; }
    void setCurrentSourcelistItem(const std::optional<SourceListItem>& item) { currentSourcelistItem_ = item; }
    std::optional<int> index() const { return index_; }
    void setIndex(std::optional<int> index) { index_ = index; }
    // The known tag named like the row's tag; none without row or tag.
    iconTagPtr currentIconTag() const;

    platform::PopoverHost* popover() const { return popover_; }
    void setPopover(platform::PopoverHost* popover) { popover_ = popover; }

    bool isVisible() const { return isVisible_; }
    bool needsRebuild() const { return needsRebuild_; }
    bool needsRedraw() const { return needsRedraw_; }
    // The colour being chosen; none is no colour.
    const std::optional<platform::Color>& tintColor() const { return tintColor_; }

    // ---- Controls, once the view is loaded ----
    QLabel* lblTagName() const { return lblTagName_; }
    QLabel* imageTagSymbol() const { return imageTagSymbol_; }
    IconChooseCollectionView* iconChooseCollectionView() const { return iconChooseCollectionView_; }
    TagIconModel* iconModel() const { return iconModel_; }
    // The sections of the content, top to bottom.
    QList<QWidget*> stackViews() const;
    RecordView* hotkey() const { return hotkey_; }
    RecordView* hotkeyLaunchAll() const { return hotkeyLaunchAll_; }
    ColorSlider* colorSlider() const { return colorSlider_; }
    // colorCircle01 ... colorCircle10.
    QList<DrawnColorCircle*> colorCircles() const;
    QPushButton* btnChangeIcon() const { return btnChangeIcon_; }
    QPushButton* btnDefaultIcon() const { return btnDefaultIcon_; }
    QPushButton* btnClearColor() const { return btnClearColor_; }
    QPushButton* btnLaunchAll() const { return btnLaunchAll_; }
    DrawnButtonDelete* btnDeleteTag() const { return btnDeleteTag_; }

    // The content height with the grid hidden.
    int collapsedHeight() const;
    // Shows or hides the symbol grid and gives the popover the height for
    // it; nothing without a popover.
    void showIconChooser(bool show);

    // Writes the tint to the tag, shows its symbol in the tint and tints
    // the grid.
    void refreshPreview();

    // ---- Actions ----
    void btnLaunchAllClick();
    void btnDeleteTagClick();
    void btnChangeIconClick();
    void btnDefaultIconClick();
    void btnClearColorClick();
    void onChangeColorSlider();
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override;
    // The user selected the symbol at `row` of the grid.
    void didSelectIcon(int row);

    // ---- RecordViewDelegate ----
    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

signals:
    // The tag's colour or symbol changed: the sidebar redraws its selected rows.
    void redrawSelectedRowsNeeded();

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidDisappear() override;

private:
    void showSymbol(const QString& symbol);
    void colorOrIconChanged();
    void closePopover();

    QPointer<QLabel> lblTagName_;
    QPointer<QLabel> imageTagSymbol_;
    QPointer<IconChooseCollectionView> iconChooseCollectionView_;
    QPointer<TagIconModel> iconModel_;
    QList<QPointer<QWidget>> stackViews_;
    QPointer<RecordView> hotkey_;
    QPointer<RecordView> hotkeyLaunchAll_;
    QPointer<ColorSlider> colorSlider_;
    QList<QPointer<DrawnColorCircle>> colorCircles_;
    QPointer<QPushButton> btnChangeIcon_;
    QPointer<QPushButton> btnDefaultIcon_;
    QPointer<QPushButton> btnClearColor_;
    QPointer<QPushButton> btnLaunchAll_;
    QPointer<DrawnButtonDelete> btnDeleteTag_;

    bool isVisible_ = false;
    bool holdsHotkeyPause_ = false;
    std::optional<SourceListItem> currentSourcelistItem_;
    std::optional<int> index_;
    QPointer<platform::PopoverHost> popover_;
    bool needsRebuild_ = false;
    bool needsRedraw_ = false;
    std::optional<platform::Color> tintColor_;
    int gridHeight_ = 0;
};

} // namespace vantel
