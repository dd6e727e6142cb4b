#include "datastore/spotlight/SpotlightQueryCore.h"

#include "SpotlightTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using namespace vantel::test;

namespace {

using Core = ScriptedQuery<SpotlightQueryCore>;

QVariantMap attributesWithPath(const QVariant& path, const QString& name)
{
    return QVariantMap{{QStringLiteral("kMDItemPath"), path},
                       {QStringLiteral("NSMetadataItemPathKey"), path},
                       {QStringLiteral("NSMetadataItemDisplayNameKey"), name}};
}

} // namespace

TEST(SpotlightQueryCoreTest, PassesAreComparedWithThePreviousOneAndPublishedInOrder)
{
    Core core;
    QStringList emitted;
    auto a = core.queryResultsAdded().subscribe([&](const auto&) { emitted << QStringLiteral("added"); });
    auto u = core.queryResultsUnchanged().subscribe([&](const auto&) { emitted << QStringLiteral("unchanged"); });
    auto r = core.queryResultsRemoved().subscribe([&](const auto&) { emitted << QStringLiteral("removed"); });
    auto c = core.queryResultsComplete().subscribe([&](const auto&) { emitted << QStringLiteral("complete"); });
    auto s = core.resultState().subscribe([&](const SpotlightQueryResultState& state) {
        emitted << (state == SpotlightQueryResultState::beginProcessing      ? QStringLiteral("begin")
                    : state == SpotlightQueryResultState::finishedProcessing ? QStringLiteral("finished")
                                                                              : QStringLiteral("unknown"));
    });
    emitted.clear();

    core.pass({appItem(QStringLiteral("/apps/b.desktop"), QStringLiteral("B")),
               appItem(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"))});
    EXPECT_EQ(emitted, (QStringList{QStringLiteral("begin"), QStringLiteral("unchanged"), QStringLiteral("added"),
                                    QStringLiteral("removed"), QStringLiteral("complete"), QStringLiteral("finished")}));
    EXPECT_EQ(pathsOf(core.queryResultsAdded().get()), (QStringList{QStringLiteral("/apps/a.desktop"), QStringLiteral("/apps/b.desktop")}));
    EXPECT_TRUE(core.queryResultsUnchanged().get()->isEmpty());
    EXPECT_TRUE(core.queryResultsRemoved().get()->isEmpty());
    // The complete list keeps the query's order.
    EXPECT_EQ(core.queryResultsComplete().get()->first()->path, QStringLiteral("/apps/b.desktop"));

    // A renamed application is a new result: the old one went.
    core.pass({appItem(QStringLiteral("/apps/a.desktop"), QStringLiteral("A")),
               appItem(QStringLiteral("/apps/b.desktop"), QStringLiteral("B renamed")),
               appItem(QStringLiteral("/apps/c.desktop"), QStringLiteral("C"))});
    EXPECT_EQ(pathsOf(core.queryResultsUnchanged().get()), QStringList{QStringLiteral("/apps/a.desktop")});
    EXPECT_EQ(pathsOf(core.queryResultsAdded().get()), (QStringList{QStringLiteral("/apps/b.desktop"), QStringLiteral("/apps/c.desktop")}));
    EXPECT_EQ(pathsOf(core.queryResultsRemoved().get()), QStringList{QStringLiteral("/apps/b.desktop")});
    EXPECT_EQ(core.queryResultsRemoved().get()->first()->displayname, QStringLiteral("B"));

    // A pass without change still publishes every list.
    emitted.clear();
    core.pass(core.items);
    EXPECT_EQ(emitted.size(), 6);
    EXPECT_TRUE(core.queryResultsAdded().get()->isEmpty());
    EXPECT_EQ(core.queryResultsUnchanged().get()->count(), 3);
}

TEST(SpotlightQueryCoreTest, RepeatsCountOnceAndPathlessItemsFollowTheSwitch)
{
    Core core;
    const QDateTime first(QDate(2024, 1, 2), QTime(3, 4), Qt::UTC);
    const QDateTime later = first.addDays(10);
    core.pass({appItem(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"), first),
               appItem(QStringLiteral("/apps/a.desktop"), QStringLiteral("A"), later),
               platform::MetadataItem(attributesWithPath(QString(), QStringLiteral("No path"))),
               platform::MetadataItem(attributesWithPath(QVariant(42), QStringLiteral("Number path")))});
    const auto complete = core.queryResultsComplete().get()->snapshot();
    ASSERT_EQ(complete.size(), 1);
    EXPECT_EQ(complete.first().lastUsedDate, first) << "the first occurrence wins";

    // Without the path check the empty path stays; the number is no string path.
    core.setProcessOnlyValidFSPaths(false);
    core.pass(core.items);
    const auto unchecked = core.queryResultsComplete().get()->snapshot();
    ASSERT_EQ(unchecked.size(), 3);
    EXPECT_EQ(unchecked.at(1).path, QString());
    EXPECT_EQ(unchecked.at(2).path, std::nullopt);
    EXPECT_EQ(unchecked.at(2).displayname, QStringLiteral("Number path"));
}

TEST(SpotlightQueryCoreTest, RunQueryAnswersWithItsCodesAndStates)
{
    SpotlightQueryCore core;
    EXPECT_EQ(core.runQuery(), 3);
    EXPECT_EQ(core.state().get(), SpotlightQueryState::stopped);

    const QString scope = makeTempDir(QStringLiteral("core-run"));
    writeDesktopFile(scope + QStringLiteral("/one.desktop"), QStringLiteral("One"));
    core.setQuery(platform::Predicate::fromFormat(QStringLiteral("kMDItemContentType == 'com.apple.application-bundle'")));
    core.setSearchScopes({scope, scope + QStringLiteral("/missing")});
    core.applySearchScopes();
    EXPECT_EQ(core.metadataQuery().searchScopes(), (QStringList{scope, scope + QStringLiteral("/missing")}))
        << "a missing scope is awaited";

    QList<SpotlightQueryState> states;
    auto token = core.state().subscribe([&](const SpotlightQueryState& state) { states << state; });
    states.clear();
    EXPECT_EQ(core.runQuery(), 0);
    EXPECT_EQ(core.state().get(), SpotlightQueryState::startet);
    EXPECT_EQ(core.runQuery(), 2) << "still gathering";
    EXPECT_EQ(states, QList<SpotlightQueryState>{SpotlightQueryState::startet});

    ASSERT_TRUE(waitUntil([&] { return core.state().get() == SpotlightQueryState::finishedGathering; }));
    EXPECT_EQ(pathsOf(core.queryResultsComplete().get()), QStringList{scope + QStringLiteral("/one.desktop")});
    EXPECT_EQ(states.first(), SpotlightQueryState::startet);
    EXPECT_EQ(states.at(1), SpotlightQueryState::beginGathering);
    EXPECT_TRUE(states.contains(SpotlightQueryState::progressGathering));

    EXPECT_EQ(core.runQuery(), 1) << "a begun query refuses to begin again";
    EXPECT_EQ(core.state().get(), SpotlightQueryState::failedToStart);

    // Applying the scopes again stops the query without emptying the last list.
    core.applySearchScopes();
    EXPECT_FALSE(core.metadataQuery().isStarted());
    EXPECT_EQ(core.queryResultsComplete().get()->count(), 1);
}

// A diff list that took a whole pass shares that pass's buffer; one that
// skipped a repeat or an element holds its own.
TEST(SpotlightQueryCoreTest, ADiffSharesAPassOnlyWhenItTookItWhole)
{
    const auto result = [](const char* path) { return SpotlightResult{QString::fromUtf8(path), QStringLiteral("N"), {}}; };
    const auto paths = [](const QList<SpotlightResult>& list) {
        QStringList out;
        for (const SpotlightResult& r : list)
            out << r.path.value_or(QString());
        return out;
    };
    const QList<SpotlightResult> ab{result("/a"), result("/b")};

    auto diff = diffSpotlightResults(QList<SpotlightResult>{}, ab);
    EXPECT_EQ(paths(diff.added), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(diff.added.constData(), ab.constData());

    diff = diffSpotlightResults(QList<SpotlightResult>{}, QList<SpotlightResult>{result("/a"), result("/a"), result("/b")});
    EXPECT_EQ(paths(diff.added), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")})) << "a repeat counts once";

    diff = diffSpotlightResults(ab, ab);
    EXPECT_EQ(diff.unchanged.constData(), ab.constData());
    EXPECT_TRUE(diff.added.isEmpty());
    EXPECT_TRUE(diff.removed.isEmpty());

    diff = diffSpotlightResults(QList<SpotlightResult>{result("/a"), result("/b"), result("/a")}, QList<SpotlightResult>{result("/c")});
    EXPECT_EQ(paths(diff.removed), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(paths(diff.added), QStringList{QStringLiteral("/c")});

    diff = diffSpotlightResults(ab, QList<SpotlightResult>{result("/b"), result("/c")});
    EXPECT_EQ(paths(diff.unchanged), QStringList{QStringLiteral("/b")});
    EXPECT_EQ(paths(diff.added), QStringList{QStringLiteral("/c")});
    EXPECT_EQ(paths(diff.removed), QStringList{QStringLiteral("/a")});
}
