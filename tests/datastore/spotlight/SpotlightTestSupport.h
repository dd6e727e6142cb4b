#pragma once

#include "datastore/spotlight/SpotlightQueryFS.h"
#include "platform/MetadataItem.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace vantel::test {

// A result item as the index reports it, optionally with a last-used date.
inline platform::MetadataItem appItem(const QString& path, const QString& name,
                                      const std::optional<QDateTime>& lastUsed = std::nullopt)
{
    const platform::MetadataItem plain = platform::MetadataItem::forApplication(path, name);
    if (!lastUsed)
        return plain;
    QVariantMap attributes;
    for (const QString& key : plain.attributes())
        attributes.insert(key, plain.valueForAttribute(key));
    attributes.insert(QStringLiteral("NSMetadataItemLastUsedDateKey"), *lastUsed);
    return platform::MetadataItem(attributes);
}

// A query whose result items the test sets, so passes can be driven directly.
template <class Base>
class ScriptedQuery : public Base {
public:
    QList<platform::MetadataItem> items;

    // One processing of the current items.
    void pass(const QList<platform::MetadataItem>& next)
    {
        items = next;
        this->processResults();
    }

protected:
    QList<platform::MetadataItem> currentQueryResults() const override { return items; }
};

template <class Array>
QStringList pathsOf(const Array& array)
{
    QStringList paths;
    for (const auto& result : array->snapshot())
        paths.append(result.path.value_or(QStringLiteral("<none>")));
    paths.sort();
    return paths;
}

inline void writeDesktopFile(const QString& path, const QString& name)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("[Desktop Entry]\nType=Application\nExec=true\nName=" + name.toUtf8() + "\n");
}

} // namespace vantel::test
