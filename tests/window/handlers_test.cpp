// The window's handlers reach the right platform operation, and only that.
#include <gtest/gtest.h>

#include "unit/fake_platform.h"
#include "window/form.h"
#include "window/veldor.h"

namespace veldor {
namespace {

using testing::Box;

TEST(Handlers, EachControlReachesOnlyItsOwnOperation) {
    const struct {
        std::string_view control;
        std::vector<Box> boxes;
        std::vector<std::string> opened;
        bool ended;
    } cases[] = {
        {"comAbout", {{std::string(about_text), Icon::none}}, {}, false},
        {"Label1", {}, {std::string(site_address)}, false},
        {"comExit", {}, {}, true},
        {"comInstall", {{"路径错误", Icon::stop}}, {}, false},  // not the game's layout
        {"Text", {}, {}, false},
        {"Label2", {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        testing::FakePlatform platform;
        platform.dialog_answer = "C:\\Games";
        VELDOR window{platform};
        const Control* control = find_control(c.control);
        ASSERT_NE(control, nullptr);
        window.Run(control->on_click);
        EXPECT_EQ(platform.boxes, c.boxes);
        EXPECT_EQ(platform.opened, c.opened);
        EXPECT_EQ(platform.ended, c.ended);
        EXPECT_TRUE(platform.written.empty());
    }
}

}  // namespace
}  // namespace veldor
