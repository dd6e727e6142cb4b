#include "shell/VantelWindowEnum.h"

#include "model/Logger.h"
#include "platform/Dialogs.h"

#include <QHash>

#include <mutex>

namespace vantel {

namespace {

struct Catalogue {
    std::mutex mutex;
    QHash<int, VantelWindowEnum::ViewControllerFactory> viewFactories;
    QHash<int, VantelWindowEnum::WindowControllerFactory> windowFactories;
    QHash<int, std::shared_ptr<WindowController>> windows;
    std::function<bool()> blocked;
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

QString VantelWindowEnum::name(Kind kind)
{
    switch (kind) {
    case main: return QStringLiteral("main");
    case config: return QStringLiteral("config");
    case settings: return QStringLiteral("settings");
    case info: return QStringLiteral("info");
    case firstRun: return QStringLiteral("firstRun");
    case tags: return QStringLiteral("tags");
    case versionHistory: return QStringLiteral("versionHistory");
    case addOrModifyURL: return QStringLiteral("addOrModifyURL");
    case versionedBackup: return QStringLiteral("versionedBackup");
    case hotkeyOverview: return QStringLiteral("hotkeyOverview");
    }
    return QString();
}

bool VantelWindowEnum::isBlockedWhileBusy(Kind kind)
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

std::shared_ptr<ViewController> VantelWindowEnum::getViewController(Kind kind)
{
    ViewControllerFactory factory;
    {
        Catalogue& c = catalogue();
        std::lock_guard lock(c.mutex);
        factory = c.viewFactories.value(kind);
    }
    // Factories run outside the lock: they may ask the catalogue themselves.
    std::shared_ptr<ViewController> controller = factory ? factory() : nullptr;
    if (!controller)
        VLOG(category(), platform::LogType::Error, "getViewController failed: %{public}@", name(kind));
    return controller;
}

std::shared_ptr<WindowController> VantelWindowEnum::openWindow(bool runModal, Kind kind)
{
    std::function<bool()> blocked;
    WindowControllerFactory factory;
    std::shared_ptr<WindowController> controller;
    {
        Catalogue& c = catalogue();
        std::lock_guard lock(c.mutex);
        blocked = c.blocked;
        factory = c.windowFactories.value(kind);
        controller = c.windows.value(kind);
    }
    if (isBlockedWhileBusy(kind) && blocked && blocked()) {
        VLOG(category(), platform::LogType::Default, "openWindow refused while busy: %{public}@", name(kind));
        return nullptr;
    }
    if (!controller) {
        controller = factory ? factory() : nullptr;
        if (!controller) {
            VLOG(category(), platform::LogType::Error, "openWindow failed: %{public}@", name(kind));
            return nullptr;
        }
        Catalogue& c = catalogue();
        std::lock_guard lock(c.mutex);
        c.windows.insert(kind, controller);
    }
    controller->windowKind = kind;
    controller->showWindow(runModal);
    return controller;
}

void VantelWindowEnum::closeWindow(Kind kind)
{
    std::shared_ptr<WindowController> controller;
    {
        Catalogue& c = catalogue();
        std::lock_guard lock(c.mutex);
        controller = c.windows.value(kind);
    }
    if (!controller || !controller->isWindowOpen())
        return;
    VLOG(category(), platform::LogType::Default, "closeWindow: %{public}@", name(kind));
    controller->close();
}

void VantelWindowEnum::registerViewController(Kind kind, ViewControllerFactory factory)
{
    Catalogue& c = catalogue();
    std::lock_guard lock(c.mutex);
    if (factory)
        c.viewFactories.insert(kind, std::move(factory));
    else
        c.viewFactories.remove(kind);
}

void VantelWindowEnum::registerWindowController(Kind kind, WindowControllerFactory factory)
{
    Catalogue& c = catalogue();
    std::lock_guard lock(c.mutex);
    // A new factory makes a new controller the next time the kind opens.
    c.windows.remove(kind);
    if (factory)
        c.windowFactories.insert(kind, std::move(factory));
    else
        c.windowFactories.remove(kind);
}

void VantelWindowEnum::setOpeningBlocked(std::function<bool()> blocked)
{
    Catalogue& c = catalogue();
    std::lock_guard lock(c.mutex);
    c.blocked = std::move(blocked);
}

void VantelWindowEnum::reset()
{
    QHash<int, std::shared_ptr<WindowController>> windows;
    {
        Catalogue& c = catalogue();
        std::lock_guard lock(c.mutex);
        c.viewFactories.clear();
        c.windowFactories.clear();
        windows.swap(c.windows);
        c.blocked = nullptr;
    }
    // Released outside the lock: a controller's destructor may call back.
    windows.clear();
}

void ViewController::runOpenPanelAsSheet(const platform::OpenPanelRequest& request,
                                         const std::function<void(const platform::OpenPanelResponse&)>& completion)
{
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(request);
    if (completion)
        completion(response);
}

} // namespace vantel
