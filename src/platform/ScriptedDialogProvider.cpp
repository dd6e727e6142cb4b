#include "platform/ScriptedDialogProvider.h"

namespace vantel::platform {

void ScriptedDialogProvider::queueAlertResponse(int buttonIndex, bool suppressionChecked)
{
    std::lock_guard lock(mutex_);
    alertResponses_.append(AlertResponse{buttonIndex, suppressionChecked});
}

void ScriptedDialogProvider::queueOpenPanelResponse(const QStringList& paths)
{
    std::lock_guard lock(mutex_);
    panelResponses_.append(OpenPanelResponse{true, paths});
}

void ScriptedDialogProvider::queueOpenPanelCancel()
{
    std::lock_guard lock(mutex_);
    panelResponses_.append(OpenPanelResponse{});
}

void ScriptedDialogProvider::queueSavePanelResponse(const QString& path)
{
    std::lock_guard lock(mutex_);
    saveResponses_.append(SavePanelResponse{true, path});
}

void ScriptedDialogProvider::queueSavePanelCancel()
{
    std::lock_guard lock(mutex_);
    saveResponses_.append(SavePanelResponse{});
}

SavePanelResponse ScriptedDialogProvider::runSavePanel(const SavePanelRequest& request)
{
    std::lock_guard lock(mutex_);
    savePanels_.append(request);
    if (saveResponses_.isEmpty()) {
        ++unanswered_;
        return {};
    }
    SavePanelResponse response = saveResponses_.takeFirst();
    if (response.accepted)
        response.path = pathWithAllowedExtension(request, response.path);
    return response;
}

QList<SavePanelRequest> ScriptedDialogProvider::savePanels() const
{
    std::lock_guard lock(mutex_);
    return savePanels_;
}

AlertResponse ScriptedDialogProvider::runAlert(const AlertRequest& request)
{
    std::lock_guard lock(mutex_);
    alerts_.append(request);
    if (alertResponses_.isEmpty()) {
        ++unanswered_;
        return {};
    }
    AlertResponse response = alertResponses_.takeFirst();
    // An answer naming a button the alert does not have is a broken script.
    if (response.buttonIndex >= request.buttons.size()) {
        ++unanswered_;
        return {};
    }
    if (!request.showsSuppressionButton)
        response.suppressionChecked = false;
    return response;
}

OpenPanelResponse ScriptedDialogProvider::runOpenPanel(const OpenPanelRequest& request)
{
    std::lock_guard lock(mutex_);
    panels_.append(request);
    // Like the real panel: a choice the request refuses keeps the panel open,
    // and the next queued answer is the user's next try.
    while (!panelResponses_.isEmpty()) {
        OpenPanelResponse response = panelResponses_.takeFirst();
        if (!response.accepted)
            return response;
        if (!request.allowsMultipleSelection && response.paths.size() > 1)
            response.paths = response.paths.mid(0, 1);
        QString reason;
        bool refused = response.paths.isEmpty();
        for (const QString& path : std::as_const(response.paths)) {
            if (!showsFile(request, path)) {
                reason = QStringLiteral("not shown: ") + path;
                refused = true;
                break;
            }
            if (request.isEnabled && !request.isEnabled(path)) {
                reason = QStringLiteral("not selectable: ") + path;
                refused = true;
                break;
            }
            if (request.validate && !request.validate(path, &reason)) {
                refused = true;
                break;
            }
        }
        if (!refused)
            return response;
        rejections_.append(reason);
    }
    ++unanswered_;
    return {};
}

QStringList ScriptedDialogProvider::rejectedChoices() const
{
    std::lock_guard lock(mutex_);
    return rejections_;
}

QList<AlertRequest> ScriptedDialogProvider::alerts() const
{
    std::lock_guard lock(mutex_);
    return alerts_;
}

QList<OpenPanelRequest> ScriptedDialogProvider::openPanels() const
{
    std::lock_guard lock(mutex_);
    return panels_;
}

int ScriptedDialogProvider::unansweredCount() const
{
    std::lock_guard lock(mutex_);
    return unanswered_;
}

int ScriptedDialogProvider::pendingResponseCount() const
{
    std::lock_guard lock(mutex_);
    return alertResponses_.size() + panelResponses_.size() + saveResponses_.size();
}

void ScriptedDialogProvider::clear()
{
    std::lock_guard lock(mutex_);
    alertResponses_.clear();
    panelResponses_.clear();
    alerts_.clear();
    panels_.clear();
    saveResponses_.clear();
    savePanels_.clear();
    rejections_.clear();
    unanswered_ = 0;
}

} // namespace vantel::platform
