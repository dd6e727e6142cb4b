#pragma once

#include <QWidget>

#include <QToolButton>

#include <QAbstractItemView>

#include <QString>

#include <QStyledItemDelegate>

class QListView;

namespace vantel {

class CustomMarkdownTextView;

// The layout the list panes share (search scopes, folder access, URL
// templates): the list with its add and remove buttons below on the left,
// the help text on the right.
namespace PaneLayout {

constexpr int helpWidth = 300;
constexpr int margin = 16;

// A small button with the theme's icon (where it has one) and a text whose
// mnemonic reaches it from the keyboard; the name is for screen readers.
QToolButton* actionButton(const QString& iconName, const QString& text, const QString& accessibleName);

void arrange(QWidget* view, QAbstractItemView* list, QToolButton* add, QToolButton* remove,
             CustomMarkdownTextView* help);

// A single-selection list of rows of one height over the model.
QListView* pathList(const QString& objectName, QAbstractItemModel* model);
// The remove button is enabled while a row is selected.
void enableRemoveWithSelection(QObject* context, QAbstractItemView* list, QToolButton* remove);
// The first selected row, or -1.
int selectedRow(const QAbstractItemView& list);
// One file or folder from a chooser; empty when cancelled.
QString chooseOnePath(const QString& title, bool canChooseFiles);

} // namespace PaneLayout

// A row of a path list: the row's background, its icon and its path elided
// in the middle, in a colour the pane picks from the row's state.
class PathListCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int rowHeight = 28;
    static constexpr int iconSide = 20;

    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    // Draws background and icon; the icon's rect.
    QRect paintBackgroundAndIcon(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // The colour for the path; a selected row always takes the highlight.
    static QColor pathColor(const QStyleOptionViewItem& option, const QColor& unselected);
    static void drawPath(QPainter* painter, const QStyleOptionViewItem& option, const QRect& text, const QColor& color,
                         const QString& path);
};

} // namespace vantel
