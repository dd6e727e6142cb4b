#include "settings/ui/ConfigViewControllerURLTemplates.h"

#include "access/URLManager.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "model/LocalizedStrings.h"
#include "popups/CustomTextField.h"
#include "settings/ui/PaneLayout.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantel {

// ---- Model ----

URLTemplatesModel::URLTemplatesModel(URLManager& urls, QObject* parent)
    : QAbstractTableModel(parent)
    , urls_(urls)
{
}

int URLTemplatesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(urls_.urlTemplates().size());
}

int URLTemplatesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant URLTemplatesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const URLManager::Template& item = urls_.urlTemplates()[index.row()];
    if (!item || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    return index.column() == titleColumn ? item->title() : item->value();
}

QVariant URLTemplatesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == titleColumn ? localized("Title") : QStringLiteral("URL");
}

Qt::ItemFlags URLTemplatesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool URLTemplatesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount())
        return false;
    const URLManager::Template& item = urls_.urlTemplates()[index.row()];
    if (!item)
        return false;
    const QString text = value.toString().left(maxLength);
    if (index.column() == titleColumn)
        item->setTitle(text);
    else
        item->setValue(text);
    emit dataChanged(index, index);
    return true;
}

void URLTemplatesModel::reload()
{
    beginResetModel();
    endResetModel();
}

// ---- Cell ----

TableViewCellConfigURLTemplate::TableViewCellConfigURLTemplate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void TableViewCellConfigURLTemplate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    if (index.column() != URLTemplatesModel::urlColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const URLAttributedString colored = urlAttributedStringParser_.attributedString(index.data(Qt::EditRole).toString());
    QTextLayout layout(colored.text, urlAttributedStringParser_.attributedStringFont());
    QList<QTextLayout::FormatRange> formats = colored.formats;
    if (option.state & QStyle::State_Selected) {
        // The selection colour wins over the parts' colours.
        for (QTextLayout::FormatRange& range : formats)
            range.format.setForeground(option.palette.color(QPalette::HighlightedText));
    }
    layout.setFormats(formats);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    const QRect text = option.rect.adjusted(6, 0, -6, 0);
    painter->save();
    painter->setClipRect(text);
    painter->setPen(option.palette.color(QPalette::Text));
    if (line.isValid())
        layout.draw(painter, QPointF(text.left(), text.top() + (text.height() - line.height()) / 2.0));
    painter->restore();
}

QSize TableViewCellConfigURLTemplate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), 26));
    return size;
}

QWidget* TableViewCellConfigURLTemplate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                                       const QModelIndex& index) const
{
    auto* field = new CustomTextField(parent);
    field->setMaxLength(URLTemplatesModel::maxLength);
    field->setFrame(false);
    if (index.column() == URLTemplatesModel::urlColumn)
        field->setFont(urlAttributedStringParser_.attributedStringFont());
    return field;
}

void TableViewCellConfigURLTemplate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* field = qobject_cast<CustomTextField*>(editor))
        field->setText(index.data(Qt::EditRole).toString());
}

void TableViewCellConfigURLTemplate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                                  const QModelIndex& index) const
{
    if (auto* field = qobject_cast<CustomTextField*>(editor))
        model->setData(index, field->text(), Qt::EditRole);
}

// ---- Pane ----

ConfigViewControllerURLTemplates::ConfigViewControllerURLTemplates(QObject* parent)
    : ConfigViewControllerURLTemplates(URLManager::shared(), parent)
{
}

ConfigViewControllerURLTemplates::ConfigViewControllerURLTemplates(URLManager& urls, QObject* parent)
    : SettingsViewController(parent)
    , urls_(urls)
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

QWidget* ConfigViewControllerURLTemplates::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerURLTemplates"));
    model_ = new URLTemplatesModel(urls_, view);
    tableviewURLTemplates_ = new QTableView;
    tableviewURLTemplates_->setObjectName(QStringLiteral("tableviewURLTemplates"));
    tableviewURLTemplates_->setModel(model_);
    tableviewURLTemplates_->setItemDelegate(new TableViewCellConfigURLTemplate(tableviewURLTemplates_));
    tableviewURLTemplates_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableviewURLTemplates_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableviewURLTemplates_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                            | QAbstractItemView::AnyKeyPressed);
    tableviewURLTemplates_->verticalHeader()->hide();
    tableviewURLTemplates_->verticalHeader()->setDefaultSectionSize(26);
    tableviewURLTemplates_->horizontalHeader()->setSectionResizeMode(URLTemplatesModel::titleColumn,
                                                                      QHeaderView::Interactive);
    tableviewURLTemplates_->horizontalHeader()->resizeSection(URLTemplatesModel::titleColumn, 220);
    tableviewURLTemplates_->horizontalHeader()->setStretchLastSection(true);
    tableviewURLTemplates_->setAlternatingRowColors(true);

    addButton_ = PaneLayout::actionButton(QStringLiteral("list-add"), localized("&Add"), localized("Add template"));
    removeButton_ =
        PaneLayout::actionButton(QStringLiteral("list-remove"), localized("&Remove"), localized("Remove template"));
    markdownTextview_ = new CustomMarkdownTextView;
    markdownTextview_->setObjectName(QStringLiteral("markdownTextview"));
    PaneLayout::arrange(view, tableviewURLTemplates_, addButton_, removeButton_, markdownTextview_);

    connect(addButton_, &QToolButton::clicked, this, [this] { addTemplate(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeTemplate(); });
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { removeButton_->setEnabled(model_->rowCount() > 0); });
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this] { removeButton_->setEnabled(model_->rowCount() > 0); });
    return view;
}

void ConfigViewControllerURLTemplates::viewDidLoad()
{
    markdownTextview_->loadMarkdown(QStringLiteral("help_URLTemplates.md"));
    markdownTextview_->showMarkdown(MarkdownStyles::info);
}

void ConfigViewControllerURLTemplates::viewWillAppear()
{
    setPreferredContentSize(preferredSize);
    reloadTable();
}

void ConfigViewControllerURLTemplates::viewWillDisappear()
{
    // Moving the current index away commits an edit still open, so it
    // reaches its template before the clean-up.
    tableviewURLTemplates_->setCurrentIndex(QModelIndex());
    urls_.cleanUpTemplates();
    reloadTable();
}

void ConfigViewControllerURLTemplates::reloadTable()
{
    model_->reload();
    removeButton_->setEnabled(model_->rowCount() > 0);
}

void ConfigViewControllerURLTemplates::addTemplate()
{
    urls_.urlTemplates().append(std::make_shared<urlTemplateData>(QString(), QString()));
    reloadTable();
    const int rows = model_->rowCount();
    const QModelIndex last = model_->index(rows - 1, URLTemplatesModel::titleColumn);
    if (rows >= 2)
        tableviewURLTemplates_->scrollTo(last);
    tableviewURLTemplates_->setCurrentIndex(last);
    tableviewURLTemplates_->edit(last);
}

void ConfigViewControllerURLTemplates::removeTemplate()
{
    const QModelIndexList selected = tableviewURLTemplates_->selectionModel()->selectedRows();
    if (urls_.urlTemplates().isEmpty() || selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (row < 0 || row >= urls_.urlTemplates().size())
        return;
    urls_.urlTemplates().removeAt(row);
    reloadTable();
}

} // namespace vantel
