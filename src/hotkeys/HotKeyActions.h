#pragma once

#include "hotkeys/HotKey.h"

namespace vantel {

class HotKeyManager;

// What the manager's hotkeys do when they fire, on the main queue. Every
// action but the window one first gives way to the pause and to the main
// view's own digit keys (1 to 9, alone or with command, open the n-th entry
// of the shown list while the main view is up and the program is active).
namespace HotKeyActions {

void tagHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey);
void tagLaunchAllHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey);
void globalHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey);
void entryHotKeyAction(HotKeyManager& manager, const HotKeyPtr& hotKey);
// The seven category actions by their sidebar selection value: 1 files,
// 2 folders, 3 favorites, 4 URLs, 5 shortcuts, 6 recent applications, 7 open
// applications.
void categoryHotKeyAction(HotKeyManager& manager, int selectionType, const HotKeyPtr& hotKey);

bool isHandledByMainWindow(HotKeyManager& manager, const KeyCombo& keyCombo);
// True when a character (grapheme) of the text is among those of `allowed`.
bool containsAnyCharacter(const QString& allowed, const QString& text);

} // namespace HotKeyActions

} // namespace vantel
