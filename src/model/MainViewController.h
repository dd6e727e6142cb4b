#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantel {

// What the core asks of the main view's controller. The shell's controller
// implements it; the core never touches its widgets directly.
class MainViewController {
public:
    virtual ~MainViewController() = default;

    // True while the Option (Alt) key is held over the main view.
    virtual bool modifierFlagsContainOptionKey() const = 0;
    // Whether the sidebar (sectionView) still exists.
    virtual bool hasSectionView() const = 0;
    // Selects the sidebar row of the tag; answers whether it was found.
    virtual bool selectItemWithTagName(const QString& tagName) = 0;
    // Selects the sidebar row of a category by its selection value (1 files,
    // 2 folders, 3 favorites, 4 URLs, 5 shortcuts, 6 recent applications,
    // 7 open applications); answers whether it was found.
    virtual bool selectItemWithSelectionType(int selectionType) = 0;
    // Applies the sidebar's current selection to the main list.
    virtual void updateMainTableView() = 0;
    // Forgets the held modifier keys (Shift, Command, Option, Control), as
    // when the program loses focus.
    virtual void clearModifierFlags() {}
    // Redraws the selected row of the main list (after an edit in the entry
    // popover); a controller without a list has nothing to redraw.
    virtual void redrawSelectedRow() {}

    // Files handed to the program, waiting for the next entry the user opens.
    QList<QUrl> serviceManagerValues;
    // Refreshes the label that shows how many files wait.
    virtual void serviceManagerValuesChanged() {}
    // The tag selected in the sidebar; none when the selection is no tag.
    virtual std::optional<QString> selectedTagName() const { return std::nullopt; }
};

} // namespace vantel
