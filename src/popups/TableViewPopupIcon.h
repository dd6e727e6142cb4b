#pragma once

#include "model/TableViewItem.h"

#include <QIcon>

namespace vantel {

// The entry's icon as the popover shows it (48 x 48).
QIcon entryPopupIcon(const TableViewItemPtr& item);

} // namespace vantel
