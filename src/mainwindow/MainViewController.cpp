#include "mainwindow/MainViewController.h"

#include "datastore/DataStorage.h"
#include "datastore/DataStorageFilterCurrentData.h"
#include "graphics/widgets/DrawnButtonMenu.h"
#include "hotkeys/HotKeyManager.h"
#include "mainwindow/MainOutlineView.h"
#include "mainwindow/MainSearchField.h"
#include "mainwindow/MainSplitView.h"
#include "mainwindow/MainTableView.h"
#include "mainwindow/MainTableViewModel.h"
#include "mainwindow/DragAndDropSidebarHandler.h"
#include "mainwindow/MainViewDraggingDestination.h"
#include "mainwindow/SidebarFilter.h"
#include "mainwindow/SidebarTagPopover.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Log.h"
#include "platform/ui/UiCatalog.h"
#include "popups/TableViewPopupManager.h"
#include "popups/TagPopupManager.h"
#include "shell/AppDelegate.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace vantel::mainwindow {

using platform::LogType;

namespace {

const platform::LogCategory& category()
{
    return Logger::mainViewController();
}

std::function<QMenu*()>& mainMenuProvider()
{
    static std::function<QMenu*()> provider;
    return provider;
}

// The right half's background: the window colour, or a translucent one when
// the setting asks for it, with rounded corners.
class RightBackgroundView : public QWidget {
public:
    using QWidget::QWidget;

    void setTranslucent(bool translucent)
    {
        translucent_ = translucent;
        update();
    }
    bool translucent() const { return translucent_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::Base);
        if (translucent_)
            fill.setAlphaF(0.85f);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), MainViewController::cornerRadius, MainViewController::cornerRadius);
        painter.fillPath(path, fill);
    }

private:
    bool translucent_ = false;
};

// The popups' entry popover, anchored at the list row.
class EntryPopover : public MainTableViewPopover {
public:
    explicit EntryPopover(MainTableView& list)
        : list_(&list)
    {
    }

    bool isShown() const override { return manager_.isShown(); }
    void showPopover(const TableViewItemPtr& entry, int row, const QRect& globalAnchor) override
    {
        if (!list_)
            return;
        QWidget* viewport = list_->viewport();
        manager_.showPopover(entry, row, viewport,
                             QRect(viewport->mapFromGlobal(globalAnchor.topLeft()), globalAnchor.size()));
    }
    void close() override { manager_.close(); }

private:
    QPointer<MainTableView> list_;
    TableViewPopupManager manager_;
};

// The popups' tag popover, beside the sidebar row.
class TagPopover : public SidebarTagPopover {
public:
    explicit TagPopover(MainOutlineView& sidebar)
        : sidebar_(&sidebar)
    {
    }

    bool isShown() const override { return TagPopupManager::shared().isShown(); }
    void showPopover(const SourceListItemPtr& item, int row, const QRect& globalAnchor) override
    {
        if (sidebar_ && item)
            TagPopupManager::shared().showPopover(sidebar_->viewport(), globalAnchor, item->tag(), item->name(), row);
    }
    void close() override { TagPopupManager::shared().close(); }

private:
    QPointer<MainOutlineView> sidebar_;
};

} // namespace

MainViewController::MainViewController(QObject* parent)
    : MainViewController(DataStorage::shared(), parent)
{
}

MainViewController::MainViewController(DataStorage& store, QObject* parent)
    : CoreViewController(parent)
    , store_(store)
    , hotkeysPaused_([] { return HotKeyManager::shared().hotkeysPaused(); })
    , closeMainView_([] { VantelWindowEnum::closeWindow(VantelWindowEnum::main); })
{
}

MainViewController::~MainViewController()
{
    if (monitorsInstalled_)
        qApp->removeEventFilter(this);
    QObject::disconnect(firstResponderValueObservation_);
    if (sectionView_)
        sectionView_->setSpringLoadingOutlineViewDelegate(nullptr);
}

void MainViewController::registerInterface()
{
    platform::UiCatalog::main().registerFactory(storyboard, identifier,
                                                [] { return std::make_shared<MainViewController>(); });
}

void MainViewController::setMainMenuProvider(std::function<QMenu*()> provider)
{
    mainMenuProvider() = std::move(provider);
}

bool MainViewController::isVisibleState() const
{
    return appearanceState() == AppearanceState::viewDidAppear;
}

// ---- The view ----

QWidget* MainViewController::loadView()
{
    auto* root = new MainViewDraggingDestination();
    root->setObjectName(QStringLiteral("MainView"));
    mainDraggingDestination_ = root;

    auto* rootLayout = new QHBoxLayout(root);
    rootLayout->setContentsMargins(0, 0, 0, 0);
    rootLayout->setSpacing(0);

    auto* split = new MainSplitView(root);
    mainSplitView_ = split;
    rootLayout->addWidget(split);

    // Left: the menu button above the sidebar.
    auto* left = new QWidget(split);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto* leftTop = new QWidget(left);
    leftTop->setFixedHeight(topBarHeight);
    auto* leftTopLayout = new QHBoxLayout(leftTop);
    leftTopLayout->setContentsMargins(10, 6, 10, 6);
    auto* menu = new DrawnButtonMenu(leftTop);
    menu->setFixedSize(28, 28);
    menu->setAccessibleName(localized("Menu"));
    menu->setFocusPolicy(Qt::NoFocus);
    leftTopLayout->addWidget(menu);
    leftTopLayout->addStretch(1);
    leftTopBox_ = leftTop;
    viewMenu_ = menu;
    leftLayout->addWidget(leftTop);
    auto* sidebar = new MainOutlineView(store_, left);
    sidebar->setObjectName(QStringLiteral("sectionView"));
    // Tab skips the sidebar; the arrows reach it.
    sidebar->setFocusPolicy(Qt::ClickFocus);
    sectionView_ = sidebar;
    leftLayout->addWidget(sidebar, 1);

    // Right: the search field (and the held-files label) above the list.
    auto* right = new RightBackgroundView(split);
    right->setAutoFillBackground(false);
    rightVisualEffectsView_ = right;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    auto* rightTop = new QWidget(right);
    rightTop->setFixedHeight(topBarHeight);
    auto* rightTopLayout = new QHBoxLayout(rightTop);
    rightTopLayout->setContentsMargins(10, 6, 10, 6);
    rightTopLayout->setSpacing(8);
    auto* label = new QLabel(rightTop);
    label->setObjectName(QStringLiteral("lblServiceManager"));
    label->setTextFormat(Qt::PlainText);
    label->hide();
    lblServiceManager_ = label;
    rightTopLayout->addWidget(label);
    auto* search = new MainSearchField(store_, rightTop);
    search->setObjectName(QStringLiteral("searchField"));
    searchField_ = search;
    rightTopLayout->addWidget(search, 1);
    rightTopBox_ = rightTop;
    rightLayout->addWidget(rightTop);
    auto* list = new MainTableView(store_, right);
    list->setObjectName(QStringLiteral("mainTableView"));
    mainTableView_ = list;
    rightLayout->addWidget(list, 1);

    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({sidebarWidth, 500});
    root->resize(700, 480);
    return root;
}

void MainViewController::viewDidLoad()
{
    VLOG(category(), LogType::Default, "-> viewDidLoad");
    getValuesFromConfiguration();

    // Sidebar: its selection drives the filter. Its rows take their height
    // from the system metrics at every layout.
    connect(sectionView_, &MainOutlineView::outlineViewSelectionDidChange, this,
            [this] { updateMainTableView(); });

    // The search field ends editing into the list.
    searchField_->textDidEndEditingHandler = [this] {
        if (mainTableView_)
            mainTableView_->setFocus(Qt::TabFocusReason);
    };

    viewMenu_->mouseDownHandler = [this] { showMainMenu(); };

    // List: the popover, the click road, drops of files onto the view.
    mainTableView_->setEntryPopoverShownQuery([this] { return isEntryPopoverShown(); });
    mainTableView_->setSelectedTagNameQuery([this] { return selectedTagName(); });
    connect(mainTableView_, &MainTableView::contextMenuRequested, this,
            [this](const TableViewItemPtr& entry, int row, const QRect& anchor) {
                if (MainTableViewPopover* popover = tableViewPopover())
                    popover->showPopover(entry, row, anchor);
            });
    connect(mainTableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (isEntryPopoverShown())
            tableViewPopover_->close();
    });
    sidebarDropHandler_ = std::make_unique<MainViewSidebarDropHandler>(store_);
    sidebarTagPopover_ = std::make_unique<TagPopover>(*sectionView_);
    sectionView_->setPopupMenu(sidebarTagPopover_.get());
    connect(&TagPopupManager::shared(), &TagPopupManager::redrawSelectedRowsNeeded, this, [this] {
        if (sectionView_)
            sectionView_->redrawSelected();
    });
    sectionView_->setDropHandler(sidebarDropHandler_.get());
    // Files dragged from outside select the tag row they rest on.
    sectionView_->setSpringLoadingOutlineViewDelegate(this);
    // The same path as files handed over by "Open with" or a second start:
    // unreachable paths are left out and the answer says whether any wait.
    mainDraggingDestination_->setOpenFilesHandler(
        [](const QStringList& paths) { return AppDelegate::shared().openFilesInMainView(paths); });

    mainSplitView_->setAutosaveName(splitViewAutosaveName);

    // The list and the search field form the Tab loop.
    QWidget::setTabOrder(mainTableView_, searchField_);
    QWidget::setTabOrder(searchField_, mainTableView_);

    registerObservers();
    VLOG(category(), LogType::Default, "<- viewDidLoad");
}

void MainViewController::getValuesFromConfiguration()
{
    VLOG(category(), LogType::Default, "-> getValuesFromConfiguration");
    const Configuration& config = AppDelegate::shared().config();
    sectionView_->setHeaderExpanded(SourceListItemContentType::headerCategories, !config.sidebarCategoriesCollapsed());
    sectionView_->setHeaderExpanded(SourceListItemContentType::headerTags, !config.sidebarTagsCollapsed());
    mainTableView_->setRowStyle(config.useSmallModeInMainView() ? RowStyle::smallStyle : RowStyle::defaultStyle);

    QObject::disconnect(singleAction_);
    QObject::disconnect(doubleAction_);
    const auto action = [this](const QModelIndex& index) { tableViewAction(index.isValid() ? index.row() : -1); };
    if (config.clickType() == 0)
        doubleAction_ = connect(mainTableView_, &QAbstractItemView::doubleClicked, this, action);
    else
        singleAction_ = connect(mainTableView_, &QAbstractItemView::clicked, this, action);
    VLOG(category(), LogType::Default, "<- getValuesFromConfiguration");
}

void MainViewController::setupAppearance()
{
    const Configuration& config = AppDelegate::shared().config();
    static_cast<RightBackgroundView*>(rightVisualEffectsView_.data())->setTranslucent(config.translucentBackgroundRight());
    // The list and sidebar show the halves' backgrounds through.
    for (QAbstractScrollArea* area : {static_cast<QAbstractScrollArea*>(mainTableView_.data()),
                                      static_cast<QAbstractScrollArea*>(sectionView_.data())}) {
        area->setFrameShape(QFrame::NoFrame);
        area->viewport()->setAutoFillBackground(false);
        area->setAutoFillBackground(false);
    }
    rightTopBox_->setAutoFillBackground(false);
}

void MainViewController::viewWillAppear()
{
    VLOG(category(), LogType::Default, "-> viewWillAppear");
    setupAppearance();
    sectionView_->updateHoverTracking();
    sectionView_->doItemsLayout();
    serviceManagerValues_.clear();
    updateServiceManagerLabel();
    searchField_->setText(QString());
    getValuesFromConfiguration();
    VLOG(category(), LogType::Default, "<- viewWillAppear");
}

void MainViewController::viewDidAppear()
{
    VLOG(category(), LogType::Default, "-> viewDidAppear");
    const bool buildNow = sectionView_->outlineViewStructure().isEmpty();
    sectionView_->updateContent(buildNow);
    // A category that gained or lost its entries while the view was hidden
    // missed the check that "currentDataChanged" makes only while shown.
    if (!buildNow)
        sectionView_->validateCategoryVisibility();
    mainTableView_->reloadData();
    if (hasWindow())
        searchField_->setFocus(Qt::OtherFocusReason);
    addEventMonitors();
    mainTableView_->refreshQuickLaunchNumber(flags_.controlKey, flags_.optionKey, flags_.commandKey, flags_.shiftKey);
    firstResponderValueObservation_
        = connect(qApp, &QApplication::focusChanged, this, &MainViewController::firstResponderChanged);
    // The initial value: the control that has the focus in this window,
    // also while the window manager has yet to hand the window the focus, so
    // that the first frame already shows the selection as it will stay.
    firstResponderChanged(nullptr, view()->window()->focusWidget());
    VLOG(category(), LogType::Default, "<- viewDidAppear");
}

void MainViewController::viewWillDisappear()
{
    VLOG(category(), LogType::Default, "-> viewWillDisappear");
    if (isEntryPopoverShown())
        tableViewPopover_->close();
    if (SidebarTagPopover* popover = sectionView_->popupMenu(); popover && popover->isShown())
        popover->close();
    removeEventMonitors();
    QObject::disconnect(firstResponderValueObservation_);
    setFocusedControl(FocusedControl::none);
    saveSidebarSectionStates();
    mainSplitView_->saveState();
    VLOG(category(), LogType::Default, "<- viewWillDisappear");
}

void MainViewController::saveSidebarSectionStates()
{
    Configuration& config = AppDelegate::shared().config();
    config.setSidebarCategoriesCollapsed(sectionView_->isHeaderCollapsed(SourceListItemContentType::headerCategories));
    config.setSidebarTagsCollapsed(sectionView_->isHeaderCollapsed(SourceListItemContentType::headerTags));
}

void MainViewController::showMainMenu()
{
    const std::function<QMenu*()>& provider = mainMenuProvider();
    QMenu* menu = provider ? provider() : nullptr;
    if (!menu || !viewMenu_)
        return;
    const QPoint at = viewMenu_->mapToGlobal(QPoint(0, viewMenu_->height() + 8));
    menu->popup(at, menu->actions().value(0));
}

// ---- Event monitors and focus ----

void MainViewController::addEventMonitors()
{
    clearModifierFlags();
    if (!monitorsInstalled_) {
        qApp->installEventFilter(this);
        monitorsInstalled_ = true;
    }
}

void MainViewController::removeEventMonitors()
{
    if (!monitorsInstalled_)
        return;
    clearModifierFlags();
    qApp->removeEventFilter(this);
    monitorsInstalled_ = false;
}

bool MainViewController::monitorsApply() const
{
    const QWidget* root = isViewLoaded() ? const_cast<MainViewController*>(this)->view() : nullptr;
    if (!root)
        return false;
    const QWidget* window = root->window();
    return window && window->isVisible() && QApplication::activeWindow() == window;
}

bool MainViewController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    // A key event reaches the filter once per widget it is delivered to; it
    // counts once, at the window's focus widget.
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || !monitorsApply() || target->window() != view()->window())
        return false;
    if (QApplication::focusWidget() ? target != QApplication::focusWidget() : !target->isWindow())
        return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    switch (key.key()) {
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Shift: handleFlagsChanged(modifiersAfter(key)); return false;
    default: break;
    }
    if (type != QEvent::KeyPress)
        return false;
    return handleKeyDown(key);
}

void MainViewController::firstResponderChanged(QWidget* old, QWidget* now)
{
    if (!now || old == now) {
        setFocusedControl(FocusedControl::none);
        return;
    }
    if (now == searchField_)
        setFocusedControl(FocusedControl::searchField);
    else if (now == mainTableView_)
        setFocusedControl(FocusedControl::mainTableView);
    else if (now == sectionView_)
        setFocusedControl(FocusedControl::sectionView);
    else
        setFocusedControl(FocusedControl::none);
}

// ---- Modifier keys ----

void MainViewController::setModifierFlag(bool CurrentModifierFlags::*flag, bool held)
{
    if (flags_.*flag == held)
        return;
    flags_.*flag = held;
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("modifierFlagsChanged"), flags_, this);
}

void MainViewController::setModifierFlagsContainOptionKey(bool held)
{
    setModifierFlag(&CurrentModifierFlags::optionKey, held);
}

void MainViewController::setModifierFlagsContainCommandKey(bool held)
{
    setModifierFlag(&CurrentModifierFlags::commandKey, held);
}

void MainViewController::setModifierFlagsContainControlKey(bool held)
{
    setModifierFlag(&CurrentModifierFlags::controlKey, held);
}

void MainViewController::setModifierFlagsContainShiftKey(bool held)
{
    setModifierFlag(&CurrentModifierFlags::shiftKey, held);
}

void MainViewController::clearModifierFlags()
{
    setModifierFlagsContainOptionKey(false);
    setModifierFlagsContainCommandKey(false);
    setModifierFlagsContainControlKey(false);
    setModifierFlagsContainShiftKey(false);
}

void MainViewController::handleFlagsChanged(Qt::KeyboardModifiers modifiers)
{
    const CurrentModifierFlags held = modifierFlagsFrom(modifiers);
    setModifierFlagsContainOptionKey(held.optionKey);
    setModifierFlagsContainCommandKey(held.commandKey);
    setModifierFlagsContainControlKey(held.controlKey);
    setModifierFlagsContainShiftKey(held.shiftKey);
}

// ---- Held files ----

void MainViewController::serviceManagerValuesChanged()
{
    QStringList paths;
    paths.reserve(vantel::MainViewController::serviceManagerValues.size());
    for (const QUrl& url : std::as_const(vantel::MainViewController::serviceManagerValues))
        paths << url.toLocalFile();
    serviceManagerValues_ = paths;
    updateServiceManagerLabel();
}

void MainViewController::updateServiceManagerLabel()
{
    if (!lblServiceManager_)
        return;
    if (serviceManagerValues_.isEmpty()) {
        lblServiceManager_->hide();
        return;
    }
    QString text;
    if (serviceManagerValues_.size() == 1)
        text = L10n::services_SendOne();
    else
        text = QString(L10n::services_SendMany())
                   .replace(QStringLiteral("%var"), QString::number(serviceManagerValues_.size()));
    lblServiceManager_->setText(text);
    QString tooltip;
    if (serviceManagerValues_.size() <= serviceManagerTooltipLimit)
        tooltip = serviceManagerValues_.join(QLatin1Char('\n'));
    else
        tooltip = serviceManagerValues_.mid(0, serviceManagerTooltipLimit).join(QLatin1Char('\n'))
                  + QStringLiteral("\n...");
    lblServiceManager_->setToolTip(tooltip);
    lblServiceManager_->show();
}

std::optional<QVariantList> MainViewController::heldFiles() const
{
    if (serviceManagerValues_.isEmpty())
        return std::nullopt;
    QVariantList files;
    files.reserve(serviceManagerValues_.size());
    for (const QString& path : serviceManagerValues_)
        files.append(path);
    return files;
}

// ---- Sidebar selection ----

bool MainViewController::selectItemWithTagName(const QString& tagName)
{
    return sectionView_ && sectionView_->selectItemWithTagName(tagName);
}

std::optional<QString> MainViewController::selectedTagName() const
{
    return sectionView_ ? sectionView_->selectedTagName() : std::nullopt;
}

bool MainViewController::selectItemWithSelectionType(int selectionType)
{
    if (!sectionView_ || selectionType < int(SidebarSelectionType::allApplications)
        || selectionType > int(SidebarSelectionType::openApplications))
        return false;
    return sectionView_->selectItemWithSelectionType(SidebarSelectionType(selectionType));
}

void MainViewController::updateMainTableView()
{
    if (!sectionView_)
        return;
    VLOG(category(), LogType::Default, "-> update MainTableView with selected SectionView-Item");
    const auto finish = qScopeGuard(
        [] { VLOG(category(), LogType::Default, "<- update MainTableView with selected SectionView-Item"); });

    if (sectionView_->outlineViewRenewState() != OutlineViewRenewState::idle) {
        VLOG(category(), LogType::Default, "SectionView is currently reloading -> Break!");
        return;
    }
    if (sectionView_->selectedRow() < 0) {
        // A selection made here comes back through the sidebar's selection change.
        if (!sectionView_->selectFirstAvailableEntry()) {
            VLOG(category(), LogType::Error, "!! Error - nothing selected!");
            sectionView_->selectItemWithSelectionType(SidebarSelectionType::allApplications);
        }
        return;
    }
    const SourceListItemPtr item = sectionView_->selectedItem();
    if (!item) {
        VLOG(category(), LogType::Error, "!! Error - There's something selected, but not SourceListItem!");
        return;
    }
    if (sectionViewSelectedItem_ && sectionViewSelectedItem_->name() == item->name()
        && sectionViewSelectedItem_->tag() == item->tag()
        && sectionViewSelectedItem_->itemContentType() == item->itemContentType()) {
        VLOG(category(), LogType::Default, "Previous selected Item and new selected Item are the same. No need to refresh!");
        return;
    }
    sectionViewSelectedItem_ = item;
    applySidebarFilter(store_.filterCurrentData(), *item);
}

// ---- The list ----

void MainViewController::tableViewAction(int clickedRow)
{
    if (clickedRow < 0 || !mainTableView_)
        return;
    const std::optional<int> selected = mainTableView_->selectedRow();
    if (!selected || isEntryPopoverShown())
        return;
    runEntryAt(*selected, heldFiles());
}

void MainViewController::runEntryAt(int row, const std::optional<QVariantList>& files)
{
    const EntryArray::Ptr data = store_.currentData();
    if (!data)
        return;
    if (const std::optional<TableViewItemPtr> entry = data->at(row); entry && *entry)
        (*entry)->execute(files);
}

MainTableViewPopover* MainViewController::tableViewPopover()
{
    if (!tableViewPopover_ && mainTableView_) {
        defaultTableViewPopover_ = std::make_unique<EntryPopover>(*mainTableView_);
        tableViewPopover_ = defaultTableViewPopover_.get();
    }
    return tableViewPopover_;
}

void MainViewController::redrawSelectedRow()
{
    if (mainTableView_)
        mainTableView_->redrawSelected();
}

} // namespace vantel::mainwindow
