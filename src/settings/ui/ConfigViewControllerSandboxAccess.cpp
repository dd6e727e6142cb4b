#include "settings/ui/ConfigViewControllerSandboxAccess.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessProtocol.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "platform/Bookmark.h"
#include "platform/Bundle.h"
#include "platform/Dialogs.h"
#include "platform/FileFacts.h"
#include "platform/WorkspaceIcons.h"
#include "settings/ui/PaneLayout.h"

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace vantel {

// ---- Model ----

void SandboxAccessModel::setRows(QList<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int SandboxAccessModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant SandboxAccessModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return row.url.isValid() ? row.url.path() : QStringLiteral("URL invalid");
    case Qt::DecorationRole: return row.icon;
    case validRole: return row.valid;
    case urlRole: return row.url;
    default: return {};
    }
}

// ---- Cell ----

void TableViewCellConfigSandboxAccess::paint(QPainter* painter, const QStyleOptionViewItem& option,
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
    QColor color = index.data(SandboxAccessModel::validRole).toBool() ? option.palette.color(QPalette::Text)
                                                                      : QColor(Qt::red);
    if (option.state & QStyle::State_Selected)
        color = option.palette.color(QPalette::HighlightedText);
    const QRect text(iconRect.right() + 8, row.top(), row.right() - iconRect.right() - 14, row.height());
    painter->save();
    painter->setPen(color);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(index.data().toString(), Qt::ElideMiddle, text.width()));
    painter->restore();
}

QSize TableViewCellConfigSandboxAccess::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(rowHeight);
    return size;
}

// ---- Pane ----

ConfigViewControllerSandboxAccess::ConfigViewControllerSandboxAccess(QObject* parent)
    : ConfigViewControllerSandboxAccess(nullptr, parent)
{
}

ConfigViewControllerSandboxAccess::ConfigViewControllerSandboxAccess(std::shared_ptr<SandboxFileAccessProtocol> store,
                                                                     QObject* parent)
    : SettingsViewController(parent)
    , store_(std::move(store))
    , model_(new SandboxAccessModel(this))
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

ConfigViewControllerSandboxAccess::~ConfigViewControllerSandboxAccess() = default;

std::shared_ptr<SandboxFileAccessProtocol> ConfigViewControllerSandboxAccess::store() const
{
    return store_ ? store_ : SandboxFileAccess::shared().persistanceBookmarkStorage();
}

QList<QUrl> ConfigViewControllerSandboxAccess::tableViewContent() const
{
    QList<QUrl> urls;
    for (const SandboxAccessModel::Row& row : model_->rows())
        urls.append(row.url);
    return urls;
}

QWidget* ConfigViewControllerSandboxAccess::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerSandboxAccess"));
    tableViewSandboxAccess_ = new QListView;
    tableViewSandboxAccess_->setObjectName(QStringLiteral("tableViewSandboxAccess"));
    tableViewSandboxAccess_->setModel(model_);
    tableViewSandboxAccess_->setItemDelegate(new TableViewCellConfigSandboxAccess(tableViewSandboxAccess_));
    tableViewSandboxAccess_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableViewSandboxAccess_->setUniformItemSizes(true);
    addButton_ = PaneLayout::actionButton(QStringLiteral("list-add"), QStringLiteral("&Add…"), QStringLiteral("Add access"));
    removeButton_ =
        PaneLayout::actionButton(QStringLiteral("list-remove"), QStringLiteral("&Remove"), QStringLiteral("Remove access"));
    removeButton_->setEnabled(false);
    markDownTextView_ = new CustomMarkdownTextView;
    markDownTextView_->setObjectName(QStringLiteral("markDownTextView"));
    PaneLayout::arrange(view, tableViewSandboxAccess_, addButton_, removeButton_, markDownTextView_);

    connect(addButton_, &QToolButton::clicked, this, [this] { addBookmarkWithPanel(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeSelectedBookmark(); });
    connect(tableViewSandboxAccess_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionChanged(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { selectionChanged(); });
    return view;
}

void ConfigViewControllerSandboxAccess::viewDidLoad()
{
    markDownTextView_->loadMarkdown(QStringLiteral("help_SandboxAccess.md"));
    markDownTextView_->showMarkdown(MarkdownStyles::info);
    observer_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("globalBookmarksChanged"), [this](const platform::Notification&) {
            // Only a window on screen follows; the next appearance rebuilds.
            if (hasWindow())
                reloadBookmarks();
        });
}

void ConfigViewControllerSandboxAccess::viewWillAppear()
{
    reloadBookmarks();
    setPreferredContentSize(preferredSize);
}

void ConfigViewControllerSandboxAccess::reloadBookmarks()
{
    const auto bookmarks = store();
    QList<QUrl> urls;
    if (bookmarks)
        bookmarks->forEachBookmark([&urls](const QUrl& url, const QByteArray&) { urls.append(url); });
    std::sort(urls.begin(), urls.end(), [](const QUrl& a, const QUrl& b) { return a.toString() < b.toString(); });
    const QIcon unknown = platform::Bundle::main().imageNamed(QStringLiteral("status_unknown")).value_or(QIcon());
    QList<SandboxAccessModel::Row> rows;
    for (const QUrl& url : urls) {
        SandboxAccessModel::Row row;
        row.url = url;
        const QString path = url.toLocalFile();
        row.valid = url.isValid() && platform::FileFacts::isReachable(path) && bookmarks->isBookmarkValid(url);
        row.icon = row.valid ? platform::WorkspaceIcons::iconForFile(path) : unknown;
        rows.append(row);
    }
    model_->setRows(std::move(rows));
}

void ConfigViewControllerSandboxAccess::addBookmark(const QString& path)
{
    const auto bookmarks = store();
    if (!bookmarks || path.isEmpty())
        return;
    const QUrl url = QUrl::fromLocalFile(path);
    // A grant the system refuses to make is dropped silently.
    const auto data = platform::Bookmark::createBookmark(url, platform::Bookmark::CreationWithSecurityScope);
    if (!data)
        return;
    bookmarks->setBookmark(*data, url);
}

void ConfigViewControllerSandboxAccess::addBookmarkWithPanel()
{
    platform::OpenPanelRequest request;
    request.title = QStringLiteral("Grant access to a file or folder");
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.canCreateDirectories = false;
    request.showsHiddenFiles = false;
    request.resolvesAliases = false;
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(request);
    if (!response.accepted || response.paths.isEmpty())
        return;
    addBookmark(response.paths.first());
}

void ConfigViewControllerSandboxAccess::removeSelectedBookmark()
{
    const QModelIndexList selected = tableViewSandboxAccess_->selectionModel()->selectedIndexes();
    const auto bookmarks = store();
    if (selected.isEmpty() || !bookmarks)
        return;
    const int row = selected.first().row();
    if (row < 0 || row >= model_->rows().size())
        return;
    bookmarks->clearBookmark(model_->rows()[row].url);
}

void ConfigViewControllerSandboxAccess::selectionChanged()
{
    if (removeButton_ && tableViewSandboxAccess_)
        removeButton_->setEnabled(tableViewSandboxAccess_->selectionModel()->hasSelection());
}

} // namespace vantel
