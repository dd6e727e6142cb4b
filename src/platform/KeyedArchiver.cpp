#include "platform/KeyedArchiver.h"

#include "platform/Color.h"
#include "platform/KeyedDictionary.h"
#include "platform/PropertyList.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <QUrl>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

namespace vantel::platform {

namespace {

using PropertyList::OrderedDictionary;
using PropertyList::Uid;

constexpr qint64 referenceEpochMSecs = 978307200ll * 1000;

QByteArray shortestNumber(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

struct KeyedArchiver::State {
    QVariantList objects{QStringLiteral("$null")};
    QHash<QString, quint64> strings;
    QHash<QString, quint64> classes;
    QHash<const Archivable*, quint64> archivables;
    // Keeps every archived object alive while the archive is built, so that an
    // address seen once cannot be reused by a different object.
    std::vector<std::shared_ptr<const Archivable>> keepAlive;
    // The dictionaries being filled: the top level first, then one per object
    // being encoded. Each keeps its keys in the order encode() wrote them.
    std::vector<OrderedDictionary> stack{OrderedDictionary{}};
    QString error;

    void fail(const QString& message)
    {
        if (error.isEmpty())
            error = message;
    }

    quint64 append(const QVariant& value)
    {
        objects.append(value);
        return quint64(objects.size() - 1);
    }

    quint64 classRecord(const QString& name, const QStringList& chain)
    {
        if (auto it = classes.constFind(name); it != classes.cend())
            return *it;
        const quint64 uid = append(QVariantMap{{QStringLiteral("$classname"), name},
                                               {QStringLiteral("$classes"), chain}});
        classes.insert(name, uid);
        return uid;
    }

    quint64 classRecord(const QString& name)
    {
        return classRecord(name, {name, QStringLiteral("NSObject")});
    }

    quint64 stringObject(const QString& text)
    {
        if (auto it = strings.constFind(text); it != strings.cend())
            return *it;
        const quint64 uid = append(text);
        strings.insert(text, uid);
        return uid;
    }

    // Reserves the object's slot first so that nested objects come after it.
    quint64 container(const QString& className, const std::function<void(QVariantMap&)>& fill)
    {
        const quint64 uid = append(QVariant());
        QVariantMap dict;
        fill(dict);
        dict.insert(QStringLiteral("$class"), QVariant::fromValue(Uid{classRecord(className)}));
        objects[qsizetype(uid)] = dict;
        return uid;
    }

    quint64 encodeValue(KeyedArchiver& archiver, const QVariant& value, int depth);
    quint64 encodeArchivable(KeyedArchiver& archiver, const std::shared_ptr<const Archivable>& object);
};

quint64 KeyedArchiver::State::encodeValue(KeyedArchiver& archiver, const QVariant& value, int depth)
{
    if (!error.isEmpty())
        return 0;
    if (depth > PropertyList::maxNesting) {
        fail(QStringLiteral("value nested deeper than %1 levels").arg(PropertyList::maxNesting));
        return 0;
    }
    if (!value.isValid())
        return 0;

    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<ArchivablePtr>())
        return encodeArchivable(archiver, value.value<ArchivablePtr>());
    if (type == QMetaType::fromType<std::shared_ptr<const Archivable>>())
        return encodeArchivable(archiver, value.value<std::shared_ptr<const Archivable>>());
    if (type == QMetaType::fromType<Color>()) {
        const Color color = value.value<Color>();
        return container(QStringLiteral("NSColor"), [&](QVariantMap& dict) {
            const QByteArray rgb = shortestNumber(color.red) + ' ' + shortestNumber(color.green) + ' '
                + shortestNumber(color.blue) + ' ' + shortestNumber(color.alpha) + '\0';
            dict.insert(QStringLiteral("NSColorSpace"), qint64(1));
            dict.insert(QStringLiteral("NSRGB"), rgb);
        });
    }
    if (type == QMetaType::fromType<KeyedDictionary>()) {
        const KeyedDictionary dictionary = value.value<KeyedDictionary>();
        return container(QStringLiteral("NSDictionary"), [&](QVariantMap& dict) {
            QVariantList keys;
            QVariantList values;
            for (const auto& [key, item] : dictionary.entries) {
                keys.append(QVariant::fromValue(Uid{encodeValue(archiver, key, depth + 1)}));
                values.append(QVariant::fromValue(Uid{encodeValue(archiver, item, depth + 1)}));
            }
            dict.insert(QStringLiteral("NS.keys"), keys);
            dict.insert(QStringLiteral("NS.objects"), values);
        });
    }

    switch (value.typeId()) {
    case QMetaType::Nullptr:
        return 0;
    case QMetaType::QString:
        if (value.toString().contains(QChar(0))) {
            fail(QStringLiteral("string holds a NUL character"));
            return 0;
        }
        return stringObject(value.toString());
    case QMetaType::Bool:
        return append(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar:
        return append(value.toLongLong());
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
            fail(QStringLiteral("integer %1 is too large").arg(value.toULongLong()));
            return 0;
        }
        return append(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return append(value.toDouble());
    case QMetaType::QByteArray:
        return append(value.toByteArray());
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid()) {
            fail(QStringLiteral("invalid date"));
            return 0;
        }
        return container(QStringLiteral("NSDate"), [&](QVariantMap& dict) {
            dict.insert(QStringLiteral("NS.time"), double(date.toMSecsSinceEpoch() - referenceEpochMSecs) / 1000.0);
        });
    }
    case QMetaType::QUrl: {
        const QUrl url = value.toUrl();
        return container(QStringLiteral("NSURL"), [&](QVariantMap& dict) {
            dict.insert(QStringLiteral("NS.base"), QVariant::fromValue(Uid{0}));
            dict.insert(QStringLiteral("NS.relative"),
                        QVariant::fromValue(Uid{stringObject(url.toString(QUrl::FullyEncoded))}));
        });
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        return container(QStringLiteral("NSArray"), [&](QVariantMap& dict) {
            QVariantList uids;
            uids.reserve(list.size());
            for (const QVariant& item : list)
                uids.append(QVariant::fromValue(Uid{encodeValue(archiver, item, depth + 1)}));
            dict.insert(QStringLiteral("NS.objects"), uids);
        });
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap map = value.typeId() == QMetaType::QVariantMap ? value.toMap() : [&] {
            QVariantMap sorted;
            const QVariantHash hash = value.toHash();
            for (auto it = hash.cbegin(); it != hash.cend(); ++it)
                sorted.insert(it.key(), it.value());
            return sorted;
        }();
        return container(QStringLiteral("NSDictionary"), [&](QVariantMap& dict) {
            QVariantList keys;
            QVariantList values;
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                keys.append(QVariant::fromValue(Uid{encodeValue(archiver, it.key(), depth + 1)}));
                values.append(QVariant::fromValue(Uid{encodeValue(archiver, it.value(), depth + 1)}));
            }
            dict.insert(QStringLiteral("NS.keys"), keys);
            dict.insert(QStringLiteral("NS.objects"), values);
        });
    }
    default:
        break;
    }
    fail(QStringLiteral("cannot archive a value of type %1").arg(QString::fromLatin1(value.typeName())));
    return 0;
}

quint64 KeyedArchiver::State::encodeArchivable(KeyedArchiver& archiver, const std::shared_ptr<const Archivable>& object)
{
    if (!object || !error.isEmpty())
        return 0;
    // An object reached twice is written once; this also ends reference cycles.
    if (auto it = archivables.constFind(object.get()); it != archivables.cend())
        return *it;
    if (stack.size() > std::size_t(PropertyList::maxNesting)) {
        fail(QStringLiteral("objects nested deeper than %1 levels").arg(PropertyList::maxNesting));
        return 0;
    }
    const QString name = object->archiveClassName();
    QStringList chain = object->archiveClassChain();
    if (name.isEmpty()) {
        fail(QStringLiteral("an archived object has no class name"));
        return 0;
    }
    if (chain.isEmpty() || chain.first() != name)
        chain.prepend(name);

    const quint64 uid = append(QVariant());
    archivables.insert(object.get(), uid);
    keepAlive.push_back(object);
    stack.emplace_back();
    object->encode(archiver);
    const OrderedDictionary encoded = std::move(stack.back());
    stack.pop_back();
    // The class reference leads the record, and a key of the object's own
    // cannot take its place.
    const QString classKey = QStringLiteral("$class");
    OrderedDictionary record;
    record.insert(classKey, QVariant::fromValue(Uid{classRecord(name, chain)}));
    for (const auto& [key, value] : encoded.entries()) {
        if (key != classKey)
            record.insert(key, value);
    }
    objects[qsizetype(uid)] = QVariant::fromValue(record);
    return uid;
}

KeyedArchiver::KeyedArchiver()
    : d(std::make_unique<State>())
{
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeObject(const QVariant& value, const QString& key)
{
    const quint64 uid = d->encodeValue(*this, value, 0);
    d->stack.back().insert(key, QVariant::fromValue(Uid{uid}));
}

void KeyedArchiver::encodeArchivable(const std::shared_ptr<const Archivable>& object, const QString& key)
{
    const quint64 uid = d->encodeArchivable(*this, object);
    d->stack.back().insert(key, QVariant::fromValue(Uid{uid}));
}

void KeyedArchiver::encodeBool(bool value, const QString& key)
{
    d->stack.back().insert(key, value);
}

void KeyedArchiver::encodeInteger(qint64 value, const QString& key)
{
    d->stack.back().insert(key, value);
}

void KeyedArchiver::encodeDouble(double value, const QString& key)
{
    d->stack.back().insert(key, value);
}

void KeyedArchiver::encodeFloat(float value, const QString& key)
{
    // Widening is exact, so a reader narrowing back gets the same float.
    d->stack.back().insert(key, double(value));
}

bool KeyedArchiver::hasError() const
{
    return !d->error.isEmpty();
}

QByteArray KeyedArchiver::encodedData(QString* error) const
{
    if (!d->error.isEmpty()) {
        if (error)
            *error = d->error;
        return {};
    }
    if (d->stack.size() != 1) {
        if (error)
            *error = QStringLiteral("the archive is still being encoded");
        return {};
    }
    const QVariantMap archive{
        {QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver")},
        {QStringLiteral("$version"), qint64(100000)},
        {QStringLiteral("$top"), QVariant::fromValue(d->stack.front())},
        {QStringLiteral("$objects"), d->objects},
    };
    return PropertyList::serialize(archive, PropertyList::Format::Binary, error);
}

QByteArray KeyedArchiver::archivedData(const QVariant& rootObject, QString* error)
{
    KeyedArchiver archiver;
    archiver.encodeObject(rootObject, QStringLiteral("root"));
    return archiver.encodedData(error);
}

QByteArray KeyedArchiver::archivedData(const std::shared_ptr<const Archivable>& rootObject, QString* error)
{
    KeyedArchiver archiver;
    archiver.encodeArchivable(rootObject, QStringLiteral("root"));
    return archiver.encodedData(error);
}

} // namespace vantel::platform
