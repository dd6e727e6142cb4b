#include "popups/TableViewPopupManager.h"
#include "popups/TransientPopover.h"

#include "platform/ui/PopoverHost.h"
#include "platform/ui/UiCatalog.h"
#include "popups/TableViewPopupViewController.h"

namespace vantel {

namespace {

const QString storyboardName = QStringLiteral("Main");
const QString controllerIdentifier = QStringLiteral("TableViewPopupViewController");

} // namespace

TableViewPopupManager::TableViewPopupManager()
    : tableViewPopover_(std::make_unique<platform::PopoverHost>())
{
    // The popups register their own controller unless someone else (a test)
    // put a factory in its place.
    if (!platform::UiCatalog::main().hasFactory(storyboardName, controllerIdentifier))
        registerInterface();
}

TableViewPopupManager::~TableViewPopupManager()
{
    if (tableViewPopover_) {
        tableViewPopover_->close();
        tableViewPopover_->setContentViewController(nullptr);
    }
}

bool TableViewPopupManager::registerInterface()
{
    return platform::UiCatalog::main().registerFactory(storyboardName, controllerIdentifier, [] {
        return std::static_pointer_cast<QObject>(std::make_shared<TableViewPopupViewController>());
    });
}

std::shared_ptr<TableViewPopupViewController> TableViewPopupManager::tableViewPopupViewController()
{
    if (!controllerLookedUp_) {
        controllerLookedUp_ = true;
        tableViewPopupViewController_ = platform::UiCatalog::main().instantiateAs<TableViewPopupViewController>(
            storyboardName, controllerIdentifier);
    }
    return tableViewPopupViewController_;
}

void TableViewPopupManager::configurePopover()
{
    const auto controller = tableViewPopupViewController();
    if (!controller)
        return;
    configureTransientPopover(*tableViewPopover_, *controller);
}

void TableViewPopupManager::showPopover(const TableViewItemPtr& item, int index, QWidget* rowView, const QRect& rowRect)
{
    const auto controller = tableViewPopupViewController();
    if (!controller || tableViewPopover_->isShown())
        return;
    // A manager its creator did not configure would show an empty frame.
    if (!tableViewPopover_->contentViewController())
        configurePopover();
    controller->setItem(item);
    controller->setIndex(index);
    // The row's minimum-x edge: the popover sits on the left of the row.
    tableViewPopover_->showRelativeTo(rowView, rowRect, platform::PopoverHost::left);
}

bool TableViewPopupManager::isShown() const
{
    return tableViewPopover_->isShown();
}

void TableViewPopupManager::close()
{
    tableViewPopover_->close();
}

} // namespace vantel
