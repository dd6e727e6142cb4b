#include "platform/KeyedArchiver.h"
#include "platform/KeyedDictionary.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace vantel::platform;
using PropertyList::Uid;
using Error = KeyedUnarchiver::Error;

namespace {

const QString noteClass = QStringLiteral("Vantel.TestNote");

// A small application class with every kind of field the real ones archive.
class Note : public Archivable {
public:
    QString title;
    qint64 count = 0;
    bool pinned = false;
    float weight = 0;
    double ratio = 0;
    std::optional<Color> color;
    QStringList tags;
    std::shared_ptr<Note> child;

    QString archiveClassName() const override { return noteClass; }
    QStringList archiveClassChain() const override
    {
        return {noteClass, QStringLiteral("Vantel.TestBase"), QStringLiteral("NSObject")};
    }
    void encode(KeyedArchiver& coder) const override
    {
        coder.encodeObject(title, QStringLiteral("title"));
        coder.encodeInteger(count, QStringLiteral("count"));
        coder.encodeObject(pinned, QStringLiteral("pinned"));
        coder.encodeFloat(weight, QStringLiteral("weight"));
        coder.encodeDouble(ratio, QStringLiteral("ratio"));
        coder.encodeObject(color ? QVariant::fromValue(*color) : QVariant(), QStringLiteral("color"));
        coder.encodeObject(tags, QStringLiteral("tags"));
        coder.encodeArchivable(child, QStringLiteral("child"));
    }

    // Like the real classes: fails without a title, takes the rest when present.
    static ArchivablePtr decode(KeyedUnarchiver& coder)
    {
        const auto title = coder.decodeString(QStringLiteral("title"));
        if (!title)
            return nullptr;
        auto note = std::make_shared<Note>();
        note->title = *title;
        note->count = coder.decodeInteger(QStringLiteral("count"));
        note->pinned = coder.decodeBool(QStringLiteral("pinned"));
        note->weight = coder.decodeFloat(QStringLiteral("weight"));
        note->ratio = coder.decodeDouble(QStringLiteral("ratio"));
        note->color = coder.decodeColor(QStringLiteral("color"));
        if (const auto tags = coder.decodeArray(QStringLiteral("tags"))) {
            for (const QVariant& tag : *tags)
                note->tags.append(tag.toString());
        }
        note->child = coder.decodeArchivable<Note>(QStringLiteral("child"));
        return note;
    }
};

KeyedUnarchiver::Options noteOptions()
{
    static const bool registered = [] {
        KeyedUnarchiver::registerClass(noteClass, &Note::decode);
        return true;
    }();
    (void)registered;
    KeyedUnarchiver::Options options;
    options.allowedClasses = {noteClass};
    return options;
}

QVariant uid(quint64 value)
{
    return QVariant::fromValue(Uid{value});
}

QVariantMap classRecord(const QString& name)
{
    return {{QStringLiteral("$classname"), name}, {QStringLiteral("$classes"), QVariantList{name, QStringLiteral("NSObject")}}};
}

// An archive laid out by hand, as a foreign writer (or an attacker) would.
QByteArray handArchive(const QVariantList& objects, quint64 root = 1)
{
    const QVariantMap archive{{QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver")},
                              {QStringLiteral("$version"), qint64(100000)},
                              {QStringLiteral("$top"), QVariantMap{{QStringLiteral("root"), uid(root)}}},
                              {QStringLiteral("$objects"), objects}};
    return PropertyList::serialize(archive);
}

struct PythonRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

PythonRun runPython(const QString& script, const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    process.waitForFinished(int(vantel::test::longWait.count()));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QString writeFile(const QString& name, const QByteArray& data)
{
    const QString path = vantel::test::makeTempDir(QStringLiteral("archives")) + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(KeyedArchiverTest, ArchiveHasTheStandardLayoutForAnIndependentReader)
{
    auto child = std::make_shared<Note>();
    child->title = QStringLiteral("child");
    auto note = std::make_shared<Note>();
    note->title = QStringLiteral("Notes \u00e9");
    note->count = -12;
    note->pinned = true;
    note->weight = 0.2f;
    note->ratio = 0.1;
    note->color = Color{0.25, 0.5, 1, 0.75};
    note->tags = {QStringLiteral("a"), QStringLiteral("b")};
    note->child = child;

    QString error;
    const QByteArray data = KeyedArchiver::archivedData(note, &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    ASSERT_TRUE(data.startsWith("bplist00"));
    const QString path = writeFile(QStringLiteral("note.plist"), data);

    const QString script = QStringLiteral(R"(
import json, plistlib, struct, sys
with open(sys.argv[1], 'rb') as f:
    raw = f.read()
a = plistlib.loads(raw)
assert a['$archiver'] == 'NSKeyedArchiver', a['$archiver']
assert a['$version'] == 100000
objs = a['$objects']
assert objs[0] == '$null'
root = a['$top']['root']
assert isinstance(root, plistlib.UID)
def cls(o):
    c = objs[o['$class'].data]
    return c['$classname'], c['$classes']
def obj(u):
    assert isinstance(u, plistlib.UID), u
    return objs[u.data]
n = obj(root)
name, chain = cls(n)
col = obj(n['color'])
child = obj(n['child'])
tags = obj(n['tags'])
# a Float32 is written as a 4-byte real: marker 0x22 and the float's bits
assert b'\x22' + struct.pack('>f', n['weight']) in raw
print(json.dumps({
    'class': name, 'chain': chain, 'title': obj(n['title']),
    'count': n['count'], 'pinned': obj(n['pinned']), 'ratio': n['ratio'],
    'colorClass': cls(col)[0], 'space': col['NSColorSpace'], 'rgb': col['NSRGB'].decode('ascii'),
    'tagsClass': cls(tags)[0], 'tags': [obj(t) for t in tags['NS.objects']],
    'childTitle': obj(child['title']), 'childChild': child['child'].data,
}))
)");
    const PythonRun run = runPython(script, {path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json.value(QStringLiteral("class")).toString(), noteClass);
    EXPECT_EQ(json.value(QStringLiteral("chain")).toVariant().toStringList(),
              (QStringList{noteClass, QStringLiteral("Vantel.TestBase"), QStringLiteral("NSObject")}));
    EXPECT_EQ(json.value(QStringLiteral("title")).toString(), QStringLiteral("Notes \u00e9"));
    EXPECT_EQ(json.value(QStringLiteral("count")).toInt(), -12);
    EXPECT_EQ(json.value(QStringLiteral("pinned")).toBool(), true);
    EXPECT_EQ(json.value(QStringLiteral("ratio")).toDouble(), 0.1);
    EXPECT_EQ(json.value(QStringLiteral("colorClass")).toString(), QStringLiteral("NSColor"));
    EXPECT_EQ(json.value(QStringLiteral("space")).toInt(), 1);
    EXPECT_EQ(json.value(QStringLiteral("rgb")).toString(), QStringLiteral("0.25 0.5 1 0.75") + QChar(0));
    EXPECT_EQ(json.value(QStringLiteral("tagsClass")).toString(), QStringLiteral("NSArray"));
    EXPECT_EQ(json.value(QStringLiteral("tags")).toVariant().toStringList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(json.value(QStringLiteral("childTitle")).toString(), QStringLiteral("child"));
    EXPECT_EQ(json.value(QStringLiteral("childChild")).toInt(), 0);

    auto back = KeyedUnarchiver::unarchive<Note>(data, noteOptions());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->title, note->title);
    EXPECT_EQ(back->count, -12);
    EXPECT_TRUE(back->pinned);
    EXPECT_EQ(back->weight, 0.2f);
    EXPECT_EQ(back->ratio, 0.1);
    EXPECT_EQ(back->color, note->color);
    EXPECT_EQ(back->tags, note->tags);
    ASSERT_TRUE(back->child);
    EXPECT_EQ(back->child->title, QStringLiteral("child"));
    EXPECT_FALSE(back->child->child);
}

TEST(KeyedArchiverTest, AnObjectsKeysKeepTheOrderTheyWereEncodedIn)
{
    auto note = std::make_shared<Note>();
    note->title = QStringLiteral("parent");
    note->child = std::make_shared<Note>();
    note->child->title = QStringLiteral("child");
    const QByteArray data = KeyedArchiver::archivedData(note);
    ASSERT_FALSE(data.isEmpty());
    const QString path = writeFile(QStringLiteral("order.plist"), data);
    const QString script = QStringLiteral(R"(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
objs = a['$objects']
n = objs[a['$top']['root'].data]
print(','.join(n))
print(','.join(objs[n['child'].data]))
)");
    const PythonRun run = runPython(script, {path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray encodeOrder = "$class,title,count,pinned,weight,ratio,color,tags,child";
    EXPECT_EQ(run.out, encodeOrder + '\n' + encodeOrder + '\n');
    auto back = KeyedUnarchiver::unarchive<Note>(data, noteOptions());
    ASSERT_TRUE(back && back->child);
    EXPECT_EQ(back->child->title, QStringLiteral("child"));

    // The XML form keeps the order too; a key set again keeps its place and takes the new value.
    PropertyList::OrderedDictionary dictionary;
    dictionary.insert(QStringLiteral("b"), qint64(1));
    dictionary.insert(QStringLiteral("a"), qint64(2));
    dictionary.insert(QStringLiteral("b"), qint64(3));
    const QByteArray xml = PropertyList::serialize(QVariant::fromValue(dictionary), PropertyList::Format::Xml);
    EXPECT_TRUE(xml.contains("<dict>\n\t<key>b</key>\n\t<integer>3</integer>\n\t<key>a</key>\n\t<integer>2</integer>\n</dict>"))
        << xml.toStdString();
    EXPECT_EQ(PropertyList::parse(xml), QVariant(QVariantMap{{QStringLiteral("a"), qint64(2)}, {QStringLiteral("b"), qint64(3)}}));
}

TEST(KeyedArchiverTest, ReadsAnArchiveBuiltByAnotherWriter)
{
    const QString path = vantel::test::makeTempDir(QStringLiteral("foreign")) + QStringLiteral("/foreign.plist");
    // Mutable classes, wrapped strings, UID-referenced scalars and a URL with a base.
    const QString script = QStringLiteral(R"(
import plistlib, sys
U = plistlib.UID
def cls(name, *chain):
    return {'$classname': name, '$classes': [name, *chain, 'NSObject']}
objs = ['$null',
  {'$class': U(2), 'NS.objects': [U(3), U(0), U(8), U(10), U(14)]},   # 1 list
  cls('NSMutableArray', 'NSArray'),                                    # 2
  {'$class': U(4), 'title': U(5), 'count': 7, 'pinned': U(6), 'weight': 1.5,
   'color': U(7), 'tags': U(16)},                                      # 3 note
  cls('Vantel.TestNote'),                                              # 4
  {'$class': U(15), 'NS.string': 'wrapped title'},                     # 5
  True,                                                                # 6
  {'$class': U(9), 'NSColorSpace': 3, 'NSWhite': b'0.5\x00'},          # 7
  {'$class': U(11), 'NS.base': U(12), 'NS.relative': U(13)},           # 8 relative URL
  cls('NSColor'),                                                      # 9
  {'$class': U(17), 'NS.time': 86400.5},                               # 10 date
  cls('NSURL'),                                                        # 11
  {'$class': U(11), 'NS.base': U(0), 'NS.relative': 'https://example.org/a/'},  # 12 base
  'b/c?q=1',                                                           # 13
  {'$class': U(18), 'NS.keys': ['k', U(13)], 'NS.objects': [U(19), U(19)]},  # 14 dict
  cls('NSMutableString', 'NSString'),                                  # 15
  {'$class': U(2), 'NS.objects': [U(13)]},                             # 16 tags
  cls('NSDate'),                                                       # 17
  cls('NSMutableDictionary', 'NSDictionary'),                          # 18
  b'\x00\x01',                                                         # 19
]
a = {'$archiver': 'NSKeyedArchiver', '$version': 100000, '$top': {'root': U(1)}, '$objects': objs}
with open(sys.argv[1], 'wb') as f:
    plistlib.dump(a, f, fmt=plistlib.FMT_BINARY)
)");
    const PythonRun run = runPython(script, {path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(readFile(path), noteOptions());
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const QVariantList list = result.value.toList();
    ASSERT_EQ(list.size(), 4); // the $null element is left out

    auto note = std::dynamic_pointer_cast<Note>(list[0].value<ArchivablePtr>());
    ASSERT_TRUE(note);
    EXPECT_EQ(note->title, QStringLiteral("wrapped title"));
    EXPECT_EQ(note->count, 7);
    EXPECT_TRUE(note->pinned);
    EXPECT_EQ(note->weight, 1.5f);
    EXPECT_EQ(note->color, (Color{0.5, 0.5, 0.5, 1}));
    EXPECT_EQ(note->tags, QStringList{QStringLiteral("b/c?q=1")});

    EXPECT_EQ(list[1].toUrl(), QUrl(QStringLiteral("https://example.org/a/b/c?q=1")));
    EXPECT_EQ(list[2].toDateTime(), QDateTime::fromString(QStringLiteral("2001-01-02T00:00:00.500Z"), Qt::ISODateWithMs));
    const QVariantMap dict = list[3].toMap();
    EXPECT_EQ(dict.value(QStringLiteral("k")), QVariant(QByteArray("\x00\x01", 2)));
    EXPECT_EQ(dict.value(QStringLiteral("b/c?q=1")), QVariant(QByteArray("\x00\x01", 2)));
}

TEST(KeyedArchiverTest, ValueTypesSurviveARoundTrip)
{
    const QUrl fileUrl = QUrl::fromLocalFile(QStringLiteral("/tmp/with space/ü.txt"));
    KeyedDictionary bookmarks;
    bookmarks.entries.append({fileUrl, QByteArray("grant")});
    bookmarks.entries.append({QUrl(QStringLiteral("https://example.org/?a=b#c")), QByteArray()});

    const QVariantMap root{
        {QStringLiteral("string"), QStringLiteral("text")},
        {QStringLiteral("bool"), false},
        {QStringLiteral("int"), qint64(-1) << 40},
        {QStringLiteral("double"), 1.0 / 3},
        {QStringLiteral("data"), QByteArray("\0\1\2", 3)},
        {QStringLiteral("date"), QDateTime::fromString(QStringLiteral("1999-12-31T23:59:59.125Z"), Qt::ISODateWithMs)},
        {QStringLiteral("url"), fileUrl},
        {QStringLiteral("color"), QVariant::fromValue(Color{1.0 / 3, 0, 0.1, 1})},
        {QStringLiteral("list"), QVariantList{QStringLiteral("a"), QVariantList{qint64(1)}}},
        {QStringLiteral("bookmarks"), QVariant::fromValue(bookmarks)},
        {QStringLiteral("emptyMap"), QVariantMap{}},
    };
    QString error;
    const QByteArray data = KeyedArchiver::archivedData(root, &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(data, {});
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const QVariantMap back = result.value.toMap();
    for (auto it = root.cbegin(); it != root.cend(); ++it)
        EXPECT_EQ(back.value(it.key()), it.value()) << it.key().toStdString();

    const auto dictionary = KeyedDictionary::from(back.value(QStringLiteral("bookmarks")));
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->value(fileUrl), QVariant(QByteArray("grant")));
    EXPECT_TRUE(KeyedDictionary::from(back.value(QStringLiteral("emptyMap"))));
    EXPECT_FALSE(KeyedDictionary::from(back.value(QStringLiteral("list"))));
}

TEST(KeyedArchiverTest, SharedAndCyclicObjectGraphs)
{
    auto shared = std::make_shared<Note>();
    shared->title = QStringLiteral("shared");
    const QVariantList list{QVariant::fromValue(ArchivablePtr(shared)), QVariant::fromValue(ArchivablePtr(shared))};
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(KeyedArchiver::archivedData(list), noteOptions());
    ASSERT_TRUE(result.ok());
    const QVariantList back = result.value.toList();
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].value<ArchivablePtr>(), back[1].value<ArchivablePtr>());

    // The writer ends a cycle by reference; the reader refuses it.
    auto loop = std::make_shared<Note>();
    loop->title = QStringLiteral("loop");
    loop->child = loop;
    const QByteArray data = KeyedArchiver::archivedData(loop);
    loop->child.reset();
    ASSERT_FALSE(data.isEmpty());
    Error error = Error::None;
    EXPECT_FALSE(KeyedUnarchiver::unarchive<Note>(data, noteOptions(), &error));
    EXPECT_EQ(error, Error::Cycle);
}

namespace {

QVariantList manyNotes(int count)
{
    QVariantList notes;
    for (int i = 0; i < count; ++i) {
        auto note = std::make_shared<Note>();
        note->title = QStringLiteral("note %1").arg(i);
        note->tags = {QStringLiteral("tag %1").arg(i % 10), QStringLiteral("common")};
        note->color = Color{0.25, 0.5, 1, 1};
        notes.append(QVariant::fromValue(ArchivablePtr(note)));
    }
    return notes;
}

// The processor time of one round trip, in nanoseconds; -1 when it failed.
qint64 roundTripNanoseconds(const QVariantList& notes)
{
    const qint64 start = vantel::test::processCpuNanoseconds();
    const QByteArray data = KeyedArchiver::archivedData(notes);
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(data, noteOptions());
    const qint64 spent = vantel::test::processCpuNanoseconds() - start;
    if (data.isEmpty() || !result.ok() || result.value.toList().size() != notes.size())
        return -1;
    return spent;
}

} // namespace

TEST(KeyedArchiverTest, TenThousandObjectsAreWrittenAndReadInLinearTime)
{
    const QVariantList notes = manyNotes(10000);
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(KeyedArchiver::archivedData(notes), noteOptions());
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const QVariantList back = result.value.toList();
    ASSERT_EQ(back.size(), notes.size());
    const auto last = std::dynamic_pointer_cast<Note>(back.last().value<ArchivablePtr>());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->title, QStringLiteral("note 9999"));
    EXPECT_EQ(last->tags, (QStringList{QStringLiteral("tag 9"), QStringLiteral("common")}));

    // Ten times the objects may cost ten times as long, not a hundred: a ratio
    // holds on a loaded or sanitized build where a wall-clock bound does not.
    const QVariantList few = manyNotes(1000);
    const auto growth = vantel::test::cheapestOfRounds([&] { return roundTripNanoseconds(few); },
                                                       [&] { return roundTripNanoseconds(notes); });
    ASSERT_GT(growth.small, 0);
    EXPECT_LT(growth.ratio(), 30.0) << "1,000 objects: " << growth.small << " ns, 10,000: " << growth.large << " ns";
}

TEST(KeyedArchiverTest, ValuesThatCannotBeArchivedFailTheArchive)
{
    QString error;
    EXPECT_TRUE(KeyedArchiver::archivedData(QVariantList{QStringLiteral("ok"), QPoint(1, 2)}, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(KeyedArchiver::archivedData(QVariant(QDateTime()), &error).isEmpty());
}

TEST(KeyedUnarchiverTest, BadInputIsAnErrorNeverACrash)
{
    const QVariantList noteObjects{QStringLiteral("$null"),
                                   QVariantMap{{QStringLiteral("$class"), uid(2)}, {QStringLiteral("title"), uid(3)}},
                                   classRecord(noteClass), QStringLiteral("t")};
    const QByteArray good = handArchive(noteObjects);
    ASSERT_TRUE(KeyedUnarchiver::unarchive<Note>(good, noteOptions()));

    QVariantList pastTable = noteObjects;
    pastTable[1] = QVariantMap{{QStringLiteral("$class"), uid(2)}, {QStringLiteral("title"), uid(99)}};
    QVariantList classPastTable = noteObjects;
    classPastTable[1] = QVariantMap{{QStringLiteral("$class"), uid(1234)}};
    QVariantList selfList{QStringLiteral("$null"),
                          QVariantMap{{QStringLiteral("$class"), uid(2)}, {QStringLiteral("NS.objects"), QVariantList{uid(1)}}},
                          classRecord(QStringLiteral("NSArray"))};
    KeyedUnarchiver::Options tiny = noteOptions();
    tiny.maxBytes = 16;

    struct Case {
        const char* name;
        QByteArray data;
        KeyedUnarchiver::Options options;
        Error expected;
    };
    const Case cases[] = {
        {"truncated", good.left(good.size() - 10), noteOptions(), Error::NotAnArchive},
        {"empty", QByteArray(), noteOptions(), Error::NotAnArchive},
        {"plain plist", PropertyList::serialize(QVariantMap{{QStringLiteral("a"), qint64(1)}}), noteOptions(), Error::NotAnArchive},
        {"other archiver", PropertyList::serialize(QVariantMap{{QStringLiteral("$archiver"), QStringLiteral("X")},
                                                               {QStringLiteral("$top"), QVariantMap{}},
                                                               {QStringLiteral("$objects"), QVariantList{}}}),
         noteOptions(), Error::NotAnArchive},
        {"root past table", handArchive(noteObjects, 50), noteOptions(), Error::BadReference},
        {"field past table", handArchive(pastTable), noteOptions(), Error::BadReference},
        {"class past table", handArchive(classPastTable), noteOptions(), Error::BadReference},
        {"cycle", handArchive(selfList), noteOptions(), Error::Cycle},
        {"not allowed", good, KeyedUnarchiver::Options{}, Error::ClassNotAllowed},
        {"too large", good, tiny, Error::TooLarge},
    };
    for (const Case& c : cases) {
        const auto result = KeyedUnarchiver::unarchiveTopLevelObject(c.data, c.options);
        EXPECT_EQ(result.error, c.expected) << c.name << ": " << result.message.toStdString();
        EXPECT_FALSE(result.value.isValid()) << c.name;
        EXPECT_FALSE(result.message.isEmpty()) << c.name;
    }

    // Damage anywhere in a real archive: an error or a value, never a crash.
    auto note = std::make_shared<Note>();
    note->title = QStringLiteral("x");
    note->tags = {QStringLiteral("t")};
    note->color = Color{};
    const QByteArray archive = KeyedArchiver::archivedData(note);
    for (qsizetype i = 0; i < archive.size(); ++i) {
        QByteArray damaged = archive;
        damaged[i] = char(damaged[i] + 1);
        (void)KeyedUnarchiver::unarchiveTopLevelObject(damaged, noteOptions());
    }
}

TEST(KeyedUnarchiverTest, NestingDeeperThanTheLimitIsRefused)
{
    const auto nested = [](int depth) {
        QVariant value = QStringLiteral("leaf");
        for (int i = 0; i < depth; ++i)
            value = QVariantList{value};
        return KeyedArchiver::archivedData(value);
    };
    // Each list is one level, the leaf string another.
    EXPECT_TRUE(KeyedUnarchiver::unarchiveTopLevelObject(nested(63), {}).ok());
    const auto deep = KeyedUnarchiver::unarchiveTopLevelObject(nested(64), {});
    EXPECT_EQ(deep.error, Error::TooDeep);

    KeyedUnarchiver::Options shallow;
    shallow.maxDepth = 3;
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObject(nested(3), shallow).error, Error::TooDeep);
}

TEST(KeyedUnarchiverTest, WrongTypesReadAsNothingWithoutFailingTheRest)
{
    // "tags" holds a string, "color" an array, "count" a string: each reads as its empty value.
    const QVariantList objects{QStringLiteral("$null"),
                               QVariantMap{{QStringLiteral("$class"), uid(2)},
                                           {QStringLiteral("title"), uid(3)},
                                           {QStringLiteral("tags"), uid(3)},
                                           {QStringLiteral("color"), uid(4)},
                                           {QStringLiteral("count"), uid(3)},
                                           {QStringLiteral("pinned"), QStringLiteral("yes")}},
                               classRecord(noteClass),
                               QStringLiteral("a string"),
                               QVariantMap{{QStringLiteral("$class"), uid(5)}, {QStringLiteral("NS.objects"), QVariantList{}}},
                               classRecord(QStringLiteral("NSArray"))};
    Error error = Error::WrongType;
    const auto note = KeyedUnarchiver::unarchive<Note>(handArchive(objects), noteOptions(), &error);
    ASSERT_TRUE(note);
    EXPECT_EQ(error, Error::None);
    EXPECT_TRUE(note->tags.isEmpty());
    EXPECT_FALSE(note->color);
    EXPECT_EQ(note->count, 0);
    EXPECT_FALSE(note->pinned);

    // A sound archive whose root is something else is a wrong type, not a broken file.
    EXPECT_FALSE(KeyedUnarchiver::unarchive<Note>(KeyedArchiver::archivedData(QStringLiteral("x")), noteOptions(), &error));
    EXPECT_EQ(error, Error::WrongType);
    EXPECT_FALSE(KeyedUnarchiver::unarchive<Note>(handArchive({QStringLiteral("$null")}, 0), noteOptions(), &error));
    EXPECT_EQ(error, Error::WrongType);
    EXPECT_FALSE(KeyedUnarchiver::unarchive<Note>(QByteArray("garbage"), noteOptions(), &error));
    EXPECT_EQ(error, Error::NotAnArchive);
}

TEST(KeyedUnarchiverTest, ArrayElementsThatDecodeToNothingAreSkipped)
{
    const QVariantList objects{
        QStringLiteral("$null"),
        QVariantMap{{QStringLiteral("$class"), uid(2)}, {QStringLiteral("NS.objects"), QVariantList{uid(3), uid(5), uid(6), uid(0), uid(8)}}},
        classRecord(QStringLiteral("NSArray")),
        QVariantMap{{QStringLiteral("$class"), uid(4)}, {QStringLiteral("title"), uid(9)}},  // good
        classRecord(noteClass),
        QVariantMap{{QStringLiteral("$class"), uid(4)}},                                      // factory refuses: no title
        QVariantMap{{QStringLiteral("$class"), uid(7)}},                                      // allowed, but nobody reads it
        classRecord(QStringLiteral("Vantel.Unregistered")),
        QVariantMap{{QStringLiteral("$class"), uid(4)}, {QStringLiteral("title"), uid(10)}},  // good
        QStringLiteral("first"),
        QStringLiteral("second"),
    };
    KeyedUnarchiver::Options options = noteOptions();
    options.allowedClasses.insert(QStringLiteral("Vantel.Unregistered"));
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(handArchive(objects), options);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    QStringList titles;
    for (const QVariant& value : result.value.toList())
        titles.append(std::dynamic_pointer_cast<Note>(value.value<ArchivablePtr>())->title);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

TEST(KeyedUnarchiverTest, ColoursAreReadInTheirCommonForms)
{
    const auto bytes = [](const char* text) { return QVariant(QByteArray(text, qsizetype(strlen(text)) + 1)); };
    struct Case {
        const char* name;
        QVariantMap fields;
        std::optional<Color> expected;
    };
    const QVariantMap fallback{{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("0.1 0.2 0.3")}};
    const Case cases[] = {
        {"calibrated rgb", {{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("1 0.5 0 0.25")}}, Color{1, 0.5, 0, 0.25}},
        {"device rgb without alpha", {{QStringLiteral("NSColorSpace"), qint64(2)}, {QStringLiteral("NSRGB"), bytes("0.5 0.5 0.5")}}, Color{0.5, 0.5, 0.5, 1}},
        {"calibrated white", {{QStringLiteral("NSColorSpace"), qint64(3)}, {QStringLiteral("NSWhite"), bytes("0.25 0.5")}}, Color{0.25, 0.25, 0.25, 0.5}},
        {"device white", {{QStringLiteral("NSColorSpace"), qint64(4)}, {QStringLiteral("NSWhite"), bytes("1")}}, Color{1, 1, 1, 1}},
        {"cmyk", {{QStringLiteral("NSColorSpace"), qint64(5)}, {QStringLiteral("NSCMYK"), bytes("1 0 0 0.5 1")}}, Color{0, 0.5, 0.5, 1}},
        {"catalog with fallback", {{QStringLiteral("NSColorSpace"), qint64(6)}, {QStringLiteral("NSCatalogName"), QStringLiteral("System")},
                                   {QStringLiteral("NSColorName"), QStringLiteral("controlColor")}, {QStringLiteral("NSColor"), uid(3)}},
         Color{0.1, 0.2, 0.3, 1}},
        {"catalog without fallback", {{QStringLiteral("NSColorSpace"), qint64(6)}, {QStringLiteral("NSColorName"), QStringLiteral("x")}}, std::nullopt},
        {"components", {{QStringLiteral("NSColorSpace"), qint64(10)}, {QStringLiteral("NSComponents"), bytes("0.5 0.25 0.125 1")},
                        {QStringLiteral("NSCustomColorSpace"), uid(0)}}, Color{0.5, 0.25, 0.125, 1}},
        {"rgb with components beside", {{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("0 0 1")},
                                         {QStringLiteral("NSComponents"), bytes("1 1 1 1")}}, Color{0, 0, 1, 1}},
        {"garbled numbers", {{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("0.1 zz 0.3")}}, std::nullopt},
        {"not finite", {{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("nan 0 0")}}, std::nullopt},
        {"too few components", {{QStringLiteral("NSColorSpace"), qint64(1)}, {QStringLiteral("NSRGB"), bytes("0.1")}}, std::nullopt},
        {"unknown space", {{QStringLiteral("NSColorSpace"), qint64(42)}}, std::nullopt},
    };
    for (const Case& c : cases) {
        QVariantMap color = c.fields;
        color.insert(QStringLiteral("$class"), uid(2));
        QVariantMap fallbackColor = fallback;
        fallbackColor.insert(QStringLiteral("$class"), uid(2));
        const QVariantList objects{QStringLiteral("$null"), color, classRecord(QStringLiteral("NSColor")), fallbackColor};
        const auto result = KeyedUnarchiver::unarchiveTopLevelObject(handArchive(objects), {});
        ASSERT_TRUE(result.ok()) << c.name;
        if (c.expected) {
            EXPECT_EQ(result.value.value<Color>(), *c.expected) << c.name;
        } else {
            EXPECT_FALSE(result.value.isValid()) << c.name;
        }
    }
}

TEST(KeyedUnarchiverTest, ScalarsAreReadInlineOrByReference)
{
    // Inline values in the object's own dictionary and references to them in $objects are both accepted.
    const QVariantList objects{QStringLiteral("$null"),
                               QVariantMap{{QStringLiteral("$class"), uid(2)},
                                           {QStringLiteral("title"), QStringLiteral("inline title")},
                                           {QStringLiteral("count"), uid(3)},
                                           {QStringLiteral("pinned"), qint64(1)},
                                           {QStringLiteral("weight"), uid(4)},
                                           {QStringLiteral("ratio"), qint64(2)}},
                               classRecord(noteClass),
                               3.9,
                               1e300};
    const auto note = KeyedUnarchiver::unarchive<Note>(handArchive(objects), noteOptions());
    ASSERT_TRUE(note);
    EXPECT_EQ(note->title, QStringLiteral("inline title"));
    EXPECT_EQ(note->count, 3);
    EXPECT_TRUE(note->pinned);
    EXPECT_EQ(note->weight, std::numeric_limits<float>::infinity());
    EXPECT_EQ(note->ratio, 2.0);
}
