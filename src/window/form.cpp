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

namespace {

// v to the power 2.4, as v² times the fifth root of v², the root by Newton's
// method from above (v in 0..1): the library's pow would add 3 KiB to the
// Windows program.
double power_2_4(double v) {
    const double square = v * v;
    double root = 1;
    for (int i = 0; i < 40 && root > 0; ++i) {
        const double fourth = root * root * root * root;
        root -= (fourth * root - square) / (5 * fourth);
    }
    return square * root;
}

}  // namespace

double contrast(Colour a, Colour b) {
    const auto luminance = [](Colour c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : power_2_4((v + 0.055) / 1.055);
        };
        return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::string spoken_name(std::string_view caption) {
    std::string name;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '(' && i + 3 < caption.size() && caption[i + 1] == '&' &&
            caption[i + 3] == ')')
            i += 3;
        else if (caption[i] != ' ')
            name += caption[i];
    }
    return name;
}

std::size_t cp936_width(std::string_view text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += c < 0x80 ? 1 : (c & 0xC0) == 0xC0 ? 2 : 0;
    return width;
}

std::string_view first_unit(std::string_view line) {
    std::size_t n = 0;
    const auto alnum = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    while (n < line.size() && alnum(line[n])) ++n;
    if (n == 0 && !line.empty()) {
        const auto lead = static_cast<unsigned char>(line[0]);
        n = std::min<std::size_t>(line.size(), lead < 0x80   ? 1
                                               : lead < 0xE0 ? 2
                                               : lead < 0xF0 ? 3
                                                             : 4);
    }
    return {line.data(), n};
}

std::string unwrapped_note(std::string_view note) {
    std::string text;
    for (std::string_view rest = note; !rest.empty();) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line(rest.data(), std::min(end, rest.size()));
        text += line;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 2);
        const bool wrapped = !line.empty() && !rest.empty() && !rest.starts_with("\r\n") &&
                             cp936_width(line) + cp936_width(first_unit(rest)) > note_wrap_width;
        if (!wrapped) text += '\n';
    }
    return text;
}

}  // namespace veldor
