// The window table: where each control lies at a given DPI.
#include "window/form.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace veldor {
namespace {

// At 96 DPI the slogan's slot is 224 + 201 pixels and the note box ends at
// 433; at 144 DPI 336 + 302 (301.5 rounded) and 650.
TEST(Form, OnlyTheSloganGrowsToItsTextRightwardToTheNoteBoxThenLeftward) {
    const struct {
        std::string_view control;
        double dpi;
        int text_width;
        Rect slot;
    } cases[] = {
        {slogan, 96, 150, {224, 168, 201, 17}},  {slogan, 96, 205, {224, 168, 205, 17}},
        {slogan, 96, 209, {224, 168, 209, 17}},  {slogan, 96, 230, {203, 168, 230, 17}},
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

}  // namespace
}  // namespace veldor
