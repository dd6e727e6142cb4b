#include "settings/ui/ConfigViewControllerSearchScope.h"

#include "access/SandboxFileAccess.h"
#include "access/SandboxFileAccessProtocol.h"
#include "config/Configuration.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "model/LocalizedStrings.h"
#include "platform/Bookmark.h"
#include "platform/Bundle.h"
#include "platform/FileFacts.h"
#include "platform/Log.h"
#include "model/Logger.h"
#include "platform/WorkspaceIcons.h"
#include "settings/ui/PaneLayout.h"

#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace vantel {

namespace {

QIcon lockIcon()
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("object-locked"));
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("changes-prevent"));
    return icon;
}

} // namespace

// ---- Model ----

void SearchScopeModel::setEntries(QList<SearchScopeEntryForConfig> entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void SearchScopeModel::setEntry(int row, const SearchScopeEntryForConfig& entry)
{
    if (row < 0 || row >= entries_.size())
        return;
    entries_[row] = entry;
    emit dataChanged(index(row), index(row));
}

int SearchScopeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant SearchScopeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const SearchScopeEntryForConfig& entry = entries_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return entry.path;
    case Qt::DecorationRole: return entry.icon;
    case statusRole: return static_cast<int>(entry.status);
    case readOnlyRole: return entry.readonlySystemPath;
    default: return {};
    }
}

Qt::ItemFlags SearchScopeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return Qt::NoItemFlags;
    if (entries_[index.row()].readonlySystemPath)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- Cell ----

QRect TableViewCellConfigSearchScope::lockRect(const QRect& row)
{
    return QRect(row.right() - 6 - iconSide, row.top() + (row.height() - iconSide) / 2, iconSide, iconSide);
}

void TableViewCellConfigSearchScope::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    const QRect iconRect = paintBackgroundAndIcon(painter, option, index);
    const auto status = static_cast<SearchScopeEntryForConfig::Status>(index.data(SearchScopeModel::statusRole).toInt());
    const QRect row = option.rect;

    QColor color = option.palette.color(QPalette::Text);
    if (status == SearchScopeEntryForConfig::Status::readOnly)
        color = option.palette.color(QPalette::Disabled, QPalette::Text);
    else if (status == SearchScopeEntryForConfig::Status::unreachable
             || status == SearchScopeEntryForConfig::Status::locked)
        color = QColor(Qt::red);
    color = pathColor(option, color);
    const QRect text(iconRect.right() + 8, row.top(), row.width() - iconSide * 2 - 28, row.height());
    drawPath(painter, option, text, color, index.data().toString());
    if (status == SearchScopeEntryForConfig::Status::locked) {
        const QIcon lock = lockIcon();
        if (lock.isNull()) {
            painter->save();
            painter->setPen(color);
            painter->drawText(lockRect(row), Qt::AlignCenter, QStringLiteral("🔒"));
            painter->restore();
        } else {
            lock.paint(painter, lockRect(row));
        }
    }
}

bool TableViewCellConfigSearchScope::editorEvent(QEvent* event, QAbstractItemModel* model,
                                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto status =
            static_cast<SearchScopeEntryForConfig::Status>(index.data(SearchScopeModel::statusRole).toInt());
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (status == SearchScopeEntryForConfig::Status::locked && mouse->button() == Qt::LeftButton
            && lockRect(option.rect).contains(mouse->position().toPoint())) {
            emit lockClicked(index.row());
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

// ---- Pane ----

ConfigViewControllerSearchScope::ConfigViewControllerSearchScope(Configuration& config, QObject* parent)
    : ConfigViewControllerSearchScope(config, SandboxFileAccess::shared(), parent)
{
}

ConfigViewControllerSearchScope::ConfigViewControllerSearchScope(Configuration& config, SandboxFileAccess& access,
                                                                 QObject* parent)
    : SettingsViewController(parent)
    , config_(config)
    , access_(access)
    , model_(new SearchScopeModel(this))
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

ConfigViewControllerSearchScope::~ConfigViewControllerSearchScope() = default;

QWidget* ConfigViewControllerSearchScope::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerSearchScope"));
    tableViewSpotlightSearchScope_ = PaneLayout::pathList(QStringLiteral("tableViewSpotlightSearchScope"), model_);
    auto* cell = new TableViewCellConfigSearchScope(tableViewSpotlightSearchScope_);
    tableViewSpotlightSearchScope_->setItemDelegate(cell);
    addButton_ = PaneLayout::actionButton(QStringLiteral("list-add"), localized("&Add…"), localized("Add folder"));
    removeButton_ =
        PaneLayout::actionButton(QStringLiteral("list-remove"), localized("&Remove"), localized("Remove folder"));
    removeButton_->setEnabled(false);
    markDownTextView_ = new CustomMarkdownTextView;
    markDownTextView_->setObjectName(QStringLiteral("markDownTextView"));
    PaneLayout::arrange(view, tableViewSpotlightSearchScope_, addButton_, removeButton_, markDownTextView_);

    connect(cell, &TableViewCellConfigSearchScope::lockClicked, this, [this](int row) { btnAccessLockedClick(row); });
    connect(addButton_, &QToolButton::clicked, this, [this] { addScopeWithPanel(); });
    connect(removeButton_, &QToolButton::clicked, this, [this] { removeSelectedScope(); });
    PaneLayout::enableRemoveWithSelection(this, tableViewSpotlightSearchScope_, removeButton_);
    return view;
}

void ConfigViewControllerSearchScope::viewDidLoad()
{
    markDownTextView_->loadMarkdown(QStringLiteral("help_SearchScope.md"));
    markDownTextView_->showMarkdown(MarkdownStyles::info);
    observer_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("customSpotlightSearchScopeChanged"),
        [this](const platform::Notification&) { customSpotlightSearchScopeChangeDetected(); });
}

void ConfigViewControllerSearchScope::viewWillAppear()
{
    rebuildSearchScopes();
    setPreferredContentSize(preferredSize);
}

void ConfigViewControllerSearchScope::rebuildSearchScopes()
{
    QList<SearchScopeEntryForConfig> entries;
    const auto make = [this](const QString& path, bool readOnly) {
        SearchScopeEntryForConfig entry;
        entry.path = path;
        entry.readonlySystemPath = readOnly;
        entry.status = refreshStatus(path, readOnly);
        entry.icon = platform::FileFacts::isReachable(path)
                         ? platform::WorkspaceIcons::iconForFile(path)
                         : platform::Bundle::main().imageNamed(QStringLiteral("status_unknown")).value_or(QIcon());
        return entry;
    };
    for (const QString& path : config_.spotlightDefaultSearchScope())
        entries.append(make(path, true));
    for (const QString& path : config_.customSpotlightSearchScope())
        entries.append(make(path, false));
    model_->setEntries(std::move(entries));
}

SearchScopeEntryForConfig::Status ConfigViewControllerSearchScope::refreshStatus(const QString& path,
                                                                                 bool readOnly) const
{
    using Status = SearchScopeEntryForConfig::Status;
    if (readOnly)
        return Status::readOnly;
    if (path.isEmpty() || !platform::FileFacts::isReachable(path))
        return Status::unreachable;
    const QUrl url = QUrl::fromLocalFile(path);
    const AccessInfo info = access_.accessInfo(url);
    if (info.permissions.intersects(Permissions::bookmark() | Permissions::read()))
        return Status::accessible;
    const auto store = access_.persistanceBookmarkStorage();
    if (store && store->bookmarkData(url))
        return Status::accessible;
    return Status::locked;
}

void ConfigViewControllerSearchScope::logAccessTest(const QString& path, bool granted) const
{
    const QString url = QUrl::fromLocalFile(path).toString();
    if (granted)
        VLOG(Logger::general(), platform::LogType::Default, "Access-Test for %{public}@ -> Access possible", url);
    else
        VLOG(Logger::general(), platform::LogType::Default, "Access-Test for %{public}@ -> Access denied", url);
}

void ConfigViewControllerSearchScope::addScopes(const QString& path)
{
    if (path.isEmpty())
        return;
    if (config_.customSpotlightSearchScope().contains(path) || config_.spotlightDefaultSearchScope().contains(path))
        return;
    const QUrl url = QUrl::fromLocalFile(path);
    if (platform::FileFacts::isReachable(path)) {
        const auto store = access_.persistanceBookmarkStorage();
        if (store && !store->bookmarkData(url)) {
            if (const auto bookmark = platform::Bookmark::createBookmark(url, platform::Bookmark::CreationWithSecurityScope))
                store->setBookmark(*bookmark, url);
        }
        const SandboxFileAccess::HasAccessResult answer = access_.hasAccess(url, Permissions::bookmark() | Permissions::read());
        logAccessTest(path, answer.granted);
    }
    QStringList scopes = config_.customSpotlightSearchScope();
    if (scopes.contains(path) || config_.spotlightDefaultSearchScope().contains(path))
        return;
    scopes.append(path);
    config_.setCustomSpotlightSearchScope(scopes);
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("customSpotlightSearchScopeChanged"));
    rebuildSearchScopes();
}

void ConfigViewControllerSearchScope::addScopeWithPanel()
{
    const QString path = PaneLayout::chooseOnePath(localized("Add a folder to search for applications"), false);
    if (!path.isEmpty())
        addScopes(path);
}

void ConfigViewControllerSearchScope::removeSelectedScope()
{
    const int row = PaneLayout::selectedRow(*tableViewSpotlightSearchScope_);
    if (row < 0 || row >= model_->entries().size())
        return;
    const QString path = model_->entries()[row].path;
    QStringList scopes = config_.customSpotlightSearchScope();
    const qsizetype found = scopes.indexOf(path);
    if (found < 0)
        return;
    scopes.removeAt(found);
    config_.setCustomSpotlightSearchScope(scopes);
    // The list follows through the notification.
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("customSpotlightSearchScopeChanged"));
}

void ConfigViewControllerSearchScope::btnAccessLockedClick(int row)
{
    if (row < 0 || row >= model_->entries().size())
        return;
    SearchScopeEntryForConfig entry = model_->entries()[row];
    const SandboxFileAccess::HasAccessResult answer =
        access_.hasAccess(QUrl::fromLocalFile(entry.path), Permissions::bookmark() | Permissions::read());
    logAccessTest(entry.path, answer.granted);
    entry.status = refreshStatus(entry.path, entry.readonlySystemPath);
    model_->setEntry(row, entry);
}

void ConfigViewControllerSearchScope::customSpotlightSearchScopeChangeDetected()
{
    // Only a settings window on screen follows; the next appearance rebuilds.
    if (!hasWindow())
        return;
    rebuildSearchScopes();
}

} // namespace vantel
