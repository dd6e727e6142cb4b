#include "shell/AppDelegate.h"

namespace vantel {

AppDelegate& AppDelegate::shared()
{
    // Created once, on first use, and never released.
    static AppDelegate* const instance = new AppDelegate();
    return *instance;
}

} // namespace vantel
