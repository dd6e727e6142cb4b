#pragma once

#include "model/ViewController.h"
#include "model/WindowController.h"
#include "model/WindowKind.h"

#include <memory>

namespace vantel {

// The windows the store's handlers ask for: the main view closed before a
// modal open panel, the add-or-modify-URL pane as a sheet or in its own
// window. The catalogue that makes them lives in the shell, above the store;
// the launch sequence installs it. Without one nothing opens or closes.
class WindowRequests {
public:
    virtual ~WindowRequests() = default;

    // A new view controller of the kind; none when it can't be made.
    virtual std::shared_ptr<ViewController> getViewController(WindowKind::Kind kind) = 0;
    // Opens the kind's window; none for the main view or when it can't be made.
    virtual std::shared_ptr<WindowController> openWindow(bool runModal, WindowKind::Kind kind) = 0;
    virtual void closeWindow(WindowKind::Kind kind) = 0;

    static std::shared_ptr<WindowRequests> shared();
    static void setShared(std::shared_ptr<WindowRequests> requests);
};

} // namespace vantel
