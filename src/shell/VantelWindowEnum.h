#pragma once

#include "platform/DialogProvider.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

class ViewController;
class WindowController;

// The catalogue of the program's windows. The shell registers a factory per
// kind when it starts; a kind without one answers none, so callers keep
// their failure paths. The catalogue keeps the window controller it made for
// a kind and reuses it.
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

    static QString name(Kind kind);

    // A new view controller of the kind; none (logged) without a factory or
    // when the factory makes none.
    static std::shared_ptr<ViewController> getViewController(Kind kind);
    // Makes or reuses the kind's window controller, records the kind in it
    // and shows its window. None (logged) without a factory, or when the kind
    // may not open now (see setOpeningBlocked).
    static std::shared_ptr<WindowController> openWindow(bool runModal, Kind kind);
    // Closes the kind's window when its controller says it is open.
    static void closeWindow(Kind kind);

    // Registration by the shell; an empty factory removes the kind's factory.
    static void registerViewController(Kind kind, ViewControllerFactory factory);
    static void registerWindowController(Kind kind, WindowControllerFactory factory);
    // True while a modal panel or a blocking window is open or an export or
    // import runs; the main, config, settings, tags, addOrModifyURL and
    // versionedBackup windows are not opened then.
    static void setOpeningBlocked(std::function<bool()> blocked);
    // Forgets every factory, kept controller and the blocking test.
    static void reset();

    static bool isBlockedWhileBusy(Kind kind);
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
class WindowController {
public:
    virtual ~WindowController() = default;

    virtual std::shared_ptr<ViewController> contentViewController() const = 0;
    // Shows the window (modally when asked) and activates the application.
    virtual void showWindow(bool runModal) = 0;
    virtual bool isWindowOpen() const = 0;
    virtual void close() = 0;

    // The kind the catalogue opened it as.
    std::optional<VantelWindowEnum::Kind> windowKind;

    // The dynamic property of a window (a QObject) that points back at its
    // controller (a QObject* that is also a WindowController), so a closing
    // window can be told apart.
    static constexpr const char* windowControllerProperty = "vantelWindowController";
};

} // namespace vantel
