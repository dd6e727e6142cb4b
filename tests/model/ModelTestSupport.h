#pragma once

#include "model/IconTagChangedNotifyObject.h"
#include "model/TableViewItem.h"
#include "model/iconTag.h"
#include "model/TableViewItemChangedNotifyObject.h"
#include "platform/Archivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"

#include <QList>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace vantel::test {

// Writes an object of any class name with exactly the keys a test chooses,
// to build archives that the program itself would never write.
class HandMadeObject : public platform::Archivable {
public:
    HandMadeObject(QString className, std::function<void(platform::KeyedArchiver&)> encoder)
        : className_(std::move(className)), encoder_(std::move(encoder)) {}
    QString archiveClassName() const override { return className_; }
    void encode(platform::KeyedArchiver& coder) const override { encoder_(coder); }

private:
    QString className_;
    std::function<void(platform::KeyedArchiver&)> encoder_;
};

inline QByteArray archive(const std::shared_ptr<const platform::Archivable>& object)
{
    return platform::KeyedArchiver::archivedData(object);
}

inline platform::KeyedUnarchiver::Options modelClasses()
{
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = TableViewItem::archiveClassNames() + iconTag::archiveClassNames();
    return options;
}

// Records the objects of one notification for as long as it lives.
template <class Object>
class NotificationRecorder {
public:
    explicit NotificationRecorder(const QString& name)
        : token_(platform::NotificationCenter::defaultCenter().addObserver(name, [this](const platform::Notification& n) {
              if (const auto* object = std::any_cast<Object>(&n.object))
                  objects.append(*object);
              else
                  ++foreignObjects;
          }))
    {
    }
    QList<Object> objects;
    int foreignObjects = 0;

private:
    platform::ObserverToken token_;
};

using EntryRecorder = NotificationRecorder<TableViewItemChangedNotifyObject>;
using TagRecorder = NotificationRecorder<IconTagChangedNotifyObject>;

} // namespace vantel::test
