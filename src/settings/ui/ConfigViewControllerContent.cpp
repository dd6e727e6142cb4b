#include "settings/ui/ConfigViewControllerContent.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "datastore/TagManager.h"
#include "mainwindow/DragAndDrop.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/Log.h"
#include "platform/ui/PopoverHost.h"
#include "popups/ColorPopupManager.h"
#include "settings/ui/ConfigTableViewModel.h"
#include "settings/ui/TableViewCellConfigComment.h"
#include "settings/ui/TableViewCellConfigEntry.h"
#include "settings/ui/TableViewCellConfigHotkey.h"
#include "settings/ui/TableViewCellConfigTags.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace vantel::settingsui {

namespace {

// Default widths of the columns beside the entry column, which takes the rest.
constexpr int defaultTagsWidth = 200;
constexpr int defaultHotkeyWidth = 200;
constexpr int defaultCommentWidth = 160;
constexpr std::size_t columnCount = ConfigTableViewModel::numberOfColumns;

// The widths the user gave the tags, hotkey and comment columns, for the
// rest of the session: the window's controller may be made anew.
std::array<int, columnCount>& sessionColumnWidths()
{
    static std::array<int, columnCount> widths{0, defaultTagsWidth, defaultHotkeyWidth, defaultCommentWidth};
    return widths;
}

// The window title: title and subtitle in one, as Linux windows have no subtitle.
QString windowTitle(const QString& title, const QString& subtitle)
{
    return title + QStringLiteral(" \u2014 ") + subtitle;
}

} // namespace

ConfigViewControllerContent::ConfigViewControllerContent(QObject* parent)
    : ConfigViewControllerContent(ConfigWindowServices::shared(), parent)
{
}

ConfigViewControllerContent::ConfigViewControllerContent(ConfigWindowServices services, QObject* parent)
    : ConfigViewControllerBase(parent), services_(services), hotkeyPause_(services.hotKeyManager)
{
}

ConfigViewControllerContent::~ConfigViewControllerContent() = default;

ConfigTableView* ConfigViewControllerContent::dataTableView()
{
    view();
    return table_;
}

QWidget* ConfigViewControllerContent::loadView()
{
    auto* root = new QWidget();
    auto* layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    table_ = new ConfigTableView(root);
    table_->setAccessibleName(localized("Entries"));
    layout->addWidget(table_);

    model_ = new ConfigTableViewModel(*services_.dataStorage, this);
    table_->setModel(model_);
    entryCell_ = new TableViewCellConfigEntry(*model_, this);
    tagsCell_ = new TableViewCellConfigTags(*model_, &services_.dataStorage->tagManager(), this);
    hotkeyCell_ = new TableViewCellConfigHotkey(*model_, services_.hotKeyCenter, this);
    commentCell_ = new TableViewCellConfigComment(*model_, this);
    table_->setItemDelegateForColumn(ConfigTableViewModel::columnEntry, entryCell_);
    table_->setItemDelegateForColumn(ConfigTableViewModel::columnTags, tagsCell_);
    table_->setItemDelegateForColumn(ConfigTableViewModel::columnHotkey, hotkeyCell_);
    table_->setItemDelegateForColumn(ConfigTableViewModel::columnComment, commentCell_);

    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A single click edits tokens, recorder and comment.
    table_->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                            | QAbstractItemView::EditKeyPressed);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    // Names and paths get the spare width; the user sizes the other columns.
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(ConfigTableViewModel::columnEntry, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(60);
    for (int column = ConfigTableViewModel::columnTags; column < ConfigTableViewModel::numberOfColumns; ++column)
        header->resizeSection(column, sessionColumnWidths()[std::size_t(column)]);

    colorAnchor_ = new QWidget(table_->viewport());
    colorAnchor_->setAttribute(Qt::WA_TransparentForMouseEvents);
    colorAnchor_->hide();
    return root;
}

void ConfigViewControllerContent::viewDidLoad()
{
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableViewSelectionDidChange(); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [](int column, int, int width) {
        if (column != ConfigTableViewModel::columnEntry && column >= 0 && std::size_t(column) < columnCount
            && width > 0)
            sessionColumnWidths()[std::size_t(column)] = width;
    });
    connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { sortDescriptorsDidChange(column, order); });
    connect(table_, &QAbstractItemView::doubleClicked, this, [this] { tableViewDoubleClick(); });
    connect(entryCell_, &TableViewCellConfigEntry::visibleCheckboxClicked, this,
            [this](int row, bool checked) { visibleCheckboxClick(row, checked); });
    connect(entryCell_, &TableViewCellConfigEntry::removeButtonClicked, this, [this](int row) { removeButtonClick(row); });
    connect(entryCell_, &TableViewCellConfigEntry::colorButtonClicked, this,
            [this](int row, const QRect& box) { colorButtonClick(row, box); });
    connect(tagsCell_, &TableViewCellConfigTags::favoriteClicked, this, [this](int row) { checkboxFavoriteClick(row); });
    table_->validateDrop = [this](const QMimeData* data) { return validateDrop(data); };
    table_->acceptDrop = [this](const QMimeData* data) { return acceptDrop(data); };

    // The indicator starts where the filter's order is.
    const DataStorageFilterConfigData& filter = services_.dataStorage->filterConfigData();
    const int column = int(filter.configTableViewSortingBy);
    const Qt::SortOrder order = filter.configTableViewSortingOrder == ConfigEnumSortingOrder::ascending
                                    ? Qt::AscendingOrder
                                    : Qt::DescendingOrder;
    const QSignalBlocker blocker(table_->horizontalHeader());
    table_->horizontalHeader()->setSortIndicator(column, order);

    itemChangedObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [this](const platform::Notification& n) { tableViewItemChanged(n); });
}

void ConfigViewControllerContent::viewWillAppear()
{
    hotkeyPause_.begin();
    services_.dataStorage->rebuildData(DataStorageRebuildReason::configViewContent);
    services_.dataStorage->filterConfigData().applyFilter();
    reloadTable();
    if (view()->window() != view())
        view()->window()->setWindowTitle(windowTitle(L10n::configViewControllerContentWindowTitle(),
                                                     L10n::configViewControllerContentWindowSubTitle()));
}

void ConfigViewControllerContent::viewWillDisappear()
{
    // An editor still open writes what it holds before the list goes.
    if (table_) {
        if (QWidget* focus = QApplication::focusWidget(); focus && table_->isAncestorOf(focus))
            table_->setFocus(Qt::OtherFocusReason);
        table_->setCurrentIndex(QModelIndex());
    }
}

void ConfigViewControllerContent::viewDidDisappear()
{
    services_.dataStorage->rebuildData(DataStorageRebuildReason::configViewContent);
    if (services_.configuration)
        services_.configuration->saveConfig(false);
    hotkeyPause_.end();
    services_.dataStorage->currentDataConfig()->removeAll();
    reloadTable();
}

TableViewItemPtr ConfigViewControllerContent::entryAtSelectedRow() const
{
    if (!table_ || !table_->selectionModel())
        return nullptr;
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (current.isValid() && table_->selectionModel()->isRowSelected(current.row()))
        return model_->entryAt(current.row());
    const ConfigRowIndexSet rows = table_->selectedRowIndexes();
    return rows.isEmpty() ? nullptr : model_->entryAt(rows.first());
}

void ConfigViewControllerContent::reloadTable()
{
    view();
    const TableViewItemPtr remembered = entryAtSelectedRow();
    QList<TableViewItemPtr> selected;
    for (int row : table_->selectedRowIndexes())
        if (TableViewItemPtr entry = model_->entryAt(row))
            selected.append(std::move(entry));
    {
        // The reset clears the selection; the sidebar hears about it once, below.
        const QSignalBlocker blocker(table_->selectionModel());
        model_->reload();
    }
    const QList<int> rows = model_->rowsOfEqualEntries(selected);
    if (!rows.isEmpty()) {
        // Neighbouring rows as one range, so the selection costs its blocks.
        QItemSelection selection;
        for (qsizetype first = 0, last = 0; first < rows.size(); first = last + 1) {
            last = first;
            while (last + 1 < rows.size() && rows.at(last + 1) == rows.at(last) + 1)
                ++last;
            selection.select(model_->index(rows.at(first), 0), model_->index(rows.at(last), 0));
        }
        int current = rows.first();
        if (const std::optional<int> row = remembered ? model_->rowOfEqualEntry(*remembered) : std::nullopt;
            row && std::binary_search(rows.begin(), rows.end(), *row))
            current = *row;
        table_->selectionModel()->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
        table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    tableViewSelectionDidChange();
}

void ConfigViewControllerContent::tableViewSelectionDidChange()
{
    platform::NotificationCenter::defaultCenter().post(selectionDidChangeNotification,
                                                       std::any(table_->selectedRowIndexes()), this);
}

void ConfigViewControllerContent::sortDescriptorsDidChange(int column, Qt::SortOrder order)
{
    DataStorageFilterConfigData& filter = services_.dataStorage->filterConfigData();
    filter.configTableViewSortingOrder =
        order == Qt::AscendingOrder ? ConfigEnumSortingOrder::ascending : ConfigEnumSortingOrder::descending;
    const QString key = ConfigTableViewModel::sortKey(column);
    if (key == QLatin1String("application"))
        filter.configTableViewSortingBy = ConfigEnumSortingBy::name;
    else if (key == QLatin1String("tags"))
        filter.configTableViewSortingBy = ConfigEnumSortingBy::tags;
    else if (key == QLatin1String("hotkey"))
        filter.configTableViewSortingBy = ConfigEnumSortingBy::hotkey;
    else if (key == QLatin1String("comment"))
        filter.configTableViewSortingBy = ConfigEnumSortingBy::comment;
    filter.applyFilter();
    reloadTable();
}

void ConfigViewControllerContent::tableViewDoubleClick()
{
    const TableViewItemPtr entry = entryAtSelectedRow();
    if (!entry || entry->itemType() != ListviewItemType::url || entry->itemSource() != ListviewItemSource::other)
        return;
    std::shared_ptr<ViewController> presenter = sheetPresenter_ ? sheetPresenter_() : nullptr;
    if (!presenter)
        presenter = std::shared_ptr<ViewController>(std::shared_ptr<void>(), this);
    services_.dataStorage->URLHandler().showModifyURLSheet(entry, presenter);
}

Qt::DropAction ConfigViewControllerContent::validateDrop(const QMimeData* data) const
{
    if (const auto files = MainViewDragAndDrop::draggedFileURLs(data);
        files && files->size() <= MainViewDragAndDrop::maximumFilesOntoList)
        return Qt::CopyAction;
    if (const auto urls = MainViewDragAndDrop::draggedURLs(data); urls && !urls->isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool ConfigViewControllerContent::acceptDrop(const QMimeData* data)
{
    MainViewDragAndDrop drops(*services_.dataStorage);
    if (const auto files = MainViewDragAndDrop::draggedFileURLs(data);
        files && files->size() <= MainViewDragAndDrop::maximumFilesOntoList)
        return drops.addFiles(*files, std::nullopt);
    // Web URLs only: a file URL never becomes a URL entry.
    if (const auto urls = MainViewDragAndDrop::draggedURLs(data); urls && !urls->isEmpty())
        return drops.addFirstURL(*urls, std::nullopt);
    return false;
}

void ConfigViewControllerContent::tableViewItemChanged(const platform::Notification& notification)
{
    if (!hasWindow())
        return;
    const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object);
    if (!object)
        return;
    const platform::LogCategory& log = Logger::mainViewController();
    VLOG(log, platform::LogType::Default, "Observer tableViewItemChanged was called");
    VLOG(log, platform::LogType::Default, "  - Object: %{public}@", object->path);
    VLOG(log, platform::LogType::Default, "  - NotifyReason: %{public}@",
         object->reason ? rawValue(*object->reason) : QString());
    if (const std::optional<int> row = model_->rowOfPath(object->path))
        model_->refreshRow(*row);
    // A list of active or inactive entries only is filtered again, once for
    // a burst of changes (the sidebar hides or shows many at a time).
    if (object->reason == TableViewItemChangeReason::visibilityChanged
        && services_.dataStorage->filterConfigData().configTableViewFilterActive != ConfigEnumFilterActive::all
        && !refilterPending_) {
        refilterPending_ = true;
        QTimer::singleShot(0, this, [this] {
            refilterPending_ = false;
            if (hasWindow())
                services_.dataStorage->filterConfigData().applyFilter();
        });
    }
}

// ---- The cells' actions ----

void ConfigViewControllerContent::visibleCheckboxClick(int row, bool checked)
{
    if (const TableViewItemPtr entry = model_->entryAt(row))
        entry->setIsVisible(checked);
    // A user-added entry snaps back silently: draw what it is.
    model_->refreshRow(row);
}

void ConfigViewControllerContent::removeButtonClick(int row)
{
    const TableViewItemPtr entry = model_->entryAt(row);
    if (!entry)
        return;
    if (services_.dataStorage->removeFromAllData(entry->path()))
        services_.dataStorage->rebuildData(DataStorageRebuildReason::configViewContent);
}

void ConfigViewControllerContent::colorButtonClick(int row, const QRect& colorBox)
{
    const TableViewItemPtr entry = model_->entryAt(row);
    if (!entry || !colorAnchor_)
        return;
    // Below the box (above when there is no room), clear of the row it edits.
    const QRect rowSpan(colorBox.left(), table_->rowViewportPosition(row), colorBox.width(), rowHeight);
    colorAnchor_->setGeometry(rowSpan);
    colorAnchor_->show();
    ColorPopupManager::shared().showPopover(colorAnchor_, entry, platform::PopoverHost::below);
}

void ConfigViewControllerContent::checkboxFavoriteClick(int row)
{
    if (const TableViewItemPtr entry = model_->entryAt(row))
        entry->setIsFavorite(!entry->isFavorite());
}

} // namespace vantel::settingsui
