// The window's handlers reach the right platform operation, and only that.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/form.h"
#include "window/veldor.h"

namespace veldor {
namespace {

// Logs every call. The folder dialog answers `chosen_folder`; every file
// operation fails.
class RecordingPlatform : public Platform {
public:
    std::vector<std::string> calls;
    std::optional<std::string> chosen_folder;

    void message_box(std::string_view text, Icon icon) override {
        calls.push_back("message_box " + std::string(text) +
                        (icon == Icon::none ? " [none]" : " [stop]"));
    }
    std::optional<std::string> browse_for_folder(std::string_view title) override {
        calls.push_back("browse_for_folder " + std::string(title));
        return chosen_folder;
    }
    bool file_exists(const std::string& p) override { return log("file_exists " + p); }
    bool directory_exists(const std::string& p) override { return log("directory_exists " + p); }
    bool delete_file(const std::string& p) override { return log("delete_file " + p); }
    bool set_current_directory(const std::string& p) override { return log("chdir " + p); }
    bool write_file(const std::string& name, Bytes) override { return log("write_file " + name); }
    std::optional<Bytes> read_resource(std::string_view, unsigned) override {
        log("read_resource");
        return std::nullopt;
    }
    void open_document(std::string_view address) override {
        calls.push_back("open_document " + std::string(address));
    }
    void end_program() override { calls.push_back("end_program"); }

private:
    bool log(std::string call) {
        calls.push_back(std::move(call));
        return false;
    }
};

struct Handlers : ::testing::Test {
    RecordingPlatform platform;
    VELDOR window{platform};

    std::vector<std::string> click(std::string_view control) {
        const Control* c = find_control(control);
        EXPECT_NE(c, nullptr) << control;
        if (c) window.Run(c->on_click);
        return platform.calls;
    }
};

using Calls = std::vector<std::string>;

TEST_F(Handlers, AboutShowsTheAboutTextWithoutIconEachTime) {
    click("comAbout");
    const std::string expected = "message_box " + std::string(about_text) + " [none]";
    EXPECT_EQ(click("comAbout"), (Calls{expected, expected}));
}

TEST_F(Handlers, SiteLabelOpensTheSiteAndReportsNothing) {
    EXPECT_EQ(click("Label1"), (Calls{"open_document " + std::string(site_address)}));
}

TEST_F(Handlers, ExitEndsTheProgram) { EXPECT_EQ(click("comExit"), (Calls{"end_program"})); }

TEST_F(Handlers, InstallAsksForTheFolder) {
    EXPECT_EQ(click("comInstall"), (Calls{"browse_for_folder 请选择文件夹"}));
}

TEST_F(Handlers, ExitAfterAFailedInstallStillEndsTheProgram) {
    platform.chosen_folder = "C:\\Games";
    const Calls install = click("comInstall");
    ASSERT_FALSE(install.empty());
    EXPECT_EQ(install.back(), "message_box 路径错误 [stop]");
    platform.calls.clear();
    EXPECT_EQ(click("comExit"), (Calls{"end_program"}));
}

TEST_F(Handlers, NoteAndMottoStartNothing) {
    click("Text");
    EXPECT_TRUE(click("Label2").empty());
}

}  // namespace
}  // namespace veldor
