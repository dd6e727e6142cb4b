#include "shell/VantelManager.h"

#include "config/SystemConfiguration.h"
#include "model/Logger.h"
#include "platform/MainQueue.h"
#include "shell/AppDelegate.h"
#include "shell/WindowSystem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QObject>
#include <QVariant>

#include <cmath>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::vantelManager();
}

void log(const QString& format, const QStringList& args = {})
{
    if (platform::Log::debugLogging())
        platform::Log::write(category(), platform::LogType::Default, format, args);
}

QString describe(const QRect& rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QString describe(const QSize& size)
{
    return QStringLiteral("(%1, %2)").arg(size.width()).arg(size.height());
}

QString describe(const void* controller)
{
    return QStringLiteral("<MainViewController: 0x%1>").arg(quintptr(controller), 0, 16);
}

std::shared_ptr<ViewController> asViewController(const std::shared_ptr<MainViewController>& controller)
{
    return std::dynamic_pointer_cast<ViewController>(controller);
}

} // namespace

const QList<VantelWindowEnum::Kind> VantelManager::modalVantelWindowTypes{
    VantelWindowEnum::settings, VantelWindowEnum::config, VantelWindowEnum::tags, VantelWindowEnum::addOrModifyURL,
    VantelWindowEnum::versionedBackup};

VantelManager& VantelManager::shared()
{
    // Created on first use and kept for the life of the process.
    static VantelManager* const instance = new VantelManager();
    return *instance;
}

VantelManager::VantelManager()
{
    auto& center = platform::NotificationCenter::defaultCenter();
    executeObserver_ = center.addObserver(QStringLiteral("executeTableviewItem"),
                                          [this](const platform::Notification&) { executeTableviewItem(); });
    windowCloseObserver_ = center.addObserver(QStringLiteral("NSWindowWillCloseNotification"),
                                              [this](const platform::Notification& note) { windowWillClose(note); });
}

// ---- The hosts ----

std::shared_ptr<vantel::Popover> VantelManager::popover() const
{
    if (!popover_) {
        std::shared_ptr<vantel::Popover> made = WindowSystem::shared().makePopover();
        if (made) {
            made->setAnimates(AppDelegate::shared().config().mainPopoverAnimated());
            made->setTransient(true);
            made->setDelegate(const_cast<VantelManager*>(this));
        }
        popover_ = made;
    }
    return *popover_;
}

std::shared_ptr<WindowController> VantelManager::windowControllerMain() const
{
    if (!windowControllerMain_) {
        std::shared_ptr<WindowController> made = VantelWindowEnum::instantiateWindowController(VantelWindowEnum::main);
        if (!made)
            VLOG(category(), platform::LogType::Error, "Failed to instantiate MainWindowController");
        windowControllerMain_ = made;
    }
    return *windowControllerMain_;
}

std::shared_ptr<MainViewController> VantelManager::viewControllerMain() const
{
    if (!viewControllerMain_) {
        const auto made = std::dynamic_pointer_cast<MainViewController>(
            VantelWindowEnum::loadViewController(VantelWindowEnum::main));
        if (!made)
            VLOG(category(), platform::LogType::Error, "Failed to instantiate MainViewController");
        viewControllerMain_ = made;
    }
    return *viewControllerMain_;
}

void VantelManager::setViewControllerMain(std::shared_ptr<MainViewController> controller)
{
    viewControllerMain_ = std::move(controller);
}

// ---- State ----

int VantelManager::mainWindowState() const
{
    if (stateOverride_)
        return *stateOverride_;
    const std::shared_ptr<MainViewController> controller = viewControllerMain();
    if (!controller) {
        log(QStringLiteral("currentState-Check for MainViewController -> viewControllerMain is not instantiated!"));
        return NotCreated;
    }
    const auto* view = dynamic_cast<const ViewController*>(controller.get());
    if (!view || view->currentState() != defaultVantelMainViewControllerState::viewDidAppear) {
        log(QStringLiteral("currentState-Check for MainViewController -> ViewController is currently not visible"));
        return NotYetAppeared;
    }
    const std::shared_ptr<vantel::Popover> host = popover();
    if (host && host->isShown()) {
        if (host->isDetached()) {
            log(QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as detached Popover"));
            return DetachedPopover;
        }
        log(QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as Popover"));
        return Popover;
    }
    const std::shared_ptr<WindowController> window = windowControllerMain();
    if (window && window->hasWindow() && window->isWindowOpen()) {
        log(QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently visible as Window"));
        return Window;
    }
    log(QStringLiteral("isVisible-Check for MainWindow -> MainWindow is currently not visible"));
    return NotVisible;
}

// ---- Showing and closing ----

void VantelManager::switchMainWindow()
{
    if (switchMainWindowOverride_) {
        switchMainWindowOverride_();
        return;
    }
    log(QStringLiteral("-> switchMainWindow"));
    if (mainWindowState() < Popover)
        mainWindowShow();
    else
        closeMainWindow();
}

std::optional<QRect> VantelManager::pointerScreen(bool withFirst) const
{
    const WindowSystem& windows = WindowSystem::shared();
    if (auto screen = windows.screenWithMouse())
        return screen;
    if (auto screen = windows.mainScreen())
        return screen;
    return withFirst ? windows.firstScreen() : std::nullopt;
}

void VantelManager::mainWindowShow()
{
    if (mainWindowShowOverride_) {
        mainWindowShowOverride_();
        return;
    }
    WindowSystem& windows = WindowSystem::shared();
    if (mainWindowIsAboutToClose_) {
        log(QStringLiteral("!! mainWindowShow -> MainWindow is about to close!"));
        return;
    }
    if (mainWindowState() >= Popover) {
        log(QStringLiteral("!! mainWindowShow -> MainWindow is already visible!"));
        windows.activateApplication();
        return;
    }
    if (!VantelWindowEnum::canOpenWindow(VantelWindowEnum::main)) {
        log(QStringLiteral("!! mainWindowShow -> can't open Window!"));
        windows.activateApplication();
        return;
    }
    if (!windowControllerMain()) {
        log(QStringLiteral("!! mainWindowShow -> windowControllerMain is invalid!"));
        return;
    }
    if (!viewControllerMain()) {
        log(QStringLiteral("!! mainWindowShow -> viewControllerMain is invalid!"));
        return;
    }
    SystemConfiguration::shared().updateSidebarSize();

    switch (AppDelegate::shared().config().windowViewStyle()) {
    case 0: {
        if (!windows.canPlaceWindows()) {
            showMainWindowAsWindow();
            break;
        }
        const std::optional<QRect> screen = pointerScreen(true);
        std::optional<QRect> anchor = statusItemAnchor_ ? statusItemAnchor_() : std::nullopt;
        // Trays that export the icon over D-Bus often report an empty one.
        if (anchor && anchor->isEmpty())
            anchor.reset();
        if (!anchor && screen) {
            // The tray does not say where its icon is: hang the popover under
            // the top-right corner of the pointer's screen.
            const QRect area = windows.availableFrame(*screen).value_or(*screen);
            anchor = QRect(area.x() + area.width() - 1, area.y(), 1, 0);
        }
        if (screen && anchor && screen->contains(anchor->topLeft()) && popover())
            showMainWindowAsPopover(*anchor);
        else
            showMainWindowAsWindow();
        break;
    }
    case 1:
        showMainWindowAsWindow();
        break;
    default:
        break;
    }
    windows.activateApplication();
    log(QStringLiteral("<- mainWindowShow"));
}

void VantelManager::showMainWindowAsPopover(const QRect& anchor)
{
    const std::shared_ptr<vantel::Popover> host = popover();
    const std::shared_ptr<MainViewController> main = viewControllerMain();
    const std::shared_ptr<WindowController> window = windowControllerMain();
    log(QStringLiteral("-> showMainWindowAsPopover"));
    host->setAnimates(AppDelegate::shared().config().mainPopoverAnimated());

    log(QStringLiteral("   checking contentViewController"));
    // One host at a time: the window lets go of the view first.
    if (window && window->contentViewController())
        window->setContentViewController(nullptr);
    const std::shared_ptr<ViewController> content = asViewController(main);
    if (content && host->contentViewController() == content) {
        log(QStringLiteral("   assigned contentViewController: %{public}@"), {describe(main.get())});
    } else {
        host->setContentViewController(content);
        log(QStringLiteral("   new assigned contentViewController: %{public}@"), {describe(main.get())});
    }

    if (const std::optional<QRect> screen = pointerScreen(true)) {
        const QSize size = mainViewSize(*screen);
        log(QStringLiteral("   Calculated Size: %{public}@"), {describe(size)});
        host->setContentSize(size);
    }
    log(QStringLiteral("   Will show Popover relativ to: %{public}@"), {describe(anchor)});
    host->show(anchor, 0);
}

void VantelManager::showMainWindowAsWindow()
{
    log(QStringLiteral("-> showMainWindowAsWindow"));
    const std::optional<QRect> screen = pointerScreen(false);
    if (!screen)
        return;
    const QRect frame = mainWindowFrame(*screen);
    log(QStringLiteral("Origin and Size: Screen: %{public}@"), {describe(*screen)});
    log(QStringLiteral("Origin and Size: MainWindow: %{public}@"), {describe(frame)});

    const std::shared_ptr<MainViewController> main = viewControllerMain();
    const std::shared_ptr<WindowController> window = windowControllerMain();
    log(QStringLiteral("Checking contentViewController"));
    if (const std::shared_ptr<vantel::Popover> host = popover())
        host->setContentViewController(nullptr);
    const std::shared_ptr<ViewController> content = asViewController(main);
    if (content && window->contentViewController() == content) {
        log(QStringLiteral("Assigned contentViewController: %{public}@"), {describe(main.get())});
    } else {
        window->setContentViewController(content);
        log(QStringLiteral("New assigned ContentViewController: %{public}@"), {describe(main.get())});
    }

    log(QStringLiteral("Try to get Window from Window-Controller"));
    if (window->hasWindow()) {
        log(QStringLiteral("Got Window from WindowController. Show the Window now ..."));
        window->showAsMainWindow(frame);
    } else {
        log(QStringLiteral("The Window-Controller has no Window assigned!"));
    }
}

void VantelManager::closeMainWindow()
{
    mainWindowIsAboutToClose_ = true;
    const std::shared_ptr<vantel::Popover> host = popover();
    if (host && host->isShown()) {
        host->close();
        log(QStringLiteral("closeMainWindow -> close Popover"));
    } else {
        if (const std::shared_ptr<WindowController> window = windowControllerMain())
            window->close();
        log(QStringLiteral("closeMainWindow -> close Window"));
    }
    mainWindowIsAboutToClose_ = false;
}

void VantelManager::applicationLostFocus()
{
    if (mainWindowIsAboutToClose_) {
        log(QStringLiteral("applicationLostFocus - aborted because MainWindow is already about to close"));
        return;
    }
    if (const std::shared_ptr<MainViewController> controller = viewControllerMain())
        controller->clearModifierFlags();
    switch (mainWindowState()) {
    case NotCreated:
        log(QStringLiteral("applicationLostFocus - aborted because ViewController is not instantiated"));
        break;
    case NotYetAppeared:
        log(QStringLiteral("applicationLostFocus - aborted because ViewController ist not visible"));
        break;
    case NotVisible:
        log(QStringLiteral("applicationLostFocus - aborted because MainWindow is currently invisible"));
        break;
    case Popover:
        log(QStringLiteral("mainWindow is visible as popover - closing the mainWindow now ..."));
        closeMainWindow();
        break;
    case DetachedPopover:
        log(QStringLiteral("applicationLostFocus - aborted because MainWindow is currently a detached Popover"));
        break;
    case Window:
        log(QStringLiteral("mainWindow is visible as Window - closing the mainWindow now ..."));
        closeMainWindow();
        break;
    default:
        break;
    }
}

void VantelManager::closeWindows()
{
    closeMainWindow();
    for (WindowController* controller : WindowSystem::shared().windowControllers()) {
        if (controller && controller->isWindowOpen() && controller->windowKind
            && *controller->windowKind != VantelWindowEnum::main)
            controller->close();
    }
}

QList<VantelWindowEnum::Kind> VantelManager::visibleWindowTypes()
{
    QList<VantelWindowEnum::Kind> kinds;
    for (const WindowController* controller : WindowSystem::shared().windowControllers()) {
        if (!controller || !controller->isWindowOpen() || !controller->windowKind)
            continue;
        if (*controller->windowKind == VantelWindowEnum::main)
            continue;
        kinds.append(*controller->windowKind);
    }
    if (shared().mainWindowState() >= Popover)
        kinds.append(VantelWindowEnum::main);
    return kinds;
}

bool VantelManager::isModalPanelVisible()
{
    return WindowSystem::shared().isModalPanelVisible();
}

void VantelManager::setStatusItemAnchorProvider(std::function<std::optional<QRect>()> provider)
{
    statusItemAnchor_ = std::move(provider);
}

// ---- Sizes ----

QSize VantelManager::mainViewSize(const QRect& screenFrame)
{
    const Configuration& config = AppDelegate::shared().config();
    static constexpr int widths[] = {550, 600, 650, 700, 750, 800};
    const int widthIndex = qBound(0, int(config.mainWindowWidth()), 5);
    const int percent = 50 + 5 * qBound(0, int(config.mainWindowHeight()), 8);
    const double height = double(screenFrame.height()) * percent / 100.0;
    const QSize size(int(std::ceil(double(widths[widthIndex]))), int(std::ceil(height)));
    // A small screen, or a large scale factor, leaves less room than the
    // setting's width: the view never reaches past the free area.
    const QRect area = WindowSystem::shared().availableFrame(screenFrame).value_or(screenFrame);
    return area.isEmpty() ? size : size.boundedTo(area.size());
}

QRect VantelManager::mainWindowFrame(const QRect& screenFrame)
{
    const QSize size = mainViewSize(screenFrame);
    int x = int(std::ceil(screenFrame.x() + (screenFrame.width() - size.width()) * 0.5));
    int y = int(std::ceil(screenFrame.y() + (screenFrame.height() - size.height()) * 0.5));
    // Centred on the screen, then moved clear of the panels.
    const QRect area = WindowSystem::shared().availableFrame(screenFrame).value_or(screenFrame);
    if (!area.isEmpty()) {
        x = qBound(area.x(), x, area.x() + area.width() - size.width());
        y = qBound(area.y(), y, area.y() + area.height() - size.height());
    }
    return QRect(QPoint(x, y), size);
}

// ---- Activation ----

bool VantelManager::isApplicationActive() const
{
    if (applicationActive_)
        return applicationActive_();
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void VantelManager::setApplicationActiveProvider(std::function<bool()> provider)
{
    applicationActive_ = std::move(provider);
}

void VantelManager::setMainWindowActions(std::function<void()> show, std::function<void()> switchWindow)
{
    mainWindowShowOverride_ = std::move(show);
    switchMainWindowOverride_ = std::move(switchWindow);
}

void VantelManager::reset()
{
    if (popover_ && *popover_)
        (*popover_)->setDelegate(nullptr);
    popover_.reset();
    windowControllerMain_.reset();
    viewControllerMain_.reset();
    statusItemAnchor_ = nullptr;
    mainWindowShowOverride_ = nullptr;
    switchMainWindowOverride_ = nullptr;
    stateOverride_.reset();
    applicationActive_ = nullptr;
    mainWindowIsAboutToClose_ = false;
}

// ---- Observers ----

void VantelManager::executeTableviewItem()
{
    if (!platform::MainQueue::isMainThread()) {
        platform::MainQueue::async([this] { applicationLostFocus(); });
        return;
    }
    applicationLostFocus();
}

void VantelManager::windowWillClose(const platform::Notification& notification)
{
    auto* const* window = std::any_cast<QObject*>(&notification.object);
    if (!window || !*window)
        return;
    auto* object = (*window)->property(WindowController::windowControllerProperty).value<QObject*>();
    const auto* controller = dynamic_cast<const WindowController*>(object);
    if (!controller || !controller->windowKind || *controller->windowKind == VantelWindowEnum::main)
        return;
    log(QStringLiteral("windowWillClose called"));
    VantelWindowEnum::windowDidClose(*controller->windowKind);
}

// ---- Popover delegate ----

void VantelManager::popoverWillShow(vantel::Popover& popover)
{
    log(QStringLiteral("popoverWillShow"));
    popover.setTransient(true);
}

void VantelManager::popoverDidShow(vantel::Popover&)
{
    log(QStringLiteral("popoverDidShow"));
}

bool VantelManager::popoverShouldDetach(vantel::Popover&)
{
    log(QStringLiteral("popoverShouldDetach"));
    return true;
}

void VantelManager::popoverDidDetach(vantel::Popover& popover)
{
    log(QStringLiteral("popoverDidDetach"));
    // Left open on focus loss; the host made it a closable window.
    popover.setTransient(false);
}

bool VantelManager::popoverShouldClose(vantel::Popover& popover)
{
    log(QStringLiteral("popoverShouldClose"));
    // A left press on the status item closes the popover through the item's
    // own toggle; closing it here first would let that press open it again.
    if (QGuiApplication::mouseButtons().testFlag(Qt::LeftButton) && statusItemAnchor_) {
        const std::optional<QRect> anchor = statusItemAnchor_();
        if (anchor && anchor->contains(QCursor::pos()))
            return false;
    }
    popover.setTransient(true);
    return true;
}

} // namespace vantel
