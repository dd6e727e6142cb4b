#pragma once

#include "model/TableViewItem.h"
#include "settings/ui/CellStamp.h"

namespace vantel::settingsui {

class ConfigTableViewModel;

// What a recorder of the data window's list decides and does for its entry:
// recording may always begin; a combination is taken only when no
// registered hotkey has it; a new or cleared one becomes the entry's hotkey.
class ConfigHotkeyRecording : public CellHotkeyRecording {
    Q_OBJECT

public:
    ConfigHotkeyRecording(const TableViewItemPtr& entry, HotKeyCenter* center, QObject* parent = nullptr);

    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;

private:
    std::weak_ptr<TableViewItem> entry_;
};

// The hotkey column ("TableViewCell_Config_Hotkey"): the entry's hotkey in a
// recorder, drawn with a hidden one and recorded in a real one made only
// for the cell being edited.
class TableViewCellConfigHotkey : public RecorderCellDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_Hotkey");

    TableViewCellConfigHotkey(const ConfigTableViewModel& model, HotKeyCenter* center, QObject* parent = nullptr);
    ~TableViewCellConfigHotkey() override;

    static QRect recorderRect(const QRect& cell);

protected:
    QRect editorRect(const QRect& cell) const override;
    bool comboAt(int row, std::optional<KeyCombo>& combo) const override;
    CellHotkeyRecording* recordingAt(int row, RecordView& recorder) const override;

private:
    const ConfigTableViewModel& model_;
    HotKeyCenter* center_;
};

} // namespace vantel::settingsui
