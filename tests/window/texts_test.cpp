// The patch note, measured as the game's GBK world measures it.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "window/identity.h"

namespace veldor {
namespace {

// In code page 936 ASCII takes a byte and every character of the note
// (Chinese, full-width punctuation, the dash) two.
std::size_t cp936_width(std::string_view text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += c < 0x80 ? 1 : (c & 0xC0) == 0xC0 ? 2 : 0;
    return width;
}

// What a hard wrap moves as a whole: a run of ASCII letters or digits, or one
// other character.
std::string_view first_unit(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() && std::isalnum(static_cast<unsigned char>(line[n]))) ++n;
    if (n > 0) return line.substr(0, n);
    const unsigned char lead = static_cast<unsigned char>(line[0]);
    return line.substr(0, lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4);
}

TEST(PatchNote, IsNineCrLfLinesWrappedGreedilyAt67Cp936Bytes) {
    EXPECT_EQ(cp936_width(patch_note), 456u);
    std::vector<std::string_view> lines;
    for (std::string_view rest = patch_note; !rest.empty();) {
        const std::size_t end = rest.find("\r\n");
        ASSERT_NE(end, std::string_view::npos) << "no final CR LF";
        lines.push_back(rest.substr(0, end));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string_view::npos) << lines.back();
        EXPECT_LE(cp936_width(lines.back()), 67u) << lines.back();
        rest.remove_prefix(end + 2);
    }
    ASSERT_EQ(lines.size(), 9u);
    // Lines 1-5 are full: the next line's first word would not have fit.
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_GT(cp936_width(lines[i]) + cp936_width(first_unit(lines[i + 1])), 67u) << i + 1;
        EXPECT_LT(cp936_width(lines[5]), cp936_width(lines[i]));  // line 6 ends the paragraph
    }
    EXPECT_FALSE(lines[5].empty());
    EXPECT_TRUE(lines[6].empty());
    EXPECT_FALSE(lines[7].empty() || lines[8].empty());
}

}  // namespace
}  // namespace veldor
