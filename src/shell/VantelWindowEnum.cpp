#include "shell/VantelWindowEnum.h"

#include "config/ExportImportManager.h"
#include "model/Logger.h"
#include "platform/MainQueue.h"
#include "shell/VantelManager.h"
#include "shell/WindowSystem.h"

#include <QHash>

namespace vantel {

namespace {

struct KindEntry {
    VantelWindowEnum::Kind kind;
    const char* rawValue;
    const char* storyboard;
    const char* windowControllerIdentifier;
    const char* viewControllerIdentifier;
};

// The catalogue's table, in the order of its kinds.
constexpr KindEntry kindTable[] = {
    {VantelWindowEnum::main, "main", "Main", "MainWindowController", "MainViewController"},
    {VantelWindowEnum::config, "config", "ConfigData", "ConfigWindowController", "ConfigViewController"},
    {VantelWindowEnum::settings, "settings", "ConfigSettings", "ConfigWindowControllerGeneral",
     "ConfigTabViewController_Settings"},
    {VantelWindowEnum::info, "info", "DialogInfo", "ConfigWindowControllerInfo", "ConfigViewControllerInfo"},
    {VantelWindowEnum::firstRun, "firstRun", "DialogFirstRun", "FirstRunWindowController", "FirstRunViewController"},
    {VantelWindowEnum::tags, "tags", "ConfigTags", "ConfigWindowControllerTags", "ConfigViewControllerTags"},
    {VantelWindowEnum::versionHistory, "versionHistory", "DialogVersionHistory", "VersionHistoryWindowController",
     "VersionHistoryViewController"},
    {VantelWindowEnum::addOrModifyURL, "addOrModifyURL", "DialogAddModifyURL", "ConfigWindowControllerAddModifyURL",
     "ConfigViewControllerAddModifyURL"},
    {VantelWindowEnum::versionedBackup, "versionedBackup", "DialogVersionedBackup",
     "ConfigWindowControllerVersionedBackup", "ConfigViewControllerVersionedBackup"},
    {VantelWindowEnum::hotkeyOverview, "hotkeyOverview", "DialogHotkeyOverview",
     "ConfigWindowControllerHotkeyOverview", "ConfigViewControllerHotkeyOverview"},
};

const KindEntry* entryFor(VantelWindowEnum::Kind kind)
{
    for (const KindEntry& entry : kindTable)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

struct Catalogue {
    QHash<int, VantelWindowEnum::ViewControllerFactory> viewFactories;
    QHash<int, VantelWindowEnum::WindowControllerFactory> windowFactories;
    QHash<int, std::shared_ptr<WindowController>> windowControllers;
    QList<std::shared_ptr<WindowController>> released;
    VantelWindowEnum::InterfaceLoader loader;
};

Catalogue& catalogue()
{
    static Catalogue* const instance = new Catalogue();
    return *instance;
}

const platform::LogCategory& category()
{
    return Logger::vantelManager();
}

} // namespace

const QList<VantelWindowEnum::Kind>& VantelWindowEnum::allCases()
{
    static const QList<Kind> kinds = [] {
        QList<Kind> list;
        for (const KindEntry& entry : kindTable)
            list.append(entry.kind);
        return list;
    }();
    return kinds;
}

QString VantelWindowEnum::name(Kind kind)
{
    const KindEntry* entry = entryFor(kind);
    return entry ? QString::fromLatin1(entry->rawValue) : QString();
}

std::optional<VantelWindowEnum::Kind> VantelWindowEnum::fromRawValue(const QString& rawValue)
{
    for (const KindEntry& entry : kindTable)
        if (rawValue == QLatin1String(entry.rawValue))
            return entry.kind;
    return std::nullopt;
}

QString VantelWindowEnum::getStoryBoardAsString(Kind kind)
{
    if (const KindEntry* entry = entryFor(kind))
        return QString::fromLatin1(entry->storyboard);
    VLOG(category(), platform::LogType::Error, "getStoryBoardAsString failed: %{public}@", QString::number(int(kind)));
    return QString();
}

QString VantelWindowEnum::getWindowControllerIdentifier(Kind kind)
{
    if (const KindEntry* entry = entryFor(kind))
        return QString::fromLatin1(entry->windowControllerIdentifier);
    VLOG(category(), platform::LogType::Error, "getWindowControllerIdentifier failed: %{public}@",
         QString::number(int(kind)));
    return QString();
}

QString VantelWindowEnum::getViewControllerIdentifier(Kind kind)
{
    if (const KindEntry* entry = entryFor(kind))
        return QString::fromLatin1(entry->viewControllerIdentifier);
    VLOG(category(), platform::LogType::Error, "getViewControllerIdentifier failed: %{public}@",
         QString::number(int(kind)));
    return QString();
}

bool VantelWindowEnum::isBlocking(Kind kind)
{
    return VantelManager::modalVantelWindowTypes.contains(kind);
}

bool VantelWindowEnum::isGuarded(Kind kind)
{
    switch (kind) {
    case main:
    case config:
    case settings:
    case tags:
    case addOrModifyURL:
    case versionedBackup:
        return true;
    default:
        return false;
    }
}

std::shared_ptr<ViewController> VantelWindowEnum::loadViewController(Kind kind)
{
    Catalogue& c = catalogue();
    // Copies: a factory may register others while it runs.
    const ViewControllerFactory factory = c.viewFactories.value(kind);
    if (factory)
        return factory();
    const auto load = c.loader.viewController;
    return load ? load(getStoryBoardAsString(kind), getViewControllerIdentifier(kind)) : nullptr;
}

std::shared_ptr<ViewController> VantelWindowEnum::getViewController(Kind kind)
{
    std::shared_ptr<ViewController> controller = loadViewController(kind);
    if (!controller)
        VLOG(category(), platform::LogType::Error, "getViewController failed: %{public}@", name(kind));
    return controller;
}

std::shared_ptr<WindowController> VantelWindowEnum::windowController(Kind kind)
{
    return catalogue().windowControllers.value(kind);
}

std::shared_ptr<WindowController> VantelWindowEnum::instantiateWindowController(Kind kind)
{
    Catalogue& c = catalogue();
    if (kind != main) {
        if (auto existing = c.windowControllers.value(kind)) {
            VLOG(category(), platform::LogType::Default,
                 "instantiateWindowController: %{public}@ - WindowController was already initialized!", name(kind));
            return existing;
        }
    }
    std::shared_ptr<WindowController> controller;
    if (const WindowControllerFactory factory = c.windowFactories.value(kind))
        controller = factory();
    else if (const auto load = c.loader.windowController)
        controller = load(getStoryBoardAsString(kind), getWindowControllerIdentifier(kind));
    if (!controller) {
        VLOG(category(), platform::LogType::Error, "instantiateWindowController failed: %{public}@", name(kind));
        return nullptr;
    }
    VLOG(category(), platform::LogType::Default, "instantiateWindowController: %{public}@", name(kind));
    controller->windowKind = kind;
    catalogue().windowControllers.insert(kind, controller);
    return controller;
}

std::shared_ptr<WindowController> VantelWindowEnum::openWindow(bool runModal, Kind kind)
{
    if (kind == main) {
        VantelManager::shared().mainWindowShow();
        return nullptr;
    }
    WindowSystem& windows = WindowSystem::shared();
    for (WindowController* found : windows.windowControllers()) {
        if (!found || found->windowKind != kind)
            continue;
        std::shared_ptr<WindowController> kept = found->weak_from_this().lock();
        if (runModal) {
            found->showWindow(true);
        } else {
            if (!found->isWindowOpen())
                found->showWindow(false);
            windows.activateApplication();
        }
        return kept;
    }

    std::shared_ptr<WindowController> controller = windowController(kind);
    if (!controller)
        controller = instantiateWindowController(kind);
    if (!controller)
        return nullptr;
    controller->windowKind = kind;
    if (runModal && controller->hasWindow()) {
        controller->showWindow(true);
    } else {
        controller->showWindow(false);
        windows.activateApplication();
    }
    return controller;
}

void VantelWindowEnum::closeWindow(Kind kind)
{
    if (kind == main) {
        VantelManager::shared().closeMainWindow();
        return;
    }
    if (const auto controller = windowController(kind); controller && controller->hasWindow()) {
        VLOG(category(), platform::LogType::Default, "closeWindow: %{public}@", name(kind));
        controller->close();
    }
    windowDidClose(kind);
}

void VantelWindowEnum::windowDidClose(Kind kind)
{
    if (kind == main)
        return;
    VLOG(category(), platform::LogType::Default, "removeWindowController: %{public}@", name(kind));
    // Released from the event loop, not here: this runs while its window is
    // still closing. Kept by the catalogue meanwhile, so that a release still
    // pending when the program ends never runs inside Qt's own tear-down.
    Catalogue& c = catalogue();
    std::shared_ptr<WindowController> removed = c.windowControllers.take(kind);
    if (!removed)
        return;
    c.released.append(std::move(removed));
    if (c.released.size() == 1)
        platform::MainQueue::async([] {
            QList<std::shared_ptr<WindowController>> released;
            released.swap(catalogue().released);
        });
}

bool VantelWindowEnum::canOpenWindow(Kind kind)
{
    if (!isGuarded(kind))
        return true;
    WindowSystem& windows = WindowSystem::shared();
    const bool modalPanel = VantelManager::isModalPanelVisible();
    bool blockingWindow = false;
    for (Kind visible : VantelManager::visibleWindowTypes())
        blockingWindow = blockingWindow || isBlocking(visible);
    const bool exportOrImport = ExportImportManager::shared().state() != ExportImportManagerState::idle;

    if (modalPanel) {
        windows.activateApplication();
        VLOG(category(), platform::LogType::Default,
             "Tried to open Window, but there's currently a modal Window open");
    }
    if (blockingWindow) {
        windows.activateApplication();
        VLOG(category(), platform::LogType::Default,
             "Tried to open Window, but there's currently another Window open");
    }
    if (exportOrImport)
        VLOG(category(), platform::LogType::Default,
             "Tried to open Window, but there's currently an export or import running");
    return !modalPanel && !blockingWindow && !exportOrImport;
}

void VantelWindowEnum::setInterfaceLoader(InterfaceLoader loader)
{
    catalogue().loader = std::move(loader);
}

void VantelWindowEnum::registerViewController(Kind kind, ViewControllerFactory factory)
{
    Catalogue& c = catalogue();
    if (factory)
        c.viewFactories.insert(kind, std::move(factory));
    else
        c.viewFactories.remove(kind);
}

void VantelWindowEnum::registerWindowController(Kind kind, WindowControllerFactory factory)
{
    Catalogue& c = catalogue();
    // A new factory makes a new controller the next time the kind opens.
    const std::shared_ptr<WindowController> previous = c.windowControllers.take(kind);
    if (factory)
        c.windowFactories.insert(kind, std::move(factory));
    else
        c.windowFactories.remove(kind);
}

void VantelWindowEnum::reset()
{
    VantelManager::shared().reset();
    QHash<int, std::shared_ptr<WindowController>> controllers;
    QList<std::shared_ptr<WindowController>> released;
    {
        Catalogue& c = catalogue();
        c.viewFactories.clear();
        c.windowFactories.clear();
        controllers.swap(c.windowControllers);
        released.swap(c.released);
        c.loader = {};
    }
    // Released last: a controller's destructor may call back.
    controllers.clear();
    released.clear();
}

} // namespace vantel
