#include "platform/PropertyList.h"
#include "platform/PropertyListFormats.h"

#include <QDateTime>

#include <cmath>
#include <limits>

namespace vantel::platform::PropertyList {

namespace detail {

void setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

bool isContainerValue(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<OrderedDictionary>())
        return true;
    switch (value.typeId()) {
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return true;
    default:
        return false;
    }
}

QVariantMap sortedMap(const QVariantHash& hash)
{
    QVariantMap sorted;
    for (auto it = hash.cbegin(); it != hash.cend(); ++it)
        sorted.insert(it.key(), it.value());
    return sorted;
}

QString unsupportedValueMessage(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("a property list cannot hold a null value");
    return QStringLiteral("a property list cannot hold a value of type %1").arg(QString::fromLatin1(value.typeName()));
}

std::optional<QVariant> dateFromReferenceSeconds(double seconds)
{
    const double msecs = std::round(seconds * 1000.0) + double(referenceEpochMSecs);
    // Far wider than any calendar need, and well inside what QDateTime holds.
    constexpr double limit = 1.0e16;
    if (!std::isfinite(msecs) || std::fabs(msecs) > limit)
        return std::nullopt;
    return QVariant(QDateTime::fromMSecsSinceEpoch(qint64(msecs), Qt::UTC));
}

} // namespace detail

void OrderedDictionary::insert(const QString& key, const QVariant& value)
{
    if (const auto it = positions_.constFind(key); it != positions_.cend()) {
        entries_[*it].second = value;
        return;
    }
    positions_.insert(key, entries_.size());
    entries_.append({key, value});
}

std::optional<QVariant> parse(const QByteArray& data, QString* error)
{
    if (data.isEmpty()) {
        detail::setError(error, QStringLiteral("no data"));
        return std::nullopt;
    }
    if (data.startsWith("bplist00"))
        return detail::parseBinary(data, error);
    if (data.startsWith("bplist")) {
        detail::setError(error, QStringLiteral("binary property list of an unknown version"));
        return std::nullopt;
    }
    return detail::parseXml(data, error);
}

QByteArray serialize(const QVariant& root, Format format, QString* error)
{
    return format == Format::Binary ? detail::writeBinary(root, error) : detail::writeXml(root, error);
}

} // namespace vantel::platform::PropertyList
