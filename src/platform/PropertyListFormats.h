#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// The two encodings behind PropertyList::parse/serialize. Both readers are
// iterative or depth-checked before they recurse, so no input can exhaust the
// stack, and both refuse rather than bend a value they cannot carry exactly.
namespace vantel::platform::PropertyList::detail {

// Property-list dates count seconds from 2001-01-01 00:00 UTC.
inline constexpr qint64 referenceEpochMSecs = 978307200ll * 1000;

// A binary file may share one object under many parents; turned into a tree
// every share is a copy, so more nodes than this are refused before expanding.
inline constexpr quint64 maxExpandedNodes = 4'000'000;

std::optional<QVariant> parseBinary(const QByteArray& data, QString* error);
std::optional<QVariant> parseXml(const QByteArray& data, QString* error);

QByteArray writeBinary(const QVariant& root, QString* error);
QByteArray writeXml(const QVariant& root, QString* error);

// Seconds since 2001 as the date they stand for, to the millisecond; none when
// not finite or beyond what a date can hold.
std::optional<QVariant> dateFromReferenceSeconds(double seconds);

void setError(QString* error, const QString& message);

// Hashes are written in key order, so equal data gives equal bytes.
QVariantMap sortedMap(const QVariantHash& hash);
// Arrays and dictionaries: each is one level of nesting, empty or not, and
// no more than maxNesting levels are written or read.
bool isContainerValue(const QVariant& value);
// Why a value that no property list can carry was refused.
QString unsupportedValueMessage(const QVariant& value);

} // namespace vantel::platform::PropertyList::detail
