#include "access/ui/QtURLInputDialogProvider.h"

#include "access/ui/URLInputViewController.h"

#include <QApplication>

namespace vantel {

void QtURLInputDialogProvider::install()
{
    URLInputDialogProvider::setShared(std::make_shared<QtURLInputDialogProvider>());
}

std::optional<QString> QtURLInputDialogProvider::ask(const URLInputRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("No widgets to ask the URL question \"%s\"", qUtf8Printable(request.question));
        return std::nullopt;
    }
    URLInputViewController controller(QApplication::activeWindow());
    controller.setDialogLabel(request.question);
    controller.setDialogURL(request.url);
    controller.configureDialog(request.applicationPath);
    if (controller.exec() != QDialog::Accepted)
        return std::nullopt;
    return controller.dialogResult();
}

} // namespace vantel
