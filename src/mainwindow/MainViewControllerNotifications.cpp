// What the main view does on the store's, the tags' and the settings'
// notifications: all of it while it is on screen, at most a log line (or a
// reminder for the next reload) while it is not.
#include "mainwindow/MainViewController.h"

#include "datastore/DataStorage.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/Logger.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

namespace vantel::mainwindow {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainViewController();
}

} // namespace

void MainViewController::registerObservers()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto observe = [&](const char* name, std::function<void(const platform::Notification&)> handler,
                             const void* sender = nullptr) {
        // Posts from other threads are handled on the main thread.
        observers_.push_back(center.addObserver(
            QString::fromLatin1(name),
            [this, handler = std::move(handler)](const platform::Notification& notification) {
                if (platform::MainQueue::isMainThread()) {
                    handler(notification);
                    return;
                }
                platform::MainQueue::async([guard = QPointer<MainViewController>(this), handler, notification] {
                    if (guard)
                        handler(notification);
                });
            },
            sender));
    };
    observe("currentDataChanged", [this](const auto&) { currentDataHadChanged(); }, &store_);
    observe("currentDataNotChangedWithLastRequest", [this](const auto&) { currentDataWasNotChangedDuringLastRequest(); },
            &store_);
    observe("didLaunchApplication", [this](const auto&) { applicationWasLaunched(); });
    observe("didTerminateApplication", [this](const auto&) { applicationWasTerminated(); });
    observe("tableViewItemChanged", [this](const auto& n) { tableViewItemChanged(n); });
    observe("systemSidebarSizeChanged", [this](const auto&) { systemSidebarSizeChanged(); });
    observe("visibleTagsRebuildNeeded", [this](const auto&) { visibleTagsRebuildNeeded(); });
    observe("visibleTagsRedrawNeeded", [this](const auto&) { visibleTagsRedrawNeeded(); });
    observe("showPathInMainViewChanged", [this](const auto&) { showPathInMainViewChanged(); });
    observe("currentDataFilterRefreshed", [this](const auto&) { currentDataFilterRefreshed(); }, &store_);
}

void MainViewController::currentDataHadChanged()
{
    if (!isVisibleState()) {
        VLOG(category(), LogType::Default,
             "Observer currentDataHadChanged was called. View was invisible. Refresh discarded");
        return;
    }
    VLOG(category(), LogType::Default, "Observer currentDataHadChanged was called");
    mainTableView_->reloadData();
    if (mainTableView_->tableModel().rowCount() > 0)
        mainTableView_->selectRow(0);
    sectionView_->validateCategoryVisibility();
}

void MainViewController::currentDataWasNotChangedDuringLastRequest()
{
    if (!isVisibleState()) {
        VLOG(category(), LogType::Default,
             "Observer currentDataWasNotChangedDuringLastRequest was called. View was invisible. Redraw discarded");
        return;
    }
    VLOG(category(), LogType::Default, "Observer currentDataWasNotChangedDuringLastRequest was called");
    mainTableView_->redrawData();
    // The shown list may stay the same while a category gains or loses its
    // last entry (an entry of all applications marked as a favourite).
    sectionView_->validateCategoryVisibility();
}

void MainViewController::applicationWasLaunched()
{
    if (!isVisibleState())
        return;
    VLOG(category(), LogType::Default, "Observer applicationWasLaunched was called");
    const auto type = sectionView_->selectedContentType();
    if (type == SourceListItemContentType::openApplications || type == SourceListItemContentType::lastUsedApplications)
        store_.filterCurrentData().applyFilter();
    mainTableView_->reloadData();
}

void MainViewController::applicationWasTerminated()
{
    if (!isVisibleState())
        return;
    VLOG(category(), LogType::Default, "Observer didTerminateApplication was called");
    if (sectionView_->selectedContentType() == SourceListItemContentType::openApplications)
        store_.filterCurrentData().applyFilter();
    mainTableView_->reloadData();
}

void MainViewController::tableViewItemChanged(const platform::Notification& notification)
{
    if (!isVisibleState())
        return;
    const auto* object = std::any_cast<TableViewItemChangedNotifyObject>(&notification.object);
    if (!object || object->path.isEmpty() || !object->reason)
        return;
    const TableViewItemChangeReason reason = *object->reason;
    if (reason == TableViewItemChangeReason::tagChanged || reason == TableViewItemChangeReason::visibilityChanged)
        return;
    VLOG(category(), LogType::Default, "Observer tableViewItemChanged was called");
    VLOG(category(), LogType::Default, "  - Object: %{public}@", object->path);
    VLOG(category(), LogType::Default, "  - NotifyReason: %{public}@", rawValue(reason));
    mainTableView_->tableViewItemChanged(object->path, reason);
}

void MainViewController::systemSidebarSizeChanged()
{
    VLOG(category(), LogType::Default, "Observer systemSidebarSizeChanged was called");
    if (!isVisibleState())
        return;
    sectionView_->doItemsLayout();
    sectionView_->updateContent(false);
}

void MainViewController::visibleTagsRebuildNeeded()
{
    VLOG(category(), LogType::Default, "Observer visibleTagsRebuildNeeded was called");
    if (!isVisibleState()) {
        sectionView_->setRebuildDataWithNextReload(true);
        return;
    }
    sectionView_->updateContent(true);
}

void MainViewController::visibleTagsRedrawNeeded()
{
    VLOG(category(), LogType::Default, "Observer visibleTagsRedrawNeeded was called");
    if (isVisibleState())
        sectionView_->redrawContent();
}

void MainViewController::showPathInMainViewChanged()
{
    VLOG(category(), LogType::Default, "Observer showPathInMainViewChanged was called");
    if (isVisibleState())
        mainTableView_->viewport()->update();
}

void MainViewController::currentDataFilterRefreshed()
{
    if (!searchField_ || searchField_->text().isEmpty())
        return;
    // The filter is the sidebar item's again; the field must not search anew.
    const QSignalBlocker blocker(searchField_);
    searchField_->setText(QString());
}

} // namespace vantel::mainwindow
