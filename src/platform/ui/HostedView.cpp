#include "platform/ui/HostedView.h"

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

} // namespace vantel::platform
