#pragma once

#include "popups/CustomTextFieldDelegate.h"
#include "popups/TagTableViewPopupManager.h"
#include "settings/ui/ConfigViewControllerBase.h"
#include "settings/ui/ConfigWindowServices.h"

#include <QPointer>

class QPushButton;

namespace vantel {
class TagTableView;
}

namespace vantel::settingsui {

class ConfigTagsTableModel;
class TableViewCellConfigEditTags;
class TableViewCellConfigEditTagsHotkeyView;

// The tags window's content ("ConfigViewControllerTags" of "ConfigTags"):
// every tag in a table of 30-point rows with its symbol and name, the
// hotkey that shows it and the one that opens all its entries. The user
// renames a tag (the tag manager asks, renames it with its sub-tags and may
// refuse), changes its symbol and colour in the symbol popover, records or
// clears its two hotkeys and deletes it.
//
// While it is shown the global hotkeys are paused (one counted pause of its
// own), so a combination can be recorded without firing; when it goes the
// store is rebuilt and a modal run of its window ends. Main thread only.
class ConfigViewControllerTags : public ConfigViewControllerBase,
                                 public CustomTextFieldDelegate,
                                 public TagTableViewPopupManagerDelegate {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("ConfigTags");
    static inline const QString identifier = QStringLiteral("ConfigViewControllerTags");
    static constexpr int rowHeight = 30;
    static constexpr int hotkeyColumnWidth = 200;
    static const QSize preferredSize;

    explicit ConfigViewControllerTags(QObject* parent = nullptr);
    explicit ConfigViewControllerTags(ConfigWindowServices services, QObject* parent = nullptr);
    ~ConfigViewControllerTags() override;

    TagTableView* tagTableView();
    ConfigTagsTableModel* model() const { return model_; }
    QPushButton* removeButton() const { return removeButton_; }
    TagTableViewPopupManager* popupMenu() const { return popupMenu_; }
    bool hotkeysPausedByWindow() const { return hotkeyPause_.isHeld(); }

    // The remove button: deletes the selected row's tag when the user agrees.
    void configRemoveTag();
    // A rename asked by the name field: true when the tag manager renamed.
    bool shouldChangeValue(const QString& oldValue, const QString& newValue) override;
    void tagTableViewPopupDidClose() override;
    void symbolClicked(int row, const QRect& symbol);

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    ConfigWindowServices services_;
    HotkeyPause hotkeyPause_;
    TagTableView* table_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    ConfigTagsTableModel* model_ = nullptr;
    TableViewCellConfigEditTags* nameCell_ = nullptr;
    TableViewCellConfigEditTagsHotkeyView* hotkeyCell_ = nullptr;
    TableViewCellConfigEditTagsHotkeyView* launchAllCell_ = nullptr;
    TagTableViewPopupManager* popupMenu_ = nullptr;
    QWidget* symbolAnchor_ = nullptr;
    int popupRow_ = -1;
    QWidget* shownInWindow_ = nullptr;
};

} // namespace vantel::settingsui
