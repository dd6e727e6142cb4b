#pragma once

namespace vantel {

class DataStorageFilterCurrentData;
class SourceListItem;

// Sets the main list's filter to what a sidebar item stands for (a
// category's predicate, order and limit, or a tag) and applies it; the
// store answers with "currentDataChanged" or
// "currentDataNotChangedWithLastRequest". Main thread; logs to
// "mainViewController".
void applySidebarFilter(DataStorageFilterCurrentData& filter, const SourceListItem& item);

} // namespace vantel
