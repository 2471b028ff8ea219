#include <gtest/gtest.h>

#include "fake_platform.h"
#include "payload/payloads.h"

namespace veldor::testing {
namespace {

TEST(SaveFileFromRes, AnUnknownPayloadOrTypeIsReportedOnceAndWritesNothing) {
    const std::pair<std::uint16_t, const char*> cases[] = {{105, "custom"}, {101, "icon"}};
    for (const auto& [id, type] : cases) {
        SCOPED_TRACE(type);
        FakePlatform world;
        EXPECT_FALSE(SaveFileFromRes(world, id, type, "x.dat"));
        EXPECT_EQ(world.boxes, (std::vector<Box>{{"路径错误", Icon::stop}}));
        EXPECT_EQ(world.reasons, std::vector<std::string>{"安装程序缺少 x.dat"});
        EXPECT_TRUE(world.written.empty());
    }
}

}  // namespace
}  // namespace veldor::testing
