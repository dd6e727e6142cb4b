#pragma once

#include "graphics/widgets/ColorCircleDelegate.h"
#include "hotkeys/ui/RecordViewDelegate.h"
#include "model/TableViewItem.h"
#include "platform/ui/ViewControllerBase.h"

#include <QColor>
#include <QList>
#include <QPointer>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace vantel {

class ColorSlider;
class Configuration;
class CustomTextField;
class CustomTokenField;
class DataStorage;
class DrawnCheckBoxFavorite;
class DrawnColorCircle;
class DrawnMainViewBackground;
class HotKeyCenter;
class HotKeyManager;
class RecordView;

namespace platform {
class PopoverHost;
}

// The content of the entry popover: shows one entry of the main list (name,
// path, icon) and edits it in place (comment, tags, hotkey, favourite mark,
// colour), with buttons to hide, reveal, delete or modify it. Every edit is
// written to the entry at once through its setters, which announce the
// change; nothing is kept to save on closing.
//
// The favourite, hide, delete and tag edits rebuild the data store
// ("TableView-Popup") and close the popover; the comment, colour, hotkey,
// reveal and modify-URL actions leave it open and redraw the selected row of
// the main list. While it is shown with an entry, global hotkeys are paused
// (one count of the hotkey manager's counted pause, ended when it goes), so
// that the recorder can take any combination. Clearing the colour stores no
// colour. Main thread only.
class TableViewPopupViewController : public platform::ViewControllerBase,
                                     public ColorCircleDelegate,
                                     public RecordViewDelegate {
    Q_OBJECT
public:
    // What the popover works with; the shared instances unless a test says otherwise.
    struct Services {
        DataStorage* dataStorage = nullptr;
        HotKeyManager* hotKeyManager = nullptr;
        HotKeyCenter* hotKeyCenter = nullptr;
        Configuration* configuration = nullptr;
        static Services shared();
    };

    explicit TableViewPopupViewController(QObject* parent = nullptr);
    explicit TableViewPopupViewController(Services services, QObject* parent = nullptr);
    ~TableViewPopupViewController() override;

    // The number of colour swatches.
    static constexpr int colorCircleCount = 18;

    // ---- Controls (made with the view) ----
    QLabel* appName() const { return appName_; }
    QLabel* appPath() const { return appPath_; }
    QLabel* appImage() const { return appImage_; }
    CustomTextField* comment() const { return comment_; }
    CustomTokenField* tags() const { return tags_; }
    QPushButton* btnHide() const { return btnHide_; }
    QPushButton* btnShowInFinder() const { return btnShowInFinder_; }
    QPushButton* btnDelete() const { return btnDelete_; }
    QPushButton* btnModifyURL() const { return btnModifyURL_; }
    QPushButton* btnClearColor() const { return btnClearColor_; }
    RecordView* hotkey() const { return hotkey_; }
    DrawnCheckBoxFavorite* checkboxFavorite() const { return checkboxFavorite_; }
    DrawnMainViewBackground* backgroundPreview() const { return backgroundPreview_; }
    const QList<DrawnColorCircle*>& colorCircles() const { return colorCircles_; }
    ColorSlider* colorSlider() const { return colorSlider_; }
    QFrame* backgroundPanelLeft() const { return backgroundPanelLeft_; }

    // ---- State ----
    // True between appearing and disappearing.
    bool isVisible() const { return isVisible_; }
    // The entry being edited; set by the caller before showing.
    const TableViewItemPtr& item() const { return item_; }
    void setItem(const TableViewItemPtr& item) { item_ = item; }
    // The row of the entry in the main list.
    std::optional<int> index() const { return index_; }
    void setIndex(std::optional<int> index) { index_ = index; }
    // The popover that shows this controller; set by the manager.
    platform::PopoverHost* popover() const { return popover_; }
    void setPopover(platform::PopoverHost* popover) { popover_ = popover; }
    bool needsRebuild() const { return needsRebuild_; }
    bool needsRedraw() const { return needsRedraw_; }

    // ---- Actions ----
    void checkboxFavoriteClick();
    void btnHideClick();
    void btnShowInFinderClick();
    void btnDeleteClick();
    void btnModifyURLClick();
    void btnClearColorClick();
    void onChangeColorSlider();
    // The comment field finished editing.
    void controlTextDidEndEditing();
    // The tag field finished editing.
    void applyTagsEdit();

    // Writes the colour to the entry (none and the clear colour both store
    // none), updates the preview and redraws the main list's selected row.
    void setItemColor(const std::optional<QColor>& color);
    void updateColorPreview();

    // ---- ColorCircleDelegate ----
    void colorCircleClicked(DrawnColorCircle* sender, const QColor& color) override;

    // ---- RecordViewDelegate ----
    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    void setupButtons();
    void redrawSelectedRow();
    void rebuildAndClose();
    void closePopover();

    Services services_;

    QLabel* appName_ = nullptr;
    QLabel* appPath_ = nullptr;
    QLabel* appImage_ = nullptr;
    CustomTextField* comment_ = nullptr;
    CustomTokenField* tags_ = nullptr;
    QPushButton* btnHide_ = nullptr;
    QPushButton* btnShowInFinder_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QPushButton* btnModifyURL_ = nullptr;
    QPushButton* btnClearColor_ = nullptr;
    RecordView* hotkey_ = nullptr;
    DrawnCheckBoxFavorite* checkboxFavorite_ = nullptr;
    DrawnMainViewBackground* backgroundPreview_ = nullptr;
    QList<DrawnColorCircle*> colorCircles_;
    ColorSlider* colorSlider_ = nullptr;
    QFrame* backgroundPanelLeft_ = nullptr;

    bool isVisible_ = false;
    TableViewItemPtr item_;
    std::optional<int> index_;
    QPointer<platform::PopoverHost> popover_;
    bool needsRebuild_ = false;
    bool needsRedraw_ = false;
    // Whether this showing holds one count of the hotkey pause.
    bool pausesHotkeys_ = false;
    // Between viewWillDisappear and viewDidDisappear: edits that end now
    // apply, but do not close the popover a second time.
    bool disappearing_ = false;
};

} // namespace vantel
