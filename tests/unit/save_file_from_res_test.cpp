#include <gtest/gtest.h>

#include "fake_platform.h"
#include "payload/payloads.h"

namespace veldor::testing {
namespace {

TEST(SaveFileFromRes, AnUnknownPayloadOrTypeStagesNothing) {
    const std::pair<std::uint16_t, const char*> cases[] = {{105, "custom"}, {101, "icon"}};
    for (const auto& [id, type] : cases) {
        SCOPED_TRACE(type);
        FakePlatform world;
        world.directories = {"C:\\"};
        EXPECT_FALSE(SaveFileFromRes(world, id, type, "x.dat"));
        EXPECT_TRUE(world.files.empty());
    }
}

}  // namespace
}  // namespace veldor::testing
