#include "shell/ui/MainPopover.h"

#include "platform/ui/ViewControllerBase.h"
#include "shell/VantelWindowEnum.h"

namespace vantel {

MainPopover::MainPopover()
    : host_(std::make_unique<platform::PopoverHost>())
{
    host_->setDetachable(true);
    host_->setClosesOnApplicationDeactivate(false);
    host_->setDelegate(this);
    host_->setObjectName(QStringLiteral("mainPopover"));
}

MainPopover::~MainPopover()
{
    host_->setDelegate(nullptr);
}

void MainPopover::setTransient(bool on)
{
    host_->setBehavior(on ? platform::PopoverHost::Behavior::transient
                          : platform::PopoverHost::Behavior::applicationDefined);
}

bool MainPopover::isTransient() const
{
    return host_->behavior() == platform::PopoverHost::Behavior::transient;
}

void MainPopover::setContentViewController(std::shared_ptr<ViewController> controller)
{
    host_->setContentViewController(dynamic_cast<platform::ViewControllerBase*>(controller.get()));
    content_ = std::move(controller);
}

void MainPopover::show(const QRect& anchor, int edge)
{
    const auto hostEdge = (edge >= 0 && edge <= 3) ? platform::PopoverHost::Edge(edge) : platform::PopoverHost::below;
    host_->showRelativeTo(anchor, hostEdge);
}

void MainPopover::popoverWillShow(platform::PopoverHost&)
{
    if (PopoverDelegate* d = delegate())
        d->popoverWillShow(*this);
}

void MainPopover::popoverDidShow(platform::PopoverHost&)
{
    if (PopoverDelegate* d = delegate())
        d->popoverDidShow(*this);
}

bool MainPopover::popoverShouldDetach(platform::PopoverHost&)
{
    PopoverDelegate* d = delegate();
    return d ? d->popoverShouldDetach(*this) : true;
}

void MainPopover::popoverDidDetach(platform::PopoverHost&)
{
    if (PopoverDelegate* d = delegate())
        d->popoverDidDetach(*this);
}

bool MainPopover::popoverShouldClose(platform::PopoverHost&)
{
    PopoverDelegate* d = delegate();
    return d ? d->popoverShouldClose(*this) : true;
}

} // namespace vantel
