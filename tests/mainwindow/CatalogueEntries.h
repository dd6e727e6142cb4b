#pragma once

#include "datastore/DataStorage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

namespace vantel::test {

// A URL entry the user added; URL entries are always reachable.
inline TableViewItemPtr addURLEntry(DataStorage& store, const QString& name, const QString& address,
                                    const QStringList& tags = {})
{
    auto entry = TableViewItem::initForURL(address, name, QString(), ListviewItemSource::other);
    entry->setTags(tags);
    store.allData()->append(entry);
    return entry;
}

// A file or folder made in `folder` and added by the user.
inline TableViewItemPtr addPathEntry(DataStorage& store, const QString& folder, const QString& name,
                                     ListviewItemType type, const QStringList& tags = {})
{
    const QString path = folder + QLatin1Char('/') + name;
    if (type == ListviewItemType::folder) {
        QDir().mkpath(path);
    } else {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("content\n");
    }
    auto entry = TableViewItem::initForPath(path, name, type, ListviewItemSource::other);
    entry->setTags(tags);
    store.allData()->append(entry);
    return entry;
}

} // namespace vantel::test
