// A payload that cannot be produced is a failure, never a file half there.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "payload/payloads.h"

namespace veldor::testing {
namespace {

TEST(SaveFileFromRes, AMissingPayloadOrAFailedWriteIsAFailureAndLeavesNothing) {
    const struct {
        std::uint16_t id;
        std::optional<std::size_t> fail_at;  // 1: the staging of the file
        std::string reason;
    } cases[] = {{105, {}, "安装程序缺少 x.dat"}, {101, 1, "无法写入 x.dat"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        FakePlatform world;
        world.directories = {"C:\\"};
        world.fail_at = c.fail_at;
        EXPECT_FALSE(SaveFileFromRes(world, c.id, "custom", "x.dat"));
        EXPECT_TRUE(world.files.empty());
        EXPECT_EQ(world.reasons, std::vector{c.reason});
    }
}

}  // namespace
}  // namespace veldor::testing
