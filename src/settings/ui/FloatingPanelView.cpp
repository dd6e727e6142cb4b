#include "settings/ui/FloatingPanelView.h"

#include "model/LocalizedStrings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace vantel {

FloatingPanelView::FloatingPanelView(QWidget* parent)
    : QWidget(parent)
    , closeButton_(new QToolButton(this))
{
    setFocusPolicy(Qt::StrongFocus);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setAccessibleName(localized("Close"));
    closeButton_->setToolTip(localized("Close"));
    closeButton_->setAutoRaise(true);
    QIcon icon = QIcon::fromTheme(QStringLiteral("window-close"));
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_TitleBarCloseButton);
    closeButton_->setIcon(icon);
    closeButton_->setFixedSize(24, 24);
    connect(closeButton_, &QToolButton::clicked, this, [this] { window()->close(); });
}

bool FloatingPanelView::isTranslucent() const
{
    return window()->testAttribute(Qt::WA_TranslucentBackground);
}

void FloatingPanelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The application's window colour: a content view may clear the window's.
    QColor fill = QApplication::palette(this).color(QPalette::Window);
    if (isTranslucent()) {
        painter.setRenderHint(QPainter::Antialiasing);
        fill.setAlpha(translucentAlpha);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(path, fill);
        return;
    }
    painter.fillRect(rect(), fill);
    // Without a title bar the edge shows where the window ends.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FloatingPanelView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (QWindow* handle = window()->windowHandle(); handle && handle->startSystemMove()) {
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void FloatingPanelView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        window()->close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FloatingPanelView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    closeButton_->move(width() - closeButton_->width() - 8, 8);
    closeButton_->raise();
}

} // namespace vantel
