// The file services of either face against one set of cases, on a real
// scratch folder: GTK/POSIX natively, Win32 under Wine. The folder's own name
// lies outside code page 936 and the Basic Multilingual Plane, so every case
// passes such a name through the face. Rows only one face can show (letter
// case and modes on Linux; attributes and sharing on Windows) stand beside the
// shared ones. CI runs them as root, whom only the face's own check keeps
// from writing through a read-only mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <tuple>

#include "payload/payloads.h"

#ifdef _WIN32
#include "platform/win32/elevation.h"
#include "platform/win32/win32_platform.h"
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "platform/gtk/gtk_platform.h"
#include "platform/posix/posix_places.h"
#endif

namespace veldor {
namespace {

namespace fs = std::filesystem;
using Blob = std::vector<unsigned char>;
using Names = std::set<std::string>;
using Face = std::unique_ptr<Platform> (*)();

// The test's own access to the folder, past the face under test.
std::string utf8(const fs::path& path) {
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

Blob read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Blob(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const Blob& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

Names names_in(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(utf8(entry.path().filename()));
    return names;
}

std::set<fs::path> as_paths(const std::vector<std::string>& found) {
    std::set<fs::path> paths;
    for (const std::string& path : found) paths.insert(std::u8string(path.begin(), path.end()));
    return paths;
}

class PlatformConformance : public testing::TestWithParam<Face> {
protected:
    PlatformConformance() {
        std::random_device random;
        do {
            root = fs::temp_directory_path() / u8"veldor-ทดสอบ😀-";
            root += std::to_string(random());
        } while (!fs::create_directory(root));
        game = utf8(root);
        platform->set_game_folder(game);
    }
    ~PlatformConformance() override {
        fs::current_path(cwd);
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(root, ignored))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }

    // A path below the game folder, in the game's Windows form.
    std::string at(const std::string& below) const { return game + below; }

    const fs::path cwd = fs::current_path();
    fs::path root;
    std::string game;
    const std::unique_ptr<Platform> platform = GetParam()();
    const Blob payload = Blob(70'000, 0x5A);
};

// Found through the game's own names in any letter case; read-only even for
// root or an administrator; hidden and system files count as any other.
TEST_P(PlatformConformance, TellsWhatStandsAtAPath) {
    const fs::path fe = root / "Data" / "CMN" / "fe";
    put(fe / "ENG.DB", {1});
    put(fe / "ro.db", {2});
    fs::permissions(fe / "ro.db", fs::perms(0444));
    fs::create_directories(root / "Data" / "GUI");
#ifdef _WIN32
    put(root / "hidden.ttf", {1});
    put(root / "system.ttf", {1});
    fs::create_directory(root / "hidden");
    for (const auto& [name, attributes] : {std::pair{L"hidden.ttf", FILE_ATTRIBUTE_HIDDEN},
                                           {L"system.ttf", FILE_ATTRIBUTE_SYSTEM},
                                           {L"hidden", FILE_ATTRIBUTE_HIDDEN}})
        SetFileAttributesW((root / name).c_str(), attributes);
#else
    for (const char* name : {"ZQſSanCB.ttf", "confıg.dat", "Two.db", "TWO.DB"})
        put(root / "Data" / name, {1});
    fs::create_directory_symlink(root / "Data" / "GUI", root / "Data" / "Moved");
#endif
    // A path; whether it is a file, a folder; its state; why deleting it
    // fails (none: it is deleted).
    const std::tuple<const char*, bool, bool, FileState, Fault> rows[] = {
        {"\\data\\cmn\\fe\\eng.db", true, false, FileState::normal, Fault::none},
        {"\\DATA\\cmn\\FE\\RO.DB", true, false, FileState::read_only, Fault::read_only},
        {"\\data\\gui", false, true, FileState::other, Fault::other},
        {"\\\\data\\gui\\", false, true, FileState::other, Fault::other},  // below a drive's root
        {"\\data\\gui\\no.ttf", false, false, FileState::absent, Fault::other},
        {"\\data\\none\\no.ttf", false, false, FileState::absent, Fault::other},
#ifdef _WIN32
        {"\\hidden.ttf", true, false, FileState::normal, Fault::none},
        {"\\system.ttf", true, false, FileState::normal, Fault::none},
        {"\\hidden", false, true, FileState::other, Fault::other},
#else
        // Only ASCII letters fold (the long s and the dotless i are S and I
        // in upper case); a name two entries match is never guessed at.
        {"\\data\\ZQSSanCB.ttf", false, false, FileState::absent, Fault::other},
        {"\\data\\config.dat", false, false, FileState::absent, Fault::other},
        {"\\data\\two.db", true, false, FileState::ambiguous, Fault::other},
        // A symbolic link to a folder is followed, but not by root.
        {"\\data\\moved", false, true, geteuid() ? FileState::other : FileState::linked,
         Fault::other},
#endif
    };
    for (const auto& [path, file, folder, state, fault] : rows) {
        EXPECT_EQ(platform->file_exists(at(path)), file) << path;
        EXPECT_EQ(platform->directory_exists(at(path)), folder) << path;
        EXPECT_EQ(platform->file_state(at(path)), state) << path;
        EXPECT_EQ(platform->delete_file(at(path)), fault == Fault::none) << path;
        if (fault != Fault::none) {
            EXPECT_EQ(platform->fault(), fault) << path;
        }
    }
    EXPECT_FALSE(platform->set_current_directory(at("\\data\\none")));
    EXPECT_EQ(names_in(fe), Names{"ro.db"});
#ifdef _WIN32
    // Run elevated (always, under Wine), the layout folders are held for
    // the attempt: none can be renamed, or swapped for a link, until it ends.
    const fs::path gui = root / "Data" / "GUI", moved = root / "moved";
    platform->set_game_folder(game);
    EXPECT_EQ(MoveFileW(gui.c_str(), moved.c_str()) == 0, win32::runs_elevated());
    platform->set_game_folder({});
    EXPECT_TRUE(MoveFileW(gui.c_str(), moved.c_str()));
#else
    EXPECT_FALSE(platform->stage_file(at("\\data\\two.db"), "", payload));
    // Folders on the way are found once per chosen folder, a last name every
    // time: a duplicate made since counts, and folders renamed before the
    // next choice are found anew.
    put(fe / "RO.DB", {3});
    EXPECT_EQ(platform->file_state(at("\\data\\cmn\\fe\\ro.db")), FileState::ambiguous);
    fs::rename(root / "Data", root / "Old");
    fs::create_directories(root / "DATA" / "cmn" / "FE");
    platform->set_game_folder(game);
    EXPECT_TRUE(platform->directory_exists(at("\\data\\cmn\\fe")));
#endif
}

// Made anew, never opened where something lies already (a planted file or
// link), holding exactly its bytes, with its model's mode or attributes and
// the model's spelling of the name they share; on any failure nothing of it
// remains. The current directory, outside the game folder, goes back
// exactly where it was.
TEST_P(PlatformConformance, StagesAFileAnew) {
    const fs::path data = root / "data";
    put(data / "planted.new", {1});
    const std::string was = platform->current_directory();
    ASSERT_TRUE(platform->set_current_directory(at("\\DATA")));
    EXPECT_TRUE(platform->stage_file("汉化.new", "", payload));
    EXPECT_FALSE(platform->stage_file("planted.new", "", payload));
    EXPECT_FALSE(platform->stage_file(at("\\none\\x.new"), "", payload));
    EXPECT_EQ(read(data / u8"汉化.new"), payload);
    EXPECT_EQ(read(data / "planted.new"), Blob{1});
    EXPECT_EQ(names_in(root), Names{"data"});
#ifdef _WIN32
    // Staged like a hidden or system file, it stays out of the player's sight.
    constexpr DWORD hiding = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    put(data / "font.ttf", {1});
    SetFileAttributesW((data / "font.ttf").c_str(), hiding);
    EXPECT_TRUE(platform->stage_file("font.new", "font.ttf", payload));
    EXPECT_EQ(GetFileAttributesW((data / "font.new").c_str()) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE},
              hiding);
#else
    // A model's permission bits, never its set-id bits nor anything of a
    // link's target; a new file's mode where the model is a link or missing.
    for (const auto& [name, mode] :
         {std::pair{"rw.db", 0600}, {"setid.db", 06777}, {"victim", 06755}})
        put(data / name, {1}), fs::permissions(data / name, fs::perms(mode));
    fs::create_symlink(data / "victim", data / "link.db");
    const mode_t umask_was = umask(022);
    for (const auto& [like, made, mode] : {std::tuple{"RW.DB", "rw.db1.new", 0600},
                                           {"setid.db", "setid.db1.new", 0777},
                                           {"link.db", "link.db1.new", 0644},
                                           {"", "1.new", 0644}}) {
        EXPECT_TRUE(platform->stage_file(like + std::string("1.new"), like, payload)) << like;
        EXPECT_EQ(fs::status(data / made).permissions(), fs::perms(mode)) << like;
    }
    umask(umask_was);

    // A disk that fills up halfway.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{4096, saved.rlim_max};
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(platform->stage_file("full.new", "", payload));
    EXPECT_EQ(platform->fault(), Fault::disk_full);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);
    EXPECT_FALSE(fs::exists(data / "full.new"));

    // Only what follows the chosen folder is in the game's Windows form.
    const fs::path chosen = root / "My\\Game", decoy = root / "my" / "game";
    for (const fs::path& folder : {chosen, decoy}) fs::create_directories(folder / "data");
    platform->set_game_folder(utf8(chosen));
    EXPECT_TRUE(platform->stage_file(utf8(chosen) + "\\DATA\\eng.db", "", payload));
    EXPECT_EQ(read(chosen / "data" / "eng.db"), payload);
    EXPECT_TRUE(fs::is_empty(decoy / "data"));
#endif
    ASSERT_TRUE(platform->set_current_directory(was));
    EXPECT_EQ(fs::current_path(), cwd);
}

// The installation's moves, in its order: a staged file never replaces the
// target; the target moves aside and back (a rollback), or aside for the
// staged file to take its place (the commit). Through each, the target keeps
// the letter case the folder had for it.
TEST_P(PlatformConformance, MovesReplaceNothingAndUndoCleanly) {
    const std::string name = "ENG.DB";
    const fs::path fe = root / "Data" / "CMN" / "fe";
    const Blob old(200'000, 0xEE);  // older and longer than the payload
    put(fe / name, old);
    const std::string target = at("\\data\\cmn\\fe\\eng.db"), staged = target + ".veldor-new",
                      backup = target + ".veldor-old";
    ASSERT_TRUE(platform->set_current_directory(at("\\data\\cmn\\fe\\")));
    ASSERT_TRUE(platform->stage_file("eng.db.veldor-new", "eng.db", payload));
#ifdef _WIN32
    // Held by the game without delete sharing: in use, and it cannot move aside.
    for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE}}) {
        const HANDLE held = CreateFileW((fe / name).c_str(), GENERIC_READ, share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(platform->file_state(target), share ? FileState::normal : FileState::in_use);
        EXPECT_TRUE(share ||
                    (!platform->move_file(target, backup) && platform->fault() == Fault::in_use));
        CloseHandle(held);
    }
#endif
    EXPECT_FALSE(platform->move_file(staged, target));
    const Names before = names_in(fe);
    ASSERT_TRUE(platform->move_file(target, backup));
    ASSERT_TRUE(platform->move_file(backup, target));
    EXPECT_EQ(names_in(fe), before);

    ASSERT_TRUE(platform->move_file(target, backup));
    ASSERT_TRUE(platform->move_file(staged, target));
    EXPECT_TRUE(platform->flush_folder(at("\\data\\cmn\\fe\\")));
    EXPECT_EQ(read(fe / name), payload);
    EXPECT_EQ(read(fe / (name + ".veldor-old")), old);
    EXPECT_TRUE(platform->delete_file(backup));
    EXPECT_EQ(names_in(fe), Names{name});
}

// What the search for the game reads: small files whole, folders' folders.
TEST_P(PlatformConformance, ReadsSmallFilesAndListsFolders) {
    put(root / "libraryfolders.vdf", Blob(100, 'x'));
    for (const fs::path folder : {u8"游戏", u8"other"}) fs::create_directories(root / folder);
#ifndef _WIN32
    ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0600), 0);  // must not wait for a writer
#endif
    EXPECT_EQ(platform->read_small_file(game, "libraryfolders.vdf", 100), std::string(100, 'x'));
    EXPECT_FALSE(platform->read_small_file(game, "libraryfolders.vdf", 99));
    for (const char* name : {"missing.vdf", "other", "", "fifo"})
        EXPECT_FALSE(platform->read_small_file(game, name, 100)) << name;
    EXPECT_EQ(as_paths(platform->subfolders(game, 10)),
              (std::set<fs::path>{root / u8"游戏", root / "other"}));
    EXPECT_EQ(platform->subfolders(game, 1).size(), 1u);
    EXPECT_TRUE(platform->subfolders(utf8(root / "libraryfolders.vdf"), 10).empty());
#ifdef _WIN32
    // Steam records its folder with forward slashes; the dialog takes backslashes.
    const wchar_t* key = L"Software\\Valve\\Steam";
    const wchar_t steam[] = L"c:/program files (x86)/steam";
    ASSERT_FALSE(
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"SteamPath", REG_SZ, steam, sizeof steam));
    const GamePlaces places = platform->game_places();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"SteamPath");
    EXPECT_EQ(places.steam, std::vector<std::string>{"c:\\program files (x86)\\steam"});
    EXPECT_TRUE(platform->game_places().steam.empty());
#else
    // Named below the folder as given; linked folders by their real paths.
    for (const char* folder : {"other/A", "elsewhere/C"}) fs::create_directories(root / folder);
    fs::create_directory_symlink(root / "elsewhere" / "C", root / "other" / "link");
    fs::create_symlink(root / "nowhere", root / "other" / "dangling");
    fs::create_directory_symlink(root / "other", root / "steam");
    EXPECT_EQ(as_paths(platform->subfolders(utf8(root / "steam"), 10)),
              (std::set<fs::path>{root / "elsewhere" / "C", root / "steam" / "A"}));
    EXPECT_EQ(PosixPlaces::real_folder(utf8(root / "steam" / "A")), utf8(root / "other" / "A"));
#endif
}

// What keeping the originals needs: a file of the game folder read whole,
// found by the game's names, within a limit; the originals' folder made (and
// made again: it is there) and removed only once empty.
TEST_P(PlatformConformance, ReadsGameFilesAndMakesAndRemovesAFolder) {
    put(root / "Data" / "eng.db", payload);
    EXPECT_EQ(platform->read_file(at("\\data\\ENG.DB"), payload.size()),
              std::string(payload.begin(), payload.end()));
    EXPECT_FALSE(platform->read_file(at("\\data\\eng.db"), payload.size() - 1));
    EXPECT_FALSE(platform->read_file(at("\\data\\missing"), payload.size()));
    const std::string kept = at("\\veldor-originals"), inner = kept + "\\data";
    EXPECT_FALSE(platform->make_folder(inner));  // below a folder not yet made
    EXPECT_TRUE(platform->make_folder(kept));
    EXPECT_TRUE(platform->make_folder(kept));
    EXPECT_TRUE(platform->make_folder(inner));
    EXPECT_FALSE(platform->remove_folder(kept));
    EXPECT_TRUE(platform->remove_folder(inner));
    EXPECT_TRUE(platform->remove_folder(kept));
    EXPECT_FALSE(fs::exists(root / "veldor-originals"));
}

// The payloads the build embedded, under their own type in any letter case
// and their own numbers, each hashing by the face's SHA-256 to the digest
// the build compiled in; and nothing else.
TEST_P(PlatformConformance, HoldsThePayloadsAndNoOtherResources) {
    for (const PayloadDigest& payload : payload_digests) {
        const auto bytes = platform->read_resource("Custom", payload.id);
        ASSERT_TRUE(bytes) << payload.id;
        EXPECT_EQ(platform->sha256(*bytes), payload.sha256) << payload.id;
    }
    // 0x10000 + 101 would be 101 again if cut to 16 bits.
    for (const auto& [type, id] : {std::pair{"CUSTOM", 105u},
                                   {"CUSTOM", 0x10000u + 101},
                                   {"RCDATA", 101u},
                                   {"customs", 101u}})
        EXPECT_FALSE(platform->read_resource(type, id)) << type << id;
}

#ifdef _WIN32
std::unique_ptr<Platform> win32() { return std::make_unique<Win32Platform>(nullptr, L""); }
INSTANTIATE_TEST_SUITE_P(Win32, PlatformConformance, testing::Values(&win32));
#else
std::unique_ptr<Platform> gtk() { return std::make_unique<GtkPlatform>(""); }
INSTANTIATE_TEST_SUITE_P(Gtk, PlatformConformance, testing::Values(&gtk));
#endif

}  // namespace
}  // namespace veldor
