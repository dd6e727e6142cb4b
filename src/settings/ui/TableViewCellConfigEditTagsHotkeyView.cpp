#include "settings/ui/TableViewCellConfigEditTagsHotkeyView.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "settings/ui/CellStamp.h"
#include "settings/ui/ConfigTagsTableModel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace vantel::settingsui {

namespace {

constexpr int padding = 3;

} // namespace

ConfigTagHotkeyRecording::ConfigTagHotkeyRecording(const iconTagPtr& tag, TagHotkeyField field, HotKeyCenter* center,
                                                   QObject* parent)
    : QObject(parent), tag_(tag), field_(field), center_(center)
{
}

bool ConfigTagHotkeyRecording::mayRecord(RecordView& recorder)
{
    Q_UNUSED(recorder)
    return true;
}

bool ConfigTagHotkeyRecording::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    Q_UNUSED(recorder)
    return !center_ || center_->hotKeyWithKeyCombo(keyCombo) == nullptr;
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

void ConfigTagHotkeyRecording::recordingEnded(RecordView& recorder)
{
    Q_UNUSED(recorder)
}

QString TableViewCellConfigEditTagsHotkeyView::identifier(TagHotkeyField field)
{
    return field == TagHotkeyField::hotkey ? QStringLiteral("TableViewCell_Config_EditTags_HotkeyView")
                                           : QStringLiteral("TableViewCell_Config_EditTags_HotkeyLaunchAll");
}

TableViewCellConfigEditTagsHotkeyView::TableViewCellConfigEditTagsHotkeyView(const ConfigTagsTableModel& model,
                                                                             TagHotkeyField field, HotKeyCenter* center,
                                                                             QObject* parent)
    : QStyledItemDelegate(parent), model_(model), field_(field), center_(center), stamp_(std::make_unique<RecordView>())
{
    stamp_->setAttribute(Qt::WA_DontShowOnScreen);
    setupRecordView(*stamp_, nullptr);
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

void TableViewCellConfigEditTagsHotkeyView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                                  const QModelIndex& index) const
{
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &base, painter, widget);

    const iconTagPtr tag = model_.tagAt(index.row());
    if (!tag)
        return;
    stamp_->setPalette(option.palette);
    stamp_->setKeyCombo(comboOf(*tag, field_));
    renderStamp(*stamp_, *painter, recorderRect(option.rect));
}

QSize TableViewCellConfigEditTagsHotkeyView::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return QSize(200, 30);
}

QWidget* TableViewCellConfigEditTagsHotkeyView::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                                             const QModelIndex& index) const
{
    Q_UNUSED(option)
    const iconTagPtr tag = model_.tagAt(index.row());
    if (!tag)
        return nullptr;
    auto* recorder = new RecordView(parent);
    auto* recording = new ConfigTagHotkeyRecording(tag, field_, center_, recorder);
    setupRecordView(*recorder, recording);
    recorder->setKeyCombo(comboOf(*tag, field_));
    return recorder;
}

void TableViewCellConfigEditTagsHotkeyView::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* recorder = qobject_cast<RecordView*>(editor);
    const iconTagPtr tag = model_.tagAt(index.row());
    if (recorder && tag && !recorder->isRecording())
        recorder->setKeyCombo(comboOf(*tag, field_));
}

void TableViewCellConfigEditTagsHotkeyView::setModelData(QWidget* editor, QAbstractItemModel* model,
                                                         const QModelIndex& index) const
{
    // A recording is stored into the tag as it is taken.
    Q_UNUSED(editor)
    Q_UNUSED(model)
    Q_UNUSED(index)
}

void TableViewCellConfigEditTagsHotkeyView::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                                 const QModelIndex& index) const
{
    Q_UNUSED(index)
    editor->setGeometry(recorderRect(option.rect));
}

} // namespace vantel::settingsui
