#include "popups/TableViewPopupIcon.h"

#include "graphics/IconCache.h"

namespace vantel {

QIcon entryPopupIcon(const TableViewItemPtr& item)
{
    return IconCache::shared().getIcon(item, std::nullopt);
}

} // namespace vantel
