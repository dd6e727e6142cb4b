#pragma once

#include "hotkeys/KeyCombo.h"

#include <optional>

namespace vantel {

class RecordView;

// What the owner of a shortcut recorder decides and hears.
class RecordViewDelegate {
public:
    virtual ~RecordViewDelegate() = default;
    // Asked when recording is to begin.
    virtual bool mayRecord(RecordView& recorder) = 0;
    // Asked before a recorded combination is taken.
    virtual bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) = 0;
    // The new combination, or none after clearing.
    virtual void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) = 0;
    virtual void recordingEnded(RecordView& recorder) = 0;
};

} // namespace vantel
