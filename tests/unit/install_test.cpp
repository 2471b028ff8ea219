// The install command against the scripted platform: what the player sees
// and what is left in the game folder, for success and every failure point.
#include "install/install.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace veldor::testing {
namespace {

const Box done{"安装完毕", Icon::none};
const Box refused{"路径错误", Icon::stop};

const std::string game = "D:\\Games\\VELDOR";
const std::string fe = game + "\\data\\cmn\\fe";
const std::string gui = game + "\\data\\gui";
const std::string title_font = gui + "\\ZQ05_Tit.ttf";
const std::string sans_font = gui + "\\ZQSSanCB.ttf";
const std::string eng = fe + "\\eng.db", chi = fe + "\\chi.db";
const std::string body_font = gui + "\\ZQ05_Bod.ttf", config = game + "\\config.dat";

class InstallTest : public ::testing::Test {
protected:
    InstallTest() {
        world.dialog_answer = game;
        world.directories = {game, game + "\\data", game + "\\data\\cmn", fe, gui};
        world.files = {{title_font, {1}}, {sans_font, {2}}, {game + "\\game.exe", {3}}};
    }

    void install() { Install(world, path_buffer); }

    // Everything but the four payloads as it was before.
    void expect_untouched(const std::map<std::string, Blob>& before) {
        EXPECT_EQ(world.files, before);
        EXPECT_TRUE(world.written.empty());
    }

    FakePlatform world;
    std::string path_buffer = "left from before";
};

TEST_F(InstallTest, InstallsTheFourFilesInOrderThenEnds) {
    world.files[eng] = Blob(500'000, 0xEE);  // an older, longer file
    install();

    EXPECT_EQ(world.boxes, std::vector{done});
    EXPECT_TRUE(world.ended);
    EXPECT_EQ(path_buffer, game);
    EXPECT_EQ(world.written, (std::vector{eng, chi, body_font, config}));
    EXPECT_EQ(world.files[eng], world.resources[101]);
    EXPECT_EQ(world.files[body_font], world.resources[102]);
    EXPECT_EQ(world.files[chi], world.resources[103]);
    EXPECT_EQ(world.files[config], world.resources[104]);
    EXPECT_FALSE(world.files.contains(title_font));
    EXPECT_FALSE(world.files.contains(sans_font));
    EXPECT_TRUE(world.files.contains(game + "\\game.exe"));
}

TEST_F(InstallTest, AbsentFontsAreNoObstacle) {
    world.files.clear();
    install();
    EXPECT_EQ(world.boxes, std::vector{done});
    EXPECT_EQ(world.written.size(), 4u);
}

TEST_F(InstallTest, RootOfADriveInstallsThere) {
    world.dialog_answer = "E:\\";
    world.directories = {"E:\\", "E:\\data", "E:\\data\\cmn", "E:\\data\\cmn\\fe", "E:\\data\\gui"};
    install();
    EXPECT_EQ(world.boxes, std::vector{done});
    EXPECT_EQ(path_buffer, "E:\\");
    EXPECT_EQ(world.written,
              (std::vector<std::string>{"E:\\data\\cmn\\fe\\eng.db", "E:\\data\\cmn\\fe\\chi.db",
                                        "E:\\data\\gui\\ZQ05_Bod.ttf", "E:\\config.dat"}));
}

TEST_F(InstallTest, CancellingTouchesNothing) {
    world.dialog_answer.reset();
    const auto before = world.files;
    install();
    EXPECT_TRUE(world.boxes.empty());
    EXPECT_FALSE(world.ended);
    EXPECT_EQ(path_buffer, "");
    expect_untouched(before);
}

// Without the game's layout nothing is deleted or written, and it says so once.
TEST_F(InstallTest, FolderWithoutTheGameLayoutIsRefusedUntouched) {
    for (const auto& missing : {std::set<std::string>{fe, gui}, {fe}, {gui}}) {
        SCOPED_TRACE(*missing.begin());
        world.boxes.clear();
        for (const auto& dir : missing) world.directories.erase(dir);
        const auto before = world.files;
        install();
        EXPECT_EQ(world.boxes, std::vector{refused});
        EXPECT_FALSE(world.ended);
        EXPECT_EQ(path_buffer, game);
        EXPECT_EQ(world.current_directory, "C:\\");  // where it started
        expect_untouched(before);
        world.directories.insert(missing.begin(), missing.end());
    }
}

TEST_F(InstallTest, AnItemWithoutAPathIsRefusedUntouched) {
    world.dialog_answer = "";
    world.directories.insert({"\\data\\cmn\\fe", "\\data\\gui"});  // the current drive's root
    const auto before = world.files;
    install();
    EXPECT_EQ(world.boxes, std::vector{refused});
    expect_untouched(before);
}

TEST_F(InstallTest, AFontThatCannotBeDeletedStopsBeforeAnyWrite) {
    for (const auto& font : {title_font, sans_font}) {
        SCOPED_TRACE(font);
        world.boxes.clear();
        world.failures = {{Op::delete_file, font}};
        install();
        EXPECT_EQ(world.boxes, std::vector{refused});
        EXPECT_TRUE(world.files.contains(font));
        EXPECT_TRUE(world.written.empty());
        EXPECT_FALSE(world.ended);
    }
}

TEST_F(InstallTest, AFolderLostMidwayStopsTheRemainingSteps) {
    const struct {
        std::string folder;
        std::size_t written;
    } cases[] = {{fe, 0}, {gui, 2}, {game, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        FakePlatform fresh;
        fresh.dialog_answer = game;
        fresh.directories = world.directories;
        fresh.failures = {{Op::set_current_directory, c.folder}};
        Install(fresh, path_buffer);
        EXPECT_EQ(fresh.boxes, std::vector{refused});
        EXPECT_EQ(fresh.written.size(), c.written);
        EXPECT_FALSE(fresh.ended);
    }
}

// One payload failing speaks once; the others are still written, but the
// installation is not called complete and the window stays.
TEST_F(InstallTest, APayloadThatFailsLeavesTheOthersWrittenAndNoFalseSuccess) {
    for (const auto& target : {eng, chi, body_font, config}) {
        SCOPED_TRACE(target);
        FakePlatform fresh;
        fresh.dialog_answer = game;
        fresh.directories = world.directories;
        fresh.files[target] = {42};  // say, held open by the running game
        fresh.failures = {{Op::write_file, target}};
        Install(fresh, path_buffer);
        EXPECT_EQ(fresh.boxes, std::vector{refused});
        EXPECT_EQ(fresh.written.size(), 3u);
        EXPECT_EQ(fresh.files[target], Blob{42});
        EXPECT_FALSE(fresh.ended);
    }
}

TEST_F(InstallTest, AMissingPayloadCountsAsAFailedPayload) {
    world.resources.erase(103);
    install();
    EXPECT_EQ(world.boxes, std::vector{refused});
    EXPECT_FALSE(world.files.contains(chi));
    EXPECT_EQ(world.written, (std::vector{eng, body_font, config}));
    EXPECT_FALSE(world.ended);
}

TEST_F(InstallTest, ASecondAttemptStartsAfresh) {
    world.directories.erase(gui);
    install();
    ASSERT_EQ(world.boxes, std::vector{refused});

    world.dialog_answer.reset();
    install();
    EXPECT_EQ(path_buffer, "");

    world.directories.insert(gui);
    world.dialog_answer = game;
    install();
    EXPECT_EQ(world.boxes, (std::vector{refused, done}));
    EXPECT_TRUE(world.ended);
}

}  // namespace
}  // namespace veldor::testing
