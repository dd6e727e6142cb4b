#include "settings/ui/TableViewCellConfigHotkey.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "settings/ui/CellStamp.h"
#include "settings/ui/ConfigTableViewModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 5;

} // namespace

ConfigHotkeyRecording::ConfigHotkeyRecording(const TableViewItemPtr& entry, HotKeyCenter* center, QObject* parent)
    : QObject(parent), entry_(entry), center_(center)
{
}

bool ConfigHotkeyRecording::mayRecord(RecordView& recorder)
{
    Q_UNUSED(recorder)
    return true;
}

bool ConfigHotkeyRecording::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    Q_UNUSED(recorder)
    return !center_ || center_->hotKeyWithKeyCombo(keyCombo) == nullptr;
}

void ConfigHotkeyRecording::keyComboChanged(RecordView& recorder, const std::optional<KeyCombo>& keyCombo)
{
    Q_UNUSED(recorder)
    if (const TableViewItemPtr entry = entry_.lock())
        entry->setHotkey(keyCombo);
}

void ConfigHotkeyRecording::recordingEnded(RecordView& recorder)
{
    Q_UNUSED(recorder)
}

TableViewCellConfigHotkey::TableViewCellConfigHotkey(const ConfigTableViewModel& model, HotKeyCenter* center,
                                                     QObject* parent)
    : QStyledItemDelegate(parent), model_(model), center_(center), stamp_(std::make_unique<RecordView>())
{
    stamp_->setAttribute(Qt::WA_DontShowOnScreen);
    setupRecordView(*stamp_, nullptr);
}

TableViewCellConfigHotkey::~TableViewCellConfigHotkey() = default;

QRect TableViewCellConfigHotkey::recorderRect(const QRect& cell)
{
    return cell.adjusted(padding, padding, -padding, -padding);
}

void TableViewCellConfigHotkey::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &base, painter, widget);

    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return;
    stamp_->setPalette(option.palette);
    stamp_->setKeyCombo(entry->hotkey());
    renderStamp(*stamp_, *painter, recorderRect(option.rect));
}

QSize TableViewCellConfigHotkey::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return QSize(240, 40);
}

QWidget* TableViewCellConfigHotkey::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                                 const QModelIndex& index) const
{
    Q_UNUSED(option)
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (!entry)
        return nullptr;
    auto* recorder = new RecordView(parent);
    auto* recording = new ConfigHotkeyRecording(entry, center_, recorder);
    setupRecordView(*recorder, recording);
    recorder->setKeyCombo(entry->hotkey());
    return recorder;
}

void TableViewCellConfigHotkey::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* recorder = qobject_cast<RecordView*>(editor);
    const TableViewItemPtr entry = model_.entryAt(index.row());
    if (recorder && entry && !recorder->isRecording())
        recorder->setKeyCombo(entry->hotkey());
}

void TableViewCellConfigHotkey::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    // A recording is written to the entry as it is taken.
    Q_UNUSED(editor)
    Q_UNUSED(model)
    Q_UNUSED(index)
}

void TableViewCellConfigHotkey::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                     const QModelIndex& index) const
{
    Q_UNUSED(index)
    editor->setGeometry(recorderRect(option.rect));
}

} // namespace vantel::settingsui
