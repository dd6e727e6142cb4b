#include "platform/PropertyList.h"
#include "platform/PropertyListFormats.h"

#include <QDateTime>
#include <QHash>
#include <QStringDecoder>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <bit>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

namespace vantel::platform::PropertyList::detail {

namespace {

constexpr qsizetype headerSize = 8;
constexpr qsizetype trailerSize = 32;

quint64 readBigEndian(const char* at, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(at[i]);
    return value;
}

double readDouble(const char* at)
{
    return std::bit_cast<double>(readBigEndian(at, 8));
}

// One object of the table, located but not yet turned into a value.
struct Object {
    quint8 type = 0;       // the marker's high nibble
    quint8 info = 0;       // the marker's low nibble
    quint64 count = 0;     // elements, pairs, bytes or characters
    qsizetype start = 0;   // first byte after the marker and the count
};

class BinaryReader {
public:
    explicit BinaryReader(const QByteArray& data)
        : data_(data)
        , bytes_(data.constData())
    {
    }

    std::optional<QVariant> read(QString* error)
    {
        if (!readTrailer() || !readObjects() || !checkShape())
            return fail(error);
        values_.resize(objects_.size());
        built_.assign(objects_.size(), false);
        std::optional<QVariant> root = build(top_);
        if (!root)
            return fail(error);
        return root;
    }

private:
    std::nullopt_t fail(QString* error) const
    {
        setError(error, QStringLiteral("damaged binary property list: %1").arg(message_));
        return std::nullopt;
    }

    bool refuse(const QString& message)
    {
        if (message_.isEmpty())
            message_ = message;
        return false;
    }

    bool readTrailer()
    {
        if (data_.size() < headerSize + trailerSize)
            return refuse(QStringLiteral("too short"));
        end_ = data_.size() - trailerSize;
        const char* trailer = bytes_ + end_;
        offsetSize_ = quint8(trailer[6]);
        refSize_ = quint8(trailer[7]);
        const quint64 count = readBigEndian(trailer + 8, 8);
        const quint64 top = readBigEndian(trailer + 16, 8);
        const quint64 table = readBigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return refuse(QStringLiteral("bad integer sizes in the trailer"));
        if (table < quint64(headerSize) || table > quint64(end_) || count == 0
            || count > (quint64(end_) - table) / offsetSize_)
            return refuse(QStringLiteral("the offset table lies outside the file"));
        if (top >= count)
            return refuse(QStringLiteral("the top object is not in the table"));
        // Every object takes at least one byte before the table.
        if (count > table - quint64(headerSize))
            return refuse(QStringLiteral("more objects than bytes"));
        table_ = qsizetype(table);
        top_ = top;
        objects_.resize(std::size_t(count));
        return true;
    }

    // The length that follows a marker whose low nibble is 0xf: an integer object.
    bool readCount(Object& object, qsizetype& at)
    {
        if (object.info != 0x0f) {
            object.count = object.info;
            return true;
        }
        if (at >= table_)
            return refuse(QStringLiteral("a length runs past the objects"));
        const quint8 marker = quint8(bytes_[at]);
        const int size = 1 << (marker & 0x0f);
        if ((marker >> 4) != 0x1 || size > 8 || table_ - at - 1 < size)
            return refuse(QStringLiteral("a length is not an integer"));
        object.count = readBigEndian(bytes_ + at + 1, size);
        at += 1 + size;
        return true;
    }

    // Locates every object and checks that its bytes lie before the offset table.
    bool readObjects()
    {
        for (std::size_t i = 0; i < objects_.size(); ++i) {
            const quint64 offset = readBigEndian(bytes_ + table_ + qsizetype(i) * offsetSize_, offsetSize_);
            if (offset < quint64(headerSize) || offset >= quint64(table_))
                return refuse(QStringLiteral("object %1 lies outside the file").arg(i));
            qsizetype at = qsizetype(offset);
            Object& object = objects_[i];
            const quint8 marker = quint8(bytes_[at++]);
            object.type = marker >> 4;
            object.info = marker & 0x0f;
            quint64 bytes = 0;
            switch (object.type) {
            case 0x0:
                if (object.info != 0x0 && object.info != 0x8 && object.info != 0x9)
                    return refuse(QStringLiteral("object %1 has an unknown marker").arg(i));
                break;
            case 0x1:
                if (object.info > 4)
                    return refuse(QStringLiteral("integer %1 has a bad size").arg(i));
                bytes = 1u << object.info;
                break;
            case 0x2:
                if (object.info != 2 && object.info != 3)
                    return refuse(QStringLiteral("real %1 has a bad size").arg(i));
                bytes = 1u << object.info;
                break;
            case 0x3:
                if (object.info != 3)
                    return refuse(QStringLiteral("date %1 has a bad size").arg(i));
                bytes = 8;
                break;
            case 0x4:
            case 0x5:
            case 0x6:
            case 0xa:
            case 0xc:
            case 0xd: {
                if (!readCount(object, at))
                    return false;
                quint64 unit = 1;
                if (object.type == 0x6)
                    unit = 2;
                else if (object.type == 0xa || object.type == 0xc)
                    unit = refSize_;
                else if (object.type == 0xd)
                    unit = 2 * quint64(refSize_);
                if (object.count > quint64(table_ - at) / unit)
                    return refuse(QStringLiteral("object %1 runs past the objects").arg(i));
                bytes = object.count * unit;
                break;
            }
            case 0x8:
                bytes = quint64(object.info) + 1;
                if (bytes > 8)
                    return refuse(QStringLiteral("reference %1 is too wide").arg(i));
                break;
            default:
                return refuse(QStringLiteral("object %1 has an unknown marker").arg(i));
            }
            if (bytes > quint64(table_ - at))
                return refuse(QStringLiteral("object %1 runs past the objects").arg(i));
            object.start = at;
        }
        return true;
    }

    bool isContainer(const Object& object) const
    {
        return object.type == 0xa || object.type == 0xc || object.type == 0xd;
    }

    quint64 childCount(const Object& object) const
    {
        return object.type == 0xd ? object.count * 2 : object.count;
    }

    quint64 child(const Object& object, quint64 index) const
    {
        return readBigEndian(bytes_ + object.start + qsizetype(index) * refSize_, refSize_);
    }

    // Depth, cycles and the size of the tree the objects would expand to, found
    // without recursion before anything is built.
    bool checkShape()
    {
        enum : quint8 { unseen, open, done };
        std::vector<quint8> state(objects_.size(), unseen);
        std::vector<quint64> nodes(objects_.size(), 0);
        std::vector<int> height(objects_.size(), 0);
        struct Frame {
            quint64 object;
            quint64 next;
        };
        std::vector<Frame> stack{{top_, 0}};
        state[std::size_t(top_)] = open;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const Object& object = objects_[std::size_t(frame.object)];
            if (isContainer(object) && frame.next < childCount(object)) {
                const quint64 ref = child(object, frame.next++);
                if (ref >= objects_.size())
                    return refuse(QStringLiteral("a reference points past the object table"));
                if (state[std::size_t(ref)] == open)
                    return refuse(QStringLiteral("object %1 contains itself").arg(ref));
                if (state[std::size_t(ref)] == unseen) {
                    if (int(stack.size()) > maxNesting)
                        return refuse(QStringLiteral("nested deeper than %1 levels").arg(maxNesting));
                    state[std::size_t(ref)] = open;
                    stack.push_back({ref, 0});
                }
                continue;
            }
            // Height counts the containers on the deepest path, this one
            // included, empty or not: the same levels the XML reader counts.
            quint64 total = 1;
            int deepest = 0;
            if (isContainer(object)) {
                deepest = 1;
                for (quint64 i = 0; i < childCount(object); ++i) {
                    const auto ref = std::size_t(child(object, i));
                    total += nodes[ref];
                    deepest = std::max(deepest, height[ref] + 1);
                    if (total > maxExpandedNodes)
                        return refuse(QStringLiteral("expands to more than %1 values").arg(maxExpandedNodes));
                }
            }
            if (deepest > maxNesting)
                return refuse(QStringLiteral("nested deeper than %1 levels").arg(maxNesting));
            nodes[std::size_t(frame.object)] = total;
            height[std::size_t(frame.object)] = deepest;
            state[std::size_t(frame.object)] = done;
            stack.pop_back();
        }
        return true;
    }

    std::optional<QString> string(const Object& object)
    {
        const char* text = bytes_ + object.start;
        QString result;
        if (object.type == 0x5) {
            // Some writers put UTF-8 under the ASCII type: read as UTF-8 what
            // is valid UTF-8, the rest byte by byte.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            result = utf8(QByteArrayView(text, qsizetype(object.count)));
            if (utf8.hasError())
                result = QString::fromLatin1(text, qsizetype(object.count));
        } else {
            result.resize(qsizetype(object.count));
            char16_t* out = reinterpret_cast<char16_t*>(result.data());
            for (quint64 i = 0; i < object.count; ++i)
                out[i] = char16_t(readBigEndian(text + 2 * qsizetype(i), 2));
        }
        if (result.contains(QChar(0))) {
            refuse(QStringLiteral("a string holds NUL"));
            return std::nullopt;
        }
        return result;
    }

    std::optional<QVariant> scalar(const Object& object)
    {
        const char* at = bytes_ + object.start;
        switch (object.type) {
        case 0x0:
            if (object.info == 0x0)
                break;
            return QVariant(object.info == 0x9);
        case 0x1: {
            if (object.info < 3)
                return QVariant(qint64(readBigEndian(at, 1 << object.info)));
            if (object.info == 3)
                return QVariant(qint64(readBigEndian(at, 8)));
            // Sixteen bytes: a signed 128-bit number; only those fitting 64 bits are kept.
            const quint64 high = readBigEndian(at, 8);
            const quint64 low = readBigEndian(at + 8, 8);
            if (high == 0)
                return low > quint64(std::numeric_limits<qint64>::max()) ? QVariant(quint64(low))
                                                                          : QVariant(qint64(low));
            if (high == ~quint64(0) && low > quint64(std::numeric_limits<qint64>::max()))
                return QVariant(qint64(low));
            refuse(QStringLiteral("an integer does not fit 64 bits"));
            return std::nullopt;
        }
        case 0x2:
            if (object.info == 2)
                return QVariant(double(std::bit_cast<float>(quint32(readBigEndian(at, 4)))));
            return QVariant(readDouble(at));
        case 0x3: {
            if (auto date = dateFromReferenceSeconds(readDouble(at)))
                return date;
            refuse(QStringLiteral("a date lies outside the range of dates"));
            return std::nullopt;
        }
        case 0x4:
            return QVariant(QByteArray(at, qsizetype(object.count)));
        case 0x5:
        case 0x6:
            if (auto text = string(object))
                return QVariant(*text);
            return std::nullopt;
        case 0x8:
            return QVariant::fromValue(Uid{readBigEndian(at, object.info + 1)});
        default:
            break;
        }
        refuse(QStringLiteral("a value of a kind a property list does not hold"));
        return std::nullopt;
    }

    // Recursion is safe here: checkShape() bounded the depth. A shared object is
    // built once and its value shared, which the node count kept in bounds.
    std::optional<QVariant> build(quint64 index)
    {
        const auto slot = std::size_t(index);
        if (built_[slot])
            return values_[slot];
        const Object& object = objects_[slot];
        QVariant value;
        if (object.type == 0xa || object.type == 0xc) {
            QVariantList list;
            list.reserve(qsizetype(object.count));
            for (quint64 i = 0; i < object.count; ++i) {
                auto item = build(child(object, i));
                if (!item)
                    return std::nullopt;
                list.append(std::move(*item));
            }
            value = std::move(list);
        } else if (object.type == 0xd) {
            QVariantMap map;
            for (quint64 i = 0; i < object.count; ++i) {
                const Object& keyObject = objects_[std::size_t(child(object, i))];
                if (keyObject.type != 0x5 && keyObject.type != 0x6) {
                    refuse(QStringLiteral("a dictionary key is not a string"));
                    return std::nullopt;
                }
                auto key = string(keyObject);
                auto item = key ? build(child(object, object.count + i)) : std::nullopt;
                if (!item)
                    return std::nullopt;
                map.insert(*key, std::move(*item));
            }
            value = std::move(map);
        } else {
            auto item = scalar(object);
            if (!item)
                return std::nullopt;
            value = std::move(*item);
        }
        built_[slot] = true;
        values_[slot] = value;
        return value;
    }

    const QByteArray& data_;
    const char* bytes_;
    qsizetype end_ = 0;
    qsizetype table_ = 0;
    int offsetSize_ = 0;
    int refSize_ = 0;
    quint64 top_ = 0;
    std::vector<Object> objects_;
    std::vector<QVariant> values_;
    std::vector<bool> built_;
    QString message_;
};

// ---- writing

int widthFor(quint64 value)
{
    if (value <= 0xff)
        return 1;
    if (value <= 0xffff)
        return 2;
    if (value <= 0xffffffffu)
        return 4;
    return 8;
}

void appendBigEndian(QByteArray& out, quint64 value, int size)
{
    char bytes[8] = {};
    for (int i = 0; i < size; ++i)
        bytes[i] = char(quint8(value >> (8 * (size - 1 - i))));
    out.append(bytes, size);
}

class BinaryWriter {
public:
    QByteArray write(const QVariant& root, QString* error)
    {
        if (!collect(root, 0)) {
            setError(error, message_);
            return {};
        }
        refSize_ = widthFor(objects_.size());
        QByteArray out("bplist00");
        out.reserve(qsizetype(objects_.size() * 12 + refs_.size() * std::size_t(refSize_)));
        std::vector<quint64> offsets;
        offsets.reserve(objects_.size());
        for (const Entry& entry : objects_) {
            offsets.push_back(quint64(out.size()));
            encode(out, entry);
        }
        const quint64 table = quint64(out.size());
        const int offsetSize = widthFor(table);
        for (quint64 offset : offsets)
            appendBigEndian(out, offset, offsetSize);
        out.append(6, '\0');
        out.append(char(offsetSize));
        out.append(char(refSize_));
        appendBigEndian(out, objects_.size(), 8);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, table, 8);
        return out;
    }

private:
    enum class Kind : quint8 { Bool, Signed, Unsigned, Real, String, Data, Date, Uid, Array, Dict };

    struct Entry {
        Kind kind;
        QVariant value;            // scalars
        std::size_t refs = 0;      // containers: their references in refs_
        std::size_t count = 0;     // elements, or key/value pairs
    };

    bool refuse(const QString& message)
    {
        if (message_.isEmpty())
            message_ = message;
        return false;
    }

    std::size_t add(Kind kind, QVariant value = {})
    {
        objects_.push_back(Entry{kind, std::move(value)});
        return objects_.size() - 1;
    }

    std::optional<std::size_t> addString(const QString& text)
    {
        if (text.contains(QChar(0))) {
            refuse(QStringLiteral("string holds a NUL character"));
            return std::nullopt;
        }
        if (auto it = strings_.constFind(text); it != strings_.cend())
            return *it;
        const std::size_t index = add(Kind::String, text);
        strings_.insert(text, index);
        return index;
    }

    // Adds `value` and everything under it; its index is last_.
    bool collect(const QVariant& value, int depth)
    {
        if (depth > maxNesting || (depth == maxNesting && isContainerValue(value)))
            return refuse(QStringLiteral("value nested deeper than %1 levels").arg(maxNesting));
        if (value.metaType() == QMetaType::fromType<Uid>()) {
            last_ = add(Kind::Uid, value);
            return true;
        }
        if (value.metaType() == QMetaType::fromType<OrderedDictionary>()) {
            const OrderedDictionary dictionary = value.value<OrderedDictionary>();
            return collectDict(dictionary.entries(), depth);
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
            last_ = add(Kind::Bool, value);
            return true;
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::SChar:
        case QMetaType::Char:
            last_ = add(Kind::Signed, value.toLongLong());
            return true;
        case QMetaType::UInt:
        case QMetaType::UShort:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UChar:
            last_ = add(Kind::Unsigned, value.toULongLong());
            return true;
        case QMetaType::Double:
        case QMetaType::Float:
            last_ = add(Kind::Real, value.toDouble());
            return true;
        case QMetaType::QString: {
            const auto index = addString(value.toString());
            if (!index)
                return false;
            last_ = *index;
            return true;
        }
        case QMetaType::QByteArray:
            last_ = add(Kind::Data, value);
            return true;
        case QMetaType::QDateTime: {
            const QDateTime date = value.toDateTime();
            if (!date.isValid())
                return refuse(QStringLiteral("invalid date"));
            last_ = add(Kind::Date, double(date.toMSecsSinceEpoch() - referenceEpochMSecs) / 1000.0);
            return true;
        }
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            const std::size_t self = add(Kind::Array);
            const QVariantList list = value.toList();
            std::vector<quint64> children;
            children.reserve(std::size_t(list.size()));
            for (const QVariant& item : list) {
                if (!collect(item, depth + 1))
                    return false;
                children.push_back(last_);
            }
            objects_[self].refs = refs_.size();
            objects_[self].count = children.size();
            refs_.insert(refs_.end(), children.begin(), children.end());
            last_ = self;
            return true;
        }
        case QMetaType::QVariantMap:
            return collectDict(value.toMap().asKeyValueRange(), depth);
        case QMetaType::QVariantHash: {
            const QVariantMap sorted = sortedMap(value.toHash());
            return collectDict(sorted.asKeyValueRange(), depth);
        }
        default:
            break;
        }
        return refuse(unsupportedValueMessage(value));
    }

    // `entries` yields key/value pairs in the order they are written.
    template <typename Entries>
    bool collectDict(const Entries& entries, int depth)
    {
        const std::size_t self = add(Kind::Dict);
        std::vector<quint64> keys;
        std::vector<quint64> values;
        for (const auto& [key, item] : entries) {
            if (key.contains(QChar(0)))
                return refuse(QStringLiteral("dictionary key holds a NUL character"));
            keys.push_back(*addString(key));
            if (!collect(item, depth + 1))
                return false;
            values.push_back(last_);
        }
        objects_[self].refs = refs_.size();
        objects_[self].count = keys.size();
        refs_.insert(refs_.end(), keys.begin(), keys.end());
        refs_.insert(refs_.end(), values.begin(), values.end());
        last_ = self;
        return true;
    }

    static void marker(QByteArray& out, quint8 type, quint64 count)
    {
        if (count < 15) {
            out.append(char((type << 4) | quint8(count)));
            return;
        }
        out.append(char((type << 4) | 0x0f));
        const int width = widthFor(count);
        out.append(char(0x10 | std::countr_zero(unsigned(width))));
        appendBigEndian(out, count, width);
    }

    void encode(QByteArray& out, const Entry& entry) const
    {
        switch (entry.kind) {
        case Kind::Bool:
            out.append(entry.value.toBool() ? '\x09' : '\x08');
            return;
        case Kind::Signed: {
            const qint64 number = entry.value.toLongLong();
            if (number < 0) {
                out.append('\x13');
                appendBigEndian(out, quint64(number), 8);
                return;
            }
            const int width = widthFor(quint64(number));
            out.append(char(0x10 | std::countr_zero(unsigned(width))));
            appendBigEndian(out, quint64(number), width);
            return;
        }
        case Kind::Unsigned: {
            const quint64 number = entry.value.toULongLong();
            if (number > quint64(std::numeric_limits<qint64>::max())) {
                // Above the signed range the format takes sixteen bytes.
                out.append('\x14');
                appendBigEndian(out, 0, 8);
                appendBigEndian(out, number, 8);
                return;
            }
            const int width = widthFor(number);
            out.append(char(0x10 | std::countr_zero(unsigned(width))));
            appendBigEndian(out, number, width);
            return;
        }
        case Kind::Real: {
            // A value a float holds exactly takes four bytes, as archives always had it.
            const double number = entry.value.toDouble();
            const bool fits = !std::isfinite(number)
                || (std::fabs(number) <= double(std::numeric_limits<float>::max()) && double(float(number)) == number);
            if (fits) {
                out.append('\x22');
                appendBigEndian(out, std::bit_cast<quint32>(float(number)), 4);
            } else {
                out.append('\x23');
                appendBigEndian(out, std::bit_cast<quint64>(number), 8);
            }
            return;
        }
        case Kind::Date:
            out.append('\x33');
            appendBigEndian(out, std::bit_cast<quint64>(entry.value.toDouble()), 8);
            return;
        case Kind::Data: {
            const QByteArray data = entry.value.toByteArray();
            marker(out, 0x4, quint64(data.size()));
            out.append(data);
            return;
        }
        case Kind::String: {
            const QString text = entry.value.toString();
            bool ascii = true;
            for (QChar c : text) {
                if (c.unicode() >= 0x80) {
                    ascii = false;
                    break;
                }
            }
            if (ascii) {
                marker(out, 0x5, quint64(text.size()));
                out.append(text.toLatin1());
            } else {
                marker(out, 0x6, quint64(text.size()));
                const qsizetype at = out.size();
                out.resize(at + 2 * text.size());
                char* bytes = out.data() + at;
                for (QChar c : text) {
                    *bytes++ = char(c.unicode() >> 8);
                    *bytes++ = char(c.unicode() & 0xff);
                }
            }
            return;
        }
        case Kind::Uid: {
            const quint64 uid = entry.value.value<Uid>().value;
            const int width = widthFor(uid);
            out.append(char(0x80 | (width - 1)));
            appendBigEndian(out, uid, width);
            return;
        }
        case Kind::Array:
        case Kind::Dict: {
            const bool dict = entry.kind == Kind::Dict;
            marker(out, dict ? 0xd : 0xa, entry.count);
            const std::size_t total = dict ? entry.count * 2 : entry.count;
            for (std::size_t i = 0; i < total; ++i)
                appendBigEndian(out, refs_[entry.refs + i], refSize_);
            return;
        }
        }
    }

    // A deque: entries hold QVariants, which a growing vector would copy over and over.
    std::deque<Entry> objects_;
    std::vector<quint64> refs_;
    QHash<QString, std::size_t> strings_;
    std::size_t last_ = 0;
    int refSize_ = 1;
    QString message_;
};

} // namespace

std::optional<QVariant> parseBinary(const QByteArray& data, QString* error)
{
    return BinaryReader(data).read(error);
}

QByteArray writeBinary(const QVariant& root, QString* error)
{
    return BinaryWriter().write(root, error);
}

} // namespace vantel::platform::PropertyList::detail
