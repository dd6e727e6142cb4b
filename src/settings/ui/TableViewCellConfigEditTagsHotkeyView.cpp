#include "settings/ui/TableViewCellConfigEditTagsHotkeyView.h"

#include "hotkeys/ui/RecordView.h"
#include "settings/ui/ConfigTagsTableModel.h"

namespace vantel::settingsui {

namespace {

constexpr int padding = 3;

} // namespace

ConfigTagHotkeyRecording::ConfigTagHotkeyRecording(const iconTagPtr& tag, TagHotkeyField field, HotKeyCenter* center,
                                                   QObject* parent)
    : CellHotkeyRecording(center, parent), tag_(tag), field_(field)
{
}

void ConfigTagHotkeyRecording::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    Q_UNUSED(recorder)
    const iconTagPtr tag = tag_.lock();
    if (!tag)
        return;
    if (field_ == TagHotkeyField::hotkey)
        tag->setHotkey(keyCombo);
    else
        tag->setHotkeyLaunchAll(keyCombo);
}

QString TableViewCellConfigEditTagsHotkeyView::identifier(TagHotkeyField field)
{
    return field == TagHotkeyField::hotkey ? QStringLiteral("TableViewCell_Config_EditTags_HotkeyView")
                                           : QStringLiteral("TableViewCell_Config_EditTags_HotkeyLaunchAll");
}

TableViewCellConfigEditTagsHotkeyView::TableViewCellConfigEditTagsHotkeyView(const ConfigTagsTableModel& model,
                                                                             TagHotkeyField field, HotKeyCenter* center,
                                                                             QObject* parent)
    : RecorderCellDelegate(QSize(200, 30), parent), model_(model), field_(field), center_(center)
{
}

TableViewCellConfigEditTagsHotkeyView::~TableViewCellConfigEditTagsHotkeyView() = default;

std::optional<KeyCombo> TableViewCellConfigEditTagsHotkeyView::comboOf(const iconTag& tag, TagHotkeyField field)
{
    return field == TagHotkeyField::hotkey ? tag.hotkey() : tag.hotkeyLaunchAll();
}

QRect TableViewCellConfigEditTagsHotkeyView::recorderRect(const QRect& cell)
{
    return cell.adjusted(padding, padding, -padding, -padding);
}

QRect TableViewCellConfigEditTagsHotkeyView::editorRect(const QRect& cell) const
{
    return recorderRect(cell);
}

bool TableViewCellConfigEditTagsHotkeyView::comboAt(int row, std::optional<KeyCombo>& combo) const
{
    const iconTagPtr tag = model_.tagAt(row);
    if (!tag)
        return false;
    combo = comboOf(*tag, field_);
    return true;
}

CellHotkeyRecording* TableViewCellConfigEditTagsHotkeyView::recordingAt(int row, RecordView& recorder) const
{
    return new ConfigTagHotkeyRecording(model_.tagAt(row), field_, center_, &recorder);
}

} // namespace vantel::settingsui
