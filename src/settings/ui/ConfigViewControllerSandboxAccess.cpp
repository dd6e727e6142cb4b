#include "settings/ui/ConfigViewControllerSandboxAccess.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessProtocol.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "model/LocalizedStrings.h"
#include "platform/Bookmark.h"
#include "platform/Bundle.h"
#include "platform/FileFacts.h"
#include "platform/WorkspaceIcons.h"
#include "settings/ui/PaneLayout.h"

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
    case Qt::ToolTipRole: return row.url.isValid() ? row.url.path() : localized("URL invalid");
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
    const QRect iconRect = paintBackgroundAndIcon(painter, option, index);
    const QRect row = option.rect;
    const QColor color = pathColor(option, index.data(SandboxAccessModel::validRole).toBool()
                                               ? option.palette.color(QPalette::Text)
                                               : QColor(Qt::red));
    const QRect text(iconRect.right() + 8, row.top(), row.right() - iconRect.right() - 14, row.height());
    drawPath(painter, option, text, color, index.data().toString());
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
    tableViewSandboxAccess_ = PaneLayout::pathList(QStringLiteral("tableViewSandboxAccess"), model_);
    tableViewSandboxAccess_->setItemDelegate(new TableViewCellConfigSandboxAccess(tableViewSandboxAccess_));
    addButton_ = PaneLayout::actionButton(QStringLiteral("list-add"), localized("&Add…"), localized("Add access"));
    removeButton_ =
        PaneLayout::actionButton(QStringLiteral("list-remove"), localized("&Remove"), localized("Remove access"));
    removeButton_->setEnabled(false);
    markDownTextView_ = new CustomMarkdownTextView;
    markDownTextView_->setObjectName(QStringLiteral("markDownTextView"));
    PaneLayout::arrange(view, tableViewSandboxAccess_, addButton_, removeButton_, markDownTextView_);

    connect(addButton_, &QToolButton::clicked, this, [this] { addBookmarkWithPanel(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeSelectedBookmark(); });
    PaneLayout::enableRemoveWithSelection(this, tableViewSandboxAccess_, removeButton_);
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
    const QString path = PaneLayout::chooseOnePath(localized("Grant access to a file or folder"), true);
    if (!path.isEmpty())
        addBookmark(path);
}

void ConfigViewControllerSandboxAccess::removeSelectedBookmark()
{
    const int row = PaneLayout::selectedRow(*tableViewSandboxAccess_);
    const auto bookmarks = store();
    if (row < 0 || !bookmarks || row >= model_->rows().size())
        return;
    bookmarks->clearBookmark(model_->rows()[row].url);
}

} // namespace vantel
