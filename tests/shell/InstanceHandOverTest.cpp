#include "shell/InstanceHandOver.h"

#include <gtest/gtest.h>

namespace vantel {
namespace {

TEST(InstanceHandOver, ArgumentsBecomeAbsolutePaths)
{
    EXPECT_EQ(InstanceHandOver::handedPaths({QStringLiteral("a.txt"), QStringLiteral("../b/c d.pdf"),
                                             QStringLiteral("/abs/./x"), QString(),
                                             QStringLiteral("file:///tmp/with%20space"),
                                             QStringLiteral("file://otherhost/share/x")},
                                            QStringLiteral("/home/me/work")),
              (QStringList{QStringLiteral("/home/me/work/a.txt"), QStringLiteral("/home/me/b/c d.pdf"),
                           QStringLiteral("/abs/x"), QStringLiteral("/tmp/with space")}));
    EXPECT_TRUE(InstanceHandOver::handedPaths({}, QStringLiteral("/")).isEmpty());
}

} // namespace
} // namespace vantel
