#pragma once

#include "platform/NotificationCenter.h"
#include "hotkeys/ui/RecordView.h"

#include "hotkeys/ui/RecordViewDelegate.h"
#include "settings/ui/SettingsServices.h"
#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QRadioButton>
#include <QPushButton>
#include <QLineEdit>
#include <QComboBox>
#include <QCheckBox>

namespace vantel {

// The General tab: how the main view is shown and clicked, the popover
// animation, the alternate folder browser, the main search's options, the
// login item, the menu-bar icon, selection on hover and the hotkey that
// shows the main view.
//
// It works on a copy in its controls: filled from the configuration each
// time it appears, written back each time it disappears. Only the login
// item, the two tag-search choices and the hotkey take effect at once.
class ConfigViewControllerGeneral : public SettingsViewController, public RecordViewDelegate {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 480};
    static constexpr int menubarIconSide = 18;

    explicit ConfigViewControllerGeneral(SettingsServices services = SettingsServices::shared(), QObject* parent = nullptr);

    QComboBox* popupButtonWindowType() const { return popupButtonWindowType_; }
    RecordView* globalHotkey() const { return globalHotkey_; }
    QComboBox* popupButtonClickType() const { return popupButtonClickType_; }
    QCheckBox* checkboxMainWindowAnimated() const { return checkboxMainWindowAnimated_; }
    QLineEdit* textfieldAlternateBrowser() const { return textfieldAlternateBrowser_; }
    QPushButton* buttonSelectAlternateBrowser() const { return buttonSelectAlternateBrowser_; }
    QCheckBox* checkboxSearchInComments() const { return checkboxSearchInComments_; }
    QCheckBox* checkboxSearchInTags() const { return checkboxSearchInTags_; }
    QRadioButton* checkboxSearchInTagsLaunchAll() const { return checkboxSearchInTagsLaunchAll_; }
    QRadioButton* checkboxSearchInTagsView() const { return checkboxSearchInTagsView_; }
    QCheckBox* checkboxLaunchAtLogin() const { return checkboxLaunchAtLogin_; }
    QComboBox* popupButtonMenuItem() const { return popupButtonMenuItem_; }
    QCheckBox* checkboxSelectTagsAndCategoriesOnHover() const { return checkboxSelectTagsAndCategoriesOnHover_; }

    void loadSettings();
    void storeSettings();
    // The actions of the controls.
    void updateSearchInTagsOptions();
    void storeSearchInTagsSelection();
    void checkboxLaunchAtLoginClick();
    void selectAlternateBrowser();

    // Whether a path may serve as the folder browser: a desktop entry or an
    // executable file.
    static bool isApplicationPath(const QString& path);

    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;

private:
    // Stores the controls before a save on the way out, while shown.
    platform::ObserverToken storeBeforeExitSave_;
    SettingsServices services_;
    QPointer<QComboBox> popupButtonWindowType_;
    QPointer<RecordView> globalHotkey_;
    QPointer<QComboBox> popupButtonClickType_;
    QPointer<QCheckBox> checkboxMainWindowAnimated_;
    QPointer<QLineEdit> textfieldAlternateBrowser_;
    QPointer<QPushButton> buttonSelectAlternateBrowser_;
    QPointer<QCheckBox> checkboxSearchInComments_;
    QPointer<QCheckBox> checkboxSearchInTags_;
    QPointer<QRadioButton> checkboxSearchInTagsLaunchAll_;
    QPointer<QRadioButton> checkboxSearchInTagsView_;
    QPointer<QCheckBox> checkboxLaunchAtLogin_;
    QPointer<QComboBox> popupButtonMenuItem_;
    QPointer<QCheckBox> checkboxSelectTagsAndCategoriesOnHover_;
};

} // namespace vantel
