#pragma once

#include "model/ViewController.h"
#include "model/WindowController.h"
#include "model/WindowKind.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vantel {

// The catalogue of the program's windows: every window but the main
// popover is one kind, made from its interface file on first open, kept
// once per kind in a registry and forgotten when its window closes (the
// main window's controller is kept by VantelManager for good).
//
// Controllers come from the interface loader the Widgets shell installs
// (interface file and identifier of the kind); a factory registered per kind
// takes precedence, for tests and for kinds made in code. Without either the
// kind answers none and the failure is logged. Main thread only.
class VantelWindowEnum : public WindowKind {
public:
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

} // namespace vantel
