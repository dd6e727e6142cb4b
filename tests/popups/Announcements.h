#pragma once

#include "model/IconTagChangedNotifyObject.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/NotificationCenter.h"

#include <QList>

namespace vantel::test {

// Records the change reasons that entries and tags announce while it lives.
class Announcements {
public:
    Announcements()
        : entries_(platform::NotificationCenter::defaultCenter().addObserver(
              QStringLiteral("tableViewItemChanged"),
              [this](const platform::Notification& n) {
                  if (const auto* o = std::any_cast<TableViewItemChangedNotifyObject>(&n.object))
                      entryReasons.append(o->reason);
              }))
        , tags_(platform::NotificationCenter::defaultCenter().addObserver(
              QStringLiteral("iconTagChanged"),
              [this](const platform::Notification& n) {
                  if (const auto* o = std::any_cast<IconTagChangedNotifyObject>(&n.object))
                      tagReasons.append(o->reason);
              }))
    {
    }

    QList<std::optional<TableViewItemChangeReason>> entryReasons;
    QList<std::optional<IconTagChangeReason>> tagReasons;

private:
    platform::ObserverToken entries_;
    platform::ObserverToken tags_;
};

} // namespace vantel::test
