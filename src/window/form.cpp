#include "window/form.h"

#include <algorithm>

namespace veldor {

std::vector<const Control*> tab_order() {
    std::vector<const Control*> order;
    for (const Control& c : controls) order.push_back(&c);
    std::ranges::sort(order, {}, &Control::tab_index);
    return order;
}

std::vector<const Control*> focus_order() {
    std::vector<const Control*> order = tab_order();
    std::erase_if(order, [](const Control* c) { return !takes_focus(*c); });
    return order;
}

const Control* find_control(std::string_view name) {
    for (const Control& c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace veldor
