#include "platform/ui/HostedView.h"

#include "platform/FocusLoss.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QWidget>

namespace vantel::platform {

void embedView(QWidget* host, QWidget* view)
{
    if (!view)
        return;
    if (view->parentWidget() != host) {
        view->setParent(host);
        host->layout()->addWidget(view);
    }
    view->show();
}

void releaseView(QWidget* host, QWidget* view)
{
    if (!view || view->parentWidget() != host)
        return;
    host->layout()->removeWidget(view);
    view->hide();
    view->setParent(nullptr);
}

bool closeKeepingNativeWindow(QWidget* host)
{
    if (host->testAttribute(Qt::WA_DeleteOnClose))
        return host->close(); // goes whole anyway
    QCloseEvent event;
    QCoreApplication::sendEvent(host, &event);
    if (!event.isAccepted())
        return false;
    host->hide();
    return true;
}

void raiseAndActivate(QWidget* host)
{
    host->raise();
    host->activateWindow();
    if (QGuiApplication::focusWindow() == host->windowHandle() && QApplication::activeWindow() != host) {
        QApplication::setActiveWindow(host);
        focusLossMayFollowShow();
    }
}

} // namespace vantel::platform
