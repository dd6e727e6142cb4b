#pragma once

#include "model/iconTag.h"
#include "settings/ui/CellStamp.h"

namespace vantel::settingsui {

class ConfigTagsTableModel;

// Which of a tag's two hotkeys a recorder of the tags window edits.
enum class TagHotkeyField { hotkey, hotkeyLaunchAll };

// What a recorder of the tags window decides and does for its tag: it may
// always record; a combination is taken only when no registered hotkey has
// it; a new or cleared one is stored into the tag's field, whose change
// notification has it registered.
class ConfigTagHotkeyRecording : public CellHotkeyRecording {
    Q_OBJECT

public:
    ConfigTagHotkeyRecording(const iconTagPtr& tag, TagHotkeyField field, HotKeyCenter* center,
                             QObject* parent = nullptr);

    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;

private:
    std::weak_ptr<iconTag> tag_;
    TagHotkeyField field_;
};

// The two hotkey columns of the tags window
// ("TableViewCell_Config_EditTags_HotkeyView" for the hotkey that shows the
// tag, "TableViewCell_Config_EditTags_HotkeyLaunchAll" for the one that opens
// all its entries), alike but for the field they edit: the combination drawn
// with a hidden recorder and recorded in a real one made only for the cell
// being edited.
class TableViewCellConfigEditTagsHotkeyView : public RecorderCellDelegate {
    Q_OBJECT

public:
    static QString identifier(TagHotkeyField field);

    TableViewCellConfigEditTagsHotkeyView(const ConfigTagsTableModel& model, TagHotkeyField field,
                                          HotKeyCenter* center, QObject* parent = nullptr);
    ~TableViewCellConfigEditTagsHotkeyView() override;

    static std::optional<KeyCombo> comboOf(const iconTag& tag, TagHotkeyField field);
    static QRect recorderRect(const QRect& cell);

protected:
    QRect editorRect(const QRect& cell) const override;
    bool comboAt(int row, std::optional<KeyCombo>& combo) const override;
    CellHotkeyRecording* recordingAt(int row, RecordView& recorder) const override;

private:
    const ConfigTagsTableModel& model_;
    TagHotkeyField field_;
    HotKeyCenter* center_;
};

} // namespace vantel::settingsui
