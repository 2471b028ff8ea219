// The texts the window shows, measured as the game's GBK world measures them.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "cp936.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using test::to_cp936;

constexpr std::size_t line_limit = 67;  // CP936 bytes

// Splits on CR LF; fails the test on a lone CR or LF or a missing final CR LF.
std::vector<std::string> crlf_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            ADD_FAILURE() << "text does not end with CR LF";
            break;
        }
        const std::string line(text.substr(start, end - start));
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF: " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::size_t cp936_width(std::string_view text) {
    const auto encoded = to_cp936(text);
    EXPECT_TRUE(encoded.has_value()) << "not encodable in CP936: " << text;
    return encoded ? encoded->size() : 0;
}

// What a hard wrap moves as a whole: a run of ASCII letters or digits, or one
// other character.
std::string_view first_unit(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() && static_cast<unsigned char>(line[n]) < 0x80 &&
           std::isalnum(static_cast<unsigned char>(line[n])))
        ++n;
    if (n > 0) return line.substr(0, n);
    const unsigned char lead = static_cast<unsigned char>(line[0]);
    const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return line.substr(0, len);
}

TEST(PatchNote, HasNineCrLfLines) {
    const auto lines = crlf_lines(patch_note);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_TRUE(lines[6].empty());
    EXPECT_FALSE(lines[7].empty());
    EXPECT_FALSE(lines[8].empty());
}

TEST(PatchNote, Is456BytesInCodePage936) {
    const auto encoded = to_cp936(patch_note);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(encoded->size(), 456u);
}

TEST(PatchNote, NoLineIsWiderThanTheWrapWidth) {
    for (const std::string& line : crlf_lines(patch_note))
        EXPECT_LE(cp936_width(line), line_limit) << line;
}

TEST(PatchNote, ParagraphIsWrappedGreedily) {
    const auto lines = crlf_lines(patch_note);
    ASSERT_EQ(lines.size(), 9u);
    // Lines 1-5 are full: the next line's first word would not have fit.
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t next = cp936_width(first_unit(lines[i + 1]));
        EXPECT_GT(cp936_width(lines[i]) + next, line_limit) << "line " << i + 1;
    }
    // Line 6 ends the paragraph, shorter than any full line.
    const std::size_t last = cp936_width(lines[5]);
    EXPECT_GT(last, 0u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_LT(last, cp936_width(lines[i]));
}

std::string compiler_from_macros() {
#if defined(__clang__)
    return "Clang " + std::to_string(__clang_major__) + "." + std::to_string(__clang_minor__) +
           "." + std::to_string(__clang_patchlevel__);
#elif defined(__GNUC__)
    return "GCC " + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." +
           std::to_string(__GNUC_PATCHLEVEL__);
#else
    return std::string(compiler_name);
#endif
}

TEST(AboutText, IsExactAroundTheCompilerLine) {
    constexpr std::string_view prefix =
        "Tavlor\xE7\xBD\x91\xE2\x80\x94Tavlor\xE8\xAE\xBA\xE5\x9D\x9B\xE2\x80\x94"
        "TavlorFM\xE5\xB7\xA5\xE4\xBD\x9C\xE7\xBB\x84\r\n\r\n"
        "\xE7\xBC\x96\xE8\xAF\x91\xE8\xBD\xAF\xE4\xBB\xB6\xEF\xBC\x9A";  // 编译软件：
    constexpr std::string_view suffix =
        "\r\n\r\n\xE4\xBD\x9C\xE8\x80\x85\xEF\xBC\x9A"
        "Ostrvik";  // 作者：Ostrvik
    const std::string_view about = about_text;
    ASSERT_GT(about.size(), prefix.size() + suffix.size());
    EXPECT_EQ(about.substr(0, prefix.size()), prefix);
    EXPECT_EQ(about.substr(about.size() - suffix.size()), suffix);
    const std::string_view compiler =
        about.substr(prefix.size(), about.size() - prefix.size() - suffix.size());
    EXPECT_EQ(compiler, compiler_from_macros());
    EXPECT_EQ(compiler.find_first_of("\r\n"), std::string_view::npos);
    EXPECT_FALSE(compiler.empty());
    EXPECT_NE(compiler.back(), ' ');
}

TEST(Identity, SiteAddressIsAReservedExampleHost) {
    ASSERT_TRUE(site_address.starts_with("http://"));
    ASSERT_TRUE(site_address.ends_with(".example/"));
    EXPECT_EQ(site_address.find('/', 7), site_address.size() - 1);
}

}  // namespace
}  // namespace veldor
