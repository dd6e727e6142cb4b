#include "platform/ui/ViewControllerBase.h"

#include "platform/ui/WindowHost.h"

#include <QWidget>

namespace vantel::platform {

ViewControllerBase::ViewControllerBase(QObject* parent)
    : QObject(parent)
{
}

ViewControllerBase::~ViewControllerBase()
{
    if (sheetWindow_)
        delete sheetWindow_.data();
    delete view_.data();
}

QWidget* ViewControllerBase::view()
{
    if (!view_) {
        view_ = loadView();
        if (!view_)
            view_ = new QWidget();
        setState(AppearanceState::viewDidLoad);
        viewDidLoad();
    }
    return view_;
}

QWidget* ViewControllerBase::loadView()
{
    return new QWidget();
}

bool ViewControllerBase::hasWindow() const
{
    if (!view_)
        return false;
    const QWidget* window = view_->window();
    return window != view_ && window->isVisible();
}

void ViewControllerBase::presentAsSheet(const std::shared_ptr<ViewControllerBase>& sheet)
{
    if (!sheet || sheet.get() == this)
        return;
    dismissPresented();
    QWidget* owner = hasWindow() ? view_->window() : nullptr;
    auto* window = new WindowHost(owner, owner ? Qt::Sheet | Qt::Dialog : Qt::Dialog);
    window->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(sheet->view()->windowTitle());
    sheet->presenting_ = this;
    presentedSheet_ = sheet;
    sheetWindow_ = window;
    window->setContentViewController(sheet.get());
    // The window goes when it closes; the sheet controller stays alive as
    // long as anyone holds it, with its view given back.
    connect(window, &WindowHost::windowDidClose, this, [this, window] {
        window->setContentViewController(nullptr);
        if (sheetWindow_ == window) {
            if (presentedSheet_)
                presentedSheet_->presenting_ = nullptr;
            presentedSheet_.reset();
            sheetWindow_ = nullptr;
        }
    });
    window->showWindow();
}

void ViewControllerBase::dismiss()
{
    if (presenting_)
        presenting_->dismissPresented();
}

void ViewControllerBase::dismissPresented()
{
    if (sheetWindow_)
        sheetWindow_->close();
}

void ViewControllerBase::sendViewWillAppear()
{
    view();
    appearing_ = true;
    setState(AppearanceState::viewWillAppear);
    viewWillAppear();
}

void ViewControllerBase::sendViewDidAppear()
{
    setState(AppearanceState::viewDidAppear);
    viewDidAppear();
}

void ViewControllerBase::sendViewWillDisappear()
{
    setState(AppearanceState::viewWillDisappear);
    viewWillDisappear();
}

void ViewControllerBase::sendViewDidDisappear()
{
    appearing_ = false;
    // No state of its own: a view that has gone stays in viewWillDisappear.
    viewDidDisappear();
}

void ViewControllerBase::setState(AppearanceState state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit appearanceStateChanged(state);
}

} // namespace vantel::platform
