#pragma once

#include "hotkeys/ui/RecordViewDelegate.h"

#include <QObject>
#include <QSize>
#include <QStyledItemDelegate>

#include <memory>

class QPainter;
class QRect;
class QStyle;
class QWidget;

namespace vantel {
class HotKeyCenter;
class RecordView;
}

namespace vantel::settingsui {

// Paints a hidden widget into a table cell: the cells of the configuration
// lists draw their token fields, recorders and stars with the very controls
// that edit them, without a widget per row. The stamp is resized to the rect
// and rendered with its children.
void renderStamp(QWidget& stamp, QPainter& painter, const QRect& rect);

// What the cells of the configuration lists have in common: a fixed size, a
// row panel drawn without text, and an editor placed in one rect of the cell.
class ConfigCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    ConfigCellDelegate(QSize size, QObject* parent);

    // Where the editor goes; the whole cell unless a cell says otherwise.
    virtual QRect editorRect(const QRect& cell) const;
    // The selection and hover panel of the row; the style it was drawn with.
    QStyle* paintPanel(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // A left click near the rect is the cell's own and no edit trigger;
    // `released` tells when it has ended.
    static bool isClickOn(QEvent* event, const QRect& rect, bool& released);
    // Refreshes a text field from the model unless the user is typing in it.
    static void refreshTextField(QWidget* editor, bool hasOwner, const QString& text);
    // Text fields write their value themselves when their editing ends.
    static void endTextEditing(QWidget* editor);

private:
    QSize size_;
};

// What a cell's recorder decides: recording may always begin, and a
// combination is taken only when no registered hotkey has it.
class CellHotkeyRecording : public QObject, public RecordViewDelegate {
    Q_OBJECT

public:
    bool mayRecord(RecordView& recorder) override;
    bool acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo) override;
    void recordingEnded(RecordView& recorder) override;
    HotKeyCenter* center() const { return center_; }

protected:
    CellHotkeyRecording(HotKeyCenter* center, QObject* parent);

private:
    HotKeyCenter* center_;
};

// A hotkey cell: the combination drawn with a hidden recorder and recorded in
// a real one made only for the cell being edited. A recording is written as
// it is taken, so the end of editing writes nothing. A click on the clear
// button of the drawn recorder clears at once, as the real button does.
class RecorderCellDelegate : public ConfigCellDelegate {
    Q_OBJECT

public:
    ~RecorderCellDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the recorder drawn in the cell shows its clear button for the
    // combination; empty when it shows none.
    QRect clearButtonRect(const QRect& cell, const std::optional<KeyCombo>& combo) const;

protected:
    RecorderCellDelegate(QSize size, QObject* parent);

    // The combination of the row's owner; false when the row has none.
    virtual bool comboAt(int row, std::optional<KeyCombo>& combo) const = 0;
    // The recording for the row's owner, owned by the recorder.
    virtual CellHotkeyRecording* recordingAt(int row, RecordView& recorder) const = 0;

private:
    std::unique_ptr<RecordView> stamp_;
};

} // namespace vantel::settingsui
