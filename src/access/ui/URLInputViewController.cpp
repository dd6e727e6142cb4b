#include "access/ui/URLInputViewController.h"

#include "model/L10n.h"
#include "platform/Bundle.h"
#include "platform/SymbolicImage.h"
#include "platform/Workspace.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantel {

URLInputViewController::URLInputViewController(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QString());
    setModal(true);
    resize(480, 217);

    imageURL_ = new QLabel(this);
    imageURL_->setFixedSize(64, 64);
    labelURL_ = new QLabel(this);
    labelURL_->setWordWrap(true);
    inputURL_ = new QLineEdit(this);

    auto* ok = new QPushButton(L10n::dialogtext_ok(), this);
    auto* cancel = new QPushButton(L10n::dialogtext_cancel(), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(inputURL_, &QLineEdit::returnPressed, this, [this] { btnOKClick(); });

    auto* top = new QHBoxLayout;
    top->addWidget(imageURL_, 0, Qt::AlignTop);
    top->addWidget(labelURL_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(inputURL_);
    layout->addStretch(1);
    layout->addLayout(buttons);

    configureDialog(std::nullopt);
}

void URLInputViewController::setDialogLabel(const std::optional<QString>& label)
{
    dialogLabel_ = label;
    if (!label)
        return;
    labelURL_->setText(label->isEmpty() ? L10n::openURLInput() : *label);
}

void URLInputViewController::configureDialog(const std::optional<QString>& applicationPath)
{
    QIcon icon;
    // Only an application that is there: the desktop draws a generic icon
    // for any path.
    if (applicationPath && QFileInfo::exists(*applicationPath))
        icon = platform::Workspace::shared().iconForFile(*applicationPath);
    showsApplicationIcon_ = !icon.isNull();
    if (!icon.isNull()) {
        imageURL_->setPixmap(icon.pixmap(64, 64));
        return;
    }
    // The bundle's picture of a custom URL: a single-coloured symbol, drawn in
    // the text's colour so that it shows on a dark dialog as on a light one.
    const std::optional<QIcon> custom = platform::Bundle::main().imageNamed(QStringLiteral("url_Custom"));
    QPixmap picture = custom ? custom->pixmap(QSize(64, 64), imageURL_->devicePixelRatioF()) : QPixmap();
    if (!picture.isNull() && platform::isSymbolicImage(picture.toImage())) {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(picture.rect(), palette().color(QPalette::WindowText));
    }
    imageURL_->setPixmap(picture);
}

void URLInputViewController::btnOKClick()
{
    modalResponse_ = QDialog::Accepted;
    done(QDialog::Accepted);
}

void URLInputViewController::btnCancelClick()
{
    modalResponse_ = QDialog::Rejected;
    done(QDialog::Rejected);
}

void URLInputViewController::done(int result)
{
    Q_UNUSED(result);
    // Closed without a button: cancelled, no answer.
    if (!modalResponse_) {
        dialogResult_.reset();
        QDialog::done(QDialog::Rejected);
        return;
    }
    dialogResult_ = inputURL_->text();
    QDialog::done(*modalResponse_);
}

void URLInputViewController::mousePressEvent(QMouseEvent* event)
{
    // No title bar: the window moves by its background.
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void URLInputViewController::mouseMoveEvent(QMouseEvent* event)
{
    if (dragOffset_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - *dragOffset_);
    QDialog::mouseMoveEvent(event);
}

} // namespace vantel
