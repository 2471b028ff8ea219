// The window's parts that need no window: the command line, where each
// control lies and the patch note.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "window/command_line.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

// The Windows switches, as the scripts of both installer families write them.
TEST(WindowsCommandLine, ReadsBothFamiliesAndRefusesWhatCannotRun) {
    const struct {
        std::string_view arguments;
        bool silent, help, bad;
        std::string folder;
        bool restore = false;
        std::string_view report_to = {};
    } cases[] = {
        {"", false, false, false, ""},
        {"/s /d=D:\\My Games\\VELDOR 2  ", true, false, false, "D:\\My Games\\VELDOR 2"},
        {"/D=\"C:\\Program Files\\VELDOR\"", false, false, false, "C:\\Program Files\\VELDOR"},
        {"\"/D=C:\\Program Files\\VELDOR\"", false, false, false, "C:\\Program Files\\VELDOR"},
        {"/D=C:/Games/VELDOR", false, false, false, "C:/Games/VELDOR"},
        {"/VERYSILENT /DIR=\"C:\\Program Files\\VELDOR\"", true, false, false,
         "C:\\Program Files\\VELDOR"},
        {"\t/Silent\t/dir=C:\\VELDOR", true, false, false, "C:\\VELDOR"},
        {"\"/DIR=C:\\Program Files\\VELDOR\" /SILENT", true, false, false,
         "C:\\Program Files\\VELDOR"},
        {"/?", false, true, false, ""},
        {"/D=C:\\Games\\VELDOR /S", true, false, true, "C:\\Games\\VELDOR"},  // not last
        {"/D=", false, false, true, ""},
        {"/S", true, false, true, ""},                           // silent, but where to?
        {"/S /DIR=C:\\A /D=C:\\B", true, false, true, "C:\\B"},  // two folders
        {"/S /X /D=C:\\A", true, false, true, "C:\\A"},
        {"/SILENTLY /D=C:\\A", false, false, true, "C:\\A"},
        {"C:\\A", false, false, true, ""},
        // What the window hands an elevated copy of itself.
        {"/S /Restore /REPORT=veldor-09af /D=C:\\A B", true, false, false, "C:\\A B", true,
         "veldor-09af"},
        {"/S /REPORT=..\\x /D=C:\\A", true, false, true, "C:\\A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandLine command = ParseWindowsCommandLine(c.arguments);
        EXPECT_EQ(command.silent, c.silent);
        EXPECT_EQ(command.help, c.help);
        EXPECT_EQ(command.bad(), c.bad);
        EXPECT_EQ(command.folder, c.folder);
        EXPECT_EQ(command.restore, c.restore);
        EXPECT_EQ(command.report_to, c.report_to);
    }
}

// Where each control lies at a given DPI. At 96 DPI the slogan's slot is 224 + 201 pixels and the
// note box ends at 433; at 144 DPI 336 + 302 (301.5 rounded) and 650.
TEST(Form, OnlyTheSloganGrowsToItsTextRightwardToTheNoteBoxThenLeftward) {
    const struct {
        std::string_view control;
        double dpi;
        int text_width;
        Rect slot;
    } cases[] = {
        {slogan, 96, 150, {224, 168, 201, 17}},  {slogan, 96, 230, {203, 168, 230, 17}},
        {slogan, 96, 500, {0, 168, 500, 17}},    {slogan, 144, 310, {336, 252, 310, 26}},
        {slogan, 144, 330, {320, 252, 330, 26}}, {"Label1", 96, 300, {256, 136, 177, 25}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + std::to_string(c.text_width));
        const Rect slot = pixel_slot(*find_control(c.control), c.dpi, c.text_width);
        EXPECT_EQ((std::array{slot.left, slot.top, slot.width, slot.height}),
                  (std::array{c.slot.left, c.slot.top, c.slot.width, c.slot.height}));
    }
}

// The patch note is measured as the game's GBK world measures it: in code
// page 936 ASCII takes a byte and every character of the note
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
