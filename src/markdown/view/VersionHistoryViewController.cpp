#include "markdown/view/VersionHistoryViewController.h"

#include "markdown/view/CustomMarkdownTextView.h"

#include "platform/ui/Compositing.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QVBoxLayout>
#include <QWindow>

namespace vantel {

VersionHistoryViewController::VersionHistoryViewController(QWidget* parent)
    : QWidget(parent)
    , m_markdownTextView(new CustomMarkdownTextView)
    , m_visualEffectView(new QWidget(this))
{
    m_visualEffectView->setObjectName(QStringLiteral("visualEffectView"));
    m_markdownTextView->setObjectName(QStringLiteral("markdownTextView"));
    m_markdownTextView->setFrameShape(QFrame::NoFrame);
    m_markdownTextView->viewport()->setAutoFillBackground(false);

    auto* effectLayout = new QVBoxLayout(m_visualEffectView);
    effectLayout->setContentsMargins(20, 20, 20, 20);
    effectLayout->addWidget(m_markdownTextView);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_visualEffectView);

    viewDidLoad();
}

void VersionHistoryViewController::viewDidLoad()
{
    m_markdownTextView->loadMarkdown(QStringLiteral("versionhistory.md"));
    m_markdownTextView->showMarkdown(MarkdownStyles::whatsNew);
}

void VersionHistoryViewController::viewWillAppear()
{
    // The window colour before the host's is cleared.
    const QColor window = QApplication::palette().color(QPalette::Active, QPalette::Window);
    if (QWidget* host = this->window(); host && host->isWindow()) {
        // No title, a clear background the sidebar-like panel shows through,
        // and the window moves when its background is dragged. Without a
        // compositor a clear background is black: the window stays opaque.
        host->setWindowTitle(QString());
        if (platform::desktopComposites()) {
            host->setAttribute(Qt::WA_TranslucentBackground);
            QPalette clear = host->palette();
            clear.setColor(QPalette::Window, Qt::transparent);
            host->setPalette(clear);
        }
        host->resize(preferredContentSize);
    }
    if (m_visualEffectView) {
        m_visualEffectView->setEnabled(true);
        m_visualEffectView->setVisible(true);
        QPalette sidebar = m_visualEffectView->palette();
        QColor tint = window;
        tint.setAlpha(235);
        sidebar.setColor(QPalette::Window, tint);
        m_visualEffectView->setPalette(sidebar);
        m_visualEffectView->setAutoFillBackground(true);
    }
}

void VersionHistoryViewController::showEvent(QShowEvent* event)
{
    viewWillAppear();
    QWidget::showEvent(event);
}

void VersionHistoryViewController::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (QWindow* handle = window()->windowHandle(); handle && handle->startSystemMove()) {
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

} // namespace vantel
