#pragma once

#include "platform/ui/ViewControllerBase.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

class QPropertyAnimation;

namespace vantel::platform {

class PopoverHost;

// Told what a popover is about to do; every answer has a default.
class PopoverHostDelegate {
public:
    virtual ~PopoverHostDelegate() = default;

    virtual void popoverWillShow(PopoverHost& popover) { (void)popover; }
    virtual void popoverDidShow(PopoverHost& popover) { (void)popover; }
    // Asked when the user starts to drag a detachable popover off.
    virtual bool popoverShouldDetach(PopoverHost& popover) { (void)popover; return true; }
    virtual void popoverDidDetach(PopoverHost& popover) { (void)popover; }
    // Asked before a close the user caused (outside press, Escape,
    // performClose); a plain close() does not ask.
    virtual bool popoverShouldClose(PopoverHost& popover) { (void)popover; return true; }
    virtual void popoverWillClose(PopoverHost& popover) { (void)popover; }
    virtual void popoverDidClose(PopoverHost& popover) { (void)popover; }
};

// A popover: a frameless window beside an anchor rectangle, holding one
// content widget or one view controller's view. It is a tool window, not a
// Qt::Popup, so it grabs nothing: file dialogs, menus and further popovers
// opened from it work as anywhere else.
//
// Placement: on the preferred edge of the anchor (below, above, left, right),
// centred on the anchor along that edge; flipped to the opposite edge when it
// does not fit there and does fit there, and kept inside the available area of
// the anchor's screen.
//
// Transient (the default behaviour): a mouse press anywhere in the program
// outside the popover closes it, unless the press lands in a window opened
// from it (a child popover, menu or dialog whose owner chain leads back to
// it) or in a modal dialog. Escape and, optionally, the program losing focus
// close it too. Application-defined behaviour leaves closing to the owner.
//
// Detachable popovers turn into a normal window with only a close button
// when the user drags their background; a detached popover is closed only
// by that button or by the program. Closing never destroys the popover.
//
// The content view controller's life cycle is driven here: viewWillAppear
// before the window shows, viewDidAppear right after, viewWillDisappear
// before it hides, viewDidDisappear after. Main thread only.
class PopoverHost : public QWidget {
    Q_OBJECT

public:
    // The edge of the anchor the popover sits on.
    enum Edge { below = 0, above = 1, left = 2, right = 3 };
    enum class Behavior { applicationDefined, transient };

    struct Placement {
        QRect frame;
        Edge edge = below;
    };
    // Where a popover of the size goes beside the anchor inside the area;
    // a size larger than the area is cut down to it.
    static Placement place(const QSize& size, const QRect& anchor, Edge preferredEdge, const QRect& area);
    // Space between anchor and popover.
    static constexpr int anchorGap = 2;
    static constexpr int borderWidth = 1;

    explicit PopoverHost(QWidget* parent = nullptr);
    ~PopoverHost() override;

    // A content widget, owned by the popover from now on; replaces any
    // content view controller.
    void setContentWidget(QWidget* widget);
    // A content view controller, not owned; its view is given back when it
    // is replaced or the popover goes. nullptr removes it.
    void setContentViewController(ViewControllerBase* controller);
    ViewControllerBase* contentViewController() const { return controller_; }
    QWidget* contentWidget() const;

    // The content's size; without an explicit size, the controller's
    // preferred size, else the content's size hint.
    void setContentSize(std::optional<QSize> size);
    QSize contentSize() const;

    void setDelegate(PopoverHostDelegate* delegate) { delegate_ = delegate; }
    PopoverHostDelegate* delegate() const { return delegate_; }
    void setBehavior(Behavior behavior) { behavior_ = behavior; }
    Behavior behavior() const { return behavior_; }
    // Fades in when shown.
    void setAnimates(bool on) { animates_ = on; }
    bool animates() const { return animates_; }
    void setDetachable(bool on) { detachable_ = on; }
    bool isDetachable() const { return detachable_; }
    // Whether a transient popover closes when the program loses focus (on by
    // default; an owner that handles focus loss itself turns it off).
    void setClosesOnApplicationDeactivate(bool on) { closesOnDeactivate_ = on; }

    // Shows beside a rectangle in global coordinates; an already shown
    // popover moves there.
    void showRelativeTo(const QRect& anchor, Edge preferredEdge);
    // Shows beside a rectangle of a widget; the widget's window becomes the
    // popover's owner for the outside-press test.
    void showRelativeTo(QWidget* anchorView, const QRect& rectInView, Edge preferredEdge);

    bool isShown() const { return shown_; }
    bool isDetached() const { return detached_; }
    // The edge actually used by the last show.
    Edge shownEdge() const { return shownEdge_; }
    QRect anchorRect() const { return anchor_; }

    // Closes after asking the delegate; close() closes without asking.
    void performClose();
    // Closes without asking; the native window stays for the next show.
    bool close();
    // Turns the shown popover into a normal window (asks the delegate).
    bool detach();

    // Whether the window belongs to this popover: it is the popover, or its
    // owner chain (parents, popover owners) leads here.
    bool ownsWindow(const QWidget* window) const;

signals:
    void willShow();
    void didShow();
    void didDetach();
    void willClose();
    void didClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void attachContent(QWidget* widget);
    void releaseController();
    // Takes the controller's view out, telling it while shown.
    void retireController();
    void applyPopoverLook();
    void applyDetachedLook();
    void applyActiveColours();
    QSize frameSizeFor(const QSize& content) const;
    void applicationStateChanged(Qt::ApplicationState state);

    QPointer<QWidget> contentWidget_;
    QPointer<ViewControllerBase> controller_;
    std::optional<QSize> contentSize_;
    PopoverHostDelegate* delegate_ = nullptr;
    Behavior behavior_ = Behavior::transient;
    bool animates_ = false;
    bool detachable_ = false;
    bool closesOnDeactivate_ = true;

    bool shown_ = false;
    bool detached_ = false;
    bool closing_ = false;
    bool filterInstalled_ = false;
    Edge shownEdge_ = below;
    QRect anchor_;
    QPointer<QWidget> owner_;
    QPropertyAnimation* fade_ = nullptr;

    std::optional<QPoint> pressGlobal_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace vantel::platform
