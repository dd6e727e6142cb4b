#include "mainwindow/MainSplitView.h"

#include "platform/UserDefaults.h"

#include <QMouseEvent>
#include <QSplitterHandle>
#include <QWindow>

namespace vantel {

namespace {

// A divider of no thickness: Qt still gives it a grab area of a few
// pixels over the halves, which must show them, so it draws nothing there.
// Pressed, it moves the window instead of the split.
class MainSplitViewHandle : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override {}

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            if (QWindow* window = this->window()->windowHandle())
                window->startSystemMove();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

} // namespace

MainSplitView::MainSplitView(QWidget* parent)
    : QSplitter(Qt::Horizontal, parent)
{
    setHandleWidth(dividerThickness);
    setChildrenCollapsible(false);
    connect(this, &QSplitter::splitterMoved, this, [this] { saveState(); });
}

QSplitterHandle* MainSplitView::createHandle()
{
    return new MainSplitViewHandle(orientation(), this);
}

void MainSplitView::setAutosaveName(const QString& name)
{
    autosaveName_ = name;
    if (name.isEmpty())
        return;
    if (const auto stored = platform::UserDefaults::standard().dataForKey(name))
        restoreState(*stored);
}

void MainSplitView::saveState() const
{
    if (autosaveName_.isEmpty())
        return;
    platform::UserDefaults::standard().setData(QSplitter::saveState(), autosaveName_);
}

} // namespace vantel
