#pragma once

#include "platform/Archivable.h"
#include "platform/Color.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace vantel::platform {

// Reads keyed archives. The Foundation value classes (strings, numbers, data,
// dates, arrays, dictionaries, URLs, colours, null) are always allowed;
// application classes must be named in Options::allowedClasses and have a
// factory registered under their archive name. References are bounds-checked,
// cycles and deep nesting refused and the input size capped; any of these
// ends the whole read with an error.
//
// An object of an allowed class that no codec or factory knows, or whose
// factory gives up, reads as nothing: in an array it is left out, not fatal.
class KeyedUnarchiver {
public:
    enum class Error { None, NotAnArchive, WrongType, ClassNotAllowed, BadReference, Cycle, TooDeep, TooLarge };

    struct Options {
        QSet<QString> allowedClasses;
        qint64 maxBytes = 64ll << 20;
        int maxDepth = 64;
    };

    struct Result {
        QVariant value;
        Error error = Error::None;
        QString message;
        bool ok() const { return error == Error::None; }
    };

    using Factory = std::function<ArchivablePtr(KeyedUnarchiver& coder)>;

    // Thread-safe; a later registration under the same name replaces the earlier one.
    static void registerClass(const QString& className, Factory factory);

    // Decodes $top/root. A missing root is a null value, not an error.
    static Result unarchiveTopLevelObject(const QByteArray& data, const Options& options);

    // The root as a T; WrongType when the archive is sound but the root isn't a T.
    template <class T>
    static std::shared_ptr<T> unarchive(const QByteArray& data, const Options& options, Error* error = nullptr);

    static QString errorName(Error error);

    // Decoding inside a factory, for the current object.
    bool containsValue(const QString& key) const;
    // Null for "$null", a missing key or a failed object; a nested application
    // object comes back as ArchivablePtr, an NSDictionary as QVariantMap (or
    // KeyedDictionary when a key is not a string), an NSColor as Color.
    QVariant decodeObject(const QString& key);
    std::optional<QString> decodeString(const QString& key);
    // Scalars are accepted inline or UID-referenced; a missing or non-numeric value gives false/0.
    bool decodeBool(const QString& key);
    qint64 decodeInteger(const QString& key);
    double decodeDouble(const QString& key);
    float decodeFloat(const QString& key);
    std::optional<QByteArray> decodeData(const QString& key);
    std::optional<QDateTime> decodeDate(const QString& key);
    std::optional<Color> decodeColor(const QString& key);
    // Elements that decode to nothing are skipped.
    std::optional<QVariantList> decodeArray(const QString& key);
    template <class T>
    std::shared_ptr<T> decodeArchivable(const QString& key);

    // The first fatal error met so far; decoding stops after one.
    Error error() const;
    QString errorMessage() const;

    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

private:
    explicit KeyedUnarchiver(const Options& options);
    QVariant scalar(const QString& key);

    friend class KeyedUnarchiverDecoder;
    struct State;
    std::unique_ptr<State> d;
};

template <class T>
std::shared_ptr<T> KeyedUnarchiver::unarchive(const QByteArray& data, const Options& options, Error* error)
{
    Result result = unarchiveTopLevelObject(data, options);
    if (!result.ok()) {
        if (error)
            *error = result.error;
        return nullptr;
    }
    std::shared_ptr<T> object;
    if (result.value.metaType() == QMetaType::fromType<ArchivablePtr>())
        object = std::dynamic_pointer_cast<T>(result.value.value<ArchivablePtr>());
    if (error)
        *error = object ? Error::None : Error::WrongType;
    return object;
}

template <class T>
std::shared_ptr<T> KeyedUnarchiver::decodeArchivable(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.metaType() != QMetaType::fromType<ArchivablePtr>())
        return nullptr;
    return std::dynamic_pointer_cast<T>(value.value<ArchivablePtr>());
}

} // namespace vantel::platform
