#include "platform/Dialogs.h"

#include "platform/MainQueue.h"

namespace vantel::platform::Dialogs {

void showAlert(const QString& messageText, const QString& informativeText, bool centredOnScreen)
{
    AlertRequest request;
    request.style = AlertStyle::Informational;
    request.messageText = messageText;
    request.informativeText = informativeText;
    request.buttons = {QStringLiteral("OK")};
    request.centredOnScreen = centredOnScreen;
    runAlert(request);
}

AlertResponse runAlert(const AlertRequest& request)
{
    AlertResponse response;
    MainQueue::sync([&] { response = DialogProvider::shared()->runAlert(request); });
    return response;
}

OpenPanelResponse runOpenPanel(const OpenPanelRequest& request)
{
    OpenPanelResponse response;
    MainQueue::sync([&] { response = DialogProvider::shared()->runOpenPanel(request); });
    return response;
}

SavePanelResponse runSavePanel(const SavePanelRequest& request)
{
    SavePanelResponse response;
    MainQueue::sync([&] { response = DialogProvider::shared()->runSavePanel(request); });
    return response;
}

} // namespace vantel::platform::Dialogs
