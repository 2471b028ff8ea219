// The install command against the scripted platform: what the player sees
// and what is left in the game folder, for success and every failure point.
#include "install/install.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace veldor::testing {
namespace {

using Boxes = std::vector<Box>;
const Box done{"安装完毕", Icon::none};
const Box refused{"路径错误", Icon::stop};

const std::string game = "D:\\Games\\VELDOR";
const std::string data = game + "\\data", cmn = data + "\\cmn", fe = cmn + "\\fe";
const std::string gui = data + "\\gui";
const std::string title_font = gui + "\\ZQ05_Tit.ttf", sans_font = gui + "\\ZQSSanCB.ttf";
const std::string eng = fe + "\\eng.db", chi = fe + "\\chi.db";
const std::string body_font = gui + "\\ZQ05_Bod.ttf", config = game + "\\config.dat";

// A game folder with both superseded fonts, chosen in the folder dialog.
FakePlatform game_world() {
    FakePlatform world;
    world.dialog_answer = game;
    world.directories = {game, data, cmn, fe, gui};
    world.files = {{title_font, {1}}, {sans_font, {2}}, {game + "\\game.exe", {3}}};
    return world;
}

struct Attempt {
    std::string path_buffer;
    Outcome outcome;
};

// Runs the command with a path_buffer left from before.
Attempt install(FakePlatform& world) {
    std::string path_buffer = "left from before";
    const Outcome outcome = Install(world, path_buffer);
    return {path_buffer, outcome};
}

TEST(Install, WritesTheFourPayloadsInOrderDeletesTheFontsAndEnds) {
    FakePlatform world = game_world();
    world.files[eng] = {4};  // an older file
    EXPECT_EQ(install(world).path_buffer, game);
    EXPECT_EQ(world.boxes, Boxes{done});
    EXPECT_EQ(world.exit_code, 0);
    EXPECT_EQ(world.written, (std::vector{eng, chi, body_font, config}));
    const std::map<std::string, Blob> expected{{eng, world.resources[101]},
                                               {chi, world.resources[103]},
                                               {body_font, world.resources[102]},
                                               {config, world.resources[104]},
                                               {game + "\\game.exe", {3}}};
    EXPECT_EQ(world.files, expected);  // the fonts are gone
}

TEST(Install, AtTheRootOfADriveWithoutTheFonts) {
    FakePlatform world;
    world.dialog_answer = "E:\\";
    world.directories = {"E:\\", "E:\\data\\cmn\\fe", "E:\\data\\gui"};
    EXPECT_EQ(install(world).path_buffer, "E:\\");
    EXPECT_EQ(world.boxes, Boxes{done});
    EXPECT_EQ(world.written,
              (std::vector<std::string>{"E:\\data\\cmn\\fe\\eng.db", "E:\\data\\cmn\\fe\\chi.db",
                                        "E:\\data\\gui\\ZQ05_Bod.ttf", "E:\\config.dat"}));
}

// Nothing is deleted or written, and it says so once, and why.
TEST(Install, AFolderWithoutTheGameLayoutOrNoPathIsRefusedUntouched) {
    const struct {
        std::string answer;
        std::set<std::string> missing;
        std::vector<std::string> reasons;
    } cases[] = {
        {game, {data, cmn, fe, gui}, {"缺少文件夹 data\\cmn\\fe"}},
        {game, {gui}, {"缺少文件夹 data\\gui"}},
        {game, {fe}, {"缺少文件夹 data\\cmn\\fe"}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer + " without " + std::to_string(c.missing.size()) + " folders");
        FakePlatform world = game_world();
        world.dialog_answer = c.answer;
        world.directories.insert({"\\data\\cmn\\fe", "\\data\\gui"});  // the current drive's root
        for (const auto& dir : c.missing) world.directories.erase(dir);
        const auto before = world.files;
        const Attempt attempt = install(world);
        EXPECT_EQ(attempt.path_buffer, c.answer);
        EXPECT_EQ(attempt.outcome, Outcome::refused);
        EXPECT_EQ(world.boxes, Boxes{refused});
        EXPECT_EQ(world.reasons, c.reasons);
        EXPECT_EQ(world.files, before);
        EXPECT_TRUE(world.written.empty());
        EXPECT_EQ(world.current_directory, "C:\\");
        EXPECT_FALSE(world.exit_code);
    }
}

// Each failure point shows one box and says why, does not call the
// installation complete, and leaves the window for another attempt; `written`
// payloads still are.
TEST(Install, AFailureStopsWhereItMustAndSpeaksOnce) {
    const struct {
        Op op;
        std::string path;
        std::vector<std::string> written;
        std::string reason;
    } cases[] = {
        {Op::delete_file, title_font, {}, "无法删除 data\\gui\\ZQ05_Tit.ttf"},
        {Op::delete_file, sans_font, {}, "无法删除 data\\gui\\ZQSSanCB.ttf"},
        {Op::set_current_directory, fe, {}, "无法进入 data\\cmn\\fe"},
        {Op::set_current_directory, gui, {eng, chi}, "无法进入 data\\gui"},
        {Op::set_current_directory, game, {eng, chi, body_font}, "无法进入 " + game},
        {Op::write_file, eng, {chi, body_font, config}, "无法写入 eng.db"},
        {Op::write_file, chi, {eng, body_font, config}, "无法写入 chi.db"},
        {Op::write_file, body_font, {eng, chi, config}, "无法写入 ZQ05_Bod.ttf"},
        {Op::write_file, config, {eng, chi, body_font}, "无法写入 config.dat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FakePlatform world = game_world();
        const bool file = c.op != Op::set_current_directory;
        if (file) world.files[c.path] = {42};  // say, held open by the running game
        world.failures = {{c.op, c.path}};
        EXPECT_EQ(install(world).outcome, Outcome::not_written);
        EXPECT_EQ(world.boxes, Boxes{refused});
        EXPECT_EQ(world.reasons, std::vector{c.reason});
        EXPECT_EQ(world.written, c.written);
        EXPECT_TRUE(!file || world.files.at(c.path) == Blob{42});
        EXPECT_FALSE(world.exit_code);
    }
}

TEST(Install, ASecondAttemptStartsAfreshAndCancellingTouchesNothing) {
    FakePlatform world = game_world();
    world.directories.erase(gui);
    install(world);
    ASSERT_EQ(world.boxes, Boxes{refused});

    world.dialog_answer.reset();
    const auto before = world.files;
    const Attempt cancelled = install(world);
    EXPECT_EQ(cancelled.path_buffer, "");
    EXPECT_EQ(cancelled.outcome, Outcome::left);
    EXPECT_EQ(world.boxes, Boxes{refused});
    EXPECT_EQ(world.files, before);
    EXPECT_FALSE(world.exit_code);

    world.directories.insert(gui);
    world.dialog_answer = game;
    install(world);
    EXPECT_EQ(world.boxes, (Boxes{refused, done}));
    EXPECT_EQ(world.exit_code, 0);
}

}  // namespace
}  // namespace veldor::testing
