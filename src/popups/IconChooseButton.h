#pragma once

#include "graphics/widgets/PressActivatedButton.h"

#include <QPointer>
#include <QPushButton>

#include <memory>

namespace vantel {

namespace platform {
class PopoverHost;
}

class IconChoosePopupViewController;

// A button that opens the symbol chooser below itself. The popover is made
// with the button, its content at the first click. A press opens it (the
// button sends no clicked()); Space or Return with the focus does too.
class IconChooseButton : public PressActivatedButton<QPushButton> {
    Q_OBJECT
public:
    explicit IconChooseButton(QWidget* parent = nullptr);
    ~IconChooseButton() override;

    bool isInitialized() const { return isInitialized_; }
    platform::PopoverHost* iconChoosePopover() const { return iconChoosePopover_; }
    IconChoosePopupViewController* iconChoosePopupViewController();

    // Content, transient behaviour; run at the first click.
    void configurePopover();
    void showChooser();

protected:
    void pressActivated() override { showChooser(); }

private:
    bool isInitialized_ = false;
    QPointer<platform::PopoverHost> iconChoosePopover_;
    std::unique_ptr<IconChoosePopupViewController> iconChoosePopupViewController_;
};

} // namespace vantel
