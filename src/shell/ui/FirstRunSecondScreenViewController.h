#pragma once

#include "shell/ui/DefaultVantelViewController.h"

#include <QLabel>
#include <QPointer>

namespace vantel {

// The assistant's second page ("FirstRunSheet2"): a sketch of the main view
// and how to get around in it.
class FirstRunSecondScreenViewController : public DefaultVantelViewController {
    Q_OBJECT

public:
    using DefaultVantelViewController::DefaultVantelViewController;

    // The image view with the sketch; none before the view is loaded.
    QLabel* image() const { return image_; }

protected:
    QWidget* loadView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLabel> image_;
};

} // namespace vantel
