#include "platform/KeyedUnarchiver.h"

#include "platform/KeyedDictionary.h"
#include "platform/PropertyList.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>
#include <QVariantMap>

#include <cmath>
#include <vector>

namespace vantel::platform {

namespace {

using PropertyList::Uid;

constexpr qint64 referenceEpochMSecs = 978307200ll * 1000;

struct Registry {
    QMutex mutex;
    QHash<QString, KeyedUnarchiver::Factory> factories;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

KeyedUnarchiver::Factory factoryFor(const QString& name)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    return r.factories.value(name);
}

enum class Codec { None, Array, Dictionary, String, Data, Date, Url, Color, Null, Number, Opaque };

// The value classes every archive may hold.
Codec valueCodec(const QString& name)
{
    static const QHash<QString, Codec> codecs{
        {QStringLiteral("NSArray"), Codec::Array},
        {QStringLiteral("NSMutableArray"), Codec::Array},
        {QStringLiteral("NSDictionary"), Codec::Dictionary},
        {QStringLiteral("NSMutableDictionary"), Codec::Dictionary},
        {QStringLiteral("NSString"), Codec::String},
        {QStringLiteral("NSMutableString"), Codec::String},
        {QStringLiteral("NSData"), Codec::Data},
        {QStringLiteral("NSMutableData"), Codec::Data},
        {QStringLiteral("NSDate"), Codec::Date},
        {QStringLiteral("NSURL"), Codec::Url},
        {QStringLiteral("NSColor"), Codec::Color},
        {QStringLiteral("NSNull"), Codec::Null},
        // Numbers are stored inline; these have no object form of their own to read.
        {QStringLiteral("NSNumber"), Codec::Number},
        {QStringLiteral("NSColorSpace"), Codec::Opaque},
    };
    return codecs.value(name, Codec::None);
}

bool isScalar(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool isUid(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<Uid>();
}

// "0.5 0.25 1" with an optional trailing NUL; none when any part isn't a finite number.
std::optional<QList<double>> componentList(const QVariant& value)
{
    QByteArray text;
    if (value.typeId() == QMetaType::QByteArray)
        text = value.toByteArray();
    else if (value.typeId() == QMetaType::QString)
        text = value.toString().toLatin1();
    else
        return std::nullopt;
    while (text.endsWith('\0'))
        text.chop(1);
    if (text.contains('\0'))
        return std::nullopt;
    QList<double> components;
    for (const QByteArray& part : text.simplified().split(' ')) {
        if (part.isEmpty())
            continue;
        bool ok = false;
        const double number = part.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return std::nullopt;
        components.append(number);
    }
    if (components.isEmpty())
        return std::nullopt;
    return components;
}

std::optional<Color> rgbColor(const QList<double>& c)
{
    if (c.size() != 3 && c.size() != 4)
        return std::nullopt;
    return Color{c[0], c[1], c[2], c.size() == 4 ? c[3] : 1.0};
}

std::optional<Color> whiteColor(const QList<double>& c)
{
    if (c.size() != 1 && c.size() != 2)
        return std::nullopt;
    return Color{c[0], c[0], c[0], c.size() == 2 ? c[1] : 1.0};
}

std::optional<Color> cmykColor(const QList<double>& c)
{
    if (c.size() != 4 && c.size() != 5)
        return std::nullopt;
    const double k = 1.0 - c[3];
    return Color{(1.0 - c[0]) * k, (1.0 - c[1]) * k, (1.0 - c[2]) * k, c.size() == 5 ? c[4] : 1.0};
}

// Components of a custom colour space, told apart by their count.
std::optional<Color> anyColor(const QList<double>& c)
{
    switch (c.size()) {
    case 1:
    case 2:
        return whiteColor(c);
    case 3:
    case 4:
        return rgbColor(c);
    case 5:
        return cmykColor(c);
    default:
        return std::nullopt;
    }
}

} // namespace

// How the objects of one class record are read, worked out once per record.
struct ClassChoice {
    bool known = false;
    QString className;              // empty when the record names no class
    bool allowed = false;
    Codec codec = Codec::None;
    KeyedUnarchiver::Factory factory;
};

enum class Progress : quint8 { Unread, Reading, Read };

struct KeyedUnarchiver::State {
    Options options;
    QVariantList objects;
    // Indexed by UID, sized with the object table.
    std::vector<QVariant> decoded;
    std::vector<Progress> progress;
    std::vector<ClassChoice> classes;
    std::vector<QVariantMap> current;
    int depth = 0;
    Error error = Error::None;
    QString message;

    void fail(Error code, const QString& text)
    {
        if (error == Error::None) {
            error = code;
            message = text;
        }
    }
};

KeyedUnarchiver::KeyedUnarchiver(const Options& options)
    : d(std::make_unique<State>())
{
    d->options = options;
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

void KeyedUnarchiver::registerClass(const QString& className, Factory factory)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    if (factory)
        r.factories.insert(className, std::move(factory));
    else
        r.factories.remove(className);
}

QString KeyedUnarchiver::errorName(Error error)
{
    switch (error) {
    case Error::None: return QStringLiteral("none");
    case Error::NotAnArchive: return QStringLiteral("not an archive");
    case Error::WrongType: return QStringLiteral("wrong type");
    case Error::ClassNotAllowed: return QStringLiteral("class not allowed");
    case Error::BadReference: return QStringLiteral("bad reference");
    case Error::Cycle: return QStringLiteral("cycle");
    case Error::TooDeep: return QStringLiteral("too deep");
    case Error::TooLarge: return QStringLiteral("too large");
    }
    return {};
}

KeyedUnarchiver::Error KeyedUnarchiver::error() const
{
    return d->error;
}

QString KeyedUnarchiver::errorMessage() const
{
    return d->message;
}

// The reader proper; a friend of KeyedUnarchiver so that it reaches its state.
class KeyedUnarchiverDecoder {
public:
    using State = KeyedUnarchiver::State;

    static QVariant decodeInlineOrReference(KeyedUnarchiver& coder, State& s, const QVariant& raw)
    {
        if (isUid(raw))
            return decodeReference(coder, s, raw.value<Uid>().value);
        if (isScalar(raw) || raw.typeId() == QMetaType::QString || raw.typeId() == QMetaType::QByteArray)
            return raw;
        return {};
    }

    static std::optional<Color> decodeColorRecord(KeyedUnarchiver& coder, State& s, const QVariantMap& dict)
    {
        const auto number = [&](const QString& key) -> std::optional<qint64> {
            const QVariant value = decodeInlineOrReference(coder, s, dict.value(key));
            if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
                return value.toLongLong();
            return std::nullopt;
        };
        const auto components = [&](const QString& key) {
            return componentList(decodeInlineOrReference(coder, s, dict.value(key)));
        };

        const std::optional<qint64> space = number(QStringLiteral("NSColorSpace"));
        const auto fromComponents = [&]() -> std::optional<Color> {
            if (auto c = components(QStringLiteral("NSComponents")))
                return anyColor(*c);
            return std::nullopt;
        };

        if (!space) {
            if (auto c = components(QStringLiteral("NSRGB")))
                return rgbColor(*c);
            if (auto c = components(QStringLiteral("NSWhite")))
                return whiteColor(*c);
            return fromComponents();
        }
        switch (*space) {
        case 1:
        case 2:
            if (auto c = components(QStringLiteral("NSRGB")))
                return rgbColor(*c);
            return fromComponents();
        case 3:
        case 4:
            if (auto c = components(QStringLiteral("NSWhite")))
                return whiteColor(*c);
            return fromComponents();
        case 5:
            if (auto c = components(QStringLiteral("NSCMYK")))
                return cmykColor(*c);
            return fromComponents();
        case 6: {
            // A named colour from a catalogue: only its stored fallback is usable here.
            const QVariant fallback = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NSColor")));
            if (fallback.metaType() == QMetaType::fromType<Color>())
                return fallback.value<Color>();
            return std::nullopt;
        }
        default:
            return fromComponents();
        }
    }

    static QVariant decodeRecord(KeyedUnarchiver& coder, State& s, const QVariantMap& dict,
                                 const KeyedUnarchiver::Factory& factory, Codec codec)
    {
        switch (codec) {
        case Codec::Array: {
            const QVariant raw = dict.value(QStringLiteral("NS.objects"));
            if (raw.typeId() != QMetaType::QVariantList)
                return {};
            QVariantList list;
            for (const QVariant& element : raw.toList()) {
                QVariant value = decodeInlineOrReference(coder, s, element);
                if (s.error != KeyedUnarchiver::Error::None)
                    return {};
                if (value.isValid())
                    list.append(std::move(value));
            }
            return list;
        }
        case Codec::Dictionary: {
            const QVariant rawKeys = dict.value(QStringLiteral("NS.keys"));
            const QVariant rawValues = dict.value(QStringLiteral("NS.objects"));
            if (rawKeys.typeId() != QMetaType::QVariantList || rawValues.typeId() != QMetaType::QVariantList)
                return {};
            const QVariantList keys = rawKeys.toList();
            const QVariantList values = rawValues.toList();
            if (keys.size() != values.size())
                return {};
            KeyedDictionary dictionary;
            bool allStrings = true;
            for (qsizetype i = 0; i < keys.size(); ++i) {
                QVariant key = decodeInlineOrReference(coder, s, keys[i]);
                QVariant value = decodeInlineOrReference(coder, s, values[i]);
                if (s.error != KeyedUnarchiver::Error::None)
                    return {};
                if (!key.isValid() || !value.isValid())
                    continue;
                allStrings = allStrings && key.typeId() == QMetaType::QString;
                dictionary.entries.append({std::move(key), std::move(value)});
            }
            if (!allStrings)
                return QVariant::fromValue(dictionary);
            QVariantMap map;
            for (const auto& [key, value] : dictionary.entries)
                map.insert(key.toString(), value);
            return map;
        }
        case Codec::String: {
            const QVariant value = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NS.string")));
            return value.typeId() == QMetaType::QString ? value : QVariant();
        }
        case Codec::Data: {
            const QVariant value = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NS.data")));
            return value.typeId() == QMetaType::QByteArray ? value : QVariant();
        }
        case Codec::Date: {
            const QVariant value = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NS.time")));
            if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::LongLong)
                return {};
            const double msecs = value.toDouble() * 1000.0 + double(referenceEpochMSecs);
            // QDateTime's own range is far wider; this keeps the conversion defined.
            if (!std::isfinite(msecs) || std::fabs(msecs) > 8.0e15)
                return {};
            return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(msecs)), Qt::UTC);
        }
        case Codec::Url: {
            const QVariant relative = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NS.relative")));
            const QVariant base = decodeInlineOrReference(coder, s, dict.value(QStringLiteral("NS.base")));
            if (relative.typeId() != QMetaType::QString)
                return {};
            QUrl url(relative.toString());
            if (base.typeId() == QMetaType::QUrl)
                url = base.toUrl().resolved(url);
            if (!url.isValid())
                return {};
            return url;
        }
        case Codec::Color:
            if (auto color = decodeColorRecord(coder, s, dict))
                return QVariant::fromValue(*color);
            return {};
        case Codec::Null:
        case Codec::Number:
        case Codec::Opaque:
        case Codec::None:
            break;
        }
        if (!factory)
            return {};
        s.current.push_back(dict);
        ArchivablePtr object = factory(coder);
        s.current.pop_back();
        if (!object || s.error != KeyedUnarchiver::Error::None)
            return {};
        return QVariant::fromValue(object);
    }

    static QVariant decodeObjectEntry(KeyedUnarchiver& coder, State& s, const QVariant& entry)
    {
        if (isScalar(entry) || entry.typeId() == QMetaType::QString || entry.typeId() == QMetaType::QByteArray)
            return entry;
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
        const QVariantMap dict = entry.toMap();
        const QVariant classRef = dict.value(QStringLiteral("$class"));
        if (!isUid(classRef))
            return {};
        const quint64 classUid = classRef.value<Uid>().value;
        if (classUid >= quint64(s.objects.size())) {
            s.fail(KeyedUnarchiver::Error::BadReference,
                   QStringLiteral("class reference %1 is past the object table (%2 objects)").arg(classUid).arg(s.objects.size()));
            return {};
        }
        const ClassChoice& choice = classChoice(s, classUid);
        if (choice.className.isEmpty())
            return {};
        if (!choice.allowed) {
            s.fail(KeyedUnarchiver::Error::ClassNotAllowed, QStringLiteral("class \"%1\" is not allowed here").arg(choice.className));
            return {};
        }
        if (choice.codec != Codec::None)
            return decodeRecord(coder, s, dict, {}, choice.codec);
        if (choice.factory)
            return decodeRecord(coder, s, dict, choice.factory, Codec::None);
        return {};
    }

    static const ClassChoice& classChoice(State& s, quint64 classUid)
    {
        ClassChoice& choice = s.classes[std::size_t(classUid)];
        if (choice.known)
            return choice;
        choice.known = true;
        const QVariantMap record = s.objects[qsizetype(classUid)].toMap();
        choice.className = record.value(QStringLiteral("$classname")).toString();
        if (choice.className.isEmpty())
            return choice;
        choice.allowed = valueCodec(choice.className) != Codec::None || s.options.allowedClasses.contains(choice.className);
        if (!choice.allowed)
            return choice;
        // The class itself first, then its recorded ancestors, as a stand-in.
        QStringList names{choice.className};
        for (const QVariant& ancestor : record.value(QStringLiteral("$classes")).toList()) {
            const QString name = ancestor.toString();
            if (!name.isEmpty() && !names.contains(name))
                names.append(name);
        }
        for (const QString& name : names) {
            choice.codec = valueCodec(name);
            if (choice.codec != Codec::None)
                return choice;
            if (name != choice.className && !s.options.allowedClasses.contains(name))
                continue;
            if ((choice.factory = factoryFor(name)))
                return choice;
        }
        return choice;
    }

    static QVariant decodeReference(KeyedUnarchiver& coder, State& s, quint64 uid)
    {
        if (s.error != KeyedUnarchiver::Error::None || uid == 0)
            return {};
        if (uid >= quint64(s.objects.size())) {
            s.fail(KeyedUnarchiver::Error::BadReference,
                   QStringLiteral("reference %1 is past the object table (%2 objects)").arg(uid).arg(s.objects.size()));
            return {};
        }
        const auto slot = std::size_t(uid);
        if (s.progress[slot] == Progress::Read)
            return s.decoded[slot];
        if (s.progress[slot] == Progress::Reading) {
            s.fail(KeyedUnarchiver::Error::Cycle, QStringLiteral("object %1 refers back to itself").arg(uid));
            return {};
        }
        if (s.depth >= s.options.maxDepth) {
            s.fail(KeyedUnarchiver::Error::TooDeep, QStringLiteral("objects nested deeper than %1 levels").arg(s.options.maxDepth));
            return {};
        }
        s.progress[slot] = Progress::Reading;
        ++s.depth;
        QVariant value = decodeObjectEntry(coder, s, s.objects[qsizetype(uid)]);
        --s.depth;
        s.progress[slot] = Progress::Read;
        if (s.error != KeyedUnarchiver::Error::None)
            return {};
        s.decoded[slot] = value;
        return value;
    }
};

KeyedUnarchiver::Result KeyedUnarchiver::unarchiveTopLevelObject(const QByteArray& data, const Options& options)
{
    Result result;
    if (data.size() > options.maxBytes) {
        result.error = Error::TooLarge;
        result.message = QStringLiteral("archive of %1 bytes is over the limit of %2").arg(data.size()).arg(options.maxBytes);
        return result;
    }
    QString parseError;
    const std::optional<QVariant> plist = PropertyList::parse(data, &parseError);
    if (!plist) {
        result.error = Error::NotAnArchive;
        result.message = parseError;
        return result;
    }
    const QVariantMap root = plist->toMap();
    const QVariant archiverName = root.value(QStringLiteral("$archiver"));
    if (plist->typeId() != QMetaType::QVariantMap
        || (archiverName.isValid() && archiverName.toString() != QStringLiteral("NSKeyedArchiver"))
        || root.value(QStringLiteral("$objects")).typeId() != QMetaType::QVariantList
        || root.value(QStringLiteral("$top")).typeId() != QMetaType::QVariantMap) {
        result.error = Error::NotAnArchive;
        result.message = QStringLiteral("a property list, but not a keyed archive");
        return result;
    }

    KeyedUnarchiver coder(options);
    coder.d->objects = root.value(QStringLiteral("$objects")).toList();
    const auto count = std::size_t(coder.d->objects.size());
    coder.d->decoded.resize(count);
    coder.d->progress.assign(count, Progress::Unread);
    coder.d->classes.resize(count);
    coder.d->current.push_back(root.value(QStringLiteral("$top")).toMap());
    QVariant value = coder.decodeObject(QStringLiteral("root"));
    if (coder.d->error != Error::None) {
        result.error = coder.d->error;
        result.message = coder.d->message;
        return result;
    }
    result.value = std::move(value);
    return result;
}

bool KeyedUnarchiver::containsValue(const QString& key) const
{
    return !d->current.empty() && d->current.back().contains(key);
}

QVariant KeyedUnarchiver::decodeObject(const QString& key)
{
    if (d->current.empty())
        return {};
    return KeyedUnarchiverDecoder::decodeInlineOrReference(*this, *d, d->current.back().value(key));
}

QVariant KeyedUnarchiver::scalar(const QString& key)
{
    const QVariant value = decodeObject(key);
    return isScalar(value) ? value : QVariant();
}

std::optional<QString> KeyedUnarchiver::decodeString(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

bool KeyedUnarchiver::decodeBool(const QString& key)
{
    const QVariant value = scalar(key);
    if (value.typeId() == QMetaType::Double)
        return value.toDouble() != 0;
    return value.isValid() && value.toLongLong() != 0;
}

qint64 KeyedUnarchiver::decodeInteger(const QString& key)
{
    const QVariant value = scalar(key);
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        // Out-of-range and NaN conversions are undefined; saturate instead.
        if (!(number == number))
            return 0;
        if (number >= 9.2233720368547758e18)
            return std::numeric_limits<qint64>::max();
        if (number <= -9.2233720368547758e18)
            return std::numeric_limits<qint64>::min();
        return qint64(number);
    }
    // Above the signed range: the nearest value this call can return.
    if (value.typeId() == QMetaType::ULongLong && value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    return value.isValid() ? value.toLongLong() : 0;
}

double KeyedUnarchiver::decodeDouble(const QString& key)
{
    const QVariant value = scalar(key);
    return value.isValid() ? value.toDouble() : 0.0;
}

float KeyedUnarchiver::decodeFloat(const QString& key)
{
    const double value = decodeDouble(key);
    if (std::isfinite(value) && std::fabs(value) > double(std::numeric_limits<float>::max()))
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return float(value);
}

std::optional<QByteArray> KeyedUnarchiver::decodeData(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return std::nullopt;
}

std::optional<QDateTime> KeyedUnarchiver::decodeDate(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return std::nullopt;
}

std::optional<Color> KeyedUnarchiver::decodeColor(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.metaType() == QMetaType::fromType<Color>())
        return value.value<Color>();
    return std::nullopt;
}

std::optional<QVariantList> KeyedUnarchiver::decodeArray(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (value.typeId() == QMetaType::QVariantList)
        return value.toList();
    return std::nullopt;
}

} // namespace vantel::platform
