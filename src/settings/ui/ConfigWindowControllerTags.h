#pragma once

#include "settings/ui/ConfigWindowControllerBase.h"
#include "settings/ui/ConfigWindowServices.h"

namespace vantel::settingsui {

// The tags window (kind tags, "ConfigWindowControllerTags" of "ConfigTags"):
// a window titled "Configuration — Modify Tags" that shows the tags list.
class ConfigWindowControllerTags : public ConfigWindowControllerBase {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("ConfigWindowControllerTags");

    // The content is the interface file's "ConfigViewControllerTags".
    ConfigWindowControllerTags();
    explicit ConfigWindowControllerTags(ConfigWindowServices services);
};

} // namespace vantel::settingsui
