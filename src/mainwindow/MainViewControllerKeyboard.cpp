// The keyboard of the main view: one decision per key, taken while the main
// view is on screen in the active window.
#include "mainwindow/MainViewController.h"

#include "datastore/DataStorage.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "mainwindow/MainOutlineView.h"
#include "mainwindow/MainSearchField.h"
#include "mainwindow/MainTableView.h"
#include "mainwindow/MainTableViewModel.h"
#include "mainwindow/SidebarTagPopover.h"
#include "mainwindow/TableViewCellMainWindow.h"
#include "model/Logger.h"
#include "platform/Log.h"

#include <QApplication>
#include <QKeyEvent>

namespace vantel::mainwindow {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainViewController();
}

} // namespace

KeyFocus MainViewController::currentFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus == mainTableView_)
        return KeyFocus::mainTableView;
    if (focus && focus == sectionView_)
        return KeyFocus::sectionView;
    if (searchField_ && searchField_->hasKeyboardFocus())
        return KeyFocus::searchField;
    if (isEntryPopoverShown())
        return KeyFocus::popupShown;
    if (sectionView_ && sectionView_->popupMenu() && sectionView_->popupMenu()->isShown())
        return KeyFocus::popupShown;
    return KeyFocus::none;
}

void MainViewController::setFocus(FocusedControl control)
{
    if (!hasWindow())
        return;
    switch (control) {
    case FocusedControl::mainTableView:
        VLOG(category(), LogType::Default, "setFocus to mainTableView");
        mainTableView_->setFocus(Qt::OtherFocusReason);
        break;
    case FocusedControl::sectionView:
        if (bothSidebarSectionsCollapsed())
            return;
        VLOG(category(), LogType::Default, "setFocus to sectionView");
        sectionView_->setFocus(Qt::OtherFocusReason);
        break;
    case FocusedControl::searchField:
        VLOG(category(), LogType::Default, "setFocus to searchField");
        searchField_->setFocus(Qt::OtherFocusReason);
        break;
    case FocusedControl::none: break;
    }
}

void MainViewController::closePopupMenus()
{
    if (isEntryPopoverShown())
        tableViewPopover_->close();
    if (SidebarTagPopover* popover = sectionView_ ? sectionView_->popupMenu() : nullptr; popover && popover->isShown())
        popover->close();
}

bool MainViewController::bothSidebarSectionsCollapsed() const
{
    return sectionView_->isHeaderCollapsed(SourceListItemContentType::headerCategories)
           && sectionView_->isHeaderCollapsed(SourceListItemContentType::headerTags);
}

bool MainViewController::typeToSelect(const QKeyEvent& event)
{
    closePopupMenus();
    if (!beginsTypeToSelect(typedCharacters(event)))
        return false;
    searchField_->setText(QString());
    setFocus(FocusedControl::searchField);
    // The key belongs to the field that has the focus now: it is the first
    // character of the search. The original event would reach the old focus.
    if (searchField_->hasFocus()) {
        QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text(), event.isAutoRepeat(),
                       ushort(event.count()));
        QCoreApplication::sendEvent(searchField_, &copy);
        return true;
    }
    return false;
}

bool MainViewController::handleKeyDown(QKeyEvent& event)
{
    if (!isViewLoaded())
        return false;
    const KeyFocus focus = currentFocus();
    const MainViewKey key = mainViewKey(event);

    // Escape closes an open popover first.
    if (key == MainViewKey::escape) {
        if (isEntryPopoverShown()) {
            tableViewPopover_->close();
            return true;
        }
        if (SidebarTagPopover* popover = sectionView_->popupMenu(); popover && popover->isShown()) {
            popover->close();
            return true;
        }
    }

    // Ctrl and a digit opens one of the first nine entries, by the keys held
    // as the modifier monitor saw them.
    const bool commandOnly = flags_.commandKey && !flags_.optionKey && !flags_.controlKey && !flags_.shiftKey;
    if (commandOnly && !(hotkeysPaused_ && hotkeysPaused_())) {
        if (const int digit = quickLaunchDigit(event); digit > 0) {
            const int index = digit - 1;
            const EntryArray::Ptr data = store_.currentData();
            const int count = data ? int(data->count()) : 0;
            // Index == count runs nothing and still takes the key.
            if (index <= count) {
                runEntryAt(index, std::nullopt);
                return true;
            }
        }
    }

    const bool searchEmpty = searchField_->text().isEmpty();
    switch (focus) {
    case KeyFocus::mainTableView:
        if (key == MainViewKey::returnKey) {
            mainTableView_->executeSelectedItem(heldFiles());
            return true;
        }
        if (key == MainViewKey::escape) {
            if (!searchEmpty) {
                // Emptying the field applies the sidebar item's filter again.
                searchField_->setText(QString());
                mainTableView_->selectRow(0);
            } else {
                closeMainView_();
            }
            return true;
        }
        if (key == MainViewKey::leftArrow) {
            closePopupMenus();
            if (bothSidebarSectionsCollapsed())
                return false;
            if (!searchEmpty) {
                searchField_->abortEditing();
                searchField_->setText(QString());
            }
            if (sectionView_->selectFirstAvailableEntry()) {
                setFocus(FocusedControl::sectionView);
                return true;
            }
            return false;
        }
        if (key == MainViewKey::upArrow) {
            closePopupMenus();
            if (mainTableView_->selectedRow() == 0)
                setFocus(FocusedControl::searchField);
            else
                selectPreviousRow(*mainTableView_);
            return true;
        }
        if (isCommandF(event)) {
            closePopupMenus();
            setFocus(FocusedControl::searchField);
            return true;
        }
        return typeToSelect(event);

    case KeyFocus::sectionView:
        if (key == MainViewKey::rightArrow) {
            closePopupMenus();
            setFocus(FocusedControl::mainTableView);
            return true;
        }
        if (key == MainViewKey::escape) {
            closeMainView_();
            return true;
        }
        if (isCommandF(event)) {
            closePopupMenus();
            setFocus(FocusedControl::searchField);
            return true;
        }
        return typeToSelect(event);

    case KeyFocus::searchField:
        if (key == MainViewKey::downArrow) {
            setFocus(FocusedControl::mainTableView);
            selectNextRow(*mainTableView_);
            return true;
        }
        if (key == MainViewKey::upArrow) {
            setFocus(FocusedControl::mainTableView);
            selectPreviousRow(*mainTableView_);
            return true;
        }
        if (key == MainViewKey::leftArrow) {
            // With text the caret moves in the field.
            if (!searchEmpty || bothSidebarSectionsCollapsed())
                return false;
            searchField_->abortEditing();
            if (sectionView_->selectFirstAvailableEntry()) {
                setFocus(FocusedControl::sectionView);
                return true;
            }
            return false;
        }
        if (key == MainViewKey::escape) {
            if (!searchEmpty) {
                searchField_->setText(QString());
            } else {
                searchField_->abortEditing();
                closeMainView_();
            }
            return true;
        }
        if (key == MainViewKey::returnKey) {
            // Only a row drawn as selected with the focus runs.
            const std::optional<int> row = mainTableView_->selectedRow();
            if (row && mainTableView_->tableModel().entryAt(*row)
                && TableViewCellMainWindow::selectionStyle(true, focusedControl(), mainTableView_->hasFocus())
                       == CellSelection::selectedAndFocused) {
                mainTableView_->executeSelectedItem(heldFiles());
                return true;
            }
            return false;
        }
        return false;

    case KeyFocus::none:
    case KeyFocus::popupShown: return false;
    }
    return false;
}

} // namespace vantel::mainwindow
