#include "window/form.h"

#include <algorithm>

namespace veldor {

std::vector<const Control*> tab_order() {
    // Six controls: each moved into place as it comes (the library's sort
    // would bring its introsort and heap code for them).
    std::vector<const Control*> order;
    for (const Control& c : controls) {
        order.push_back(&c);
        for (std::size_t i = order.size() - 1; i > 0 && order[i - 1]->tab_index > c.tab_index; --i)
            std::swap(order[i - 1], order[i]);
    }
    return order;
}

std::vector<const Control*> focus_order() {
    std::vector<const Control*> order = tab_order();
    std::erase_if(order, [](const Control* c) { return !takes_focus(*c); });
    return order;
}

Rect pixel_slot(const Control& control, double dpi, int text_width) {
    const Rect& t = control.twips;
    Rect slot{twips_to_pixels(t.left, dpi), twips_to_pixels(t.top, dpi),
              twips_to_pixels(t.width, dpi), twips_to_pixels(t.height, dpi)};
    if (control.name != slogan || text_width <= slot.width) return slot;
    const int right_limit = twips_to_pixels(find_control(slogan_right_limit)->twips.right(), dpi);
    slot.width = text_width;
    slot.left = std::max(0, std::min(slot.left, right_limit - text_width));
    return slot;
}

const Control* find_control(std::string_view name) {
    for (const Control& c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace veldor
