#include "platform/ui/QtDialogProvider.h"

#include "platform/ui/FloatingWindow.h"
#include "platform/ui/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace vantel::platform {

namespace {

// Greys out what the request does not let the user pick.
class EnabledFilterModel final : public QIdentityProxyModel {
public:
    EnabledFilterModel(std::function<bool(const QString&)> isEnabled, QObject* parent)
        : QIdentityProxyModel(parent)
        , isEnabled_(std::move(isEnabled))
    {
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags result = QIdentityProxyModel::flags(index);
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files && index.isValid() && !isEnabled_(files->filePath(mapToSource(index))))
            result &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return result;
    }

private:
    std::function<bool(const QString&)> isEnabled_;
};

class OpenPanel final : public QFileDialog {
public:
    OpenPanel(const OpenPanelRequest& request, QWidget* parent)
        : QFileDialog(parent)
        , request_(request)
    {
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty())
            return;
        bool allDirectories = true;
        for (const QString& path : chosen)
            allDirectories = allDirectories && QFileInfo(path).isDir();
        // A folder that may not be chosen is entered, as the dialog would do.
        if (allDirectories && !request_.canChooseDirectories) {
            QFileDialog::accept();
            return;
        }
        for (const QString& path : chosen) {
            const QFileInfo info(path);
            QString reason;
            bool allowed = info.exists() && (info.isDir() ? request_.canChooseDirectories : request_.canChooseFiles);
            if (allowed && request_.isEnabled)
                allowed = request_.isEnabled(info.absoluteFilePath());
            if (allowed && request_.validate)
                allowed = request_.validate(info.absoluteFilePath(), &reason);
            if (!allowed) {
                QApplication::beep();
                if (!reason.isEmpty())
                    QMessageBox::warning(this, windowTitle(), reason);
                return;
            }
        }
        // Accepting directly: the base class would step into a chosen folder.
        QDialog::accept();
    }

private:
    OpenPanelRequest request_;
};

// A message box sizes itself only as it shows, after the dialog placed it
// at its first size: placed again then, before it maps, over the window it
// is opened from or in the middle of the screen.
class Alert final : public QMessageBox {
public:
    Alert(QWidget* parent, bool centredOnScreen)
        : QMessageBox(parent)
        , centredOnScreen_(centredOnScreen)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (event->spontaneous() || placed_)
            return;
        placed_ = true;
        const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
        if (over && over->isVisible() && !centredOnScreen_) {
            const QScreen* screen = over->screen();
            WindowPlacement::centre(this, over->frameGeometry().center(),
                                    screen ? screen->availableGeometry() : QRect());
        } else {
            WindowPlacement::centreOnScreen(this, over);
        }
    }

private:
    bool centredOnScreen_;
    bool placed_ = false;
};

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::Warning:
        return QMessageBox::Warning;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    case AlertStyle::Informational:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

void QtDialogProvider::install()
{
    DialogProvider::setShared(std::make_shared<QtDialogProvider>());
}

bool QtDialogProvider::haveWidgets()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    qWarning("QtDialogProvider: no QApplication, the dialog is not shown");
    return false;
}

QWidget* QtDialogProvider::dialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // Not the tray icon's window, which may count as active once clicked or
    // embedded: the window manager does not manage it, and a dialog over it
    // would sit in the corner of the screen, under the popover.
    if (QWidget* active = QApplication::activeWindow();
        active && active->isVisible() && !active->windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return active;
    // The window that asked has just closed (a popover's button): a popover
    // or floating window still up would cover a dialog of its own, so the
    // dialog sits over that one, above it.
    return floatingWindow(nullptr, true);
}

AlertResponse QtDialogProvider::runAlert(const AlertRequest& request)
{
    AlertResponse response;
    if (!haveWidgets())
        return response;

    // Over what is up, so that nothing of the program covers it.
    Alert box(dialogParent(), request.centredOnScreen);
    box.setIcon(iconFor(request.style));
    box.setText(request.messageText);
    box.setInformativeText(request.informativeText);
    box.setWindowTitle(QApplication::applicationDisplayName());

    const QStringList titles = request.buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : request.buttons;
    QList<QPushButton*> buttons;
    for (const QString& title : titles) {
        // One role for all keeps the buttons in the order given.
        buttons.append(box.addButton(title, QMessageBox::ActionRole));
    }
    if (request.defaultButton >= 0 && request.defaultButton < buttons.size())
        box.setDefaultButton(buttons.at(request.defaultButton));
    int cancel = request.cancelButton;
    if (cancel < 0 || cancel >= buttons.size()) {
        cancel = titles.indexOf(QStringLiteral("Cancel"));
        if (cancel < 0)
            cancel = buttons.size() - 1;
    }
    box.setEscapeButton(buttons.at(cancel));

    QCheckBox* suppression = nullptr;
    if (request.showsSuppressionButton) {
        suppression = new QCheckBox(request.suppressionButtonTitle, &box);
        box.setCheckBox(suppression);
    }

    box.exec();
    response.buttonIndex = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    if (response.buttonIndex < 0)
        response.buttonIndex = cancel;
    response.suppressionChecked = suppression && suppression->isChecked();
    return response;
}

SavePanelResponse QtDialogProvider::runSavePanel(const SavePanelRequest& request)
{
    SavePanelResponse response;
    if (!haveWidgets())
        return response;

    QFileDialog panel(dialogParent());
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setFileMode(QFileDialog::AnyFile);
    if (!request.allowedFileTypes.isEmpty()) {
        panel.setNameFilter(fileFilter(request.allowedFileTypes, request.fileTypeDescription));
        panel.setDefaultSuffix(request.allowedFileTypes.first());
    }
    if (!request.title.isEmpty())
        panel.setWindowTitle(request.title);
    // Without a folder of its own a panel would open wherever the program
    // was started from.
    panel.setDirectory(request.directory.isEmpty() ? QDir::homePath() : request.directory);
    if (!request.nameFieldStringValue.isEmpty())
        panel.selectFile(request.nameFieldStringValue);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return response;
    response.accepted = true;
    // QFileDialog leaves a name with another extension as it is.
    response.path = pathWithAllowedExtension(request, QFileInfo(panel.selectedFiles().first()).absoluteFilePath());
    return response;
}

OpenPanelResponse QtDialogProvider::runOpenPanel(const OpenPanelRequest& request)
{
    OpenPanelResponse response;
    if (!haveWidgets())
        return response;

    OpenPanel panel(request, dialogParent());
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
    panel.setOption(QFileDialog::DontResolveSymlinks, !request.resolvesAliases);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.canChooseFiles && request.canChooseDirectories) {
        panel.setFileMode(QFileDialog::Directory);
    } else {
        // Folders, when allowed, are accepted by OpenPanel::accept.
        panel.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;
    if (request.showsHiddenFiles)
        filters |= QDir::Hidden;
    panel.setFilter(filters);
    if (!request.allowedFileTypes.isEmpty())
        panel.setNameFilter(fileFilter(request.allowedFileTypes, request.fileTypeDescription));
    if (!request.title.isEmpty())
        panel.setWindowTitle(request.title);
    if (!request.prompt.isEmpty())
        panel.setLabelText(QFileDialog::Accept, request.prompt);
    if (!request.message.isEmpty()) {
        // The non-native dialog has no message line of its own: add one below.
        if (auto* grid = qobject_cast<QGridLayout*>(panel.layout())) {
            auto* label = new QLabel(request.message, &panel);
            label->setWordWrap(true);
            grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    // Without a folder of its own a panel would open wherever the program
    // was started from.
    panel.setDirectory(request.directory.isEmpty() ? QDir::homePath() : request.directory);
    if (request.isEnabled)
        panel.setProxyModel(new EnabledFilterModel(request.isEnabled, &panel));

    if (panel.exec() != QDialog::Accepted)
        return response;
    response.accepted = true;
    for (const QString& path : panel.selectedFiles())
        response.paths.append(QFileInfo(path).absoluteFilePath());
    return response;
}

} // namespace vantel::platform
