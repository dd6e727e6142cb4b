#include "settings/ui/PaneLayout.h"

#include "markdown/view/CustomMarkdownTextView.h"

#include "platform/Dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantel::PaneLayout {

QToolButton* actionButton(const QString& iconName, const QString& text, const QString& accessibleName)
{
    auto* button = new QToolButton;
    button->setText(text);
    const QIcon icon = QIcon::fromTheme(iconName);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

void arrange(QWidget* view, QAbstractItemView* list, QToolButton* add, QToolButton* remove, CustomMarkdownTextView* help)
{
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    help->setFixedWidth(helpWidth);
    help->setFrameShape(QFrame::NoFrame);
    help->viewport()->setAutoFillBackground(false);
    layout->addWidget(help);
}

QListView* pathList(const QString& objectName, QAbstractItemModel* model)
{
    auto* list = new QListView;
    list->setObjectName(objectName);
    list->setModel(model);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

void enableRemoveWithSelection(QObject* context, QAbstractItemView* list, QToolButton* remove)
{
    const auto follow = [list = QPointer<QAbstractItemView>(list), remove = QPointer<QToolButton>(remove)] {
        if (remove && list)
            remove->setEnabled(list->selectionModel()->hasSelection());
    };
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, context, follow);
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, context, follow);
}

int selectedRow(const QAbstractItemView& list)
{
    const QModelIndexList selected = list.selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString chooseOnePath(const QString& title, bool canChooseFiles)
{
    platform::OpenPanelRequest request;
    request.title = title;
    request.canChooseFiles = canChooseFiles;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.canCreateDirectories = false;
    request.showsHiddenFiles = false;
    request.resolvesAliases = false;
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(request);
    if (!response.accepted || response.paths.isEmpty())
        return {};
    return response.paths.first();
}

} // namespace vantel::PaneLayout

namespace vantel {

QSize PathListCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(rowHeight);
    return size;
}

QRect PathListCell::paintBackgroundAndIcon(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const QRect row = option.rect;
    const QRect iconRect(row.left() + 6, row.top() + (row.height() - iconSide) / 2, iconSide, iconSide);
    index.data(Qt::DecorationRole).value<QIcon>().paint(painter, iconRect);
    return iconRect;
}

QColor PathListCell::pathColor(const QStyleOptionViewItem& option, const QColor& unselected)
{
    return option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText) : unselected;
}

void PathListCell::drawPath(QPainter* painter, const QStyleOptionViewItem& option, const QRect& text,
                            const QColor& color, const QString& path)
{
    painter->save();
    painter->setPen(color);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(path, Qt::ElideMiddle, text.width()));
    painter->restore();
}

} // namespace vantel
