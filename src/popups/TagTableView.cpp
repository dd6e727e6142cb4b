#include "popups/TagTableView.h"

namespace vantel {

TagTableView::TagTableView(QWidget* parent)
    : QTableView(parent)
{
}

} // namespace vantel
