#pragma once

#include "hotkeys/ui/RecordViewDelegate.h"
#include "model/iconTag.h"

#include <QObject>
#include <QStyledItemDelegate>

#include <memory>

namespace vantel {
class HotKeyCenter;
class RecordView;
}

namespace vantel::settingsui {

class ConfigTagsTableModel;

// Which of a tag's two hotkeys a recorder of the tags window edits.
enum class TagHotkeyField { hotkey, hotkeyLaunchAll };

// What a recorder of the tags window decides and does for its tag: it may
// always record; a combination is taken only when no registered hotkey has
// it; a new or cleared one is stored into the tag's field, whose change
// notification has it registered.
class ConfigTagHotkeyRecording : public QObject, public RecordViewDelegate {
    Q_OBJECT

public:
    ConfigTagHotkeyRecording(const iconTagPtr& tag, TagHotkeyField field, HotKeyCenter* center,
                             QObject* parent = nullptr);

    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

private:
    std::weak_ptr<iconTag> tag_;
    TagHotkeyField field_;
    HotKeyCenter* center_;
};

// The two hotkey columns of the tags window
// ("TableViewCell_Config_EditTags_HotkeyView" for the hotkey that shows the
// tag, "TableViewCell_Config_EditTags_HotkeyLaunchAll" for the one that opens
// all its entries), alike but for the field they edit: the combination drawn
// with a hidden recorder and recorded in a real one made only for the cell
// being edited.
class TableViewCellConfigEditTagsHotkeyView : public QStyledItemDelegate {
    Q_OBJECT

public:
    static QString identifier(TagHotkeyField field);

    TableViewCellConfigEditTagsHotkeyView(const ConfigTagsTableModel& model, TagHotkeyField field,
                                          HotKeyCenter* center, QObject* parent = nullptr);
    ~TableViewCellConfigEditTagsHotkeyView() override;

    static std::optional<KeyCombo> comboOf(const iconTag& tag, TagHotkeyField field);
    static QRect recorderRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    const ConfigTagsTableModel& model_;
    TagHotkeyField field_;
    HotKeyCenter* center_;
    std::unique_ptr<RecordView> stamp_;
};

} // namespace vantel::settingsui
