#include "platform/PropertyList.h"

#include <QDateTime>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace vantel::platform::PropertyList {

namespace {

// Property-list dates count from 2001-01-01 00:00 UTC.
constexpr qint64 referenceEpochSeconds = 978307200;

struct PlistFree {
    void operator()(plist_t node) const
    {
        if (node)
            plist_free(node);
    }
};
using PlistHandle = std::unique_ptr<void, PlistFree>;

void setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

QString takeCString(char* text)
{
    const QString result = QString::fromUtf8(text);
    std::free(text);
    return result;
}

std::optional<QVariant> toVariant(plist_t node, int depth, QString* error)
{
    if (depth > maxNesting) {
        setError(error, QStringLiteral("property list nested deeper than %1 levels").arg(maxNesting));
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return QVariant(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        return QVariant(takeCString(text));
    }
    case PLIST_KEY: {
        char* text = nullptr;
        plist_get_key_val(node, &text);
        return QVariant(takeCString(text));
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes, qsizetype(length));
        std::free(bytes);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t micros = 0;
        plist_get_date_val(node, &seconds, &micros);
        // The library truncates the stored seconds toward zero and hands the
        // fraction back unsigned, so before 2001 it has to be subtracted. (Within
        // the one second before 2001 the sign is lost; that instant reads as after.)
        const qint64 fraction = std::llround(double(micros) / 1000.0);
        const qint64 msecs = (referenceEpochSeconds + qint64(seconds)) * 1000 + (seconds < 0 ? -fraction : fraction);
        return QVariant(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(Uid{value});
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        list.reserve(qsizetype(size));
        for (uint32_t i = 0; i < size; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1, error);
            if (!item)
                return std::nullopt;
            list.append(std::move(*item));
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        // The XML form writes a UID as {"CF$UID": n}.
        if (plist_dict_get_size(node) == 1) {
            plist_t uid = plist_dict_get_item(node, "CF$UID");
            if (uid && plist_get_node_type(uid) == PLIST_UINT) {
                uint64_t value = 0;
                plist_get_uint_val(uid, &value);
                return QVariant::fromValue(Uid{value});
            }
        }
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            const QString name = takeCString(key);
            auto item = toVariant(value, depth + 1, error);
            if (!item) {
                std::free(iter);
                return std::nullopt;
            }
            map.insert(name, std::move(*item));
        }
        std::free(iter);
        return QVariant(map);
    }
    case PLIST_NONE:
        break;
    }
    setError(error, QStringLiteral("property list holds a node of unknown type"));
    return std::nullopt;
}

PlistHandle fromVariant(const QVariant& value, int depth, QString* error)
{
    if (depth > maxNesting) {
        setError(error, QStringLiteral("value nested deeper than %1 levels").arg(maxNesting));
        return nullptr;
    }
    if (value.metaType() == QMetaType::fromType<Uid>())
        return PlistHandle(plist_new_uid(value.value<Uid>().value));

    switch (value.typeId()) {
    case QMetaType::Bool:
        return PlistHandle(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::Char:
        // Negative values go in as their two's complement, which the binary
        // form stores as a signed 8-byte integer.
        return PlistHandle(plist_new_uint(uint64_t(value.toLongLong())));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar: {
        const qulonglong number = value.toULongLong();
        if (number > qulonglong(std::numeric_limits<qint64>::max())) {
            setError(error, QStringLiteral("integer %1 is too large").arg(number));
            return nullptr;
        }
        return PlistHandle(plist_new_uint(uint64_t(number)));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return PlistHandle(plist_new_real(value.toDouble()));
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.contains(QChar(0))) {
            setError(error, QStringLiteral("string holds a NUL character"));
            return nullptr;
        }
        return PlistHandle(plist_new_string(text.toUtf8().constData()));
    }
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return PlistHandle(plist_new_data(data.constData(), uint64_t(data.size())));
    }
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid()) {
            setError(error, QStringLiteral("invalid date"));
            return nullptr;
        }
        const qint64 msecs = date.toMSecsSinceEpoch() - referenceEpochSeconds * 1000;
        const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
        const qint64 micros = (msecs - seconds * 1000) * 1000;
        if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max()) {
            setError(error, QStringLiteral("date %1 is out of range").arg(date.toString(Qt::ISODate)));
            return nullptr;
        }
        return PlistHandle(plist_new_date(int32_t(seconds), int32_t(micros)));
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        PlistHandle array(plist_new_array());
        const QVariantList list = value.toList();
        for (const QVariant& item : list) {
            PlistHandle node = fromVariant(item, depth + 1, error);
            if (!node)
                return nullptr;
            plist_array_append_item(array.get(), node.release());
        }
        return array;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        PlistHandle dict(plist_new_dict());
        const QVariantMap map = value.typeId() == QMetaType::QVariantMap ? value.toMap() : [&] {
            QVariantMap sorted;
            const QVariantHash hash = value.toHash();
            for (auto it = hash.cbegin(); it != hash.cend(); ++it)
                sorted.insert(it.key(), it.value());
            return sorted;
        }();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.key().contains(QChar(0))) {
                setError(error, QStringLiteral("dictionary key holds a NUL character"));
                return nullptr;
            }
            PlistHandle node = fromVariant(it.value(), depth + 1, error);
            if (!node)
                return nullptr;
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), node.release());
        }
        return dict;
    }
    default:
        break;
    }
    if (!value.isValid() || value.isNull())
        setError(error, QStringLiteral("a property list cannot hold a null value"));
    else
        setError(error, QStringLiteral("a property list cannot hold a value of type %1").arg(QString::fromLatin1(value.typeName())));
    return nullptr;
}

quint64 readBigEndian(const QByteArray& data, qsizetype at, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(data[at + i]);
    return value;
}

// The library aborts on a string object holding NUL (a damaged or hostile
// file), so such files are turned away before it sees them. Anything else
// wrong with the layout is left to the library's own checks.
bool binaryHasNulInString(const QByteArray& data)
{
    constexpr qsizetype trailerSize = 32;
    if (data.size() < 8 + trailerSize)
        return false;
    const qsizetype trailer = data.size() - trailerSize;
    const int offsetSize = quint8(data[trailer + 6]);
    const quint64 objectCount = readBigEndian(data, trailer + 8, 8);
    const quint64 tableStart = readBigEndian(data, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || tableStart >= quint64(trailer)
        || objectCount > (quint64(trailer) - tableStart) / quint64(offsetSize))
        return false;
    for (quint64 i = 0; i < objectCount; ++i) {
        const quint64 offset = readBigEndian(data, qsizetype(tableStart + i * quint64(offsetSize)), offsetSize);
        if (offset >= quint64(trailer))
            continue;
        const quint8 marker = quint8(data[qsizetype(offset)]);
        const int type = marker >> 4;
        if (type != 0x5 && type != 0x6)
            continue;
        quint64 length = marker & 0x0f;
        quint64 start = offset + 1;
        if (length == 0x0f) {
            if (start >= quint64(trailer))
                continue;
            const quint8 intMarker = quint8(data[qsizetype(start)]);
            const int bytes = 1 << (intMarker & 0x0f);
            if ((intMarker >> 4) != 0x1 || bytes > 8 || start + 1 + quint64(bytes) > quint64(trailer))
                continue;
            length = readBigEndian(data, qsizetype(start + 1), bytes);
            start += 1 + quint64(bytes);
        }
        const quint64 unit = type == 0x6 ? 2 : 1;
        if (length > (quint64(trailer) - start) / unit)
            continue;
        for (quint64 at = start; at < start + length * unit; at += unit) {
            if (data[qsizetype(at)] == 0 && (unit == 1 || data[qsizetype(at + 1)] == 0))
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<QVariant> parse(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        setError(error, QStringLiteral("no data"));
        return std::nullopt;
    }
    if (quint64(data.size()) > std::numeric_limits<uint32_t>::max()) {
        setError(error, QStringLiteral("data too large for a property list"));
        return std::nullopt;
    }
    const auto length = uint32_t(data.size());
    plist_t raw = nullptr;
    const bool binary = plist_is_binary(data.constData(), length) != 0;
    if (binary && binaryHasNulInString(data)) {
        setError(error, QStringLiteral("damaged binary property list: a string holds NUL"));
        return std::nullopt;
    }
    if (binary)
        plist_from_bin(data.constData(), length, &raw);
    else
        plist_from_xml(data.constData(), length, &raw);
    PlistHandle root(raw);
    if (!root) {
        setError(error, binary ? QStringLiteral("damaged binary property list")
                               : QStringLiteral("not a property list"));
        return std::nullopt;
    }
    return toVariant(root.get(), 0, error);
}

QByteArray serialize(const QVariant& root, Format format, QString* error)
{
    PlistHandle node = fromVariant(root, 0, error);
    if (!node)
        return {};
    char* bytes = nullptr;
    uint32_t length = 0;
    QByteArray result;
    if (format == Format::Binary) {
        plist_to_bin(node.get(), &bytes, &length);
        if (bytes)
            result = QByteArray(bytes, qsizetype(length));
        plist_to_bin_free(bytes);
    } else {
        plist_to_xml(node.get(), &bytes, &length);
        if (bytes)
            result = QByteArray(bytes, qsizetype(length));
        plist_to_xml_free(bytes);
    }
    if (result.isEmpty())
        setError(error, QStringLiteral("the property list could not be written"));
    return result;
}

} // namespace vantel::platform::PropertyList
