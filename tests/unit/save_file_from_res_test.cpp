#include <gtest/gtest.h>

#include "fake_platform.h"
#include "payload/payloads.h"

namespace veldor::testing {
namespace {

const Box refused{"路径错误", Icon::stop};

TEST(SaveFileFromRes, WritesThePayloadUnderTheGivenName) {
    FakePlatform world;
    for (const Payload& p : payloads) {
        ASSERT_TRUE(SaveFileFromRes(world, p.id, "custom", std::string(p.file_name)));
        EXPECT_EQ(world.files.at("C:\\" + std::string(p.file_name)), world.resources[p.id]);
    }
    EXPECT_TRUE(world.boxes.empty());
}

TEST(SaveFileFromRes, AnUnknownPayloadIsReportedAndWritesNothing) {
    FakePlatform world;
    EXPECT_FALSE(SaveFileFromRes(world, 105, "custom", "x.dat"));
    EXPECT_FALSE(SaveFileFromRes(world, 101, "icon", "x.dat"));
    EXPECT_EQ(world.boxes, (std::vector{refused, refused}));
    EXPECT_TRUE(world.written.empty());
}

TEST(SaveFileFromRes, AFailedWriteIsReportedOnce) {
    FakePlatform world;
    world.failures = {{Op::write_file, "C:\\eng.db"}};
    EXPECT_FALSE(SaveFileFromRes(world, 101, "custom", "eng.db"));
    EXPECT_EQ(world.boxes, std::vector{refused});
    EXPECT_FALSE(world.files.contains("C:\\eng.db"));
}

}  // namespace
}  // namespace veldor::testing
