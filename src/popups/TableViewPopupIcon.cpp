#include "popups/TableViewPopupIcon.h"

namespace vantel {

QIcon entryPopupIcon(const TableViewItemPtr& item)
{
    Q_UNUSED(item)
    return QIcon::fromTheme(QStringLiteral("unknown"));
}

} // namespace vantel
