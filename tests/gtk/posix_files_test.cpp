// The Linux file services on a real temporary folder.
#include "platform/gtk/posix_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace veldor {
namespace {

using Blob = std::vector<unsigned char>;

Blob read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Blob(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const Blob& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::ranges::sort(names);
    return names;
}

class PosixFilesTest : public ::testing::Test {
protected:
    PosixFilesTest() : cwd_(fs::current_path()) {
        std::string pattern = (fs::temp_directory_path() / "veldor-XXXXXX").string();
        root = mkdtemp(pattern.data());
        fs::create_directories(root / "Data" / "CMN" / "fe");
        fs::create_directories(root / "data2");
    }
    ~PosixFilesTest() override {
        fs::current_path(cwd_);
        fs::remove_all(root);
    }

    // The game's Windows form of a path below the folder.
    std::string win(const std::string& relative) const { return root.string() + relative; }

    fs::path root;
    const Blob payload = Blob(70'000, 0x5A);

private:
    fs::path cwd_;
};

TEST_F(PosixFilesTest, WindowsPathsFindTheirFilesWhateverTheLetterCase) {
    put(root / "Data" / "GUI" / "zq05_tit.ttf", {1});
    EXPECT_TRUE(PosixFiles::directory_exists(win("\\data\\cmn\\fe\\")));
    EXPECT_TRUE(
        PosixFiles::directory_exists(win("\\\\data\\gui\\")));  // a root folder's doubled separator
    EXPECT_TRUE(PosixFiles::file_exists(win("\\data\\gui\\ZQ05_Tit.ttf")));
    EXPECT_FALSE(PosixFiles::file_exists(win("\\data\\gui")));  // a folder is no file
    EXPECT_FALSE(PosixFiles::directory_exists(win("\\data\\gui\\ZQ05_Tit.ttf")));
    EXPECT_FALSE(PosixFiles::file_exists(win("\\data\\gui\\ZQSSanCB.ttf")));
    EXPECT_FALSE(PosixFiles::directory_exists(win("\\data\\nothere\\gui")));

    EXPECT_TRUE(PosixFiles::delete_file(win("\\data\\gui\\ZQ05_Tit.ttf")));
    EXPECT_FALSE(fs::exists(root / "Data" / "GUI" / "zq05_tit.ttf"));
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
    EXPECT_EQ(names_in(root / "Data"), (std::vector<std::string>{"CMN", "ZQ05_Tit.ttf"}));
}

TEST_F(PosixFilesTest, WritingReplacesTheFileOfAnyCaseExactlyAndLeavesNoTemporary) {
    const fs::path old = root / "Data" / "CMN" / "fe" / "ENG.DB";
    put(old, Blob(200'000, 0xEE));  // older and longer
    fs::permissions(old, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data\\cmn\\fe\\")));

    ASSERT_TRUE(PosixFiles::write_file("eng.db", payload));
    EXPECT_EQ(read(old), payload);
    EXPECT_EQ(fs::status(old).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(PosixFiles::write_file("chi.db", payload));
    EXPECT_EQ(read(root / "Data" / "CMN" / "fe" / "chi.db"), payload);
    EXPECT_EQ(names_in(root / "Data" / "CMN" / "fe"),
              (std::vector<std::string>{"ENG.DB", "chi.db"}));
}

TEST_F(PosixFilesTest, AMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(PosixFiles::set_current_directory(win("\\data\\gui\\")));
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data2")));
    EXPECT_FALSE(PosixFiles::write_file("gui/x.ttf", payload));
    EXPECT_TRUE(fs::is_empty(root / "data2"));
}

// A disk that fills up halfway: the old file stays whole and no temporary
// file is left behind.
TEST_F(PosixFilesTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporary) {
    put(root / "data2" / "chi.db", {9});
    ASSERT_TRUE(PosixFiles::set_current_directory(win("\\data2")));

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = PosixFiles::write_file("chi.db", payload);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(root / "data2" / "chi.db"), Blob{9});
    EXPECT_EQ(names_in(root / "data2"), std::vector<std::string>{"chi.db"});
}

TEST_F(PosixFilesTest, ANewFileTakesTheUsualMode) {
    const mode_t mask = umask(022);
    ASSERT_TRUE(PosixFiles::set_current_directory(root.string()));
    ASSERT_TRUE(PosixFiles::write_file("config.dat", payload));
    umask(mask);
    EXPECT_EQ(fs::status(root / "config.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

}  // namespace
}  // namespace veldor
