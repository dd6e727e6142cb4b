#pragma once

#include "platform/DialogProvider.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

class ViewController;
class WindowController;

// The catalogue of the program's windows: every window but the main
// popover is one kind, made from its interface file on first open, kept
// once per kind in a registry and forgotten when its window closes (the
// main window's controller is kept by VantelManager for good).
//
// Controllers come from the interface loader the Widgets shell installs
// (interface file and identifier of the kind); a factory registered per kind
// takes precedence, for tests and for kinds made in code. Without either the
// kind answers none and the failure is logged. Main thread only.
class VantelWindowEnum {
public:
    enum Kind {
        main,
        config,
        settings,
        info,
        firstRun,
        tags,
        versionHistory,
        addOrModifyURL,
        versionedBackup,
        hotkeyOverview,
    };

    using ViewControllerFactory = std::function<std::shared_ptr<ViewController>()>;
    using WindowControllerFactory = std::function<std::shared_ptr<WindowController>()>;
    // Makes the object with the identifier from the interface file; none when
    // the file, the identifier or the class is not there.
    struct InterfaceLoader {
        std::function<std::shared_ptr<WindowController>(const QString& storyboard, const QString& identifier)>
            windowController;
        std::function<std::shared_ptr<ViewController>(const QString& storyboard, const QString& identifier)>
            viewController;
    };

    // Every kind, in the catalogue's order.
    static const QList<Kind>& allCases();
    // The raw value ("main", "config", ...) and back; none outside the table.
    static QString name(Kind kind);
    static std::optional<Kind> fromRawValue(const QString& rawValue);

    static QString getStoryBoardAsString(Kind kind);
    static QString getWindowControllerIdentifier(Kind kind);
    static QString getViewControllerIdentifier(Kind kind);
    // A blocking kind keeps guarded kinds from opening while it is visible.
    static bool isBlocking(Kind kind);
    // A guarded kind opens only when canOpenWindow allows it.
    static bool isGuarded(Kind kind);
    static bool isBlockedWhileBusy(Kind kind) { return isGuarded(kind); }

    // A new view controller of the kind; none (logged) when it can't be made.
    static std::shared_ptr<ViewController> getViewController(Kind kind);
    // The kind's view controller made from its interface file (or factory),
    // without logging; for the manager's own main view controller.
    static std::shared_ptr<ViewController> loadViewController(Kind kind);
    // The registry's controller of the kind, else a new one recorded there.
    static std::shared_ptr<WindowController> instantiateWindowController(Kind kind);
    // Opens the kind's window (kind main: shows the main view and answers
    // none). With runModal, returns when the modal run ends.
    static std::shared_ptr<WindowController> openWindow(bool runModal, Kind kind);
    static void closeWindow(Kind kind);
    // Forgets the kind's controller once its window closed (never main's).
    static void windowDidClose(Kind kind);
    // Whether a guarded kind may open now: no modal panel, no blocking
    // window and no export or import. Every reason that holds is logged.
    static bool canOpenWindow(Kind kind);
    // The registry's controller of the kind, if any.
    static std::shared_ptr<WindowController> windowController(Kind kind);

    static void setInterfaceLoader(InterfaceLoader loader);
    // Registration of a kind's own factory; an empty factory removes it.
    static void registerViewController(Kind kind, ViewControllerFactory factory);
    static void registerWindowController(Kind kind, WindowControllerFactory factory);
    // Forgets every factory, the loader, the registry and the manager's
    // main view and hosts. For tests.
    static void reset();
};

// The appearance of a view controller as its host last drove it. There is no
// state for a view that has gone: it stays in viewWillDisappear.
enum class defaultVantelMainViewControllerState { none, viewDidLoad, viewWillAppear, viewDidAppear, viewWillDisappear };

// What the core asks of a view controller; the Widgets code implements it.
class ViewController {
public:
    virtual ~ViewController() = default;

    // Only viewDidAppear counts as on screen.
    virtual defaultVantelMainViewControllerState currentState() const
    {
        return defaultVantelMainViewControllerState::none;
    }

    // Whether the controller's view currently sits in a window.
    virtual bool hasWindow() const = 0;
    // Shows another controller as a sheet of this one's window.
    virtual void presentAsSheet(const std::shared_ptr<ViewController>& controller) = 0;
    // Runs an open panel attached to this controller's window and hands the
    // answer to the completion. By default the panel runs modally.
    virtual void runOpenPanelAsSheet(const platform::OpenPanelRequest& request,
                                     const std::function<void(const platform::OpenPanelResponse&)>& completion);
};

// What the core asks of a window controller; the Widgets code implements it.
class WindowController : public std::enable_shared_from_this<WindowController> {
public:
    virtual ~WindowController() = default;

    virtual std::shared_ptr<ViewController> contentViewController() const = 0;
    // Shows the window (modally when asked) and activates the application.
    virtual void showWindow(bool runModal) = 0;
    // Whether the window is on screen.
    virtual bool isWindowOpen() const = 0;
    virtual void close() = 0;

    // Whether the controller has a window at all.
    virtual bool hasWindow() const { return true; }
    // Shows the view controller's view in the window; nullptr gives it back.
    virtual void setContentViewController(std::shared_ptr<ViewController> controller) { (void)controller; }
    // How the main view's window shows: above normal windows, on every
    // desktop, at the exact frame (global coordinates); then made key and
    // ordered to the front.
    virtual void showAsMainWindow(const QRect& frame) { (void)frame; showWindow(false); }

    // The kind the catalogue opened it as.
    std::optional<VantelWindowEnum::Kind> windowKind;

    // The dynamic property of a window (a QObject) that points back at its
    // controller (a QObject* that is also a WindowController), so a closing
    // window can be told apart.
    static constexpr const char* windowControllerProperty = "vantelWindowController";
};

} // namespace vantel
