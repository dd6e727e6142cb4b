#include "mainwindow/MainSearchField.h"

#include "datastore/DataStorage.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "model/LocalizedStrings.h"

#include <QKeyEvent>

namespace vantel {

MainSearchField::MainSearchField(QWidget* parent)
    : MainSearchField(DataStorage::shared(), parent)
{
}

MainSearchField::MainSearchField(DataStorage& store, QWidget* parent)
    : QLineEdit(parent)
    , store_(store)
{
    setAcceptDrops(false);
    setClearButtonEnabled(true);
    setFocusPolicy(Qt::StrongFocus);
    setPlaceholderText(localized("Search"));
    setAccessibleName(localized("Search"));
    // textEdited is the user's typing only; a text set from code filters too,
    // for the search string must always match what the field shows.
    connect(this, &QLineEdit::textChanged, this, &MainSearchField::textDidChange);
}

bool MainSearchField::hasKeyboardFocus() const
{
    return hasFocus();
}

void MainSearchField::abortEditing()
{
    if (!hasFocus())
        return;
    aborting_ = true;
    clearFocus();
    aborting_ = false;
}

void MainSearchField::textDidChange(const QString& text)
{
    store_.filterCurrentData().filterBySearchString(text);
    if (textDidChangeHandler)
        textDidChangeHandler();
}

void MainSearchField::textDidEndEditing()
{
    if (!aborting_ && textDidEndEditingHandler)
        textDidEndEditingHandler();
}

void MainSearchField::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        textDidEndEditing();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool MainSearchField::focusNextPrevChild(bool next)
{
    // Tab and Backtab end the editing; the handler decides where the focus goes.
    if (textDidEndEditingHandler) {
        textDidEndEditing();
        return true;
    }
    return QLineEdit::focusNextPrevChild(next);
}

} // namespace vantel
