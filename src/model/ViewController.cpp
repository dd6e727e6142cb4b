#include "model/ViewController.h"

#include "platform/Dialogs.h"

namespace vantel {

void ViewController::runOpenPanelAsSheet(const platform::OpenPanelRequest& request,
                                         const std::function<void(const platform::OpenPanelResponse&)>& completion)
{
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(request);
    if (completion)
        completion(response);
}

} // namespace vantel
