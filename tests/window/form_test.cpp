// The window table: Tab order, focus and geometry.
#include "window/form.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace veldor {
namespace {

std::vector<std::string> names_of(const std::vector<const Control*>& list) {
    std::vector<std::string> names;
    for (const Control* c : list) names.emplace_back(c->name);
    return names;
}

TEST(FormFocus, TabIndicesAreDistinctAndGapless) {
    std::set<int> seen;
    for (const Control& c : controls) seen.insert(c.tab_index);
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST(FormFocus, TabOrderFollowsTabIndices) {
    EXPECT_EQ(names_of(tab_order()), (std::vector<std::string>{"comInstall", "comExit", "Label1",
                                                               "Text", "Label2", "comAbout"}));
}

TEST(FormFocus, OnlyButtonsAndTheNoteTakeFocus) {
    EXPECT_EQ(names_of(focus_order()),
              (std::vector<std::string>{"comInstall", "comExit", "Text", "comAbout"}));
}

TEST(FormFocus, FocusStartsOnInstall) {
    const Control* first = find_control(main_window.initial_focus);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "comInstall");
    EXPECT_EQ(first, focus_order().front());
}

TEST(FormFocus, EveryButtonHasItsOwnAccessKey) {
    std::set<char> keys;
    for (const Control& c : controls) {
        if (c.kind != ControlKind::push_button) continue;
        const auto amp = c.caption.find('&');
        ASSERT_NE(amp, std::string_view::npos) << c.name;
        ASSERT_LT(amp + 1, c.caption.size()) << c.name;
        EXPECT_TRUE(keys.insert(c.caption[amp + 1]).second) << c.name;
    }
    EXPECT_EQ(keys, (std::set<char>{'I', 'E', 'A'}));
}

TEST(FormGeometry, EveryControlLiesInsideTheClientArea) {
    for (const Control& c : controls) {
        EXPECT_GE(c.twips.left, 0) << c.name;
        EXPECT_GE(c.twips.top, 0) << c.name;
        EXPECT_GT(c.twips.width, 0) << c.name;
        EXPECT_GT(c.twips.height, 0) << c.name;
        EXPECT_LE(c.twips.right(), main_window.client_width) << c.name;
        EXPECT_LE(c.twips.bottom(), main_window.client_height) << c.name;
    }
}

TEST(FormGeometry, NoControlOverlapsAnother) {
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const Rect& a = controls[i].twips;
            const Rect& b = controls[j].twips;
            const bool apart = a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top ||
                               b.bottom() <= a.top;
            EXPECT_TRUE(apart) << controls[i].name << " overlaps " << controls[j].name;
        }
}

TEST(FormGeometry, TwipsScaleWithTheScreenResolution) {
    EXPECT_EQ(twips_to_pixels(main_window.client_width, 96), 443);
    EXPECT_EQ(twips_to_pixels(main_window.client_height, 96), 194);
    EXPECT_EQ(twips_to_pixels(main_window.client_width, 144), 665);  // 664.75 rounds up
    EXPECT_EQ(twips_to_pixels(1455, 120), 121);                      // 121.25 rounds down
}

TEST(FormCommands, EachCommandBelongsToExactlyOneControl) {
    for (Command cmd : {Command::install, Command::exit, Command::about, Command::open_site}) {
        int owners = 0;
        for (const Control& c : controls) owners += c.on_click == cmd ? 1 : 0;
        EXPECT_EQ(owners, 1) << static_cast<int>(cmd);
    }
    EXPECT_EQ(find_control("Label1")->on_click, Command::open_site);
    EXPECT_EQ(find_control("Label1")->caption, site_address);
    EXPECT_EQ(find_control("Text")->caption, patch_note);
}

}  // namespace
}  // namespace veldor
