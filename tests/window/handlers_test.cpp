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
        std::optional<int> exit_code;
    } cases[] = {
        {"comAbout", {{std::string(about_text), Icon::none}}, {}, {}},
        {"Label1", {}, {std::string(site_address)}, {}},
        {"comExit", {}, {}, 1},                              // leaving is not success
        {"comInstall", {{"路径错误", Icon::stop}}, {}, {}},  // not the game's layout
        {"Text", {}, {}, {}},
        {"Label2", {}, {}, {}},
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
        EXPECT_EQ(platform.exit_code, c.exit_code);
        EXPECT_TRUE(platform.written.empty());
    }
}

// Each attempt's dialog opens on the command line's folder, if one was given.
TEST(Handlers, InstallOpensTheDialogOnTheStartFolder) {
    for (const std::string start : {"", "D:\\My Games\\VELDOR"}) {
        testing::FakePlatform platform;
        VELDOR window{platform, start};
        window.Run(Command::install);
        window.Run(Command::install);
        EXPECT_EQ(platform.dialog_starts, (std::vector{start, start}));
    }
}

}  // namespace
}  // namespace veldor
