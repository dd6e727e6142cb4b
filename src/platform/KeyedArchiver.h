#pragma once

#include "platform/Archivable.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>

namespace vantel::platform {

// Writes keyed archives: a binary property list {"$archiver": "NSKeyedArchiver",
// "$version": 100000, "$top": {"root": UID}, "$objects": ["$null", ...]} in
// which every object sits once in "$objects" and is referenced by UID.
class KeyedArchiver {
public:
    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    // Object values, referenced by UID: null QVariant -> "$null"; QString -> string;
    // bool -> boolean; integers/double/float -> number; QByteArray -> data;
    // QDateTime -> NSDate; QVariantList/QStringList -> NSArray; QVariantMap and
    // KeyedDictionary -> NSDictionary; QUrl -> NSURL; Color -> NSColor;
    // ArchivablePtr -> its own class record. Other types make the archive fail.
    void encodeObject(const QVariant& value, const QString& key);
    void encodeArchivable(const std::shared_ptr<const Archivable>& object, const QString& key);

    // Inline scalars in the current object's dictionary.
    void encodeBool(bool value, const QString& key);
    void encodeInteger(qint64 value, const QString& key);
    void encodeDouble(double value, const QString& key);
    void encodeFloat(float value, const QString& key);

    // The archive of everything encoded at the top level so far. Empty, with
    // the reason in `error`, after a failure.
    QByteArray encodedData(QString* error = nullptr) const;
    bool hasError() const;

    // Archives `rootObject` under "root".
    static QByteArray archivedData(const QVariant& rootObject, QString* error = nullptr);
    static QByteArray archivedData(const std::shared_ptr<const Archivable>& rootObject, QString* error = nullptr);

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace vantel::platform
