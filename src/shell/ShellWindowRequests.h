#pragma once

#include "datastore/WindowRequests.h"

namespace vantel {

// The store's window requests answered by the shell's catalogue of windows.
// Installed by the application delegate.
class ShellWindowRequests : public WindowRequests {
public:
    std::shared_ptr<ViewController> getViewController(WindowKind::Kind kind) override;
    std::shared_ptr<WindowController> openWindow(bool runModal, WindowKind::Kind kind) override;
    void closeWindow(WindowKind::Kind kind) override;
};

} // namespace vantel
