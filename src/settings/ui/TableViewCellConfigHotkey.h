#pragma once

#include "hotkeys/ui/RecordViewDelegate.h"
#include "model/TableViewItem.h"

#include <QObject>
#include <QStyledItemDelegate>

#include <memory>

namespace vantel {
class HotKeyCenter;
class RecordView;
}

namespace vantel::settingsui {

class ConfigTableViewModel;

// What a recorder of the data window's list decides and does for its entry:
// recording may always begin; a combination is taken only when no
// registered hotkey has it; a new or cleared one becomes the entry's hotkey.
class ConfigHotkeyRecording : public QObject, public RecordViewDelegate {
    Q_OBJECT

public:
    ConfigHotkeyRecording(const TableViewItemPtr& entry, HotKeyCenter* center, QObject* parent = nullptr);

    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;

private:
    std::weak_ptr<TableViewItem> entry_;
    HotKeyCenter* center_;
};

// The hotkey column ("TableViewCell_Config_Hotkey"): the entry's hotkey in a
// recorder, drawn with a hidden one and recorded in a real one made only
// for the cell being edited.
class TableViewCellConfigHotkey : public QStyledItemDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_Hotkey");

    TableViewCellConfigHotkey(const ConfigTableViewModel& model, HotKeyCenter* center, QObject* parent = nullptr);
    ~TableViewCellConfigHotkey() override;

    static QRect recorderRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    const ConfigTableViewModel& model_;
    HotKeyCenter* center_;
    std::unique_ptr<RecordView> stamp_;
};

} // namespace vantel::settingsui
