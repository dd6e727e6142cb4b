#pragma once

#include "platform/ui/PopoverHost.h"
#include "shell/Popover.h"

#include <memory>

namespace vantel {

// The main view's popover: the platform's popover host, detachable, and
// left open on focus loss (the manager decides that). What the host asks
// its delegate goes to the core's delegate (the manager).
class MainPopover final : public Popover, private platform::PopoverHostDelegate {
public:
    MainPopover();
    ~MainPopover() override;

    platform::PopoverHost* host() const { return host_.get(); }

    bool isShown() const override { return host_->isShown(); }
    bool isDetached() const override { return host_->isDetached(); }
    void setAnimates(bool on) override { host_->setAnimates(on); }
    void setTransient(bool on) override;
    bool isTransient() const override;

    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override;
    void setContentSize(const QSize& size) override { host_->setContentSize(size); }

    void show(const QRect& anchor, int edge) override;
    void close() override { host_->close(); }

private:
    void popoverWillShow(platform::PopoverHost& popover) override;
    void popoverDidShow(platform::PopoverHost& popover) override;
    bool popoverShouldDetach(platform::PopoverHost& popover) override;
    void popoverDidDetach(platform::PopoverHost& popover) override;
    bool popoverShouldClose(platform::PopoverHost& popover) override;

    // Declared first, released last: the host gives the view back first.
    std::shared_ptr<ViewController> content_;
    std::unique_ptr<platform::PopoverHost> host_;
};

} // namespace vantel
