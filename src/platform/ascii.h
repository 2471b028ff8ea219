// Names the program compares without regard to case are ASCII (switches,
// Steam's keys, the game's file names, resource types): only A-Z and a-z
// match each other, whatever the locale, as Windows' own name comparison does
// for them.
#pragma once

#include <string_view>

namespace veldor {

constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

constexpr bool ascii_iequal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

}  // namespace veldor
