// The window's parts that need no window: the command line, where each
// control lies and the patch note.
#include <gtest/gtest.h>

#include <array>
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
        bool silent, help, restore, bad;
        std::string folder;
        std::string_view report_to = {};
    } cases[] = {
        {"", false, false, false, false, ""},
        {"/s /Restore /d=D:\\My Games\\VELDOR 2  ", true, false, true, false,
         "D:\\My Games\\VELDOR 2"},
        {"/D=\"C:\\Program Files\\VELDOR\"", false, false, false, false,
         "C:\\Program Files\\VELDOR"},
        {"\"/D=C:\\Program Files\\VELDOR\"", false, false, false, false,
         "C:\\Program Files\\VELDOR"},
        {"/?", false, true, false, false, ""},
        {"/D=C:\\Games\\VELDOR /S", true, false, false, true, "C:\\Games\\VELDOR"},  // not last
        {"/D=", false, false, false, true, ""},
        {"/S", true, false, false, true, ""},                           // silent, but where to?
        {"/S /DIR=C:\\A /D=C:\\B", true, false, false, true, "C:\\B"},  // two folders
        {"/S /X /D=C:\\A", true, false, false, true, "C:\\A"},
        {"/SILENTLY /D=C:\\A", false, false, false, true, "C:\\A"},
        {"C:\\A", false, false, false, true, ""},
        // An argument list quoted for the runtime's rules, as scripts pass one.
        {"/S \"/DIR=\\\"D:\\x y\\\"\"", true, false, false, false, "D:\\x y"},
        {"/DIR=\"M:\\\"", false, false, false, false, "M:\\"},
        {"\"/D=C:\\A\"", false, false, false, false, "C:\\A"},
        // What the window hands an elevated copy of itself.
        {"/S /Restore /REPORT=veldor-09af /D=C:\\A B", true, false, true, false, "C:\\A B",
         "veldor-09af"},
        {"/S /REPORT=..\\x /D=C:\\A", true, false, false, true, "C:\\A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandLine command = ParseWindowsCommandLine(c.arguments);
        EXPECT_EQ(command.silent, c.silent);
        EXPECT_EQ(command.help, c.help);
        EXPECT_EQ(command.restore, c.restore);
        EXPECT_EQ(command.bad(), c.bad);
        EXPECT_EQ(command.folder, c.folder);
        EXPECT_EQ(command.report_to, c.report_to);
    }
}

// Arguments cut and unquoted as Windows programs' runtimes do; the usage
// box names the first argument it does not know.
TEST(WindowsCommandLine, CutsArgumentsByTheRuntimesQuotingRules) {
    const struct {
        std::string_view line;
        std::vector<std::string> arguments;
    } cases[] = {
        {"a\tb  c", {"a", "b", "c"}},
        {"\"a b\" c\"d e\"f", {"a b", "cd ef"}},
        {"a\\b\\\\c \\\\", {"a\\b\\\\c", "\\\\"}},  // backslashes before no quote
        {"a\\\\\"b c\" d", {"a\\b c", "d"}},        // 2n: n, and the quote groups
        {"a\\\\\\\"b c", {"a\\\"b", "c"}},          // 2n+1: n and a plain quote
        {"\"a \"\"b\" c", {"a \"b", "c"}},          // "" inside quotes
        {"\"\" x", {"", "x"}},                      // an empty argument
        {"\"a b", {"a b"}},                         // quotes left open to the end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> arguments;
        for (std::string_view rest = c.line; !rest.empty();) {
            arguments.push_back(NextArgument(rest));
            while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
                rest.remove_prefix(1);
        }
        EXPECT_EQ(arguments, c.arguments);
    }
    EXPECT_TRUE(UsageMessage(ParseWindowsCommandLine("/S /X /Y /D=C:\\A"))
                    .starts_with("无法识别的参数：/X\r\n\r\n用法："));
    EXPECT_TRUE(UsageMessage(ParseWindowsCommandLine("/?")).starts_with("用法："));
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

// The highlight stays where it reads: on Windows' default face, not on
// Adwaita-dark's window; the extremes bound the scale.
TEST(Form, HighlightContrastDecidesAsLegibilityGuidelinesMeasure) {
    const auto rgb = [](unsigned hex) {
        return Colour{(hex >> 16) / 255.0, (hex >> 8 & 0xFF) / 255.0, (hex & 0xFF) / 255.0};
    };
    const struct {
        unsigned text, background;
        double low, high;
    } cases[] = {
        {0x000000, 0xFFFFFF, 21, 21},
        {0x0078D7, 0xF0F0F0, highlight_contrast, 5},  // Windows 10's highlight on its face
        {0x15539E, 0x353535, 1, highlight_contrast},  // Adwaita-dark's selection on its window
    };
    for (const auto& c : cases) {
        const double ratio = contrast(rgb(c.text), rgb(c.background));
        EXPECT_GE(ratio, c.low - 1e-9) << std::hex << c.text;
        EXPECT_LT(ratio, c.high + 1e-9) << std::hex << c.text;
    }
}

// The patch note is measured as the game's GBK world measures it: in code
// page 936 ASCII takes a byte and every character of the note (Chinese,
// full-width punctuation, the dash) two. Where its fonts differ, a face
// joins the paragraph's wrapped lines and wraps it anew.
TEST(PatchNote, IsNineCrLfLinesWrappedGreedilyAt67Cp936BytesAndUnwrapsToItsParagraph) {
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
    std::string paragraph;
    for (std::size_t i = 0; i < 6; ++i) paragraph += lines[i];
    EXPECT_EQ(unwrapped_note(patch_note),
              paragraph + "\n\n" + std::string(lines[7]) + "\n" + std::string(lines[8]) + "\n");
}

}  // namespace
}  // namespace veldor
