#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <optional>
#include <utility>

namespace vantel::platform {

// Property lists in their binary ("bplist00") and XML forms.
//
// QVariant mapping both ways: QString, bool, qint64 (integers; quint64 for those
// above the signed range), double (reals), QByteArray (data), QDateTime (dates,
// UTC, to the millisecond), QVariantList (arrays), QVariantMap (dictionaries)
// and PropertyList::Uid (keyed-archive references). Serializing also takes the
// other integer types, float, QStringList, QVariantHash and
// PropertyList::OrderedDictionary (a dictionary written in its own key order,
// read back as a QVariantMap); anything else, a
// null value or a string holding NUL is an error. A value that cannot be read
// exactly (an integer beyond 64 bits, a date beyond QDateTime) is refused.
namespace PropertyList {

enum class Format { Binary, Xml };

struct Uid {
    quint64 value = 0;
    bool operator==(const Uid&) const = default;
};

// A dictionary that is written with its keys in the order they were first
// inserted, where a QVariantMap would sort them.
class OrderedDictionary {
public:
    using Entry = std::pair<QString, QVariant>;

    // A key already present keeps its place and takes the new value.
    void insert(const QString& key, const QVariant& value);
    const QList<Entry>& entries() const { return entries_; }
    qsizetype size() const { return entries_.size(); }
    bool isEmpty() const { return entries_.isEmpty(); }

    bool operator==(const OrderedDictionary& other) const { return entries_ == other.entries_; }

private:
    QList<Entry> entries_;
    QHash<QString, qsizetype> positions_;
};

// Deeper nesting than this is refused, both ways.
inline constexpr int maxNesting = 512;

// Binary or XML, told apart by the content. None, with a reason in `error`,
// for damaged or empty input, for nesting past maxNesting and for a binary
// list whose shared objects would expand past a fixed number of values. The
// time taken grows with the size of the input, whatever it holds.
std::optional<QVariant> parse(const QByteArray& data, QString* error = nullptr);

// Empty data, with a reason in `error`, when `root` holds a value a property
// list cannot carry.
QByteArray serialize(const QVariant& root, Format format = Format::Binary, QString* error = nullptr);

} // namespace PropertyList

} // namespace vantel::platform

Q_DECLARE_METATYPE(vantel::platform::PropertyList::Uid)
Q_DECLARE_METATYPE(vantel::platform::PropertyList::OrderedDictionary)
