#pragma once

#include <QList>
#include <QTableView>

#include <functional>

class QMimeData;

namespace vantel::settingsui {

// The selected rows of the data window's list, ascending: the object of
// "configTableViewSelectionDidChange".
using ConfigRowIndexSet = QList<int>;

// The table of the data window. It takes drops of files and web URLs onto
// the whole table (never onto a row): the owner says whether it would take
// them and takes them. Main thread only.
class ConfigTableView : public QTableView {
    Q_OBJECT

public:
    explicit ConfigTableView(QWidget* parent = nullptr);

    std::function<Qt::DropAction(const QMimeData*)> validateDrop;
    std::function<bool(const QMimeData*)> acceptDrop;

    // The rows selected now, ascending.
    ConfigRowIndexSet selectedRowIndexes() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool dropHighlight_ = false;
};

} // namespace vantel::settingsui
