#include "settings/ui/ConfigWindowController.h"

#include "config/ExportImportManager.h"
#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerFilesystemObjects.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "graphics/ImageUtilities.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigSearchField.h"
#include "settings/ui/ConfigSplitViewController.h"
#include "settings/ui/ConfigViewControllerContent.h"
#include "shell/WindowManagerCalls.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QStyle>
#include <QToolBar>

namespace vantel::settingsui {

namespace {

QIcon toolbarIcon(const QString& themeName, QStyle::StandardPixmap fallback)
{
    const QIcon icon = QIcon::fromTheme(themeName);
    return icon.isNull() ? QApplication::style()->standardIcon(fallback) : icon;
}

// The fallback theme's toolbar icons are dark lines, lost on a dark palette:
// there they are drawn in the palette's button text, and again whenever the
// palette changes.
class ToolbarIconTint : public QObject {
public:
    explicit ToolbarIconTint(QToolBar* toolbar)
        : QObject(toolbar), toolbar_(toolbar)
    {
        toolbar->installEventFilter(this);
    }
    void add(QAction* action, const QIcon& icon)
    {
        icons_.append({action, icon});
        apply(icons_.last());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == toolbar_ && event->type() == QEvent::PaletteChange)
            for (const auto& entry : std::as_const(icons_))
                apply(entry);
        return false;
    }

private:
    void apply(const std::pair<QPointer<QAction>, QIcon>& entry) const
    {
        if (!entry.first)
            return;
        const QPalette palette = toolbar_->palette();
        const bool dark = palette.color(QPalette::Window).lightness() < 128;
        entry.first->setIcon(dark ? tinted(entry.second, palette.color(QPalette::ButtonText)) : entry.second);
    }

    QToolBar* toolbar_;
    QList<std::pair<QPointer<QAction>, QIcon>> icons_;
};

} // namespace

const QSize ConfigWindowController::defaultSize(1180, 680);

ConfigWindowController::ConfigWindowController()
    : ConfigWindowController(ConfigWindowServices::shared(),
                             platform::UiCatalog::main().instantiateAs<ViewController>(
                                 QStringLiteral("ConfigData"), ConfigSplitViewController::identifier))
{
}

ConfigWindowController::ConfigWindowController(ConfigWindowServices services)
    : ConfigWindowController(services, nullptr)
{
}

ConfigWindowController::ConfigWindowController(ConfigWindowServices services, std::shared_ptr<ViewController> content)
    : ConfigWindowControllerBase(Qt::Window), services_(services)
{
    if (!content)
        content = std::make_shared<ConfigSplitViewController>(services_);
    window()->resize(defaultSize);
    window()->setMinimumSize(900, 480);
    windowDidLoad();
    setContentViewController(std::move(content));
}

ConfigWindowController::~ConfigWindowController() = default;

ConfigSplitViewController* ConfigWindowController::splitViewController() const
{
    return dynamic_cast<ConfigSplitViewController*>(contentViewController().get());
}

QAction* ConfigWindowController::toolbarAction(const QString& name) const
{
    if (!toolbar_)
        return nullptr;
    for (QAction* action : toolbar_->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

QString ConfigWindowController::titleOf(ConfigEnumFilterType type)
{
    switch (type) {
    case ConfigEnumFilterType::all: return L10n::popupButtonEntry_All();
    case ConfigEnumFilterType::applications: return L10n::popupButtonEntry_Applications();
    case ConfigEnumFilterType::files: return L10n::popupButtonEntry_Files();
    case ConfigEnumFilterType::folders: return L10n::popupButtonEntry_Folders();
    case ConfigEnumFilterType::urls: return L10n::popupButtonEntry_URLs();
    }
    return L10n::popupButtonEntry_All();
}

QString ConfigWindowController::titleOf(ConfigEnumFilterActive active)
{
    switch (active) {
    case ConfigEnumFilterActive::all: return L10n::popupButtonFilter_All();
    case ConfigEnumFilterActive::activeOnly: return L10n::popupButtonFilter_Active();
    case ConfigEnumFilterActive::inactiveOnly: return L10n::popupButtonFilter_Inactive();
    }
    return L10n::popupButtonFilter_All();
}

void ConfigWindowController::windowDidLoad()
{
    toolbar_ = new QToolBar(window());
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setIconSize(QSize(22, 22));
    window()->layout()->addWidget(toolbar_);

    auto* tint = new ToolbarIconTint(toolbar_);
    const auto addButton = [this, tint](const QString& name, const QIcon& icon, const QString& tip, auto handler) {
        QAction* action = toolbar_->addAction(icon, tip);
        tint->add(action, icon);
        action->setObjectName(name);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    addButton(QStringLiteral("Add URL"), toolbarIcon(QStringLiteral("insert-link"), QStyle::SP_FileLinkIcon),
              localized("Add URL"), [this] { configAddURL(); });
    addButton(QStringLiteral("Add File or Folder"), toolbarIcon(QStringLiteral("list-add"), QStyle::SP_FileIcon),
              localized("Add file or folder"), [this] { configAddExternalObject(); });
    addButton(QStringLiteral("Tags"), toolbarIcon(QStringLiteral("tag"), QStyle::SP_FileDialogDetailedView),
              localized("Modify tags"), [this] { configModifyTags(); });
    toolbar_->addSeparator();
    addButton(QStringLiteral("Export"), toolbarIcon(QStringLiteral("document-export"), QStyle::SP_DialogSaveButton),
              localized("Export configuration"), [this] { configExportData(); });
    addButton(QStringLiteral("Export CSV"), toolbarIcon(QStringLiteral("text-csv"), QStyle::SP_FileDialogListView),
              localized("Export the list as CSV"), [this] { configExportDataAsCSV(); });
    addButton(QStringLiteral("Import"), toolbarIcon(QStringLiteral("document-import"), QStyle::SP_DialogOpenButton),
              localized("Import configuration"), [this] { configImportData(); });
    toolbar_->addSeparator();

    filterPopupButton_ = new QComboBox(toolbar_);
    filterPopupButton_->setAccessibleName(localized("Type"));
    activePopupButton_ = new QComboBox(toolbar_);
    activePopupButton_->setAccessibleName(localized("Active"));
    searchField_ = new ConfigSearchField(*services_.dataStorage, toolbar_);
    searchField_->setMinimumWidth(220);
    toolbar_->addWidget(filterPopupButton_);
    toolbar_->addWidget(activePopupButton_);
    auto* spacer = new QWidget(toolbar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(spacer);
    toolbar_->addWidget(searchField_);
    addButton(QStringLiteral("Sidebar"),
              toolbarIcon(QStringLiteral("view-split-left-right"), QStyle::SP_TitleBarNormalButton),
              localized("Show or hide the editor"), [this] { showSidebar(); });

    searchField_->buildSearchMenu();
    if (!searchField_->textDidChangeHandler)
        searchField_->textDidChangeHandler = [this] { searchTextChanged(); };
    if (filterPopupButton_->count() == 0)
        for (ConfigEnumFilterType type : allConfigEnumFilterType())
            filterPopupButton_->addItem(titleOf(type));
    if (activePopupButton_->count() == 0)
        for (ConfigEnumFilterActive active : allConfigEnumFilterActive())
            activePopupButton_->addItem(titleOf(active));
    connect(filterPopupButton_, &QComboBox::activated, this, [this] { configFilterPopupButton(); });
    connect(activePopupButton_, &QComboBox::activated, this, [this] { configActivePopupButton(); });

    auto& center = platform::NotificationCenter::defaultCenter();
    urlObserver_ = center.addObserver(QStringLiteral("datastorageURLAddedOrModified"),
                                      [this](const platform::Notification&) { entryAddedOrModified(true); });
    fileObserver_ = center.addObserver(QStringLiteral("datastorageFilesystemObjectAddedOrModified"),
                                       [this](const platform::Notification&) { entryAddedOrModified(false); });
    configObserver_ = center.addObserver(
        QStringLiteral("currentDataConfigChanged"), [this](const platform::Notification&) { currentDataConfigChanged(); },
        services_.dataStorage);
}

void ConfigWindowController::showWindow(bool runModal)
{
    const DataStorageFilterConfigData& filter = services_.dataStorage->filterConfigData();
    {
        const QSignalBlocker typeBlocker(filterPopupButton_);
        const QSignalBlocker activeBlocker(activePopupButton_);
        filterPopupButton_->setCurrentIndex(int(filter.configTableViewFilterType));
        activePopupButton_->setCurrentIndex(int(filter.configTableViewFilterActive));
    }
    searchField_->setPlaceholderText(ConfigSearchField::titleOf(filter.configTableViewFilterSearchFor));
    // The filter outlasts the window but a new window's field starts empty:
    // it shows the text the list is filtered by, so that emptying it clears
    // the filter. Setting the same text again re-applies nothing.
    if (searchField_->text() != filter.configTableViewSearchString)
        searchField_->setText(filter.configTableViewSearchString);
    if (runModal) {
        ConfigWindowControllerBase::showWindow(true);
        return;
    }
    ConfigWindowControllerBase::showWindow(false);
    // Typing goes to the search first.
    searchField_->setFocus(Qt::OtherFocusReason);
}

// ---- Toolbar ----

void ConfigWindowController::showSidebar()
{
    if (ConfigSplitViewController* split = splitViewController())
        split->toggleSidebar();
}

void ConfigWindowController::configAddURL()
{
    if (ConfigSplitViewController* split = splitViewController())
        services_.dataStorage->URLHandler().showAddURLSheet(QString(), split->asPresenter(), std::nullopt);
}

void ConfigWindowController::configAddExternalObject()
{
    if (ConfigSplitViewController* split = splitViewController())
        services_.dataStorage->filesystemHandler().addFileOrFolder(split->asPresenter(), std::nullopt);
}

void ConfigWindowController::configExportData()
{
    WindowManagerCalls::closeWindows();
    ExportImportManager::shared().exportData().exportDataToFile();
}

void ConfigWindowController::configExportDataAsCSV()
{
    // Closing the window empties the list: export what it showed.
    const EntryArray::Ptr shown = EntryArray::create(services_.dataStorage->currentDataConfig()->snapshot());
    WindowManagerCalls::closeWindows();
    ExportImportManager::shared().exportData().exportDataAsCSV(shown);
}

void ConfigWindowController::configImportData()
{
    WindowManagerCalls::closeWindows();
    ExportImportManager::shared().importData().importDataFromFile();
}

void ConfigWindowController::configModifyTags()
{
    ConfigSplitViewController* split = splitViewController();
    if (!split || !split->configContentController())
        return;
    // Returns once the tags window has closed and its modal run ended.
    VantelWindowEnum::openWindow(true, VantelWindowEnum::tags);
    if (split == splitViewController())
        split->configContentController()->reloadTable();
}

// ---- Filter ----

void ConfigWindowController::configFilterPopupButton()
{
    const QString title = filterPopupButton_->currentText();
    if (title.isEmpty())
        return;
    ConfigEnumFilterType chosen = ConfigEnumFilterType::all;
    for (ConfigEnumFilterType type : allConfigEnumFilterType())
        if (titleOf(type) == title) {
            chosen = type;
            break;
        }
    services_.dataStorage->filterConfigData().setConfigTableViewFilterType(chosen);
}

void ConfigWindowController::configActivePopupButton()
{
    const QString title = activePopupButton_->currentText();
    if (title.isEmpty())
        return;
    ConfigEnumFilterActive chosen = ConfigEnumFilterActive::all;
    for (ConfigEnumFilterActive active : allConfigEnumFilterActive())
        if (titleOf(active) == title) {
            chosen = active;
            break;
        }
    services_.dataStorage->filterConfigData().setConfigTableViewFilterActive(chosen);
}

void ConfigWindowController::searchTextChanged()
{
    services_.dataStorage->filterConfigData().setConfigTableViewSearchString(searchField_->text());
}

void ConfigWindowController::entryAddedOrModified(bool url)
{
    DataStorageFilterConfigData& filter = services_.dataStorage->filterConfigData();
    {
        const QSignalBlocker blocker(activePopupButton_);
        activePopupButton_->setCurrentText(titleOf(ConfigEnumFilterActive::all));
    }
    filter.setConfigTableViewFilterActive(ConfigEnumFilterActive::all);
    searchField_->clear();
    filter.setConfigTableViewSearchString(QString());
    const ConfigEnumFilterType type = url ? ConfigEnumFilterType::urls : ConfigEnumFilterType::all;
    {
        const QSignalBlocker blocker(filterPopupButton_);
        filterPopupButton_->setCurrentText(titleOf(type));
    }
    filter.setConfigTableViewFilterType(type);
}

void ConfigWindowController::currentDataConfigChanged()
{
    ConfigSplitViewController* split = splitViewController();
    ConfigViewControllerContent* content = split ? split->configContentController() : nullptr;
    if (content && content->isViewLoaded() && !content->view()->isHidden())
        content->reloadTable();
}

} // namespace vantel::settingsui
