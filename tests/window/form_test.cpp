// The window table: Tab order, focus and geometry.
#include "window/form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veldor {
namespace {

std::vector<std::string> names_of(const std::vector<const Control*>& list) {
    std::vector<std::string> names;
    for (const Control* c : list) names.emplace_back(c->name);
    return names;
}

TEST(Form, TabAndFocusOrderStartOnInstall) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(names_of(tab_order()),
              (Names{"comInstall", "comExit", "Label1", "Text", "Label2", "comAbout"}));
    EXPECT_EQ(names_of(focus_order()), (Names{"comInstall", "comExit", "Text", "comAbout"}));
    EXPECT_EQ(find_control(main_window.initial_focus), focus_order().front());
}

TEST(Form, ControlsLieInsideTheClientAreaWithoutOverlapping) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Rect& a = controls[i].twips;
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.width > 0 && a.height > 0 &&
                    a.right() <= main_window.client_width &&
                    a.bottom() <= main_window.client_height)
            << controls[i].name;
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const Rect& b = controls[j].twips;
            EXPECT_TRUE(a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top ||
                        b.bottom() <= a.top)
                << controls[i].name << " overlaps " << controls[j].name;
        }
    }
}

TEST(Form, TwipsRoundToTheNearestPixel) {
    EXPECT_EQ(twips_to_pixels(6645, 144), 665);  // 664.75
    EXPECT_EQ(twips_to_pixels(1455, 120), 121);  // 121.25
}

}  // namespace
}  // namespace veldor
