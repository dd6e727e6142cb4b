#include "datastore/spotlight/SpotlightQueryFS.h"

#include "SpotlightTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

using Query = ScriptedQuery<SpotlightQueryFS>;

// Records what the query publishes after subscribing, in order.
struct Emissions {
    explicit Emissions(Query& query)
    {
        tokens.push_back(query.spotlightResultsUnchanged().subscribe([this](const auto& list) { record("unchanged", list); }));
        tokens.push_back(query.spotlightResultsRemoved().subscribe([this](const auto& list) { record("removed", list); }));
        tokens.push_back(query.spotlightResultsAdded().subscribe([this](const auto& list) { record("added", list); }));
        tokens.push_back(query.spotlightResultsComplete().subscribe([this](const auto& list) { record("complete", list); }));
        names.clear();
        lists.clear();
    }
    void record(const char* name, const SpotlightQueryFS::FSResultArray::Ptr& list)
    {
        names << QString::fromLatin1(name);
        lists.insert(QString::fromLatin1(name), pathsOf(list));
    }
    QStringList names;
    QHash<QString, QStringList> lists;
    std::vector<platform::Cancellable> tokens;
};

const QString a = QStringLiteral("/apps/a.desktop");
const QString b = QStringLiteral("/apps/b.desktop");

} // namespace

TEST(SpotlightQueryFSTest, OnlyAChangedSetIsPublishedRemovedBeforeAdded)
{
    Query query;
    Emissions published(query);

    query.pass({appItem(a, QStringLiteral("A")), appItem(b, QStringLiteral("B"))});
    EXPECT_EQ(published.names, (QStringList{QStringLiteral("unchanged"), QStringLiteral("removed"),
                                            QStringLiteral("added"), QStringLiteral("complete")}));
    EXPECT_EQ(published.lists.value(QStringLiteral("added")), (QStringList{a, b}));
    EXPECT_TRUE(published.lists.value(QStringLiteral("removed")).isEmpty());
    EXPECT_EQ(published.lists.value(QStringLiteral("complete")), (QStringList{a, b}));
    EXPECT_EQ(pathsOf(query.previousSpotlightResultsComplete()), (QStringList{a, b}));

    // The same set in another order and with other dates: nothing at all.
    published.names.clear();
    query.pass({appItem(b, QStringLiteral("B"), QDateTime::currentDateTimeUtc()), appItem(a, QStringLiteral("A"))});
    EXPECT_TRUE(published.names.isEmpty()) << published.names.join(u',').toStdString();
    EXPECT_EQ(pathsOf(query.spotlightResultsComplete().get()), (QStringList{a, b})) << "refilled in place";

    // A shrinking pass: only removals.
    const auto completeObject = query.spotlightResultsComplete().get();
    query.pass({appItem(a, QStringLiteral("A"))});
    EXPECT_EQ(published.names, (QStringList{QStringLiteral("unchanged"), QStringLiteral("removed"),
                                            QStringLiteral("added"), QStringLiteral("complete")}));
    EXPECT_EQ(published.lists.value(QStringLiteral("removed")), QStringList{b});
    EXPECT_TRUE(published.lists.value(QStringLiteral("added")).isEmpty());
    EXPECT_EQ(published.lists.value(QStringLiteral("unchanged")), QStringList{a});
    EXPECT_EQ(query.spotlightResultsComplete().get(), completeObject) << "the complete list stays one object";

    // An empty pass removes everything that was there.
    query.pass({});
    EXPECT_EQ(published.lists.value(QStringLiteral("removed")), QStringList{a});
    EXPECT_TRUE(published.lists.value(QStringLiteral("complete")).isEmpty());
    EXPECT_TRUE(query.previousSpotlightResultsComplete()->isEmpty());
}
