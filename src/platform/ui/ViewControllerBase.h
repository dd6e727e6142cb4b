#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include <memory>
#include <optional>

class QWidget;

namespace vantel::platform {

class WindowHost;

// A controller of one view, shown by a host (popover, window, tab, sheet).
// The host drives the life cycle synchronously and in order: the view is
// loaded on first use (viewDidLoad), then viewWillAppear runs before the host
// shows it, viewDidAppear right after the show returned, viewWillDisappear
// before the host hides it and viewDidDisappear after. Nothing is inferred
// from show events, so a caller that shows a host can read the state at once.
//
// The controller owns its view; a host only borrows it and gives it back
// (unparented) when it lets go of the controller or is destroyed.
// Main thread only.
class ViewControllerBase : public QObject {
    Q_OBJECT

public:
    // There is no state for a view that has gone: it stays in viewWillDisappear.
    enum class AppearanceState { none, viewDidLoad, viewWillAppear, viewDidAppear, viewWillDisappear };

    explicit ViewControllerBase(QObject* parent = nullptr);
    ~ViewControllerBase() override;

    // Loads the view on first use (loadView, then viewDidLoad).
    QWidget* view();
    bool isViewLoaded() const { return !view_.isNull(); }
    AppearanceState appearanceState() const { return state_; }
    // True from viewWillAppear until viewDidDisappear.
    bool isAppearing() const { return appearing_; }

    // The size the host gives the view; none lets the host use its size hint.
    std::optional<QSize> preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(std::optional<QSize> size) { preferredContentSize_ = size; }

    // Whether the view currently sits in a window that is shown.
    virtual bool hasWindow() const;

    // Shows another controller as a window-modal sheet over this one's
    // window (application-modal when this view has no window). The sheet
    // lives until it is dismissed or its window is closed.
    void presentAsSheet(const std::shared_ptr<ViewControllerBase>& sheet);
    // Closes the sheet this controller is shown in; nothing when it is none.
    void dismiss();
    ViewControllerBase* presentingViewController() const { return presenting_; }

    // ---- Driven by hosts only ----
    void sendViewWillAppear();
    void sendViewDidAppear();
    void sendViewWillDisappear();
    void sendViewDidDisappear();

signals:
    void appearanceStateChanged(vantel::platform::ViewControllerBase::AppearanceState state);

protected:
    // Makes the view; the default is an empty widget.
    virtual QWidget* loadView();
    // The hooks run after the state of the same name was set.
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}

private:
    void setState(AppearanceState state);
    void dismissPresented();

    QPointer<QWidget> view_;
    AppearanceState state_ = AppearanceState::none;
    bool appearing_ = false;
    std::optional<QSize> preferredContentSize_;
    QPointer<ViewControllerBase> presenting_;
    std::shared_ptr<ViewControllerBase> presentedSheet_;
    QPointer<WindowHost> sheetWindow_;
};

} // namespace vantel::platform
