#pragma once

#include "markdown/view/CustomMarkdownTextView.h"

#include "settings/ui/SettingsViewController.h"

#include <QPointer>
#include <QLabel>

namespace vantel {

// The "About" window: the bundle's "info.md" as read-only styled text, with
// the version below, on a translucent background in a window without a
// title bar that moves when its background is dragged.
class ConfigViewControllerInfo : public SettingsViewController {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("DialogInfo");
    static constexpr QSize preferredSize{550, 400};

    explicit ConfigViewControllerInfo(QObject* parent = nullptr);

    CustomMarkdownTextView* textView() const { return textView_; }
    QWidget* visualEffectView() const { return visualEffectView_; }
    QLabel* versionLabel() const { return versionLabel_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;

private:
    QPointer<CustomMarkdownTextView> textView_;
    QPointer<QWidget> visualEffectView_;
    QPointer<QLabel> versionLabel_;
};

} // namespace vantel
