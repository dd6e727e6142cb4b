#include "platform/PropertyList.h"

#include <QDateTime>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

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
