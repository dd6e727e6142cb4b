#pragma once

namespace vantel {

// Registers the interface files of the data window ("ConfigData"), the tags
// window ("ConfigTags") and the add-or-modify-URL window
// ("DialogAddModifyURL") in the program's interface catalogue, from which
// the window catalogue makes the kinds config, tags and addOrModifyURL.
// Called once when the shell starts.
void registerConfigurationWindows();

} // namespace vantel
