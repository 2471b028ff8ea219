// The Linux file services on a real temporary folder.
#include "platform/gtk/posix_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

namespace veldor {
namespace {

using Blob = std::vector<unsigned char>;
using Names = std::set<std::string>;

Blob read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Blob(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const Blob& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
}

Names names_in(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// A fresh game folder: Data/CMN/fe, and an empty data2.
fs::path temporary_folder() {
    std::string pattern = (fs::temp_directory_path() / "veldor-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    fs::create_directories(root / "Data" / "CMN" / "fe");
    fs::create_directories(root / "data2");
    return root;
}

struct PosixFilesTest : ::testing::Test {
    ~PosixFilesTest() override {
        fs::current_path(cwd);
        fs::remove_all(root);
    }

    // The game's Windows form of a path below the folder.
    std::string win(const std::string& relative) const { return root.string() + relative; }

    const fs::path cwd = fs::current_path(), root = temporary_folder();
    const fs::path fe = root / "Data" / "CMN" / "fe";
    const Blob payload = Blob(70'000, 0x5A);
};

TEST_F(PosixFilesTest, WindowsPathsFindTheirFilesWhateverTheLetterCase) {
    put(root / "Data" / "GUI" / "zq05_tit.ttf", {1});
    // A path, whether it names a file, whether it names a folder.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"\\data\\cmn\\fe\\", false, true},
        {"\\\\data\\gui\\", false, true},  // a root folder's doubled separator
        {"\\data\\gui", false, true},
        {"\\data\\gui\\ZQ05_Tit.ttf", true, false},
        {"\\data\\gui\\ZQSSanCB.ttf", false, false},
        {"\\data\\nothere\\gui", false, false},
    };
    for (const auto& [path, file, directory] : cases) {
        EXPECT_EQ(PosixFiles::file_exists(win(path)), file) << path;
        EXPECT_EQ(PosixFiles::directory_exists(win(path)), directory) << path;
    }
    EXPECT_TRUE(PosixFiles::delete_file(win("\\data\\gui\\ZQ05_Tit.ttf")));
    EXPECT_TRUE(fs::is_empty(root / "Data" / "GUI"));
    EXPECT_FALSE(PosixFiles::delete_file(win("\\data\\gui\\ZQ05_Tit.ttf")));
}

TEST_F(PosixFilesTest, AReadOnlyFileIsNeitherDeletedNorReplaced) {
    const fs::path font = root / "Data" / "ZQ05_Tit.ttf";
    put(font, {7, 7});
    fs::permissions(font, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    EXPECT_FALSE(PosixFiles::delete_file(win("\\data\\ZQ05_Tit.ttf")));
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data")));
    EXPECT_FALSE(PosixFiles::write_file("ZQ05_Tit.ttf", payload));
    EXPECT_EQ(read(font), (Blob{7, 7}));
    EXPECT_EQ(names_in(root / "Data"), (Names{"CMN", "ZQ05_Tit.ttf"}));
}

// An older, longer file of another letter case is replaced exactly, keeping
// its mode; a new file takes the usual mode; no temporary file is left.
TEST_F(PosixFilesTest, WritingReplacesOrCreatesExactlyAndLeavesNoTemporary) {
    using enum fs::perms;
    put(fe / "ENG.DB", Blob(200'000, 0xEE));
    fs::permissions(fe / "ENG.DB", owner_read | owner_write);
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data\\cmn\\fe\\")));

    const mode_t old_umask = umask(022);
    const bool replaced = PosixFiles::write_file("eng.db", payload);
    const bool created = PosixFiles::write_file("chi.db", payload);
    umask(old_umask);
    ASSERT_TRUE(replaced && created);
    EXPECT_EQ(read(fe / "ENG.DB"), payload);
    EXPECT_EQ(read(fe / "chi.db"), payload);
    EXPECT_EQ(fs::status(fe / "ENG.DB").permissions(), owner_read | owner_write);
    EXPECT_EQ(fs::status(fe / "chi.db").permissions(),
              owner_read | owner_write | group_read | others_read);
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB", "chi.db"}));
}

TEST_F(PosixFilesTest, AMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(PosixFiles::set_current_directory(win("\\data\\gui\\")));
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data2")));
    EXPECT_FALSE(PosixFiles::write_file("gui/x.ttf", payload));
    EXPECT_TRUE(fs::is_empty(root / "data2"));
}

// The moves of an installation: what stands at a name; a staged file made
// anew with its model's mode; moves that replace nothing and, undone, leave
// the names as they were.
TEST_F(PosixFilesTest, StagesAndMovesWithoutReplacingAnything) {
    using enum fs::perms;
    put(fe / "ENG.DB", {1});
    fs::permissions(fe / "ENG.DB", owner_read | owner_write);
    put(fe / "ro.db", {2});
    fs::permissions(fe / "ro.db", owner_read);
    const std::pair<const char*, FileState> states[] = {
        {"\\data\\cmn\\fe\\eng.db", FileState::normal},
        {"\\data\\cmn\\fe\\ro.db", FileState::read_only},
        {"\\data\\cmn", FileState::other},
        {"\\data\\cmn\\fe\\no.db", FileState::absent},
        {"\\data\\gui\\no.db", FileState::absent}};
    for (const auto& [path, state] : states)
        EXPECT_EQ(PosixFiles::file_state(win(path)), state) << path;

    const std::string eng = win("\\data\\cmn\\fe\\eng.db"), staged = eng + ".new",
                      old = eng + ".old";
    ASSERT_TRUE(PosixFiles::stage_file(staged, eng, payload));
    EXPECT_FALSE(PosixFiles::stage_file(staged, eng, Blob{3}));
    EXPECT_EQ(read(fe / "eng.db.new"), payload);
    EXPECT_EQ(fs::status(fe / "eng.db.new").permissions(), owner_read | owner_write);

    EXPECT_FALSE(PosixFiles::move_file(staged, win("\\data\\cmn\\fe\\RO.DB")));
    ASSERT_TRUE(PosixFiles::move_file(eng, old));
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB.old", "eng.db.new", "ro.db"}));
    ASSERT_TRUE(PosixFiles::move_file(old, eng));
    EXPECT_TRUE(PosixFiles::flush_folder(win("\\data\\cmn\\fe\\")));
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB", "eng.db.new", "ro.db"}));
    EXPECT_EQ(read(fe / "ro.db"), Blob{2});
}

// A disk that fills up halfway.
TEST_F(PosixFilesTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporary) {
    put(root / "data2" / "chi.db", {9});
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data2")));

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{4096, saved.rlim_max};
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = PosixFiles::write_file("chi.db", payload);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(root / "data2" / "chi.db"), Blob{9});
    EXPECT_EQ(names_in(root / "data2"), Names{"chi.db"});
}

}  // namespace
}  // namespace veldor
