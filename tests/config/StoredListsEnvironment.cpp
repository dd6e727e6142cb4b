#include "config/StoreStoredLists.h"

#include <gtest/gtest.h>

namespace {

// The settings objects of these tests save and load their stored lists, as
// in the program, where the launch sequence installs the same half.
class StoredListsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { vantel::StoredLists::setShared(std::make_shared<vantel::StoreStoredLists>()); }
    void TearDown() override { vantel::StoredLists::setShared(nullptr); }
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new StoredListsEnvironment);

} // namespace
