#pragma once

#include "datastore/DataStorageFilterConfigData.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;

namespace vantel {
class DataStorage;
}

namespace vantel::settingsui {

// The search field of the data window's toolbar. It searches the entries by
// one field at a time (name, tag, comment or path), chosen in the menu of
// its magnifier; the choice is kept as the placeholder text and read back
// from it. Every change of text or choice goes into the configuration-list
// filter of the store, which re-lists only when a value really changed.
// Main thread only.
class ConfigSearchField : public QLineEdit {
    Q_OBJECT

public:
    explicit ConfigSearchField(DataStorage& store, QWidget* parent = nullptr);

    // Called after every applied change; set by the data window.
    std::function<void()> textDidChangeHandler;
    std::function<void()> textDidEndEditingHandler;

    // The search menu with the four choices; a second call keeps the first menu.
    void buildSearchMenu();
    QMenu* searchMenu() const { return searchMenu_; }
    QAction* magnifier() const { return magnifier_; }

    // A choice of the menu: its title becomes the placeholder and the search
    // is applied; the choice already shown changes nothing.
    void changeSearchFieldItem(QAction* sender);
    // Writes the text and the choice into the filter, each applied only when
    // it changed, then tells textDidChangeHandler.
    void applySearch();

    // The choice the placeholder stands for; name when it matches none.
    ConfigEnumFilterSearchFor searchForFromPlaceholder() const;
    static QString titleOf(ConfigEnumFilterSearchFor searchFor);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    DataStorage& store_;
    QMenu* searchMenu_ = nullptr;
    QAction* magnifier_ = nullptr;
};

} // namespace vantel::settingsui
