#pragma once

#include "datastore/WindowRequests.h"

#include <QList>

#include <functional>

namespace vantel::test {

// The store's window requests without the shell: records what was asked
// and answers from the factories the test set.
class FakeWindowRequests : public WindowRequests {
public:
    QList<WindowKind::Kind> closed;
    QList<WindowKind::Kind> viewControllersAsked;
    QList<std::pair<WindowKind::Kind, bool>> opened;
    // Closing the main view closes this window.
    std::shared_ptr<WindowController> mainWindow;
    std::function<std::shared_ptr<ViewController>(WindowKind::Kind)> makeViewController;
    std::function<std::shared_ptr<WindowController>(WindowKind::Kind)> makeWindowController;

    std::shared_ptr<ViewController> getViewController(WindowKind::Kind kind) override
    {
        viewControllersAsked.append(kind);
        return makeViewController ? makeViewController(kind) : nullptr;
    }
    std::shared_ptr<WindowController> openWindow(bool runModal, WindowKind::Kind kind) override
    {
        opened.append({kind, runModal});
        auto window = makeWindowController ? makeWindowController(kind) : nullptr;
        if (window)
            window->showWindow(runModal);
        return window;
    }
    void closeWindow(WindowKind::Kind kind) override
    {
        closed.append(kind);
        if (kind == WindowKind::main && mainWindow)
            mainWindow->close();
    }
};

} // namespace vantel::test
