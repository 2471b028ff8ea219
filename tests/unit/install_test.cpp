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
const Box refused{"路径错误\n请选择游戏的主文件夹（其中有 data 文件夹）。", Icon::stop};
const Box damaged{"安装程序已损坏，请重新下载", Icon::stop};
const Box in_use{"文件被占用，请关闭游戏后重试", Icon::stop};

const std::string game = "D:\\Games\\VELDOR";
const std::string data = game + "\\data", cmn = data + "\\cmn", fe = cmn + "\\fe";
const std::string gui = data + "\\gui";
const std::string title_font = gui + "\\ZQ05_Tit.ttf", sans_font = gui + "\\ZQSSanCB.ttf";
const std::string eng = fe + "\\eng.db", body_font = gui + "\\ZQ05_Bod.ttf";

// A game folder with both superseded fonts and an older eng.db, chosen in
// the folder dialog.
FakePlatform game_world() {
    FakePlatform world;
    world.dialog_answer = game;
    world.directories = {"C:\\", game, data, cmn, fe, gui};
    world.files = {{title_font, {1}}, {sans_font, {2}}, {eng, {4}}, {game + "\\game.exe", {3}}};
    return world;
}

// Where the payloads go in the game's folder `base`, in the order they go in.
std::vector<std::string> payload_places(const std::string& base) {
    return {base + "\\data\\cmn\\fe\\eng.db", base + "\\data\\cmn\\fe\\chi.db",
            base + "\\data\\gui\\ZQ05_Bod.ttf", base + "\\config.dat"};
}

// What the whole patch makes of `before`.
Files patched(Files before, const std::string& base = game) {
    before.erase(base + "\\data\\gui\\ZQ05_Tit.ttf");
    before.erase(base + "\\data\\gui\\ZQSSanCB.ttf");
    const unsigned ids[] = {101, 103, 102, 104};
    for (std::size_t i = 0; i < 4; ++i)
        before[payload_places(base)[i]] = intact_resources().at(ids[i]);
    return before;
}

Outcome install(FakePlatform& world) {
    std::string path_buffer;
    return Install(world, path_buffer);
}

// The files moved into place, in order.
std::vector<std::string> moved_in(const FakePlatform& world) {
    std::vector<std::string> targets;
    for (const auto& [op, path] : world.log)
        if (op == Op::move_file && path.find(".veldor-new -> ") != std::string::npos)
            targets.push_back(path.substr(path.find(" -> ") + 4));
    return targets;
}

// In the game's folder with both fonts, and at a drive's root without them.
TEST(Install, PutsTheFourPayloadsInPlaceInOrderDeletesTheFontsAndEnds) {
    FakePlatform at_root;
    at_root.dialog_answer = "E:\\";
    at_root.directories = {"E:\\", "E:\\data\\cmn\\fe", "E:\\data\\gui"};
    for (auto [world, base] : {std::pair{game_world(), game}, {at_root, std::string("E:")}}) {
        SCOPED_TRACE(base);
        const Files before = world.files;
        EXPECT_EQ(install(world), Outcome::installed);
        EXPECT_EQ(world.boxes, Boxes{done});
        EXPECT_EQ(world.exit_code, 0);
        EXPECT_EQ(moved_in(world), payload_places(base));
        EXPECT_EQ(world.files, patched(before, base));  // nothing of the installer's own is left
    }
}

// Nothing is deleted or written, not even for a while; a refusal says so once,
// with what to do. The targets are looked at before anything changes. (The
// game let go, Install works again: the end-to-end test shows it with a real
// file held open.)
TEST(Install, CancellingOrARefusalTouchesNothing) {
    const struct {
        const char* what;
        void (*arrange)(FakePlatform&);
        Outcome outcome;
        Boxes boxes;
    } cases[] = {
        // clang-format off
        {"cancelled", [](FakePlatform& w) { w.dialog_answer.reset(); }, Outcome::left, {}},
        {"no path", [](FakePlatform& w) { w.dialog_answer = ""; }, Outcome::refused, {refused}},
        {"no such folder", [](FakePlatform& w) { w.directories.erase(game); }, Outcome::refused,
         {{"路径错误\n文件夹不存在：" + game, Icon::stop}}},
        {"no fonts folder", [](FakePlatform& w) { w.directories.erase(gui); },
         Outcome::refused, {refused}},
        {"no database folder", [](FakePlatform& w) { w.directories.erase(fe); },
         Outcome::refused, {refused}},
        // Where the platform follows no link: even a leftover stays.
        {"a linked folder", [](FakePlatform& w) {
             w.linked.insert(cmn);
             w.files[eng + ".veldor-new"] = {5}; },
         Outcome::refused, {{"路径错误\n以管理员身份运行时不经过链接：data\\cmn\n"
                             "请选择游戏的实际文件夹。", Icon::stop}}},
        {"a font in use", [](FakePlatform& w) { w.in_use.insert(title_font); },
         Outcome::not_written, {in_use}},
        {"a font read-only", [](FakePlatform& w) { w.read_only.insert(sans_font); },
         Outcome::not_written, {{"无法写入：data\\gui\\ZQSSanCB.ttf（只读）\n"
                                 "取消该文件的只读属性后重试。", Icon::stop}}},
        {"a folder for a file", [](FakePlatform& w) { w.directories.insert(body_font); },
         Outcome::not_written, {{"无法写入：data\\gui\\ZQ05_Bod.ttf（写入失败）\n"
                                 "关闭游戏和杀毒软件后重试。", Icon::stop}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform world = game_world();
        c.arrange(world);
        const Files before = world.files;
        EXPECT_EQ(install(world), c.outcome);
        EXPECT_EQ(world.boxes, c.boxes);
        EXPECT_EQ(world.files, before);
        EXPECT_TRUE(
            std::ranges::none_of(world.log, [](auto& o) { return o.first == Op::stage_file; }));
        EXPECT_FALSE(world.exit_code);
    }
}

// The operations of an installation, in order, as the fake logs them.
std::vector<Operation> operations_of_an_installation() {
    FakePlatform world = game_world();
    install(world);
    return world.log;
}

// Until the journal is deleted, a failure undoes everything and says so
// once: the damaged installer while the payloads are checked, else which file
// could not be written and why. After that, the patch is whole and the
// installation complete. Either way the current directory is where it was.
TEST(Install, AFailureOfAnyOperationLeavesTheFolderWholeOldOrWholeNew) {
    const auto operations = operations_of_an_installation();
    const auto checks_end =
        std::ranges::find(operations, Operation{Op::file_state, title_font}) - operations.begin();
    const auto commit_point =
        std::ranges::find(operations,
                          Operation{Op::delete_file, game + "\\veldor-install.journal"}) -
        operations.begin();
    ASSERT_LT(commit_point, std::ssize(operations));
    for (std::size_t i = 0; i < operations.size(); ++i) {
        SCOPED_TRACE(std::to_string(i) + ": " + operations[i].second);
        FakePlatform world = game_world();
        const Files before = world.files;
        world.fail_at = i;
        world.injected = Fault::disk_full;
        const Outcome outcome = install(world);
        const auto n = static_cast<std::ptrdiff_t>(i);
        // Going back to the first directory may fail unharmed, and so may a
        // look at a layout folder: it finds no link.
        const bool going_back = operations[i] == Operation{Op::chdir, "C:\\"};
        const bool harmless =
            going_back || (operations[i].first == Op::file_state && n < checks_end);
        if (!going_back) {
            EXPECT_EQ(world.cwd, "C:\\");
        }
        // After the commit, a backup it failed to delete is left for the next
        // attempt.
        if (n > commit_point || harmless) {
            EXPECT_EQ(outcome, Outcome::installed);
            EXPECT_EQ(world.boxes, Boxes{done});
            world.files.erase(operations[i].second);
            EXPECT_EQ(world.files, patched(before));
            continue;
        }
        EXPECT_EQ(outcome, n < checks_end ? Outcome::damaged : Outcome::not_written);
        ASSERT_EQ(world.boxes.size(), 1u);
        const std::string& text = world.boxes[0].first;
        if (n < checks_end)
            EXPECT_EQ(world.boxes[0], damaged);
        else if (operations[i].first == Op::file_state)  // a file that cannot be replaced
            EXPECT_TRUE(text.starts_with("无法写入：")) << text;
        else
            EXPECT_TRUE(text.ends_with("（磁盘已满）\n腾出磁盘空间后重试。")) << text;
        EXPECT_EQ(world.files, before);
        EXPECT_FALSE(world.exit_code);
    }
}

// A cut anywhere leaves what the next attempt resolves first. One that finds
// the installer damaged touches nothing, leftovers included; the attempt
// after that installs.
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

        const Files left = world.files;
        world.resources[102][7] ^= 1;
        install(world);
        EXPECT_EQ(world.boxes, Boxes{damaged});
        EXPECT_EQ(world.files, left);

        world.resources = intact_resources();
        install(world);
        EXPECT_EQ(world.boxes, (Boxes{damaged, done}));
        EXPECT_EQ(world.files, patched(before));
    }
}

// A folder that refuses the player is handed to an elevated copy of the
// program, once, from the window only; what the window then says is what
// that copy reports, or what its exit code alone tells.
TEST(Install, AFolderThatRefusesThePlayerIsHandedToAnElevatedCopy) {
    const Box denied{"无法写入：data\\cmn\\fe\\eng.db（拒绝访问）\n以管理员身份运行后重试。",
                     Icon::stop};
    const std::string its_reason = encoded({Cause::read_only, "config.dat"});
    const struct {
        const char* what;
        Elevation::Kind kind;
        int exit_code;
        const char* report;
        Outcome outcome;
        Box box;
    } cases[] = {
        // clang-format off
        {"no elevated copy here", Elevation::unavailable, 0, "", Outcome::not_written, denied},
        {"consent declined", Elevation::declined, 0, "", Outcome::not_written,
         {"需要管理员权限才能写入此文件夹", Icon::stop}},
        {"installed", Elevation::ran, 0, "0\t", Outcome::installed, done},
        {"its reason", Elevation::ran, 3, its_reason.c_str(), Outcome::not_written,
         {"无法写入：config.dat（只读）\n取消该文件的只读属性后重试。", Icon::stop}},
        {"a report its exit code belies", Elevation::ran, 3, "0\t", Outcome::not_written,
         {"无法写入：（写入失败）\n关闭游戏和杀毒软件后重试。", Icon::stop}},
        {"no report", Elevation::ran, 4, "", Outcome::damaged, damaged},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform world = game_world();
        world.denied.insert(eng);
        world.elevation = {c.kind, c.exit_code, c.report};
        const Files before = world.files;
        EXPECT_EQ(install(world), c.outcome);
        EXPECT_EQ(world.elevated, (std::vector{std::pair{game, false}}));
        EXPECT_EQ(world.boxes, Boxes{c.box});
        EXPECT_EQ(world.exit_code,
                  c.outcome == Outcome::installed ? std::optional(0) : std::nullopt);
        EXPECT_EQ(world.files, before);  // the fake's elevated copy writes nothing
    }
    FakePlatform silent = game_world();
    silent.denied.insert(eng);
    EXPECT_EQ(InstallInto(silent, game), Outcome::not_written);
    EXPECT_TRUE(silent.elevated.empty());
    EXPECT_EQ(silent.boxes, Boxes{denied});
}

// A report from another process is read only as one: anything else is none.
TEST(Report, IsReadBackOnlyAsItWasSent) {
    const Report report{Cause::disk_full, "data\\gui\\ZQ05_Bod.ttf"};
    EXPECT_EQ(decoded(encoded(report)), report);
    for (const char* text : {"", "12", "x\tpath", "-1\t", "99\t", "3 \t"})
        EXPECT_EQ(decoded(text), std::nullopt) << text;
}

// A payload that cannot be produced is a failure, never a file half there.
TEST(SaveFileFromRes, AMissingPayloadOrAFailedWriteIsAFailureAndLeavesNothing) {
    const struct {
        std::uint16_t id;
        std::optional<std::size_t> fail_at;  // 1: the staging of the file
    } cases[] = {{105, {}}, {101, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        FakePlatform world;
        world.directories = {"C:\\"};
        world.fail_at = c.fail_at;
        EXPECT_FALSE(SaveFileFromRes(world, c.id, "custom", "x.dat"));
        EXPECT_TRUE(world.files.empty());
    }
}

}  // namespace
}  // namespace veldor::testing
