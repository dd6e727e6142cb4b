#include "settings/ui/TableViewCellConfigHotkey.h"

#include "hotkeys/ui/RecordView.h"
#include "settings/ui/ConfigTableViewModel.h"

namespace vantel::settingsui {

namespace {

constexpr int padding = 5;

} // namespace

ConfigHotkeyRecording::ConfigHotkeyRecording(const TableViewItemPtr& entry, HotKeyCenter* center, QObject* parent)
    : CellHotkeyRecording(center, parent), entry_(entry)
{
}

void ConfigHotkeyRecording::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    Q_UNUSED(recorder)
    if (const TableViewItemPtr entry = entry_.lock())
        entry->setHotkey(keyCombo);
}

TableViewCellConfigHotkey::TableViewCellConfigHotkey(const ConfigTableViewModel& model, HotKeyCenter* center,
                                                     QObject* parent)
    : RecorderCellDelegate(QSize(240, 40), parent), model_(model), center_(center)
{
}

TableViewCellConfigHotkey::~TableViewCellConfigHotkey() = default;

QRect TableViewCellConfigHotkey::recorderRect(const QRect& cell)
{
    return cell.adjusted(padding, padding, -padding, -padding);
}

QRect TableViewCellConfigHotkey::editorRect(const QRect& cell) const
{
    return recorderRect(cell);
}

bool TableViewCellConfigHotkey::comboAt(int row, std::optional<KeyCombo>& combo) const
{
    const TableViewItemPtr entry = model_.entryAt(row);
    if (!entry)
        return false;
    combo = entry->hotkey();
    return true;
}

CellHotkeyRecording* TableViewCellConfigHotkey::recordingAt(int row, RecordView& recorder) const
{
    return new ConfigHotkeyRecording(model_.entryAt(row), center_, &recorder);
}

} // namespace vantel::settingsui
