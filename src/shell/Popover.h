#pragma once

#include <QRect>
#include <QSize>

#include <memory>

namespace vantel {

class Popover;
class ViewController;

// Told what the popover of the main view does. The manager is its delegate.
class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;

    virtual void popoverWillShow(Popover& popover) = 0;
    virtual void popoverDidShow(Popover& popover) = 0;
    virtual bool popoverShouldDetach(Popover& popover) = 0;
    virtual void popoverDidDetach(Popover& popover) = 0;
    virtual bool popoverShouldClose(Popover& popover) = 0;
};

// What the core asks of a popover; the Widgets shell implements it over the
// platform's popover host. Main thread only.
class Popover {
public:
    virtual ~Popover() = default;

    virtual bool isShown() const = 0;
    virtual bool isDetached() const = 0;
    virtual void setAnimates(bool on) = 0;
    // Transient: closes on a press outside it; otherwise its owner closes it.
    virtual void setTransient(bool on) = 0;
    virtual bool isTransient() const = 0;

    virtual std::shared_ptr<ViewController> contentViewController() const = 0;
    // Shows the controller's view; nullptr gives the view back.
    virtual void setContentViewController(std::shared_ptr<ViewController> controller) = 0;
    virtual void setContentSize(const QSize& size) = 0;

    // Shows beside a rectangle in global coordinates, on the edge given by
    // its index: 0 below, 1 above, 2 left, 3 right.
    virtual void show(const QRect& anchor, int edge) = 0;
    virtual void close() = 0;

    void setDelegate(PopoverDelegate* delegate) { delegate_ = delegate; }
    PopoverDelegate* delegate() const { return delegate_; }

private:
    PopoverDelegate* delegate_ = nullptr;
};

} // namespace vantel
