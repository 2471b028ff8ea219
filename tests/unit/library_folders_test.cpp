// The reader of Steam's library list, on real, old, odd and damaged lists.
#include "install/library_folders.h"

#include <gtest/gtest.h>

namespace veldor {
namespace {

using Paths = std::vector<std::string>;

// As a Windows client writes it: CRLF, tabs, escaped backslashes, sizes.
const std::string windows_list =
    "\"libraryfolders\"\r\n{\r\n\t\"0\"\r\n\t{\r\n"
    "\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\r\n\t\t\"label\"\t\t\"\"\r\n"
    "\t\t\"apps\"\r\n\t\t{\r\n\t\t\t\"228980\"\t\t\"247963842\"\r\n\t\t}\r\n\t}\r\n"
    "\t\"1\"\r\n\t{\r\n\t\t\"path\"\t\t\"D:\\\\SteamLibrary\"\r\n"
    "\t\t\"update_clean_bytes_tally\"\t\t0\r\n\t\t\"apps\"\r\n\t\t{\r\n\t\t}\r\n\t}\r\n"
    "\t\"2\"\r\n\t{\r\n\t\t\"path\"\t\t\"E:\\\\游戏\\\\Steam\"\r\n\t}\r\n}\r\n";
const Paths windows_libraries{"C:\\Program Files (x86)\\Steam", "D:\\SteamLibrary",
                              "E:\\游戏\\Steam"};

TEST(LibraryFolders, ReadsEachFormAndSkipsWhatIsNotALibrary) {
    const struct {
        const char* what;
        std::string list;
        Paths libraries;
    } cases[] = {
        {"a Windows client's list", windows_list, windows_libraries},
        {"an older client's list: numbered plain values",
         "\"LibraryFolders\" { \"TimeNextStatsReport\" \"1690000000\" \"ContentStatsID\" \"-7\"\n"
         "\"1\" \"D:\\\\Games\" \"2\" \"/mnt/steam\" }",
         {"D:\\Games", "/mnt/steam"}},
        {"escaped quotes, tabs and an unknown escape",
         R"("libraryfolders" { "0" { "path" "D:\\My \"Steam\"\tX\q" } })",
         {"D:\\My \"Steam\"\tX\\q"}},
        {"bare tokens, comments, a byte-order mark and a condition",
         "\xEF\xBB\xBFlibraryfolders // the list\n{ 0 { path /home/p/Steam [$LINUX] } }",
         {"/home/p/Steam"}},
        {"keys in any letter case", R"("LIBRARYFOLDERS" { "0" { "Path" "X:\\S" } })", {"X:\\S"}},
        {"no path, an empty path, a path that is not a library's",
         R"("libraryfolders" { "0" { "label" "L" } "1" { "path" "" }
            "2" { "apps" { "path" "A" } } "contentstatsid" { "path" "B" } "3" "" })",
         {}},
        {"network shares, however spelt",
         R"("libraryfolders" { "0" { "path" "\\\\srv\\s" } "1" { "path" "//srv/s" }
            "2" { "path" "\\\\?\\UNC\\srv\\s" } "3" { "path" "\\/srv" } "4" "D:\\S" })",
         {"D:\\S"}},
        {"another file altogether", R"("AppState" { "0" { "path" "C:\\S" } })", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(library_folders(c.list), c.libraries);
    }
}

// Cut anywhere, the list yields the libraries whose path it holds whole,
// and never a cut one.
TEST(LibraryFolders, ATruncatedListKeepsTheLibrariesReadBeforeTheCut) {
    for (std::size_t size = 0; size <= windows_list.size(); ++size) {
        const Paths found = library_folders(std::string_view(windows_list).substr(0, size));
        ASSERT_LE(found.size(), windows_libraries.size()) << size;
        EXPECT_TRUE(std::equal(found.begin(), found.end(), windows_libraries.begin())) << size;
    }
    EXPECT_EQ(library_folders(windows_list.substr(0, windows_list.find("D:\\\\") + 6)),
              Paths{windows_libraries[0]});
}

std::string times(std::size_t n, std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += text;
    return out;
}

TEST(LibraryFolders, DamageAndBombsEndTheReadingWithinItsBounds) {
    const std::string first = R"("libraryfolders" { "0" { "path" "A" } )";
    const struct {
        const char* what;
        std::string list;
        std::size_t found;
    } cases[] = {
        {"a million keyed blocks deep", first + times(1'000'000, "k{"), 1},
        // Two blocks open for a library; the rest as deep as allowed, or one more.
        {"blocks as deep as the limit, closed again",
         first + R"("1" {)" + times(library_list_depth_limit - 2, "k{") +
             times(library_list_depth_limit - 2, "}") + R"(} "2" { "path" "B" } })",
         2},
        {"one block deeper than the limit, closed again",
         first + R"("1" {)" + times(library_list_depth_limit - 1, "k{") +
             times(library_list_depth_limit - 1, "}") + R"(} "2" { "path" "B" } })",
         1},
        {"a million closing braces", first + times(1'000'000, "}"), 1},
        {"a quote never closed", first + "\"1\" { \"path\" \"B" + times(100'000, "x"), 1},
        {"a library past the size limit",
         first + times(library_list_size_limit, " ") + R"("1" { "path" "B" } })", 1},
        {"a brace with no key", first + R"({ "1" { "path" "B" } })", 1},
        {"a hundred libraries", "\"libraryfolders\" {" + times(100, R"( "1" "L")") + "}",
         library_count_limit},
        {"NUL and stray bytes",
         first + std::string("\0\xff\x01", 3) + R"( junk "1" { "path" "B" })", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Paths found = library_folders(c.list);
        EXPECT_EQ(found.size(), c.found);
        if (!found.empty()) {
            EXPECT_EQ(found[0], c.found == library_count_limit ? "L" : "A");
        }
    }
}

}  // namespace
}  // namespace veldor
