#include "platform/ui/PopoverHost.h"

#include "platform/FocusLoss.h"
#include "platform/ui/HostedView.h"
#include "platform/ui/ScreenProvider.h"
#include "platform/ui/ViewControllerBase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace vantel::platform {

namespace {

constexpr Qt::WindowFlags popoverFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
// A detached popover is a plain window whose only button closes it.
constexpr Qt::WindowFlags detachedFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr int fadeMilliseconds = 120;

bool isVertical(PopoverHost::Edge edge)
{
    return edge == PopoverHost::below || edge == PopoverHost::above;
}

PopoverHost::Edge opposite(PopoverHost::Edge edge)
{
    switch (edge) {
    case PopoverHost::below: return PopoverHost::above;
    case PopoverHost::above: return PopoverHost::below;
    case PopoverHost::left: return PopoverHost::right;
    case PopoverHost::right: return PopoverHost::left;
    }
    return PopoverHost::below;
}

// Position along the main axis for an edge; exclusive right/bottom edges.
int mainPosition(const QSize& size, const QRect& anchor, PopoverHost::Edge edge)
{
    switch (edge) {
    case PopoverHost::below: return anchor.y() + anchor.height() + PopoverHost::anchorGap;
    case PopoverHost::above: return anchor.y() - PopoverHost::anchorGap - size.height();
    case PopoverHost::left: return anchor.x() - PopoverHost::anchorGap - size.width();
    case PopoverHost::right: return anchor.x() + anchor.width() + PopoverHost::anchorGap;
    }
    return 0;
}

// Room on the side of the anchor that the edge names.
int room(const QRect& anchor, PopoverHost::Edge edge, const QRect& area)
{
    switch (edge) {
    case PopoverHost::below: return area.y() + area.height() - (anchor.y() + anchor.height()) - PopoverHost::anchorGap;
    case PopoverHost::above: return anchor.y() - area.y() - PopoverHost::anchorGap;
    case PopoverHost::left: return anchor.x() - area.x() - PopoverHost::anchorGap;
    case PopoverHost::right: return area.x() + area.width() - (anchor.x() + anchor.width()) - PopoverHost::anchorGap;
    }
    return 0;
}

int clampInto(int position, int length, int areaStart, int areaLength)
{
    if (length >= areaLength)
        return areaStart;
    return qBound(areaStart, position, areaStart + areaLength - length);
}

// Brings the layouts of a window's content up to date at once. Layouts of
// a hidden window run only when it shows, so a part hidden in the meantime
// (a popover's grid) still counts in the window's minimum size, and a frame
// set before the showing would be held at that old, larger minimum.
void settleLayouts(QWidget* window)
{
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    const auto depth = [window](const QWidget* widget) {
        int levels = 0;
        for (; widget && widget != window; widget = widget->parentWidget())
            ++levels;
        return levels;
    };
    // Innermost first, so that each layout sees its children's new hints.
    std::stable_sort(widgets.begin(), widgets.end(),
                     [&depth](const QWidget* a, const QWidget* b) { return depth(a) > depth(b); });
    for (QWidget* widget : std::as_const(widgets)) {
        if (widget->layout())
            widget->layout()->activate();
    }
    if (window->layout())
        window->layout()->activate();
}

} // namespace

PopoverHost::Placement PopoverHost::place(const QSize& wanted, const QRect& anchor, Edge preferredEdge,
                                          const QRect& area)
{
    // Never larger than the screen it opens on (a large scale factor makes
    // a small screen smaller than the popover's own size).
    const QSize size = area.isValid() ? wanted.boundedTo(area.size()) : wanted;
    const int needed = isVertical(preferredEdge) ? size.height() : size.width();
    Edge edge = preferredEdge;
    if (room(anchor, edge, area) < needed) {
        const Edge other = opposite(edge);
        // Flip when the other side fits, or at least has more room.
        if (room(anchor, other, area) >= needed || room(anchor, other, area) > room(anchor, edge, area))
            edge = other;
    }
    QPoint origin;
    if (isVertical(edge)) {
        origin.setY(mainPosition(size, anchor, edge));
        origin.setX(anchor.x() + (anchor.width() - size.width()) / 2);
    } else {
        origin.setX(mainPosition(size, anchor, edge));
        origin.setY(anchor.y() + (anchor.height() - size.height()) / 2);
    }
    if (area.isValid()) {
        origin.setX(clampInto(origin.x(), size.width(), area.x(), area.width()));
        origin.setY(clampInto(origin.y(), size.height(), area.y(), area.height()));
    }
    return {QRect(origin, size), edge};
}

PopoverHost::PopoverHost(QWidget* parent)
    : QWidget(parent, popoverFlags)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    applyPopoverLook();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &PopoverHost::applicationStateChanged);
}

PopoverHost::~PopoverHost()
{
    if (filterInstalled_)
        qApp->removeEventFilter(this);
    releaseController();
}

QWidget* PopoverHost::contentWidget() const
{
    if (controller_)
        return controller_->isViewLoaded() ? controller_->view() : nullptr;
    return contentWidget_;
}

void PopoverHost::attachContent(QWidget* widget)
{
    embedView(this, widget);
}

void PopoverHost::releaseController()
{
    if (controller_ && controller_->isViewLoaded())
        releaseView(this, controller_->view());
}

void PopoverHost::retireController()
{
    if (!controller_)
        return;
    if (shown_)
        controller_->sendViewWillDisappear();
    releaseController();
    if (shown_)
        controller_->sendViewDidDisappear();
}

void PopoverHost::setContentWidget(QWidget* widget)
{
    retireController();
    controller_ = nullptr;
    if (contentWidget_ && contentWidget_ != widget) {
        layout()->removeWidget(contentWidget_);
        delete contentWidget_.data();
    }
    contentWidget_ = widget;
    attachContent(widget);
}

void PopoverHost::setContentViewController(ViewControllerBase* controller)
{
    if (controller == controller_)
        return;
    if (contentWidget_) {
        layout()->removeWidget(contentWidget_);
        delete contentWidget_.data();
    }
    retireController();
    controller_ = controller;
    if (!controller_)
        return;
    if (shown_)
        controller_->sendViewWillAppear();
    attachContent(controller_->view());
    if (shown_)
        controller_->sendViewDidAppear();
}

void PopoverHost::setContentSize(std::optional<QSize> size)
{
    contentSize_ = size;
    if (shown_) {
        settleLayouts(this);
        resize(frameSizeFor(contentSize()));
    }
}

QSize PopoverHost::contentSize() const
{
    if (contentSize_)
        return *contentSize_;
    if (controller_) {
        if (const auto preferred = controller_->preferredContentSize())
            return *preferred;
    }
    const QWidget* content = contentWidget();
    if (!content)
        return QSize(0, 0);
    QSize hint = content->sizeHint().expandedTo(content->minimumSizeHint());
    if (!hint.isValid())
        hint = QSize(0, 0);
    return hint.expandedTo(content->minimumSize()).boundedTo(content->maximumSize());
}

QSize PopoverHost::frameSizeFor(const QSize& content) const
{
    const QMargins margins = layout()->contentsMargins();
    return content.grownBy(margins);
}

void PopoverHost::applyPopoverLook()
{
    layout()->setContentsMargins(borderWidth, borderWidth, borderWidth, borderWidth);
    layout()->activate();
    setWindowFlags(popoverFlags);
    applyActiveColours();
}

void PopoverHost::applyDetachedLook()
{
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->activate();
    setWindowFlags(detachedFlags);
    setPalette(QPalette()); // a window like any other: greyed while another one has the focus
}

void PopoverHost::applyActiveColours()
{
    // An open popover is where the user works, and it closes when the focus
    // leaves. Drawn in its active colours from the first frame, it does not
    // flash from grey as the window manager hands it the focus a moment
    // after it maps, and that hand-over repaints the focus widget only.
    // Made again at each show, since the program's colours may have changed
    // (a light or dark theme): a set palette no longer follows them.
    QPalette colours = QApplication::palette(this);
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = QPalette::ColorRole(role);
        colours.setBrush(QPalette::Inactive, colourRole, colours.brush(QPalette::Active, colourRole));
    }
    if (!testAttribute(Qt::WA_SetPalette) || palette() != colours)
        setPalette(colours);
}

void PopoverHost::showRelativeTo(QWidget* anchorView, const QRect& rectInView, Edge preferredEdge)
{
    owner_ = anchorView;
    if (!anchorView) {
        showRelativeTo(rectInView, preferredEdge);
        return;
    }
    const QRect rect = rectInView.isNull() ? anchorView->rect() : rectInView;
    showRelativeTo(QRect(anchorView->mapToGlobal(rect.topLeft()), rect.size()), preferredEdge);
}

void PopoverHost::showRelativeTo(const QRect& anchor, Edge preferredEdge)
{
    anchor_ = anchor;
    const ScreenProvider& screens = ScreenProvider::shared();
    const auto screen = screens.screenFor(anchor);
    const QRect area = screen ? screen->availableFrame : QRect();

    if (shown_) {
        if (!detached_) {
            settleLayouts(this);
            const Placement placement = place(frameSizeFor(contentSize()), anchor, preferredEdge, area);
            shownEdge_ = placement.edge;
            setGeometry(placement.frame);
        }
        raiseAndActivate(this);
        return;
    }

    if (detached_ || windowFlags() != popoverFlags) {
        detached_ = false;
        applyPopoverLook();
    } else {
        applyActiveColours();
    }
    QPointer<PopoverHost> self(this);
    if (delegate_)
        delegate_->popoverWillShow(*this);
    emit willShow();
    if (!self)
        return;

    if (controller_)
        attachContent(controller_->view());
    settleLayouts(this);
    const Placement placement = place(frameSizeFor(contentSize()), anchor, preferredEdge, area);
    shownEdge_ = placement.edge;
    setGeometry(placement.frame);

    if (controller_)
        controller_->sendViewWillAppear();
    shown_ = true;
    if (!filterInstalled_) {
        qApp->installEventFilter(this);
        filterInstalled_ = true;
    }
    if (animates_) {
        setWindowOpacity(0.0);
        if (!fade_) {
            fade_ = new QPropertyAnimation(this, "windowOpacity", this);
            fade_->setDuration(fadeMilliseconds);
        }
        fade_->stop();
        fade_->setStartValue(0.0);
        fade_->setEndValue(1.0);
    } else {
        setWindowOpacity(1.0);
    }
    show();
    raiseAndActivate(this);
    if (animates_ && fade_)
        fade_->start();
    if (controller_)
        controller_->sendViewDidAppear();
    if (delegate_)
        delegate_->popoverDidShow(*this);
    emit didShow();
}

void PopoverHost::performClose()
{
    if (!shown_ || closing_)
        return;
    if (delegate_ && !delegate_->popoverShouldClose(*this))
        return;
    close();
}

bool PopoverHost::close()
{
    return closeKeepingNativeWindow(this);
}

void PopoverHost::closeEvent(QCloseEvent* event)
{
    if (!shown_ || closing_) {
        event->accept();
        return;
    }
    // The close button of a detached popover asks like any other user close.
    if (event->spontaneous() && delegate_ && !delegate_->popoverShouldClose(*this)) {
        event->ignore();
        return;
    }
    closing_ = true;
    QPointer<PopoverHost> self(this);
    if (delegate_)
        delegate_->popoverWillClose(*this);
    emit willClose();
    if (!self)
        return;
    if (controller_)
        controller_->sendViewWillDisappear();
    if (filterInstalled_) {
        qApp->removeEventFilter(this);
        filterInstalled_ = false;
    }
    if (fade_)
        fade_->stop();
    if (dragging_) {
        dragging_ = false;
        releaseMouse();
    }
    pressGlobal_.reset();
    shown_ = false;
    event->accept();
    // Without a window manager nobody hands the keyboard back to the window
    // the popover was opened from.
    const bool hadFocus = isActiveWindow();
    hide();
    // The next show is a popover again; the window keeps its detached flags
    // until then.
    detached_ = false;
    setWindowOpacity(1.0);
    if (controller_)
        controller_->sendViewDidDisappear();
    closing_ = false;
    if (delegate_)
        delegate_->popoverDidClose(*this);
    emit didClose();
    if (self && hadFocus && owner_ && owner_->window()->isVisible())
        owner_->window()->activateWindow();
}

bool PopoverHost::ownsWindow(const QWidget* window) const
{
    // Bounded: an owner cycle must not hang the event filter.
    for (int depth = 0; window && depth < 64; ++depth) {
        if (window == this)
            return true;
        const QWidget* next = nullptr;
        if (const auto* popover = qobject_cast<const PopoverHost*>(window); popover && popover->owner_)
            next = popover->owner_->window();
        else if (window->parentWidget())
            next = window->parentWidget()->window();
        window = next;
    }
    return false;
}

bool PopoverHost::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationPaletteChange && watched == qApp && shown_ && !detached_) {
        applyActiveColours();
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
        && type != QEvent::NonClientAreaMouseButtonPress)
        return false;
    if (!shown_ || detached_ || closing_ || behavior_ != Behavior::transient || !watched->isWidgetType())
        return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    if (ownsWindow(window))
        return false;
    // A modal dialog (a file dialog asked from the popover, an alert) leaves
    // the popover alone: the user answers it and comes back.
    if (window->isModal() || QApplication::activeModalWidget() == window)
        return false;
    // Nor does a press in a popup menu: it is the menu opened from the
    // popover (its menu button) whose item is being chosen.
    if ((window->windowFlags() & Qt::WindowType_Mask) == Qt::Popup)
        return false;
    // The press still goes where it was aimed.
    QMetaObject::invokeMethod(this, &PopoverHost::performClose, Qt::DirectConnection);
    return false;
}

void PopoverHost::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive || !closesOnDeactivate_)
        return;
    whenFocusLossHolds(this, [this] {
        if (shown_ && !detached_ && behavior_ == Behavior::transient)
            performClose();
    });
}

void PopoverHost::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !detached_
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        performClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PopoverHost::detach()
{
    if (!shown_ || detached_ || !detachable_)
        return false;
    if (delegate_ && !delegate_->popoverShouldDetach(*this))
        return false;
    const QRect frame = geometry();
    const QRect contentFrame = frame.marginsRemoved(layout()->contentsMargins());
    detached_ = true;
    applyDetachedLook();
    setGeometry(contentFrame);
    show();
    raiseAndActivate(this);
    if (delegate_)
        delegate_->popoverDidDetach(*this);
    emit didDetach();
    return true;
}

void PopoverHost::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && shown_ && !detached_ && detachable_)
        pressGlobal_ = event->globalPosition().toPoint();
    QWidget::mousePressEvent(event);
}

void PopoverHost::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (dragging_) {
        move(global - dragOffset_);
        return;
    }
    if (pressGlobal_ && (event->buttons() & Qt::LeftButton)
        && (global - *pressGlobal_).manhattanLength() >= QApplication::startDragDistance()) {
        const QPoint press = *pressGlobal_;
        pressGlobal_.reset();
        const QPoint grabbedAt = press - geometry().topLeft();
        if (!detach())
            return;
        // The window manager moves it when it can; otherwise it follows the
        // pointer until the button is released.
        if (!windowHandle() || !windowHandle()->startSystemMove()) {
            dragging_ = true;
            dragOffset_ = grabbedAt;
            grabMouse();
            move(global - dragOffset_);
        }
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void PopoverHost::mouseReleaseEvent(QMouseEvent* event)
{
    pressGlobal_.reset();
    if (dragging_) {
        dragging_ = false;
        releaseMouse();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void PopoverHost::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (detached_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(QPen(palette().color(QPalette::Mid), borderWidth));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace vantel::platform
