#pragma once

#include "platform/NotificationCenter.h"
#include "hotkeys/ui/RecordView.h"

#include "graphics/widgets/DrawnMainViewBackground.h"

#include "config/Configuration.h"
#include "hotkeys/ui/RecordViewDelegate.h"
#include "settings/ui/SettingsServices.h"
#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QSlider>
#include <QPushButton>
#include <QLabel>
#include <QComboBox>
#include <QCheckBox>

#include <array>

namespace vantel {

// The Appearance tab: which sidebar categories the main view shows and the
// hotkey of each, the number beside sidebar items, the path line, small
// mode, the border around hotkeys, the translucent list background, the
// intensity of an entry's colour and the size of the main view, with a
// preview of one row that follows the check boxes and the slider.
//
// Filled from the configuration when it appears, written back when it
// disappears; category hotkeys are stored and registered at once. A
// category that is switched off keeps no hotkey.
class ConfigViewControllerAppearance : public SettingsViewController, public RecordViewDelegate {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 600};
    static constexpr float fallbackIntensity = 0.2f;
    using Category = Configuration::SidebarCategory;
    // The rows in the order every loop visits them.
    static constexpr std::array<Category, 7> categories{Category::files,
                                                        Category::folders,
                                                        Category::urls,
                                                        Category::recentApplications,
                                                        Category::activeApplications,
                                                        Category::favorites,
                                                        Category::shortcuts};

    explicit ConfigViewControllerAppearance(SettingsServices services = SettingsServices::shared(),
                                            QObject* parent = nullptr);

    QCheckBox* checkboxCategoriesShow(Category category) const { return checkboxes_[index(category)]; }
    RecordView* hotkeyCategoriesShow(Category category) const { return recorders_[index(category)]; }
    QCheckBox* checkboxShowNumberOfElementInSidebar() const { return checkboxShowNumberOfElementInSidebar_; }
    QCheckBox* checkboxShowPathInMainView() const { return checkboxShowPathInMainView_; }
    QCheckBox* checkboxUseSmallModeInMainView() const { return checkboxUseSmallModeInMainView_; }
    QCheckBox* checkboxDrawBorderAroundHotkey() const { return checkboxDrawBorderAroundHotkey_; }
    QCheckBox* checkboxTranslucentBackgroundRight() const { return checkboxTranslucentBackgroundRight_; }
    DrawnMainViewBackground* mainViewPreviewBackground() const { return mainViewPreviewBackground_; }
    QLabel* mainViewPreviewAppName() const { return mainViewPreviewAppName_; }
    QLabel* mainViewPreviewPath() const { return mainViewPreviewPath_; }
    QPushButton* mainViewPreviewHotkey() const { return mainViewPreviewHotkey_; }
    QSlider* backgroundColorIntensity() const { return backgroundColorIntensity_; }
    QComboBox* mainWindowWidth() const { return mainWindowWidth_; }
    QComboBox* mainWindowHeight() const { return mainWindowHeight_; }
    float backgroundColorIntensityValue() const { return backgroundColorIntensityValue_; }

    void loadSettings();
    void storeSettings();
    void updatePreview();
    // The actions of the controls.
    void checkboxShowCategoriesClick(Category category);
    void backgroundColorIntensityChange();

    // Whether this desktop has the Shortcuts tool, whose category can be shown.
    static bool shortcutsAvailable();

    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

private:
    // Stores the controls before a save on the way out, while shown.
    platform::ObserverToken storeBeforeExitSave_;
    static size_t index(Category category) { return static_cast<size_t>(category); }
    std::optional<Category> categoryOf(const RecordView& recorder) const;

    SettingsServices services_;
    std::array<QPointer<QCheckBox>, 7> checkboxes_;
    std::array<QPointer<RecordView>, 7> recorders_;
    QPointer<QCheckBox> checkboxShowNumberOfElementInSidebar_;
    QPointer<QCheckBox> checkboxShowPathInMainView_;
    QPointer<QCheckBox> checkboxUseSmallModeInMainView_;
    QPointer<QCheckBox> checkboxDrawBorderAroundHotkey_;
    QPointer<QCheckBox> checkboxTranslucentBackgroundRight_;
    QPointer<DrawnMainViewBackground> mainViewPreviewBackground_;
    QPointer<QLabel> mainViewPreviewAppName_;
    QPointer<QLabel> mainViewPreviewPath_;
    QPointer<QLabel> mainViewPreviewIcon_;
    QPointer<QPushButton> mainViewPreviewHotkey_;
    QPointer<QSlider> backgroundColorIntensity_;
    QPointer<QComboBox> mainWindowWidth_;
    QPointer<QComboBox> mainWindowHeight_;
    float backgroundColorIntensityValue_ = 0;
};

} // namespace vantel
