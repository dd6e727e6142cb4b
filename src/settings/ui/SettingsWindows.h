#pragma once

namespace vantel {

// Registers the configuration windows in the program's interface catalogue
// under their interface files and identifiers: the settings window
// ("ConfigSettings"), the versioned backups ("DialogVersionedBackup"), the
// info window ("DialogInfo"), the hotkey overview ("DialogHotkeyOverview")
// and the version history ("DialogVersionHistory"), from which the window
// catalogue opens the kinds settings, versionedBackup, info, hotkeyOverview
// and versionHistory. Called once when the shell starts.
void registerSettingsWindows();

} // namespace vantel
