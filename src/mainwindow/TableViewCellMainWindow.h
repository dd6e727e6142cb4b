#pragma once

#include "mainwindow/MainTableViewFocus.h"
#include "model/TableViewItem.h"

#include <QIcon>
#include <QStringList>
#include <QStyledItemDelegate>

#include <optional>
#include <utility>

namespace vantel {

class DataStorage;

// How a row of the entry list is selected.
enum class CellSelection { selectedAndFocused, selectedWithoutFocus, notSelected };

// The list's row style: row height, icon size and fonts.
enum class RowStyle { defaultStyle, smallStyle };

// A case-insensitive match in a text: where it starts and how long it is,
// both in the text's own characters.
using TextMark = std::pair<qsizetype, qsizetype>;

// Everything a row shows, worked out from the entry, the settings, the held
// modifier keys, the selection and the search text at the moment of drawing.
struct TableViewCellContents {
    enum class SecondLine { hidden, path, comment, tagAction };
    enum class HotkeyTitle { hidden, returnHint, quickLaunchNumber, hotkey };

    bool isTag = false;
    // The entry's icon; for a tag entry its symbol, drawn over the tag background.
    QIcon icon;
    // A single-colour symbol, drawn in the text's colour (light on a dark
    // palette or on the focused selection).
    bool iconIsSymbol = false;
    // The "overlay_Execute" badge: a tag entry whose click opens all its entries.
    bool showsBadge = false;

    QString name;
    std::optional<TextMark> nameMark;

    SecondLine secondLine = SecondLine::hidden;
    QString secondLineText;
    std::optional<TextMark> secondLineMark;

    HotkeyTitle hotkeyTitle = HotkeyTitle::hidden;
    QString hotkeyText;
    bool hotkeyBordered = false;

    bool isRunning = false;
    // The running marker in the selection's text colour.
    bool runningMarkerTinted = false;

    // The tags the entry is filed under (none for a tag entry).
    QStringList tags;
};

// Paints one row of the entry list: the entry's colour behind the row (a
// rounded background and the indicator stripe), the selection, the icon (a
// tag entry's symbol over the tag background, with the launch badge), the
// name with the search text underlined, a second line (path, comment or the
// tag's action), the entry's tags, the hotkey (or the Return hint on the
// focused selection, or the quick-launch number 1 to 9 while Ctrl alone is
// held) and a marker for a running application. No widget per row: all of it
// is worked out again on every paint. The two layouts keep the identifiers
// "TableViewCellMainWindow_Default" and "TableViewCellMainWindow_Small".
class TableViewCellMainWindow : public QStyledItemDelegate {
    Q_OBJECT

public:
    static inline const QString identifierDefault = QStringLiteral("TableViewCellMainWindow_Default");
    static inline const QString identifierSmall = QStringLiteral("TableViewCellMainWindow_Small");
    static constexpr int rowHeightDefault = 64;
    static constexpr int rowHeightSmall = 50;
    // The row's colour is drawn this far in from the left and right edges.
    static constexpr int rowInset = 10;

    explicit TableViewCellMainWindow(DataStorage& store, QObject* parent = nullptr);

    RowStyle rowStyle() const { return rowStyle_; }
    void setRowStyle(RowStyle style) { rowStyle_ = style; }
    // The identifier of the layout in use.
    QString identifier() const;
    static int rowHeight(RowStyle style);
    static int iconSize(RowStyle style);

    // The modifier keys held (Control = Super, Option = Alt, Command = Ctrl);
    // answers whether one of them changed.
    bool setModifierKeys(bool controlKeyActive, bool optionKeyActive, bool commandKeyActive, bool shiftKeyActive);
    bool controlKeyActive() const { return controlKeyActive_; }
    bool optionKeyActive() const { return optionKeyActive_; }
    bool commandKeyActive() const { return commandKeyActive_; }
    bool shiftKeyActive() const { return shiftKeyActive_; }

    // A selected row counts as focused while the search field or the list
    // has the focus.
    static CellSelection selectionStyle(bool selected, FocusedControl focus, bool listHasFocus);
    // What the row of the entry at `itemIndex` shows.
    TableViewCellContents contentsFor(const TableViewItemPtr& entry, int itemIndex, CellSelection selection) const;
    // The first case-insensitive occurrence of the search text.
    static std::optional<TextMark> mark(const QString& text, const QString& searchText);
    // The entry's icon at the row style's size kind (small 32, default 48).
    static QIcon entryIcon(const TableViewItemPtr& entry, bool smallIcon);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The row as a picture: the drag image.
    QPixmap rowImage(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    void paintRow(QPainter& painter, const QStyleOptionViewItem& option, const TableViewItemPtr& entry, int row) const;

    DataStorage& store_;
    RowStyle rowStyle_ = RowStyle::defaultStyle;
    bool controlKeyActive_ = false;
    bool optionKeyActive_ = false;
    bool commandKeyActive_ = false;
    bool shiftKeyActive_ = false;
};

} // namespace vantel
