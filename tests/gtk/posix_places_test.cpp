// What the search for the game reads on Linux, on a real temporary folder.
#include "platform/gtk/posix_places.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace veldor {
namespace {

using Paths = std::vector<std::string>;

struct PosixPlacesTest : ::testing::Test {
    PosixPlacesTest() {
        std::string pattern = (fs::temp_directory_path() / "veldor-places-XXXXXX").string();
        root = mkdtemp(pattern.data());
    }
    ~PosixPlacesTest() override { fs::remove_all(root); }

    void put(const fs::path& relative, std::size_t size) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << std::string(size, 'x');
    }

    fs::path root;
};

TEST_F(PosixPlacesTest, ReadsASmallFileWholeAndNothingElse) {
    put("steamapps/libraryfolders.vdf", 100);
    ASSERT_EQ(mkfifo((root / "steamapps" / "fifo").c_str(), 0600), 0);  // must not wait
    const std::string steamapps = (root / "steamapps").string();
    const struct {
        const char* name;
        std::size_t limit;
        std::optional<std::size_t> size;
    } cases[] = {
        {"libraryfolders.vdf", 100, 100},   {"libraryfolders.vdf", 99, std::nullopt},
        {"missing.vdf", 100, std::nullopt}, {"", 100, std::nullopt},
        {"fifo", 100, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = PosixPlaces::read_small_file(steamapps, c.name, c.limit);
        EXPECT_EQ(bytes ? std::optional(bytes->size()) : std::nullopt, c.size);
    }
}

// A listing's folders are named below the folder as given; linked folders
// by their real paths.
TEST_F(PosixPlacesTest, ListsFoldersAndLinksToFolders) {
    for (const char* folder : {"common/A", "common/B", "elsewhere/C"})
        fs::create_directories(root / folder);
    put("common/file", 1);
    fs::create_directory_symlink(root / "elsewhere" / "C", root / "common" / "link");
    fs::create_symlink(root / "nowhere", root / "common" / "dangling");
    fs::create_directory_symlink(root / "common", root / "steam");

    Paths found = PosixPlaces::subfolders((root / "steam").string(), 10);
    std::ranges::sort(found);
    EXPECT_EQ(found, (Paths{(root / "elsewhere" / "C").string(), (root / "steam" / "A").string(),
                            (root / "steam" / "B").string()}));
    EXPECT_EQ(PosixPlaces::subfolders(root.string() + "/common", 2).size(), 2u);
    EXPECT_TRUE(PosixPlaces::subfolders(root.string() + "/common/file", 10).empty());
    EXPECT_TRUE(PosixPlaces::subfolders(root.string() + "/missing", 10).empty());
    EXPECT_EQ(PosixPlaces::real_folder((root / "steam" / "A").string()),
              (root / "common" / "A").string());
    EXPECT_EQ(PosixPlaces::real_folder(""), std::nullopt);
}

}  // namespace
}  // namespace veldor
