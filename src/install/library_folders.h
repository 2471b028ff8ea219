// Steam's list of game libraries, `steamapps\libraryfolders.vdf`: text in
// Valve's KeyValues form, quoted or bare tokens and braces:
//
//   "libraryfolders" { "0" { "path" "C:\\Steam" "apps" { ... } } "1" { ... } }
//
// Older clients wrote each extra library as a plain value: "1" "D:\\Games".
// The file is the player's, and may be damaged: the reader is bounded in
// size, depth and output, iterative, and keeps what it read before damage.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veldor {

inline constexpr std::size_t library_list_size_limit = 1 << 20;  // bytes read at most
inline constexpr std::size_t library_list_depth_limit = 16;      // braces open at once
inline constexpr std::size_t library_count_limit = 64;

// The library folders the list names, in its order, at most
// library_count_limit of them; none on a network share.
std::vector<std::string> library_folders(std::string_view vdf);

}  // namespace veldor
