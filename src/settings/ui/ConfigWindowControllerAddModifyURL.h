#pragma once

#include "settings/ui/ConfigWindowControllerBase.h"

namespace vantel::settingsui {

// The window of kind addOrModifyURL ("ConfigWindowControllerAddModifyURL" of
// "DialogAddModifyURL"): a window of 750 by 325 that shows the add-or-modify
// URL pane, titled after it.
class ConfigWindowControllerAddModifyURL : public ConfigWindowControllerBase {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("ConfigWindowControllerAddModifyURL");

    // The content is the interface file's "ConfigViewControllerAddModifyURL".
    ConfigWindowControllerAddModifyURL();
};

} // namespace vantel::settingsui
