#pragma once

#include "shell/ui/DefaultVantelViewController.h"

namespace vantel {

// The assistant's first page ("FirstRunSheet1"): what the program is and
// where it lives.
class FirstRunFirstScreenViewController : public DefaultVantelViewController {
    Q_OBJECT

public:
    using DefaultVantelViewController::DefaultVantelViewController;

protected:
    QWidget* loadView() override;
};

} // namespace vantel
