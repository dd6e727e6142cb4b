#include "mainwindow/MainViewKeyboard.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace vantel {

MainViewKey mainViewKey(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return MainViewKey::returnKey;
    case Qt::Key_Escape: return MainViewKey::escape;
    case Qt::Key_Left: return MainViewKey::leftArrow;
    case Qt::Key_Right: return MainViewKey::rightArrow;
    case Qt::Key_Down: return MainViewKey::downArrow;
    case Qt::Key_Up: return MainViewKey::upArrow;
    case Qt::Key_F: return MainViewKey::f;
    default: return MainViewKey::other;
    }
}

CurrentModifierFlags modifierFlagsFrom(Qt::KeyboardModifiers modifiers)
{
    CurrentModifierFlags flags;
    flags.optionKey = modifiers.testFlag(Qt::AltModifier);
    flags.commandKey = modifiers.testFlag(Qt::ControlModifier);
    flags.controlKey = modifiers.testFlag(Qt::MetaModifier);
    flags.shiftKey = modifiers.testFlag(Qt::ShiftModifier);
    return flags;
}

Qt::KeyboardModifiers modifiersAfter(const QKeyEvent& event)
{
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event.key()) {
    case Qt::Key_Control: own = Qt::ControlModifier; break;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: own = Qt::AltModifier; break;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: own = Qt::MetaModifier; break;
    case Qt::Key_Shift: own = Qt::ShiftModifier; break;
    default: break;
    }
    Qt::KeyboardModifiers modifiers = event.modifiers();
    if (own != Qt::NoModifier)
        modifiers.setFlag(own, event.type() == QEvent::KeyPress);
    return modifiers;
}

bool isCommandF(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::ControlModifier && event.key() == Qt::Key_F;
}

bool beginsTypeToSelect(const QString& typed)
{
    // An empty text is in every text; a key without text begins nothing.
    if (typed.isEmpty())
        return false;
    return typeToSelectCharacters.contains(typed.toLower(), Qt::CaseSensitive);
}

QString typedCharacters(const QKeyEvent& event)
{
    const QString text = event.text();
    const bool controlCharacter = !text.isEmpty() && text.at(0).unicode() < 0x20;
    if ((text.isEmpty() || controlCharacter) && event.modifiers().testFlag(Qt::ControlModifier)) {
        const int key = event.key();
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            const QChar letter(u'a' + (key - Qt::Key_A));
            return event.modifiers().testFlag(Qt::ShiftModifier) ? QString(letter.toUpper()) : QString(letter);
        }
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return QString(QChar(u'0' + (key - Qt::Key_0)));
    }
    return controlCharacter ? QString() : text;
}

int quickLaunchDigit(const QKeyEvent& event)
{
    if (event.key() >= Qt::Key_1 && event.key() <= Qt::Key_9)
        return event.key() - Qt::Key_0;
    return 0;
}

namespace {

void selectRowOf(QAbstractItemView& view, int row, bool scroll)
{
    const QModelIndex index = view.model()->index(row, 0, view.rootIndex());
    view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (scroll)
        view.scrollTo(index);
}

std::optional<int> selectedRowOf(const QAbstractItemView& view)
{
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

bool hasRows(const QAbstractItemView& view)
{
    return view.model() && view.selectionModel() && view.model()->rowCount(view.rootIndex()) > 0;
}

} // namespace

void selectNextRow(QAbstractItemView& view)
{
    if (!hasRows(view))
        return;
    const std::optional<int> selected = selectedRowOf(view);
    if (!selected) {
        selectRowOf(view, 0, false);
        return;
    }
    if (*selected + 1 < view.model()->rowCount(view.rootIndex()))
        selectRowOf(view, *selected + 1, true);
}

void selectPreviousRow(QAbstractItemView& view)
{
    if (!hasRows(view))
        return;
    const std::optional<int> selected = selectedRowOf(view);
    if (!selected) {
        selectRowOf(view, 0, false);
        return;
    }
    if (*selected > 0)
        selectRowOf(view, *selected - 1, true);
}

} // namespace vantel
