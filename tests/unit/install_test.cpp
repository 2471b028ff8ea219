// The install command against the scripted platform: what the player sees
// and what is left in the game folder, for an installation and a restore,
// for a failure of every operation in turn and for a power cut at every
// operation in turn, losing in turn each part of what was not flushed.
#include "install/install.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fake_platform.h"
#include "install/originals.h"
#include "install/transaction.h"

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

const std::string originals = game + "\\veldor-originals";

// What the whole patch makes of `before`: its files in place, and what they
// replaced kept, with the manifest.
Files patched(Files before, const std::string& base = game) {
    Kept kept;
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (const auto found = before.find(base + replaced_name(i)); found != before.end()) {
            kept[i] = FakePlatform().sha256(found->second);
            before[base + "\\veldor-originals" + replaced_name(i)] = found->second;
        }
    const std::string manifest = manifest_text(kept);
    before[base + "\\veldor-originals\\originals.txt"] = Blob(manifest.begin(), manifest.end());
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
        if (op == Op::move_file && path.find(".veldor-new -> ") != std::string::npos &&
            path.find("veldor-originals") == std::string::npos)
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
        EXPECT_TRUE(world.elevated.empty());            // a folder that lets the player write
        EXPECT_EQ(world.files, patched(before, base));  // nothing of the installer's own is left
    }
}

// Nothing is deleted or written, not even for a while; a refusal says so once,
// with what to do. The targets are looked at before anything changes. (That
// a real file held open reads in use, and once let go no longer, is the
// platform conformance suite's.)
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

// An installation and a restore, each from the folder it starts from to the
// one it makes, as the window makes them.
struct Flow {
    const char* what;
    FakePlatform start;
    Files end;
    Box success;
    Action action;
};
std::vector<Flow> flows() {
    FakePlatform installed = game_world();
    installed.files = patched(installed.files);
    installed.directories.insert({originals, originals + "\\data", originals + "\\data\\cmn",
                                  originals + "\\data\\cmn\\fe", originals + "\\data\\gui"});
    installed.answer_yes = true;
    return {{"install", game_world(), patched(game_world().files), done, Action::install},
            {"restore",
             installed,
             game_world().files,
             {"已还原为原版文件", Icon::none},
             Action::restore}};
}

// The operations of a flow, in order, as the fake logs them.
std::vector<Operation> operations_of(FakePlatform world) {
    install(world);
    return world.log;
}

// A failure anywhere leaves the folder as it was, with one message: the
// damaged installer while the payloads are checked, else which file could
// not be written and why; or it comes after every new file moved in, and the
// change is finished. A failed resolution is tried once more. The current
// directory ends where it was.
TEST(Install, AFailureOfAnyOperationLeavesTheFolderWholeOldOrWholeNew) {
    for (const Flow& flow : flows()) {
        const auto operations = operations_of(flow.start);
        const auto checks_end =
            std::ranges::find_if(operations,
                                 [](const Operation& o) {
                                     return o.first != Op::resource && o.first != Op::sha256;
                                 }) -
            operations.begin();
        for (std::size_t i = 0; i < operations.size(); ++i) {
            SCOPED_TRACE(std::string(flow.what) + " " + std::to_string(i) + ": " +
                         operations[i].second);
            FakePlatform world = flow.start;
            world.fail_at = {i};
            world.injected = Fault::disk_full;
            const Outcome outcome = install(world);
            if (operations[i] != Operation{Op::chdir, "C:\\"}) {
                EXPECT_EQ(world.cwd, "C:\\");
            }
            if (outcome == Outcome::installed) {
                ASSERT_EQ(world.boxes.size(), 1u);
                // A restore that cannot read what it would restore installs,
                // which changes nothing.
                EXPECT_EQ(world.files,
                          world.boxes[0] == flow.success ? flow.end : flow.start.files);
                continue;
            }
            // A file the restore cannot read is one it cannot trust.
            EXPECT_EQ(outcome, static_cast<std::ptrdiff_t>(i) < checks_end ? Outcome::damaged
                               : flow.success != done && outcome == Outcome::refused
                                   ? Outcome::refused
                                   : Outcome::not_written);
            ASSERT_EQ(world.boxes.size(), 1u);
            const std::string& text = world.boxes[0].first;
            if (static_cast<std::ptrdiff_t>(i) < checks_end)
                EXPECT_EQ(world.boxes[0], damaged);
            else
                EXPECT_TRUE(text.starts_with("无法写入：") || text.ends_with("无法还原")) << text;
            EXPECT_EQ(world.files, flow.start.files);
            EXPECT_FALSE(world.exit_code);
        }
    }
}

// A roll-back that fails is tried once more; where that fails too, the
// player is told the folder is left mid-way, and choosing it again resolves
// it. Here the last move in fails, then the first move back, then (in the
// second row) the first move back of the second try.
TEST(Install, AFailedRollBackIsTriedAgainAndOtherwiseSaysTheFolderIsLeftMidway) {
    const auto operations = operations_of(game_world());
    // The first move at or after `from` of an installation failing at `fail_at`.
    const auto next_move = [](std::set<std::size_t> fail_at, std::size_t from) {
        FakePlatform probe = game_world();
        probe.fail_at = fail_at;
        install(probe);
        return static_cast<std::size_t>(
            std::find_if(probe.log.begin() + from, probe.log.end(),
                         [](auto& o) { return o.first == Op::move_file; }) -
            probe.log.begin());
    };
    const std::size_t last_in =
        std::ranges::find(operations,
                          Operation{Op::move_file,
                                    game + "\\config.dat.veldor-new -> " + game + "\\config.dat"}) -
        operations.begin();
    const std::size_t first_back = next_move({last_in}, last_in + 1);
    const std::size_t second_back = next_move({last_in, first_back}, first_back + 1);

    const struct {
        std::set<std::size_t> fail_at;
        Outcome outcome;
    } cases[] = {{{last_in, first_back}, Outcome::not_written},
                 {{last_in, first_back, second_back}, Outcome::left_midway}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.outcome));
        FakePlatform world = game_world();
        const Files before = world.files;
        world.fail_at = c.fail_at;
        EXPECT_EQ(install(world), c.outcome);
        ASSERT_EQ(world.boxes.size(), 1u);
        if (c.outcome == Outcome::left_midway) {
            EXPECT_EQ(world.boxes[0],
                      (Box{"安装未完成，请再次选择此文件夹以完成或撤销", Icon::stop}));
            EXPECT_NE(world.files, before);
            world.fail_at.clear();
            EXPECT_EQ(install(world), Outcome::installed);
            EXPECT_EQ(world.files, patched(before));
        } else {
            EXPECT_EQ(world.files, before);
        }
    }
}

// A cut anywhere, losing any part of what was not flushed, leaves what the
// next attempt resolves first into the folder as it was or as the flow makes
// it. One that finds the installer damaged touches nothing, leftovers
// included; from the folder as it was, the attempt after that finishes.
TEST(Install, APowerCutAtAnyOperationIsResolvedByTheNextAttempt) {
    for (const Flow& flow : flows()) {
        const std::size_t count = operations_of(flow.start).size();
        for (std::size_t i = 0; i < count; ++i) {
            FakePlatform cut = flow.start;
            cut.cut_at = i;
            install(cut);
            for (unsigned lost = 0; lost < 1u << cut.unflushed_groups(); ++lost) {
                SCOPED_TRACE(std::string(flow.what) + " " + std::to_string(i) + ", lost " +
                             std::to_string(lost));
                FakePlatform world = cut;
                world.power_on(lost);
                world.boxes.clear();

                const Files left = world.files;
                world.resources[102][7] ^= 1;
                install(world);
                EXPECT_EQ(world.boxes, Boxes{damaged});
                EXPECT_EQ(world.files, left);

                world.resources = intact_resources();
                EXPECT_FALSE(recover(world, game));
                if (world.files == flow.end) continue;
                EXPECT_EQ(world.files, flow.start.files);
                InstallInto(world, game, flow.action);
                EXPECT_EQ(world.boxes, (Boxes{damaged, flow.success}));
                EXPECT_EQ(world.files, flow.end);
            }
        }
    }
}

// What an interrupted attempt, or another program, left: the installer's own
// leftovers are resolved and the installation goes on; a file that is not
// the installer's is never replaced nor deleted, and the attempt says which
// backup stands in the way, changing nothing.
TEST(Install, LeftoversAreTrustedByTheirContentNotTheirNames) {
    const Blob v1{1, 1}, v2{2, 2}, ours = intact_resources().at(101);
    const std::string journal = game + "\\veldor-install.journal";
    const std::string eng_old = eng + ".veldor-old", chi_new = fe + "\\chi.db.veldor-new";
    const Box stale{
        "无法写入：data\\cmn\\fe\\eng.db.veldor-old（旁边有不属于本次安装的备份文件）\n"
        "核对并移走该备份文件后重试。",
        Icon::stop};
    const struct {
        const char* what;
        Files leftovers;
        Outcome outcome;
        Files player_files;  // what the patch was installed over, where it was
    } cases[] = {
        // clang-format off
        {"a journal, a backup beside the player's newer file", {{journal, {}}, {eng, v2},
         {eng_old, v1}, {chi_new, intact_resources().at(103)}}, Outcome::not_written, {}},
        {"a backup beside the player's file, no journal", {{eng, v2}, {eng_old, v1}},
         Outcome::not_written, {}},
        {"a journal, the payload moved in beside its backup", {{journal, {}}, {eng, ours},
         {eng_old, v1}, {chi_new, intact_resources().at(103)}}, Outcome::installed, {{eng, v1}}},
        {"no journal, the payload moved aside", {{eng, v2}, {eng_old, ours},
         {chi_new, {9}}}, Outcome::installed, {{eng, v2}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform world = game_world();
        for (const auto& [path, blob] : c.leftovers) world.files[path] = blob;
        const Files before = world.files;
        EXPECT_EQ(InstallInto(world, game), c.outcome);
        if (c.outcome == Outcome::not_written) {
            EXPECT_EQ(world.boxes, Boxes{stale});
            EXPECT_EQ(world.files, before);
            continue;
        }
        Files player = game_world().files;
        for (const auto& [path, blob] : c.player_files) player[path] = blob;
        EXPECT_EQ(world.files, patched(player));
    }
}

// Restoring puts back exactly what was kept and removes the rest; it refuses,
// touching nothing, when there is nothing to restore, when the installed
// files changed or when what was kept is not what the manifest records. The
// manifest's names are never paths: one naming anything else is damaged.
TEST(Restore, PutsBackWhatWasKeptOrRefusesTouchingNothing) {
    const auto with = [](std::string path, Blob blob) {
        return [=](FakePlatform& w) { w.files[path] = blob; };
    };
    const std::string manifest = originals + "\\originals.txt";
    std::string crafted = manifest_text({});
    crafted.replace(crafted.find("config.dat"), 10, "..\\..\\x.da");
    const struct {
        const char* what;
        std::function<void(FakePlatform&)> arrange;
        Outcome outcome;
        std::string box;
    } cases[] = {
        // clang-format off
        {"restored", [](FakePlatform&) {}, Outcome::installed, "已还原为原版文件"},
        {"nothing kept", [](FakePlatform& w) { std::erase_if(w.files, [](auto& f) {
             return f.first.starts_with(originals); }); },
         Outcome::refused, "此文件夹中没有可还原的原版文件"},
        {"a payload changed", with(fe + "\\chi.db", {7}), Outcome::refused,
         "游戏文件已被更改，无法还原"},
        {"a font back", with(title_font, {1}), Outcome::refused, "游戏文件已被更改，无法还原"},
        {"a kept file changed", with(originals + "\\data\\cmn\\fe\\eng.db", {5}),
         Outcome::refused, "备份文件已损坏，无法还原"},
        {"a crafted manifest", with(manifest, Blob(crafted.begin(), crafted.end())),
         Outcome::refused, "备份文件已损坏，无法还原"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform world = flows()[1].start;
        c.arrange(world);
        const Files before = world.files;
        EXPECT_EQ(InstallInto(world, game, Action::restore), c.outcome);
        ASSERT_EQ(world.boxes.size(), 1u);
        EXPECT_EQ(world.boxes[0].first, c.box);
        if (c.outcome != Outcome::installed) {
            EXPECT_EQ(world.files, before);
            continue;
        }
        EXPECT_EQ(world.files, game_world().files);
        EXPECT_FALSE(world.directories.contains(originals));
    }
}

// A folder that refuses the player is handed to an elevated copy of the
// program, once, from the window only, to install or to restore; what the window then says is what
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
    FakePlatform restoring = flows()[1].start;  // Yes to the question
    restoring.denied.insert(eng);
    install(restoring);
    EXPECT_EQ(restoring.elevated, (std::vector{std::pair{game, true}}));
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

}  // namespace
}  // namespace veldor::testing
