#pragma once

#include "hotkeys/KeyCombo.h"

#include <QString>

namespace vantel {

class HotKey;
class HotKeyCenter;
class RecordView;

// What holds a combination the user just recorded: one of Vantel's hotkeys
// (the entry, tag or category it belongs to, by name, or the main view's
// hotkey) or another program. Every recorder's owner refuses a held
// combination through acceptIfFree, which says in the recorder what holds it.
namespace KeyComboHolder {

// In words, for the recorder; empty when nothing holds the combination.
QString describe(const HotKeyCenter& center, const KeyCombo& keyCombo);
QString describe(const HotKey& hotKey);
QString otherProgram();

// True when the combination is free; otherwise the recorder shows what holds
// it for a moment and the answer is false. No centre accepts everything.
bool acceptIfFree(RecordView& recorder, const HotKeyCenter* center, const KeyCombo& keyCombo);

} // namespace KeyComboHolder

} // namespace vantel
