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
    PosixFilesTest() { files.set_game_folder(root.string()); }
    ~PosixFilesTest() override {
        fs::current_path(cwd);
        fs::remove_all(root);
    }

    // The game's Windows form of a path below the folder.
    std::string win(const std::string& relative) const { return root.string() + relative; }

    const fs::path cwd = fs::current_path(), root = temporary_folder();
    const fs::path fe = root / "Data" / "CMN" / "fe";
    const Blob payload = Blob(70'000, 0x5A);
    PosixFiles files;
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
        EXPECT_EQ(files.file_exists(win(path)), file) << path;
        EXPECT_EQ(files.directory_exists(win(path)), directory) << path;
    }
    EXPECT_TRUE(files.delete_file(win("\\data\\gui\\ZQ05_Tit.ttf")));
    EXPECT_TRUE(fs::is_empty(root / "Data" / "GUI"));
    EXPECT_FALSE(files.delete_file(win("\\data\\gui\\ZQ05_Tit.ttf")));
}

TEST_F(PosixFilesTest, AReadOnlyFileIsNeitherDeletedNorReplaced) {
    const fs::path font = root / "Data" / "ZQ05_Tit.ttf";
    put(font, {7, 7});
    fs::permissions(font, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    EXPECT_FALSE(files.delete_file(win("\\data\\ZQ05_Tit.ttf")));
    ASSERT_TRUE(files.set_current_directory(win("\\data")));
    EXPECT_FALSE(files.write_file("ZQ05_Tit.ttf", payload));
    EXPECT_EQ(read(font), (Blob{7, 7}));
    EXPECT_EQ(names_in(root / "Data"), (Names{"CMN", "ZQ05_Tit.ttf"}));
}

// Old entries of another letter case, longer, set-id, or a symlink to someone
// else's set-id file: each becomes a regular file holding exactly the payload,
// with the old file's permission bits but never its set-id bits, and nothing
// from a link's target; a new file takes the usual mode; no temporary is left.
TEST_F(PosixFilesTest, WritingReplacesOrCreatesExactlyAndLeavesNoTemporary) {
    put(root / "victim", {1});
    fs::permissions(root / "victim", fs::perms(06755));
    fs::create_symlink(root / "victim", fe / "ZQ05_Bod.ttf");
    for (const auto& [name, mode] : {std::pair{"ENG.DB", 0600}, {"config.dat", 06777}}) {
        put(fe / name, Blob(200'000, 0xEE));
        fs::permissions(fe / name, fs::perms(mode));
    }
    ASSERT_TRUE(files.set_current_directory(win("\\data\\cmn\\fe\\")));
    // The name written, the entry it must land in, that entry's mode after.
    const std::tuple<const char*, const char*, int> rows[] = {
        {"eng.db", "ENG.DB", 0600},
        {"config.dat", "config.dat", 0777},
        {"zq05_bod.ttf", "ZQ05_Bod.ttf", 0644},
        {"chi.db", "chi.db", 0644},
    };
    const mode_t old_umask = umask(022);
    bool written = true;
    for (const auto& [name, entry, mode] : rows)
        written = files.write_file(name, payload) && written;
    umask(old_umask);
    ASSERT_TRUE(written);
    for (const auto& [name, entry, mode] : rows) {
        EXPECT_EQ(fs::symlink_status(fe / entry).permissions(), fs::perms(mode)) << name;
        EXPECT_EQ(read(fe / entry), payload) << name;
    }
    EXPECT_EQ(fs::status(root / "victim").permissions(), fs::perms(06755));
    EXPECT_EQ(read(root / "victim"), Blob{1});
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB", "ZQ05_Bod.ttf", "chi.db", "config.dat"}));
}

// Names match one letter to one letter through the simple upper-case
// mapping, as on Windows; a name two entries match is refused untouched.
TEST_F(PosixFilesTest, OnlyWindowsLetterCaseMatchesAndTwoMatchesAreRefused) {
    const struct {
        const char* what;
        Names present;
        const char* wanted;
        bool refused;
    } rows[] = {
        {"sharp s is not SS", {"ZQßanCB.ttf"}, "ZQSSanCB.ttf", false},
        {"a ligature is not fi", {"conﬁg.dat"}, "config.dat", false},
        {"overlong UTF-8 is not i", {"ch\xC1\xA9.db"}, "chi.db", false},
        {"two case duplicates", {"ENG.DB", "Eng.Db"}, "eng.db", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path dir = root / "data2" / row.what;
        for (const std::string& name : row.present) put(dir / name, {1});
        const std::string wanted = dir.string() + "\\" + row.wanted;
        EXPECT_EQ(files.file_exists(wanted), row.refused);
        EXPECT_FALSE(files.delete_file(wanted));
        ASSERT_TRUE(files.set_current_directory(dir.string()));
        EXPECT_EQ(files.write_file(row.wanted, payload), !row.refused);
        Names after = row.present;
        if (!row.refused) after.insert(row.wanted);
        EXPECT_EQ(names_in(dir), after);
        for (const std::string& name : row.present) EXPECT_EQ(read(dir / name), Blob{1}) << name;
    }
    fs::create_directories(root / "DATA" / "CMN" / "fe");
    EXPECT_FALSE(files.directory_exists(win("\\data\\cmn\\fe")));
}

// Only what the installer appends is in the game's Windows form.
TEST_F(PosixFilesTest, TheChosenFolderIsTakenAsTheFileSystemNamesIt) {
    const fs::path chosen = root / "My\\Game", decoy = root / "my" / "game";
    for (const fs::path& game : {chosen, decoy}) fs::create_directories(game / "data");
    files.set_game_folder(chosen.string());
    ASSERT_TRUE(files.set_current_directory(chosen.string() + "\\DATA"));
    ASSERT_TRUE(files.write_file("eng.db", payload));
    EXPECT_EQ(read(chosen / "data" / "eng.db"), payload);
    EXPECT_TRUE(fs::is_empty(decoy / "data"));
}

// Folders on the way are looked up once per chosen folder, a path's last name
// every time: a case duplicate made since is refused, and a folder renamed
// before the next attempt is found anew.
TEST_F(PosixFilesTest, FoldersAreFoundOncePerChoiceAndNamesEveryTime) {
    put(fe / "ENG.DB", {1});
    const std::string eng = win("\\data\\cmn\\fe\\eng.db");
    ASSERT_TRUE(files.file_exists(eng));
    put(fe / "Eng.Db", {2});
    EXPECT_FALSE(files.delete_file(eng));
    fs::rename(root / "Data", root / "Old");
    fs::create_directories(root / "DATA" / "cmn" / "FE");
    files.set_game_folder(root.string());
    ASSERT_TRUE(files.set_current_directory(win("\\data\\cmn\\fe")));
    ASSERT_TRUE(files.write_file("eng.db", payload));
    EXPECT_EQ(read(root / "DATA" / "cmn" / "FE" / "eng.db"), payload);
}

TEST_F(PosixFilesTest, AMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(files.set_current_directory(win("\\data\\gui\\")));
    ASSERT_TRUE(files.set_current_directory(win("\\data2")));
    EXPECT_FALSE(files.write_file("gui/x.ttf", payload));
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
    for (const auto& [path, state] : states) EXPECT_EQ(files.file_state(win(path)), state) << path;

    const std::string eng = win("\\data\\cmn\\fe\\eng.db"), staged = eng + ".new",
                      old = eng + ".old";
    ASSERT_TRUE(files.stage_file(staged, eng, payload));
    EXPECT_FALSE(files.stage_file(staged, eng, Blob{3}));
    EXPECT_EQ(read(fe / "eng.db.new"), payload);
    EXPECT_EQ(fs::status(fe / "eng.db.new").permissions(), owner_read | owner_write);

    EXPECT_FALSE(files.move_file(staged, win("\\data\\cmn\\fe\\RO.DB")));
    ASSERT_TRUE(files.move_file(eng, old));
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB.old", "eng.db.new", "ro.db"}));
    ASSERT_TRUE(files.move_file(old, eng));
    EXPECT_TRUE(files.flush_folder(win("\\data\\cmn\\fe\\")));
    EXPECT_EQ(names_in(fe), (Names{"ENG.DB", "eng.db.new", "ro.db"}));
    EXPECT_EQ(read(fe / "ro.db"), Blob{2});
}

// A disk that fills up halfway.
TEST_F(PosixFilesTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporary) {
    put(root / "data2" / "chi.db", {9});
    ASSERT_TRUE(files.set_current_directory(win("\\data2")));

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{4096, saved.rlim_max};
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = files.write_file("chi.db", payload);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(root / "data2" / "chi.db"), Blob{9});
    EXPECT_EQ(names_in(root / "data2"), Names{"chi.db"});
}

}  // namespace
}  // namespace veldor
