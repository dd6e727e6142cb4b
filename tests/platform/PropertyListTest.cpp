#include "platform/PropertyList.h"

#include <QDateTime>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <bit>
#include <limits>

using namespace vantel::platform;
using PropertyList::Format;

namespace {

QVariant sampleTree()
{
    return QVariantMap{
        {QStringLiteral("text"), QStringLiteral("grüße \"quoted\" <tag> & 日本")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("yes"), true},
        {QStringLiteral("no"), false},
        {QStringLiteral("zero"), qint64(0)},
        {QStringLiteral("negative"), qint64(-42)},
        {QStringLiteral("min"), std::numeric_limits<qint64>::min()},
        {QStringLiteral("max"), std::numeric_limits<qint64>::max()},
        {QStringLiteral("real"), 0.1},
        {QStringLiteral("tiny"), 5e-324},
        {QStringLiteral("data"), QByteArray("\x00\x01\xff binary", 10)},
        {QStringLiteral("date"), QDateTime::fromString(QStringLiteral("2023-04-05T06:07:08Z"), Qt::ISODate)},
        {QStringLiteral("before2001"), QDateTime::fromString(QStringLiteral("1990-01-01T00:00:01Z"), Qt::ISODate)},
        {QStringLiteral("list"), QVariantList{qint64(1), QStringLiteral("two"), QVariantList{}, QVariantMap{}}},
        {QStringLiteral("uid"), QVariant::fromValue(PropertyList::Uid{7})},
    };
}

} // namespace

class PropertyListFormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(PropertyListFormatTest, EveryTypeSurvivesARoundTrip)
{
    QString error;
    const QByteArray data = PropertyList::serialize(sampleTree(), GetParam(), &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    const auto parsed = PropertyList::parse(data, &error);
    ASSERT_TRUE(parsed) << error.toStdString();

    const QVariantMap expected = sampleTree().toMap();
    const QVariantMap actual = parsed->toMap();
    ASSERT_EQ(actual.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant& value = actual.value(it.key());
        EXPECT_EQ(value.metaType(), it.value().metaType()) << it.key().toStdString();
        EXPECT_EQ(value, it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(actual.value(QStringLiteral("date")).toDateTime().timeSpec(), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(BothForms, PropertyListFormatTest, ::testing::Values(Format::Binary, Format::Xml));

TEST(PropertyListTest, BinaryDatesKeepTheirMilliseconds)
{
    // The XML form stores whole seconds only; the binary form keeps the fraction, also before 2001.
    for (const char* text : {"2023-04-05T06:07:08.250Z", "2060-01-01T00:00:00.001Z", "1990-01-01T00:00:00.500Z",
                             "2000-12-31T23:59:58.750Z", "1950-06-01T12:00:00.000Z"}) {
        const QDateTime date = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
        const auto back = PropertyList::parse(PropertyList::serialize(QVariantList{date}));
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->toList().value(0).toDateTime(), date) << text;
    }
}

TEST(PropertyListTest, FormIsDetectedFromTheContent)
{
    const QVariant value = QVariantList{QStringLiteral("a"), qint64(1)};
    const QByteArray binary = PropertyList::serialize(value, Format::Binary);
    const QByteArray xml = PropertyList::serialize(value, Format::Xml);
    EXPECT_TRUE(binary.startsWith("bplist00"));
    EXPECT_TRUE(xml.contains("<plist"));
    EXPECT_EQ(PropertyList::parse(binary), value);
    EXPECT_EQ(PropertyList::parse(xml), value);
}

TEST(PropertyListTest, OtherIntegerAndListTypesAreNormalised)
{
    const QVariantMap in{{QStringLiteral("int"), int(-3)},
                         {QStringLiteral("uint"), uint(3)},
                         {QStringLiteral("float"), 0.25f},
                         {QStringLiteral("strings"), QStringList{QStringLiteral("a"), QStringLiteral("b")}}};
    const QVariantMap out = PropertyList::parse(PropertyList::serialize(in))->toMap();
    EXPECT_EQ(out.value(QStringLiteral("int")), QVariant(qint64(-3)));
    EXPECT_EQ(out.value(QStringLiteral("uint")), QVariant(qint64(3)));
    EXPECT_EQ(out.value(QStringLiteral("float")), QVariant(0.25));
    EXPECT_EQ(out.value(QStringLiteral("strings")), QVariant(QVariantList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST(PropertyListTest, DamagedInputIsRefusedWithAReason)
{
    const QByteArray good = PropertyList::serialize(sampleTree());
    const QList<QByteArray> bad{
        QByteArray(),
        good.left(good.size() / 2),
        good.left(8),
        QByteArray("bplist00") + QByteArray(40, '\xff'),
        QByteArray("just some text"),
        QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key>"),
    };
    for (const QByteArray& data : bad) {
        QString error;
        EXPECT_FALSE(PropertyList::parse(data, &error)) << data.left(20).toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    // Flipping bytes anywhere must never crash the reader.
    for (qsizetype i = 0; i < good.size(); ++i) {
        QByteArray damaged = good;
        damaged[i] = char(damaged[i] ^ 0x5a);
        (void)PropertyList::parse(damaged);
    }
}

TEST(PropertyListTest, ValuesAPropertyListCannotHoldAreRefused)
{
    const QList<QVariant> bad{
        QVariant(),
        QVariant(QUrl(QStringLiteral("https://example.org"))),
        QVariant(QString::fromUtf8("before\0after", 12)),
        QVariant(QVariantList{QStringLiteral("fine"), QVariant()}),
        QVariant(QDateTime()),
    };
    for (const QVariant& value : bad) {
        QString error;
        EXPECT_TRUE(PropertyList::serialize(value, Format::Binary, &error).isEmpty()) << value.typeName();
        EXPECT_FALSE(error.isEmpty()) << value.typeName();
    }
}

TEST(PropertyListTest, NestingIsBoundedBothWays)
{
    QVariant deep = QVariantList{};
    for (int i = 0; i < PropertyList::maxNesting + 5; ++i)
        deep = QVariantList{deep};
    QString error;
    EXPECT_TRUE(PropertyList::serialize(deep, Format::Binary, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());

    // Built by hand, the way a hostile file would hold it.
    QByteArray xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < PropertyList::maxNesting + 5; ++i)
        xml += "<array>";
    for (int i = 0; i < PropertyList::maxNesting + 5; ++i)
        xml += "</array>";
    xml += "</plist>";
    EXPECT_FALSE(PropertyList::parse(xml));
}

namespace {

// A binary property list laid out by hand, the way a damaged or hostile file
// would hold it: `objects` are the encoded objects, references one byte wide
// unless more are needed, the first object at the top.
QByteArray binaryList(const QList<QByteArray>& objects, int refSize = 1)
{
    QByteArray data("bplist00");
    QList<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint64(data.size()));
        data += object;
    }
    const quint64 table = quint64(data.size());
    const int offsetSize = table < 256 ? 1 : 4;
    for (quint64 offset : offsets) {
        for (int i = offsetSize - 1; i >= 0; --i)
            data += char(quint8(offset >> (8 * i)));
    }
    QByteArray trailer(32, '\0');
    trailer[6] = char(offsetSize);
    trailer[7] = char(refSize);
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char(quint8(quint64(objects.size()) >> (8 * (7 - i))));
        trailer[24 + i] = char(quint8(table >> (8 * (7 - i))));
    }
    return data + trailer;
}

QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes;
    for (int i = size - 1; i >= 0; --i)
        bytes += char(quint8(value >> (8 * i)));
    return bytes;
}

QByteArray dateObject(double secondsSince2001)
{
    return QByteArray("\x33") + bigEndian(std::bit_cast<quint64>(secondsSince2001), 8);
}

QDateTime dateFromText(const QString& text)
{
    if (text.startsWith(QLatin1Char('-'))) {
        const QStringList parts = text.mid(1, 10).split(QLatin1Char('-'));
        return QDateTime(QDate(-parts[0].toInt(), parts[1].toInt(), parts[2].toInt()), QTime(0, 0), Qt::UTC);
    }
    return QDateTime::fromString(text, Qt::ISODate);
}

void expectRefused(const QByteArray& data, const char* what)
{
    QString error;
    EXPECT_FALSE(PropertyList::parse(data, &error)) << what;
    EXPECT_FALSE(error.isEmpty()) << what;
}

} // namespace

TEST(PropertyListTest, NulInsideAStringOrKeyIsRefused)
{
    expectRefused(QByteArray("<string>\0</string>", 18), "XML string");
    expectRefused(QByteArray("<plist><dict><key>a\0b</key><true/></dict></plist>", 49), "XML key");
    expectRefused(QByteArray("<plist><string>&#0;</string></plist>"), "XML character reference");
    expectRefused(binaryList({QByteArray("\x53""a\0b", 4)}), "binary string");
    expectRefused(binaryList({QByteArray("\xd1\x01\x02", 3), QByteArray("\x61\0\0", 3), QByteArray("\x09")}), "binary key");
}

TEST(PropertyListTest, DeepNestingIsRefusedBeforeItCanExhaustTheStack)
{
    // About 100,000 arrays each holding the next: under 1 MB.
    constexpr int depth = 100000;
    QList<QByteArray> objects;
    for (int i = 0; i < depth - 1; ++i)
        objects.append(QByteArray("\xa1") + bigEndian(quint64(i + 1), 3));
    objects.append(QByteArray("\xa0"));
    const QByteArray binary = binaryList(objects, 3);
    ASSERT_LT(binary.size(), 1 << 20);
    expectRefused(binary, "binary");

    const QByteArray xml = "<plist>" + QByteArray("<array>").repeated(200000) + QByteArray("</array>").repeated(200000) + "</plist>";
    expectRefused(xml, "XML");

    // Up to the limit is fine in both forms.
    QVariant deep = QVariantList{};
    for (int i = 1; i < PropertyList::maxNesting; ++i)
        deep = QVariantList{deep};
    for (Format format : {Format::Binary, Format::Xml})
        EXPECT_EQ(PropertyList::parse(PropertyList::serialize(deep, format)), deep);
}

TEST(PropertyListTest, BothFormsHaveOneLimitOfLevelsEmptyContainersIncluded)
{
    // `levels` arrays each holding the next; the innermost empty or holding a number.
    const auto binaryChain = [](int levels, bool withNumber) {
        QList<QByteArray> objects;
        for (int i = 0; i < levels - 1; ++i)
            objects.append(QByteArray("\xa1") + bigEndian(quint64(i + 1), 2));
        if (withNumber) {
            objects.append(QByteArray("\xa1") + bigEndian(quint64(levels), 2));
            objects.append(QByteArray("\x10\x01", 2));
        } else {
            objects.append(QByteArray("\xa0"));
        }
        return binaryList(objects, 2);
    };
    const auto xmlChain = [](int levels, bool withNumber) {
        return "<plist>" + QByteArray("<array>").repeated(levels) + (withNumber ? "<integer>1</integer>" : "")
               + QByteArray("</array>").repeated(levels) + "</plist>";
    };
    for (bool withNumber : {false, true}) {
        const int limit = PropertyList::maxNesting;
        EXPECT_TRUE(PropertyList::parse(binaryChain(limit, withNumber))) << withNumber;
        EXPECT_TRUE(PropertyList::parse(xmlChain(limit, withNumber))) << withNumber;
        EXPECT_FALSE(PropertyList::parse(binaryChain(limit + 1, withNumber))) << withNumber;
        EXPECT_FALSE(PropertyList::parse(xmlChain(limit + 1, withNumber))) << withNumber;
    }
    // "<array/>" is a level like "<array></array>", and nothing is written that can't be read.
    QByteArray selfClosing = "<plist>" + QByteArray("<array>").repeated(PropertyList::maxNesting) + "<array/>"
                             + QByteArray("</array>").repeated(PropertyList::maxNesting) + "</plist>";
    EXPECT_FALSE(PropertyList::parse(selfClosing));
    QVariant tooDeep = QVariantList{};
    for (int i = 0; i < PropertyList::maxNesting; ++i)
        tooDeep = QVariantList{tooDeep};
    for (Format format : {Format::Binary, Format::Xml})
        EXPECT_TRUE(PropertyList::serialize(tooDeep, format).isEmpty());
}

TEST(PropertyListTest, ObjectsSharedSoTheyExpandExponentiallyAreRefused)
{
    // 25 arrays, each holding the next one twice: 2^25 values as a tree.
    QList<QByteArray> objects;
    for (int i = 0; i < 24; ++i)
        objects.append(QByteArray("\xa2") + char(i + 1) + char(i + 1));
    objects.append(QByteArray("\xa0"));
    const QByteArray hostile = binaryList(objects);
    ASSERT_LT(hostile.size(), 150);
    QString error;
    EXPECT_FALSE(PropertyList::parse(hostile, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("expands"))) << error.toStdString();

    // Sharing within bounds still reads, and a cycle is refused.
    const QByteArray shared = binaryList({QByteArray("\xa3\x01\x01\x01"), QByteArray("\x51x")});
    EXPECT_EQ(PropertyList::parse(shared), QVariant(QVariantList{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x")}));
    expectRefused(binaryList({QByteArray("\xa1\x01"), QByteArray("\xa1\x00")}), "cycle");
}

TEST(PropertyListTest, LargeIntegersAndDistantDatesReadExactlyOrNotAtAll)
{
    const quint64 big = 12345678901234567890ull;
    const auto fromBinary = PropertyList::parse(binaryList({QByteArray("\x14") + bigEndian(0, 8) + bigEndian(big, 8)}));
    ASSERT_TRUE(fromBinary);
    EXPECT_EQ(fromBinary->typeId(), QMetaType::ULongLong);
    EXPECT_EQ(fromBinary->toULongLong(), big);
    const auto fromXml = PropertyList::parse("<plist><integer>12345678901234567890</integer></plist>");
    ASSERT_TRUE(fromXml);
    EXPECT_EQ(fromXml->toULongLong(), big);
    expectRefused("<plist><integer>99999999999999999999</integer></plist>", "above 64 bits");
    expectRefused("<plist><integer>-9223372036854775809</integer></plist>", "below 64 bits");
    expectRefused(binaryList({QByteArray("\x14") + bigEndian(1, 8) + bigEndian(0, 8)}), "128-bit");

    // The common distant past and future, and the edges of the old 32-bit range.
    // (The distant past falls on 30 December 1 BC in the calendar QDate counts with.)
    const QList<QPair<double, QString>> dates{{-63114076800.0, QStringLiteral("-0001-12-30T00:00:00Z")},
                                              {63113904000.0, QStringLiteral("4001-01-01T00:00:00Z")},
                                              {-2147483649.0, QStringLiteral("1932-12-13T20:45:51Z")},
                                              {2147483648.0, QStringLiteral("2069-01-19T03:14:08Z")}};
    for (const auto& [seconds, text] : dates) {
        const QDateTime expected = dateFromText(text);
        EXPECT_EQ(PropertyList::parse(binaryList({dateObject(seconds)})), QVariant(expected)) << text.toStdString();
        if (expected.date().year() > 0) {
            EXPECT_EQ(PropertyList::parse("<plist><date>" + text.toLatin1() + "</date></plist>"), QVariant(expected));
        }
    }
    expectRefused(binaryList({dateObject(std::numeric_limits<double>::quiet_NaN())}), "NaN date");
    expectRefused(binaryList({dateObject(1e300)}), "date past any calendar");

    // And they are written back as they were read.
    const QVariantList values{QVariant(big), QVariant(dateFromText(dates[0].second)), QVariant(dateFromText(dates[1].second))};
    EXPECT_EQ(PropertyList::parse(PropertyList::serialize(values)), QVariant(values));
    EXPECT_EQ(PropertyList::parse(PropertyList::serialize(values.mid(0, 1) + values.mid(2), Format::Xml)),
              QVariant(values.mid(0, 1) + values.mid(2)));
    QString error;
    EXPECT_TRUE(PropertyList::serialize(values, Format::Xml, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

// Some writers store UTF-8 under the binary form's ASCII type; bytes that are
// no UTF-8 stay one character each.
TEST(PropertyListTest, AnAsciiTypedStringHoldingUtf8IsReadAsUtf8)
{
    const std::pair<QByteArray, QString> cases[] = {{"90\xE2\x80\x99s", QStringLiteral("90\u2019s")},
                                                    {"caf\xE9", QStringLiteral("caf\u00E9")}};
    for (const auto& [bytes, text] : cases) {
        const QByteArray placeholder(bytes.size(), 'x');
        QByteArray data = PropertyList::serialize(QVariantMap{{QStringLiteral("s"), QString::fromLatin1(placeholder)}});
        data.replace(data.indexOf(placeholder), placeholder.size(), bytes);
        EXPECT_EQ(PropertyList::parse(data).value_or(QVariant()).toMap().value(QStringLiteral("s")).toString(), text);
    }
}
