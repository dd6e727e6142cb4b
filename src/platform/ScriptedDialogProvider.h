#pragma once

#include "platform/DialogProvider.h"

#include <QList>

#include <mutex>

namespace vantel::platform {

// A provider for tests: records every question and answers from queues that
// the test fills beforehand. A question with no queued answer is answered as
// cancelled and counted, so a test can tell that it asked more than it meant.
class ScriptedDialogProvider final : public DialogProvider {
public:
    void queueAlertResponse(int buttonIndex, bool suppressionChecked = false);
    void queueOpenPanelResponse(const QStringList& paths); // accepted with these paths
    void queueOpenPanelCancel();
    // The name typed into the next save panel (the panel adds the extension).
    void queueSavePanelResponse(const QString& path);
    void queueSavePanelCancel();

    AlertResponse runAlert(const AlertRequest& request) override;
    OpenPanelResponse runOpenPanel(const OpenPanelRequest& request) override;
    SavePanelResponse runSavePanel(const SavePanelRequest& request) override;
    QList<SavePanelRequest> savePanels() const;

    QList<AlertRequest> alerts() const;
    QList<OpenPanelRequest> openPanels() const;
    // The reasons of the choices a panel refused (validate or isEnabled).
    QStringList rejectedChoices() const;
    int unansweredCount() const;
    int pendingResponseCount() const; // queued answers nobody asked for yet
    void clear();

private:
    mutable std::mutex mutex_;
    QList<AlertResponse> alertResponses_;
    QList<OpenPanelResponse> panelResponses_;
    QList<AlertRequest> alerts_;
    QList<OpenPanelRequest> panels_;
    QList<SavePanelResponse> saveResponses_;
    QList<SavePanelRequest> savePanels_;
    QStringList rejections_;
    int unanswered_ = 0;
};

} // namespace vantel::platform
