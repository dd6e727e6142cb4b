#include "shell/ShellWindowRequests.h"

#include "shell/VantelWindowEnum.h"

namespace vantel {

std::shared_ptr<ViewController> ShellWindowRequests::getViewController(WindowKind::Kind kind)
{
    return VantelWindowEnum::getViewController(kind);
}

std::shared_ptr<WindowController> ShellWindowRequests::openWindow(bool runModal, WindowKind::Kind kind)
{
    return VantelWindowEnum::openWindow(runModal, kind);
}

void ShellWindowRequests::closeWindow(WindowKind::Kind kind)
{
    VantelWindowEnum::closeWindow(kind);
}

} // namespace vantel
