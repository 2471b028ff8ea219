// The install command against the scripted platform: what the player sees
// and what is left in the game folder, for success, for a failure of every
// operation in turn and for a power cut at every operation in turn.
#include "install/install.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"

namespace veldor::testing {
namespace {

using Boxes = std::vector<Box>;
const Box done{"安装完毕", Icon::none};
const Box refused{"路径错误", Icon::stop};
const Box damaged{"安装程序已损坏，请重新下载", Icon::stop};
const Box in_use{"文件被占用，请关闭游戏后重试", Icon::stop};

const std::string game = "D:\\Games\\VELDOR";
const std::string data = game + "\\data", cmn = data + "\\cmn", fe = cmn + "\\fe";
const std::string gui = data + "\\gui";
const std::string title_font = gui + "\\ZQ05_Tit.ttf", sans_font = gui + "\\ZQSSanCB.ttf";
const std::string eng = fe + "\\eng.db", chi = fe + "\\chi.db";
const std::string body_font = gui + "\\ZQ05_Bod.ttf", config = game + "\\config.dat";

// A game folder with both superseded fonts and an older eng.db, chosen in
// the folder dialog.
FakePlatform game_world() {
    FakePlatform world;
    world.dialog_answer = game;
    world.directories = {game, data, cmn, fe, gui};
    world.files = {{title_font, {1}}, {sans_font, {2}}, {eng, {4}}, {game + "\\game.exe", {3}}};
    return world;
}

// What the whole patch makes of `before`.
Files patched(Files before) {
    before.erase(title_font);
    before.erase(sans_font);
    const auto payload = FakePlatform::intact_resources();
    for (const auto& [path, id] :
         {std::pair{eng, 101}, {chi, 103}, {body_font, 102}, {config, 104}})
        before[path] = payload.at(id);
    return before;
}

// Runs the command with a path_buffer left from before; answers what it
// holds and the outcome, the program's exit code.
struct Attempt {
    std::string path_buffer;
    Outcome outcome;
};
Attempt install(FakePlatform& world) {
    std::string path_buffer = "left from before";
    const Outcome outcome = Install(world, path_buffer);
    return {path_buffer, outcome};
}

// The files moved into place, in order.
std::vector<std::string> moved_in(const FakePlatform& world) {
    std::vector<std::string> targets;
    for (const auto& [op, path] : world.log)
        if (op == Op::move_file && path.find(".veldor-new -> ") != std::string::npos)
            targets.push_back(path.substr(path.find(" -> ") + 4));
    return targets;
}

TEST(Install, PutsTheFourPayloadsInPlaceInOrderDeletesTheFontsAndEnds) {
    FakePlatform world = game_world();
    const Files before = world.files;
    EXPECT_EQ(install(world).path_buffer, game);
    EXPECT_EQ(world.boxes, Boxes{done});
    EXPECT_EQ(world.exit_code, 0);
    EXPECT_EQ(moved_in(world), (std::vector{eng, chi, body_font, config}));
    EXPECT_EQ(world.files, patched(before));  // nothing of the installer's own is left
}

TEST(Install, AtTheRootOfADriveWithoutTheFonts) {
    FakePlatform world;
    world.dialog_answer = "E:\\";
    world.directories = {"E:\\", "E:\\data\\cmn\\fe", "E:\\data\\gui"};
    EXPECT_EQ(install(world).outcome, Outcome::installed);
    EXPECT_EQ(world.boxes, Boxes{done});
    EXPECT_EQ(moved_in(world),
              (std::vector<std::string>{"E:\\data\\cmn\\fe\\eng.db", "E:\\data\\cmn\\fe\\chi.db",
                                        "E:\\data\\gui\\ZQ05_Bod.ttf", "E:\\config.dat"}));
}

// Nothing is deleted or written, and it says so once.
TEST(Install, AFolderWithoutTheGameLayoutOrNoPathIsRefusedUntouched) {
    const struct {
        std::string answer;
        std::set<std::string> missing;
    } cases[] = {{game, {data, cmn, fe, gui}}, {game, {gui}}, {game, {fe}}, {"", {}}};
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
        EXPECT_EQ(world.files, before);
        EXPECT_TRUE(world.written.empty());
        EXPECT_FALSE(world.exit_code);
    }
}

// Found before anything changes. (The game let go, Install works again: the
// end-to-end test shows it with a real file held open.)
TEST(Install, ATargetOrFontInUseReadOnlyOrAFolderIsRefusedUntouched) {
    const struct {
        std::string path;
        std::set<std::string> FakePlatform::*kind;  // in use, read-only; none: a folder of its name
        Box box;
    } cases[] = {{chi, &FakePlatform::in_use, in_use},
                 {title_font, &FakePlatform::in_use, in_use},
                 {eng, &FakePlatform::read_only, refused},
                 {sans_font, &FakePlatform::read_only, refused},
                 {body_font, nullptr, refused}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FakePlatform world = game_world();
        if (c.kind) {
            world.files.emplace(c.path, Blob{9});
            (world.*c.kind).insert(c.path);
        } else {
            world.directories.insert(c.path);
        }
        const Files before = world.files;
        EXPECT_EQ(install(world).outcome, Outcome::not_written);
        EXPECT_EQ(world.boxes, Boxes{c.box});
        EXPECT_EQ(world.files, before);
        EXPECT_FALSE(world.exit_code);
    }
}

// The operations of an installation, in order, as the fake logs them.
std::vector<std::pair<Op, std::string>> operations_of_an_installation() {
    FakePlatform world = game_world();
    install(world);
    return world.log;
}

// Until the journal is deleted, a failure undoes everything and says so
// once: the damaged installer while the payloads are checked, else 路径错误.
// After that, the patch is whole and the installation complete.
TEST(Install, AFailureOfAnyOperationLeavesTheFolderWholeOldOrWholeNew) {
    const auto operations = operations_of_an_installation();
    const auto first = [&](Op op, const std::string& path = {}) {
        return std::ranges::find_if(operations,
                                    [&](const auto& o) {
                                        return o.first == op && (path.empty() || o.second == path);
                                    }) -
               operations.begin();
    };
    const auto checks_end = first(Op::file_state);
    const auto commit_point = first(Op::delete_file, game + "\\veldor-install.journal");
    ASSERT_LT(commit_point, std::ssize(operations));
    for (std::size_t i = 0; i < operations.size(); ++i) {
        SCOPED_TRACE(std::to_string(i) + ": " + operations[i].second);
        FakePlatform world = game_world();
        const Files before = world.files;
        world.fail_at = i;
        const Outcome outcome = install(world).outcome;
        const auto n = static_cast<std::ptrdiff_t>(i);
        if (n > commit_point) {  // the file it failed to delete is left for the next attempt
            EXPECT_EQ(outcome, Outcome::installed);
            EXPECT_EQ(world.boxes, Boxes{done});
            world.files.erase(operations[i].second);
            EXPECT_EQ(world.files, patched(before));
            continue;
        }
        EXPECT_EQ(outcome, n < checks_end ? Outcome::damaged : Outcome::not_written);
        EXPECT_EQ(world.boxes, Boxes{Box(n < checks_end ? damaged : refused)});
        EXPECT_EQ(world.files, before);
        EXPECT_FALSE(world.exit_code);
    }
}

// A cut anywhere leaves what the next attempt resolves first: even one that
// finds the installer damaged leaves the folder whole-old or whole-new, and
// the attempt after that installs.
TEST(Install, APowerCutAtAnyOperationIsResolvedByTheNextAttempt) {
    const std::size_t count = operations_of_an_installation().size();
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        FakePlatform world = game_world();
        const Files before = world.files;
        world.cut_at = i;
        install(world);
        world.power_on();
        world.boxes.clear();

        world.resources[102][7] ^= 1;
        install(world);
        EXPECT_EQ(world.boxes, Boxes{damaged});
        EXPECT_TRUE(world.files == before || world.files == patched(before));

        world.resources = FakePlatform::intact_resources();
        install(world);
        EXPECT_EQ(world.boxes, (Boxes{damaged, done}));
        EXPECT_EQ(world.files, patched(before));
    }
}

// Recovery goes by the installer's own fixed names alone: a journal that
// names other files changes nothing outside them.
TEST(Install, ACraftedJournalTouchesNothingElse) {
    FakePlatform world = game_world();
    const std::string text = "..\\..\\x\nD:\\x\nC:\\Windows\\x\n";
    world.files[game + "\\veldor-install.journal"] = Blob(text.begin(), text.end());
    world.files[eng + ".veldor-new"] = {5};
    world.directories.insert({"D:\\", "C:\\Windows"});
    for (const char* outside : {"D:\\x", "D:\\Games\\x", "C:\\Windows\\x"})
        world.files[outside] = {6};
    Files before = world.files;
    install(world);
    EXPECT_EQ(world.boxes, Boxes{done});
    before.erase(game + "\\veldor-install.journal");
    before.erase(eng + ".veldor-new");
    EXPECT_EQ(world.files, patched(before));
    for (const auto& [op, path] : world.log) {
        if (op == Op::move_file || op == Op::delete_file || op == Op::stage_file) {
            EXPECT_TRUE(path.starts_with(game + "\\")) << path;
        }
    }
}

TEST(Install, ASecondAttemptStartsAfreshAndCancellingTouchesNothing) {
    FakePlatform world = game_world();
    world.directories.erase(gui);
    install(world);
    ASSERT_EQ(world.boxes, Boxes{refused});

    world.dialog_answer.reset();
    const auto before = world.files;
    EXPECT_EQ(install(world).outcome, Outcome::left);
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
