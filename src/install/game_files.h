// Where the patch's files go below the game folder, and which fonts it
// supersedes. Paths below the folder begin with '\' and are appended to it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace veldor {

// `path` followed by `more`. (Not `path + std::string(more)`, whose insert
// brings the library's range-error machinery into the installer.)
inline std::string joined(const std::string& path, std::string_view more) {
    std::string whole = path;
    whole += more;
    return whole;
}

inline constexpr std::string_view database_dir = "\\data\\cmn\\fe\\";
inline constexpr std::string_view font_dir = "\\data\\gui\\";
inline constexpr std::string_view game_dir = "\\";

// The folders on the way to the files, each a place where a link could
// send the installation elsewhere.
inline constexpr std::array<std::string_view, 4> layout_folders{
    "\\data",
    "\\data\\cmn",
    "\\data\\cmn\\fe",
    "\\data\\gui",
};

inline constexpr std::array<std::string_view, 2> superseded_fonts{
    "\\data\\gui\\ZQ05_Tit.ttf",
    "\\data\\gui\\ZQSSanCB.ttf",
};

struct PayloadStep {
    std::string_view directory;
    std::uint16_t payload;  // installed under its file name (payloads.h)
};

// Not in identifier order: this is the order the files are put in place.
inline constexpr std::array<PayloadStep, 4> payload_steps{{
    {database_dir, 101},
    {database_dir, 103},
    {font_dir, 102},
    {game_dir, 104},
}};

}  // namespace veldor
