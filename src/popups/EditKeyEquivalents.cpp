#include "popups/EditKeyEquivalents.h"

#include <QGuiApplication>
#include <QLineEdit>

namespace vantel {

namespace {

// X11's Lock bit in the native state: Qt's modifiers do not carry Caps Lock.
constexpr quint32 x11LockMask = 0x2;

bool capsLockIsOn(const QKeyEvent& event)
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && (event.nativeModifiers() & x11LockMask) != 0;
}

} // namespace

std::optional<EditAction> editActionForKeyEvent(const QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::ShortcutOverride)
        return std::nullopt;
    if (capsLockIsOn(event))
        return std::nullopt;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == commandKey) {
        switch (event.key()) {
        case Qt::Key_X:
            return EditAction::cut;
        case Qt::Key_C:
            return EditAction::copy;
        case Qt::Key_V:
            return EditAction::paste;
        case Qt::Key_Z:
            return EditAction::undo;
        case Qt::Key_A:
            return EditAction::selectAll;
        default:
            return std::nullopt;
        }
    }
    if (modifiers == commandShiftKey && event.key() == Qt::Key_Z)
        return EditAction::redo;
    return std::nullopt;
}

bool performEditAction(QLineEdit& edit, EditAction action)
{
    const bool changesText = action == EditAction::cut || action == EditAction::paste || action == EditAction::undo
        || action == EditAction::redo;
    if (changesText && edit.isReadOnly())
        return false;
    switch (action) {
    case EditAction::cut:
        edit.cut();
        break;
    case EditAction::copy:
        edit.copy();
        break;
    case EditAction::paste:
        edit.paste();
        break;
    case EditAction::undo:
        edit.undo();
        break;
    case EditAction::selectAll:
        edit.selectAll();
        break;
    case EditAction::redo:
        edit.redo();
        break;
    }
    return true;
}

} // namespace vantel
