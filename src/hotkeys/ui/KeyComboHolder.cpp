#include "hotkeys/ui/KeyComboHolder.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ui/RecordView.h"
#include "model/LocalizedStrings.h"

namespace vantel::KeyComboHolder {

QString otherProgram()
{
    return localized("Taken by another program");
}

QString describe(const HotKey& hotKey)
{
    const QString name = hotKey.ownerName();
    switch (hotKey.hotkeyType().value_or(HotKeyType::userDefinedKey)) {
    case HotKeyType::userDefinedKey:
        return name.isEmpty() ? localized("Taken by another entry")
                              : localized("Taken by the entry \u201C%1\u201D").arg(name);
    case HotKeyType::tagKey:
        return localized("Taken by the tag \u201C%1\u201D").arg(name);
    case HotKeyType::tagKeyLaunchAll:
        return localized("Taken by the tag \u201C%1\u201D (open all)").arg(name);
    case HotKeyType::categoryKey:
        return localized("Taken by the category \u201C%1\u201D").arg(name);
    case HotKeyType::globalHotKey:
        return localized("Taken by the hotkey of the main window");
    }
    return otherProgram();
}

QString describe(const HotKeyCenter& center, const KeyCombo& keyCombo)
{
    if (keyCombo.doubledModifiers() && !center.seesDoubleTaps())
        return localized("Double taps are not seen on this desktop");
    if (const HotKeyPtr ours = center.hotKeyWithKeyCombo(keyCombo))
        return describe(*ours);
    if (center.isHeldElsewhere(keyCombo))
        return otherProgram();
    return {};
}

bool acceptIfFree(RecordView& recorder, const HotKeyCenter* center, const KeyCombo& keyCombo)
{
    if (!center)
        return true;
    const QString holder = describe(*center, keyCombo);
    if (holder.isEmpty())
        return true;
    recorder.showRefusal(holder);
    return false;
}

} // namespace vantel::KeyComboHolder
