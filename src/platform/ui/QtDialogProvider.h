#pragma once

#include "platform/DialogProvider.h"

class QWidget;

namespace vantel::platform {

// The real dialogs: QMessageBox for alerts, a non-native QFileDialog for open
// panels. Widgets are made only while a dialog is up. Needs a QApplication;
// without one every question is answered as cancelled with a warning.
class QtDialogProvider final : public DialogProvider {
public:
    // Installs a QtDialogProvider as the shared provider.
    static void install();

    AlertResponse runAlert(const AlertRequest& request) override;
    OpenPanelResponse runOpenPanel(const OpenPanelRequest& request) override;
    SavePanelResponse runSavePanel(const SavePanelRequest& request) override;

private:
    static bool haveWidgets();
    static QWidget* dialogParent();
};

} // namespace vantel::platform
