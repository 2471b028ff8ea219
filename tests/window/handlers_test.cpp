// The window's handlers reach the right platform operation, and only that.
#include <gtest/gtest.h>

#include "unit/fake_platform.h"
#include "window/form.h"
#include "window/veldor.h"

namespace veldor {
namespace {

using testing::Box;
using Boxes = std::vector<Box>;
using Strings = std::vector<std::string>;

struct Handlers : ::testing::Test {
    veldor::testing::FakePlatform platform;
    VELDOR window{platform};

    void click(std::string_view control) {
        const Control* c = find_control(control);
        ASSERT_NE(c, nullptr) << control;
        window.Run(c->on_click);
    }
};

TEST_F(Handlers, AboutShowsTheAboutTextWithoutIconEachTime) {
    click("comAbout");
    click("comAbout");
    const Box about{std::string(about_text), Icon::none};
    EXPECT_EQ(platform.boxes, (Boxes{about, about}));
    EXPECT_FALSE(platform.ended);
}

TEST_F(Handlers, SiteLabelOpensTheSiteAndReportsNothing) {
    click("Label1");
    EXPECT_EQ(platform.opened, (Strings{std::string(site_address)}));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.ended);
}

TEST_F(Handlers, ExitEndsTheProgramAtOnce) {
    click("comExit");
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Handlers, InstallAsksForTheFolderAndKeepsIt) {
    platform.dialog_answer = "C:\\Games";  // not the game's layout
    click("comInstall");
    EXPECT_EQ(window.path_buffer, "C:\\Games");
    EXPECT_EQ(platform.boxes, (Boxes{{"路径错误", Icon::stop}}));
    EXPECT_FALSE(platform.ended);

    click("comExit");  // still possible after the failure
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.written.empty());
}

TEST_F(Handlers, NoteAndMottoStartNothing) {
    click("Text");
    click("Label2");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_FALSE(platform.ended);
}

}  // namespace
}  // namespace veldor
