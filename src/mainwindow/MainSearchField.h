#pragma once

#include <QLineEdit>

#include <functional>

namespace vantel {

class DataStorage;

// The search field above the entry list. Every change of its text filters
// the store's main list at once, over all entries (an empty text returns the
// list to the sidebar item's filter). It takes no drops, so files dragged
// over it reach the main view's drop target. Editing ends only by Tab,
// Backtab or Return: losing the focus to a click elsewhere is no end of
// editing, so the click keeps its target. Main thread only.
class MainSearchField : public QLineEdit {
    Q_OBJECT

public:
    // With no store, the shared one.
    explicit MainSearchField(QWidget* parent = nullptr);
    explicit MainSearchField(DataStorage& store, QWidget* parent = nullptr);

    // Called after each change of the text, when set.
    std::function<void()> textDidChangeHandler;
    // Called when editing ended by Tab, Backtab or Return, when set.
    std::function<void()> textDidEndEditingHandler;

    // True while the field has the keyboard focus.
    bool hasKeyboardFocus() const;
    // Ends editing without the end-of-editing handler: the caret goes, the
    // text stays.
    void abortEditing();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void textDidChange(const QString& text);
    void textDidEndEditing();

    DataStorage& store_;
    bool aborting_ = false;
};

} // namespace vantel
