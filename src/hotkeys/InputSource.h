#pragma once

#include <QString>

#include <optional>
#include <tuple>

namespace vantel {

// One keyboard input source: here an XKB layout group of the keyboard (or the
// compiled US layout that stands in when there is none). Two sources are the
// same when id (the layout's code, e.g. "de") and modeID (its variant) are.
struct InputSource {
    QString id;
    std::optional<QString> modeID;
    bool isASCIICapable = false;
    bool isEnableCapable = true;
    bool isSelectCapable = true;
    bool isEnabled = true;
    bool isSelected = false;
    std::optional<QString> localizedName;
    // The layout group it stands for (platform::KeyboardLayouts).
    int source = -1;
    // False for a source without key-layout data, which is never mapped.
    bool hasKeyLayoutData = true;

    bool operator==(const InputSource& other) const { return id == other.id && modeID == other.modeID; }
    bool operator<(const InputSource& other) const
    {
        return std::tie(id, modeID) < std::tie(other.id, other.modeID);
    }
};

} // namespace vantel
