#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

namespace vantel {

// A drop area of the main view that takes files only and hands their paths,
// in order, to the next entry that is opened (the handler: the main view's
// held files). Anything but local files is refused.
class MainViewDraggingDestination : public QWidget {
    Q_OBJECT

public:
    explicit MainViewDraggingDestination(QWidget* parent = nullptr);

    // Receives the dropped paths; its answer is whether the drop was taken.
    void setOpenFilesHandler(std::function<bool(const QStringList& paths)> handler)
    {
        openFiles_ = std::move(handler);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::function<bool(const QStringList&)> openFiles_;
};

} // namespace vantel
