#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <optional>

namespace vantel::platform {

// Property lists in their binary ("bplist00") and XML forms.
//
// QVariant mapping both ways: QString, bool, qint64 (integers), double (reals),
// QByteArray (data), QDateTime (dates, UTC), QVariantList (arrays),
// QVariantMap (dictionaries) and PropertyList::Uid (keyed-archive references).
// Serializing also takes the other integer types, float, QStringList and
// QVariantHash; anything else, a null value or a string holding NUL is an error.
namespace PropertyList {

enum class Format { Binary, Xml };

struct Uid {
    quint64 value = 0;
    bool operator==(const Uid&) const = default;
};

// Deeper nesting than this is refused, both ways.
inline constexpr int maxNesting = 512;

// Binary or XML, told apart by the content. None, with a reason in `error`,
// for damaged or empty input.
std::optional<QVariant> parse(const QByteArray& data, QString* error = nullptr);

// Empty data, with a reason in `error`, when `root` holds a value a property
// list cannot carry.
QByteArray serialize(const QVariant& root, Format format = Format::Binary, QString* error = nullptr);

} // namespace PropertyList

} // namespace vantel::platform

Q_DECLARE_METATYPE(vantel::platform::PropertyList::Uid)
