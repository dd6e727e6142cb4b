#pragma once

#include "platform/NotificationCenter.h"
#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QPushButton>
#include <QCheckBox>

#include <functional>

namespace vantel {

class Configuration;

// The Advanced tab: diagnostic logging (written when the pane leaves the
// screen, not on the click), bringing back the two tag questions the user
// silenced, and the diagnostic export.
class ConfigViewControllerAdvanced : public SettingsViewController {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 150};

    explicit ConfigViewControllerAdvanced(Configuration& config, QObject* parent = nullptr);

    QCheckBox* checkBoxEnableDebugLogging() const { return checkBoxEnableDebugLogging_; }
    QPushButton* buttonResetAllWarningDialogs() const { return buttonResetAllWarningDialogs_; }
    QPushButton* buttonExportDiagnosticData() const { return buttonExportDiagnosticData_; }

    void storeDebugLogging();
    void resetAllWarningDialogsClick();
    void exportDiagnosticDataClick();

protected:
    QWidget* loadView() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

private:
    // Stores the controls before a save on the way out, while shown.
    platform::ObserverToken storeBeforeExitSave_;
    Configuration& config_;
    QPointer<QCheckBox> checkBoxEnableDebugLogging_;
    QPointer<QPushButton> buttonResetAllWarningDialogs_;
    QPointer<QPushButton> buttonExportDiagnosticData_;
};

} // namespace vantel
