#pragma once

#include <QString>

#include <functional>

namespace vantel {

class KeyCombo;

// What a key combination types, as the configuration list sorts hotkeys by
// it: empty for a doubled modifier. The keyboard subsystem installs the
// translation through the current layout; until then the combination is
// translated through the US layout (the ASCII-capable fallback), and keys
// that type nothing give the empty string.
QString hotkeyCharacters(const KeyCombo& combo);

// Installs the layout translation; an empty function restores the fallback.
void setHotkeyCharactersProvider(std::function<QString(const KeyCombo&)> provider);

// The US-layout translation on its own.
QString usLayoutCharacters(const KeyCombo& combo);

} // namespace vantel
