#pragma once

#include "shell/ui/DefaultVantelViewController.h"
#include "shell/ui/FirstRunPageEnum.h"

#include <QHash>
#include <QPointer>
#include <QPushButton>

#include <memory>

class QStackedWidget;

namespace vantel {

namespace platform {
class UiCatalog;
}

// The first-run assistant's page controller: shows the pages one at a time,
// with Back, Forward and Done below them. Each page's controller comes from
// the interface file "DialogFirstRun" the first time the page is shown and is
// kept; one that cannot be made shows as an empty page. It changes no
// setting. While it is on screen it drives the shown page's life cycle.
class FirstRunViewController : public DefaultVantelViewController {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("DialogFirstRun");

    explicit FirstRunViewController(QObject* parent = nullptr);
    // Pages from the given catalogue instead of the program's own.
    explicit FirstRunViewController(const platform::UiCatalog& catalog, QObject* parent = nullptr);
    ~FirstRunViewController() override;

    QList<FirstRunPageEnum> arrangedObjects() const { return arrangedObjects_; }
    int selectedIndex() const { return selectedIndex_; }
    // The controller of the shown page; none before the view is loaded.
    platform::ViewControllerBase* selectedViewController() const;

    // The page's textual description, which is its identifier.
    QString identifierForObject(FirstRunPageEnum page) const;
    // The page controller of the identifier, or an empty one.
    std::shared_ptr<platform::ViewControllerBase> viewControllerForIdentifier(const QString& identifier) const;
    // Sets the buttons for the page now shown.
    void pageControllerDidEndLiveTransition();

    void navigateBack();
    void navigateForward();
    // Closes the first-run window.
    void btnDismissClick();

    QPushButton* btnBack() const { return btnBack_; }
    QPushButton* btnForward() const { return btnForward_; }
    QPushButton* btnDismiss() const { return btnDismiss_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    void transition(int index);
    platform::ViewControllerBase* pageController(int index);

    const platform::UiCatalog& catalog_;
    QList<FirstRunPageEnum> arrangedObjects_;
    int selectedIndex_ = -1;
    // Made once per identifier, as the page controller caches them.
    QHash<QString, std::shared_ptr<platform::ViewControllerBase>> pages_;

    QPointer<QStackedWidget> stack_;
    QPointer<QPushButton> btnBack_;
    QPointer<QPushButton> btnForward_;
    QPointer<QPushButton> btnDismiss_;
};

} // namespace vantel
