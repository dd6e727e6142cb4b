#include "settings/ui/CellStamp.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ui/RecordView.h"
#include "hotkeys/ui/SetupRecordView.h"
#include "popups/CustomTextField.h"
#include "hotkeys/ui/KeyComboHolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

namespace vantel::settingsui {

void renderStamp(QWidget& stamp, QPainter& painter, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    if (stamp.size() != rect.size())
        stamp.resize(rect.size());
    stamp.ensurePolished();
    // Through a pixmap: a widget rendered straight onto a view's painter
    // lands where the view's backing store offsets it, not in the cell.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap image(rect.size() * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    stamp.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.drawPixmap(rect.topLeft(), image);
}

ConfigCellDelegate::ConfigCellDelegate(QSize size, QObject* parent) : QStyledItemDelegate(parent), size_(size) {}

QSize ConfigCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return size_;
}

void ConfigCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const
{
    Q_UNUSED(index)
    editor->setGeometry(editorRect(option.rect));
}

QRect ConfigCellDelegate::editorRect(const QRect& cell) const
{
    return cell;
}

QStyle* ConfigCellDelegate::paintPanel(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &base, painter, widget);
    return style;
}

bool ConfigCellDelegate::isClickOn(QEvent* event, const QRect& rect, bool& released)
{
    released = false;
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease
        && event->type() != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !rect.adjusted(-3, -3, 3, 3).contains(mouse->position().toPoint()))
        return false;
    released = event->type() == QEvent::MouseButtonRelease;
    return true;
}

void ConfigCellDelegate::refreshTextField(QWidget* editor, bool hasOwner, const QString& text)
{
    auto* field = qobject_cast<CustomTextField*>(editor);
    if (field && hasOwner && !field->isCurrentlyEditing())
        field->setText(text);
}

void ConfigCellDelegate::endTextEditing(QWidget* editor)
{
    if (auto* field = qobject_cast<CustomTextField*>(editor))
        field->endEditing();
}

CellHotkeyRecording::CellHotkeyRecording(HotKeyCenter* center, QObject* parent) : QObject(parent), center_(center) {}

bool CellHotkeyRecording::mayRecord(RecordView& recorder)
{
    Q_UNUSED(recorder)
    return true;
}

bool CellHotkeyRecording::acceptsKeyCombo(RecordView& recorder, const KeyCombo& keyCombo)
{
    return KeyComboHolder::acceptIfFree(recorder, center_, keyCombo);
}

void CellHotkeyRecording::recordingEnded(RecordView& recorder)
{
    Q_UNUSED(recorder)
}

RecorderCellDelegate::RecorderCellDelegate(QSize size, QObject* parent)
    : ConfigCellDelegate(size, parent), stamp_(std::make_unique<RecordView>())
{
    stamp_->setAttribute(Qt::WA_DontShowOnScreen);
    setupRecordView(*stamp_, nullptr, nullptr);
}

RecorderCellDelegate::~RecorderCellDelegate() = default;

void RecorderCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    paintPanel(painter, option, index);
    std::optional<KeyCombo> combo;
    if (!comboAt(index.row(), combo))
        return;
    stamp_->setPalette(option.palette);
    stamp_->setKeyCombo(combo);
    renderStamp(*stamp_, *painter, editorRect(option.rect));
}

QWidget* RecorderCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    Q_UNUSED(option)
    std::optional<KeyCombo> combo;
    if (!comboAt(index.row(), combo))
        return nullptr;
    auto* recorder = new RecordView(parent);
    CellHotkeyRecording* recording = recordingAt(index.row(), *recorder);
    setupRecordView(*recorder, recording, recording ? recording->center() : nullptr);
    recorder->setKeyCombo(combo);
    return recorder;
}

void RecorderCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* recorder = qobject_cast<RecordView*>(editor);
    std::optional<KeyCombo> combo;
    if (recorder && comboAt(index.row(), combo) && !recorder->isRecording())
        recorder->setKeyCombo(combo);
}

void RecorderCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Q_UNUSED(editor)
    Q_UNUSED(model)
    Q_UNUSED(index)
}

QRect RecorderCellDelegate::clearButtonRect(const QRect& cell, const std::optional<KeyCombo>& combo) const
{
    const QRect recorder = editorRect(cell);
    stamp_->resize(recorder.size());
    stamp_->setKeyCombo(combo);
    const QAbstractButton* clear = stamp_->clearButton();
    return clear->isVisibleTo(stamp_.get()) ? clear->geometry().translated(recorder.topLeft()) : QRect();
}

bool RecorderCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    // A press on the drawn button would only open the real recorder under
    // the pointer, leaving the clearing to a second click.
    std::optional<KeyCombo> combo;
    if (comboAt(index.row(), combo) && combo) {
        const QRect clear = clearButtonRect(option.rect, combo);
        if (bool released = false; !clear.isEmpty() && isClickOn(event, clear, released)) {
            if (released) {
                // The real button's action, on a recorder made for it alone.
                RecordView recorder;
                CellHotkeyRecording* recording = recordingAt(index.row(), recorder);
                setupRecordView(recorder, recording, recording ? recording->center() : nullptr);
                recorder.setKeyCombo(combo);
                recorder.clearAndEndRecording();
            }
            return true;
        }
    }
    return ConfigCellDelegate::editorEvent(event, model, option, index);
}

} // namespace vantel::settingsui
