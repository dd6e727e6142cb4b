#pragma once

#include <QTableView>

namespace vantel {

// The table of the tags settings, a class of its own so that the pane can
// name it; it adds nothing to the platform's table.
class TagTableView : public QTableView {
    Q_OBJECT
public:
    explicit TagTableView(QWidget* parent = nullptr);
};

} // namespace vantel
