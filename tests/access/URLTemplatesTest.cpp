#include "AccessTestSupport.h"

#include "access/ParsedURL.h"
#include "access/URLManager.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <gtest/gtest.h>

using namespace vantel;

namespace {

TEST(URLTemplatesTest, ThirteenBuiltInTemplatesInTheirOrder)
{
    const auto templates = URLManager::defaultTemplates();
    QStringList titles;
    for (const auto& entry : templates)
        titles.append(entry->title());
    EXPECT_EQ(titles, (QStringList{"Send Mail", "Search in Wikipedia", "Search in Google", "Search in Apple Maps",
                                   "Search in IMDB", "Search in Amazon", "Search in Twitter", "Search in Reddit",
                                   "Make a Phone Call", "Send a Text Message", "Things - Show quick entry",
                                   "DEVONthink - create a quick note", "DEVONthink - search in databases"}));

    const QStringList expectedParts{"mailto:", "/w/index.php?search=%%userInput:Search in Wikipedia%%",
                                    "/search?q=%%userInput:Search in Google%%", "/?q=%%userInput:Locate%%",
                                    "/find?q=%%userInput:Search in IMDB%%", "/s?k=%%userInput:Search in Amazon%%",
                                    "/search?q=%%userInput:Search in Twitter%%",
                                    "/search/?q=%%userInput:Search in Reddit%%", "tel:01234567890", "sms:01234567890",
                                    "things:///add?show-quick-entry=true", "x-devonthink://note",
                                    "x-devonthink://search?query=%%userInput:Search in DEVONthink%%"};
    for (int i = 0; i < templates.size(); ++i) {
        EXPECT_TRUE(templates.at(i)->value().contains(expectedParts.at(i))) << templates.at(i)->value().toStdString();
        EXPECT_NE(ParsedURL::create(templates.at(i)->value(), std::nullopt), nullptr) << i;
    }
    EXPECT_TRUE(templates.first()->value().endsWith("?subject=Support%20Question"));
    EXPECT_TRUE(templates.at(3)->value().startsWith("http://"));
}

TEST(URLTemplatesTest, LoadingDefaultsCleansThemUpAndTheCleanUpDropsEmptyOnes)
{
    URLManager manager;
    manager.loadDefaultTemplates();
    ASSERT_EQ(manager.urlTemplates().size(), 13);
    for (int i = 1; i < manager.urlTemplates().size(); ++i)
        EXPECT_LE(QString::compare(manager.urlTemplates().at(i - 1)->title(), manager.urlTemplates().at(i)->title(),
                                   Qt::CaseInsensitive),
                  0);

    manager.urlTemplates().first()->setTitle(QString());
    manager.urlTemplates().append(std::make_shared<urlTemplateData>(QStringLiteral("a"), QString()));
    manager.urlTemplates().append(std::make_shared<urlTemplateData>(QStringLiteral("aaa"), QStringLiteral("x:1")));
    manager.urlTemplates().append(std::make_shared<urlTemplateData>(QStringLiteral("AAA"), QStringLiteral("x:2")));
    manager.cleanUpTemplates();
    ASSERT_EQ(manager.urlTemplates().size(), 14);
    // Equal titles keep their order.
    EXPECT_EQ(manager.urlTemplates().at(0)->value(), QStringLiteral("x:1"));
    EXPECT_EQ(manager.urlTemplates().at(1)->value(), QStringLiteral("x:2"));
}

TEST(URLTemplatesTest, TheMenuOffersTwoPlaceholders)
{
    const URLManager manager;
    EXPECT_TRUE(manager.urlTemplates().isEmpty());
    ASSERT_EQ(manager.urlPlaceholders().size(), 2);
    EXPECT_EQ(manager.urlPlaceholders().at(0)->title(), QStringLiteral("Ask for input"));
    EXPECT_EQ(manager.urlPlaceholders().at(0)->value(), QStringLiteral("%%userInput:Question%%"));
    EXPECT_EQ(manager.urlPlaceholders().at(1)->title(), QStringLiteral("Selected files"));
    EXPECT_EQ(manager.urlPlaceholders().at(1)->value(), QStringLiteral("%%selectedFileObjects%%"));
}

TEST(URLTemplatesTest, ArchiveRoundTripAndRefusals)
{
    platform::KeyedUnarchiver::Options options;
    options.allowedClasses = urlTemplateData::archiveClassNames();

    const auto original = std::make_shared<urlTemplateData>(QStringLiteral("Title"), QStringLiteral("x://y?q=%%userInput%%"));
    const QByteArray data = platform::KeyedArchiver::archivedData(std::static_pointer_cast<const platform::Archivable>(original));
    const auto decoded = platform::KeyedUnarchiver::unarchive<urlTemplateData>(data, options);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->title(), original->title());
    EXPECT_EQ(decoded->value(), original->value());
    EXPECT_TRUE(data.contains("Vantel.urlTemplateData"));
    EXPECT_TRUE(data.contains("Vantel.urlBaseData"));

    const auto emptyTitle = std::make_shared<urlTemplateData>(QString(), QStringLiteral("x://y"));
    const QByteArray bad = platform::KeyedArchiver::archivedData(std::static_pointer_cast<const platform::Archivable>(emptyTitle));
    EXPECT_EQ(platform::KeyedUnarchiver::unarchive<urlTemplateData>(bad, options), nullptr);

    // A list of templates, as the settings store it.
    const QVariantList list{QVariant::fromValue(platform::ArchivablePtr(original)),
                            QVariant::fromValue(platform::ArchivablePtr(emptyTitle))};
    const auto listResult = platform::KeyedUnarchiver::unarchiveTopLevelObject(
        platform::KeyedArchiver::archivedData(QVariant(list)), options);
    ASSERT_TRUE(listResult.ok());
    EXPECT_EQ(listResult.value.toList().size(), 1);
}

} // namespace
