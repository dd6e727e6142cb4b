#include "platform/ui/UiCatalog.h"

#include "platform/ui/UiTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel::platform;
using vantel::test::RecordingViewController;

namespace {

class UiCatalogTest : public ::testing::Test {
protected:
    UiCatalog catalog;
};

} // namespace

TEST_F(UiCatalogTest, KnowsTheInterfaceFilesAndTheirIdentifiers)
{
    EXPECT_EQ(UiCatalog::interfaceFiles().size(), 10);
    EXPECT_TRUE(UiCatalog::hasIdentifier(QStringLiteral("Main"), QStringLiteral("MainViewController")));
    EXPECT_TRUE(UiCatalog::hasIdentifier(QStringLiteral("ConfigSettings"),
                                         QStringLiteral("ConfigTabViewController_Settings")));
    EXPECT_TRUE(UiCatalog::hasIdentifier(QStringLiteral("DialogFirstRun"), QStringLiteral("FirstRunSheet2")));
    EXPECT_TRUE(UiCatalog::hasIdentifier(QStringLiteral("DialogVersionedBackup"), QStringLiteral("CellFilename")));
    // Identifiers belong to their file only; names are case-sensitive.
    EXPECT_FALSE(UiCatalog::hasIdentifier(QStringLiteral("Main"), QStringLiteral("ConfigViewController")));
    EXPECT_FALSE(UiCatalog::hasIdentifier(QStringLiteral("main"), QStringLiteral("MainViewController")));
    EXPECT_FALSE(UiCatalog::hasStoryboard(QStringLiteral("Settings")));
}

TEST_F(UiCatalogTest, MakesANewObjectPerRequest)
{
    int made = 0;
    ASSERT_TRUE(catalog.registerFactory(QStringLiteral("Main"), QStringLiteral("MainViewController"), [&] {
        ++made;
        return std::make_shared<RecordingViewController>();
    }));
    UiCatalog::Failure failure = UiCatalog::Failure::wrongClass;
    const auto first = catalog.instantiateAs<ViewControllerBase>(QStringLiteral("Main"),
                                                                 QStringLiteral("MainViewController"), &failure);
    const auto second = catalog.instantiate(QStringLiteral("Main"), QStringLiteral("MainViewController"));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(made, 2);
    EXPECT_EQ(failure, UiCatalog::Failure::none);
}

TEST_F(UiCatalogTest, EveryFailureAnswersNoneWithItsReason)
{
    UiCatalog::Failure failure = UiCatalog::Failure::none;
    EXPECT_FALSE(catalog.instantiate(QStringLiteral("Nowhere"), QStringLiteral("MainViewController"), &failure));
    EXPECT_EQ(failure, UiCatalog::Failure::unknownStoryboard);

    // Known file, but nothing registered for the identifier.
    EXPECT_FALSE(catalog.instantiate(QStringLiteral("Main"), QStringLiteral("MainWindowController"), &failure));
    EXPECT_EQ(failure, UiCatalog::Failure::unknownIdentifier);

    // A factory that makes something else than the caller expects.
    ASSERT_TRUE(catalog.registerFactory(QStringLiteral("DialogInfo"), QStringLiteral("ConfigViewControllerInfo"),
                                        [] { return std::make_shared<QObject>(); }));
    EXPECT_FALSE(catalog.instantiateAs<ViewControllerBase>(QStringLiteral("DialogInfo"),
                                                           QStringLiteral("ConfigViewControllerInfo"), &failure));
    EXPECT_EQ(failure, UiCatalog::Failure::wrongClass);

    // A factory that makes nothing counts as a missing identifier.
    ASSERT_TRUE(catalog.registerFactory(QStringLiteral("DialogInfo"), QStringLiteral("ConfigWindowControllerInfo"),
                                        [] { return std::shared_ptr<QObject>(); }));
    EXPECT_FALSE(catalog.instantiate(QStringLiteral("DialogInfo"), QStringLiteral("ConfigWindowControllerInfo"),
                                     &failure));
    EXPECT_EQ(failure, UiCatalog::Failure::unknownIdentifier);
}

TEST_F(UiCatalogTest, RefusesFactoriesOutsideTheTable)
{
    const auto factory = [] { return std::make_shared<QObject>(); };
    EXPECT_FALSE(catalog.registerFactory(QStringLiteral("Main"), QStringLiteral("MainViewControler"), factory));
    EXPECT_FALSE(catalog.registerFactory(QStringLiteral("Mian"), QStringLiteral("MainViewController"), factory));
    EXPECT_FALSE(catalog.hasFactory(QStringLiteral("Main"), QStringLiteral("MainViewControler")));

    ASSERT_TRUE(catalog.registerFactory(QStringLiteral("Main"), QStringLiteral("HeaderCell"), factory));
    EXPECT_TRUE(catalog.hasFactory(QStringLiteral("Main"), QStringLiteral("HeaderCell")));
    // An empty factory removes the pair.
    EXPECT_TRUE(catalog.registerFactory(QStringLiteral("Main"), QStringLiteral("HeaderCell"), {}));
    EXPECT_FALSE(catalog.hasFactory(QStringLiteral("Main"), QStringLiteral("HeaderCell")));
}
