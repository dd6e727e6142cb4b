#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <optional>

struct xkb_context;
struct xkb_keymap;

namespace vantel::platform {

// The keyboard layouts of the session, one per XKB layout group of the core
// keyboard (xkbcommon over our own X connection), and what a key types in
// each of them. Keys are named by their Mac virtual key codes (KeyCodes maps
// them to the physical key). A change of the keymap (setxkbmap, a new
// keyboard) is read again and reported as `layouts`; a switch of the group
// as `selectedLayout`.
//
// Without an X server the one layout is a compiled US keymap, which is also
// what `builtInUS` names when no group types ASCII letters. Main thread only.
class KeyboardLayouts {
public:
    static constexpr int builtInUS = -1;

    struct Layout {
        int group = builtInUS;
        QString id;      // the layout's code, e.g. "us" or "de"
        QString variant; // empty when there is none
        QString name;    // e.g. "German"
        bool asciiCapable = false;
    };

    enum class Change { selectedLayout, layouts };

    static KeyboardLayouts& shared();
    ~KeyboardLayouts();
    KeyboardLayouts(const KeyboardLayouts&) = delete;
    KeyboardLayouts& operator=(const KeyboardLayouts&) = delete;

    bool isLive() const { return live_; }
    QList<Layout> layouts() const { return layouts_; }
    // The group that is selected now.
    int currentGroup() const { return currentGroup_; }
    std::optional<Layout> layout(int group) const;
    // The first group that types ASCII letters, else builtInUS.
    int asciiCapableGroup() const;

    // The text the key types in the group with shift and/or option (the
    // third-level shift); none when the key is not on the keyboard or the
    // group does not exist. A dead key types the empty text.
    std::optional<QString> translate(int group, int macKeyCode, bool shift, bool option) const;

    int addObserver(std::function<void(Change)> observer);
    void removeObserver(int id);

private:
    KeyboardLayouts();
    void reload();
    void readCurrentGroup();
    void notify(Change change);

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_keymap* usKeymap_ = nullptr;
    std::map<int, unsigned> level3Masks_;
    unsigned usLevel3Mask_ = 0;
    QList<Layout> layouts_;
    int currentGroup_ = builtInUS;
    bool live_ = false;
    bool reloadPending_ = false;
    std::map<int, std::function<void(Change)>> observers_;
    int nextObserverId_ = 1;
};

} // namespace vantel::platform
