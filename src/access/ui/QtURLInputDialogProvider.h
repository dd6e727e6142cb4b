#pragma once

#include "access/URLInputDialogProvider.h"

namespace vantel {

// Asks the questions of URL templates in URLInputViewController. Needs a
// QApplication; without one every question counts as cancelled.
class QtURLInputDialogProvider final : public URLInputDialogProvider {
public:
    // Installs it as the shared provider.
    static void install();

    std::optional<QString> ask(const URLInputRequest& request) override;
};

} // namespace vantel
