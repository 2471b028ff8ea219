#include "install/install.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "install/find_game.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view dialog_title = "请选择文件夹";
constexpr std::string_view completion_message = "安装完毕";

constexpr std::string_view database_dir = "\\data\\cmn\\fe\\";
constexpr std::string_view font_dir = "\\data\\gui\\";

constexpr std::array<std::string_view, 2> superseded_fonts{
    "\\data\\gui\\ZQ05_Tit.ttf",
    "\\data\\gui\\ZQSSanCB.ttf",
};

struct Step {
    std::string_view directory;  // below the game folder
    std::uint16_t payload;
};

// Not in identifier order: this is the order the files are written in.
constexpr std::array<Step, 4> steps{{
    {database_dir, 101},
    {database_dir, 103},
    {font_dir, 102},
    {"", 104},
}};

std::string file_name_of(std::uint16_t id) {
    for (const Payload& p : payloads)
        if (p.id == id) return std::string(p.file_name);
    return {};
}

// Nothing is touched unless the folder has the game's layout.
bool has_game_layout(Platform& platform, const std::string& folder) {
    return platform.directory_exists(folder + std::string(database_dir)) &&
           platform.directory_exists(folder + std::string(font_dir));
}

bool delete_superseded_fonts(Platform& platform, const std::string& folder) {
    for (std::string_view font : superseded_fonts) {
        const std::string path = folder + std::string(font);
        if (platform.file_exists(path) && !platform.delete_file(path)) return false;
    }
    return true;
}

enum class Written { refused, incomplete, complete };

// Writes every payload it can reach. A payload that fails has shown its own
// message; the rest are still written, but the installation is incomplete.
Written write_payloads(Platform& platform, const std::string& folder) {
    Written outcome = Written::complete;
    for (const Step& step : steps) {
        if (!platform.set_current_directory(folder + std::string(step.directory)))
            return Written::refused;
        if (!SaveFileFromRes(platform, step.payload, "custom", file_name_of(step.payload)))
            outcome = Written::incomplete;
    }
    return outcome;
}

}  // namespace

Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start) {
    path_buffer.clear();
    FolderRequest request{dialog_title, start, {}};
    find_game(platform, request);
    const std::optional<std::string> chosen = platform.browse_for_folder(request);
    if (!chosen) return Outcome::left;
    path_buffer = *chosen;
    return InstallInto(platform, path_buffer);
}

Outcome InstallInto(Platform& platform, const std::string& folder) {
    // The folder from the dialog and one given on the command line alike.
    platform.set_game_folder(folder);
    const bool prepared = !folder.empty() && has_game_layout(platform, folder) &&
                          delete_superseded_fonts(platform, folder);
    const Written written = prepared ? write_payloads(platform, folder) : Written::refused;
    // A failure leaves the window for another attempt.
    if (written == Written::refused) {
        platform.message_box(failure_message, Icon::stop);
        return Outcome::refused;
    }
    if (written == Written::incomplete) return Outcome::not_written;

    platform.message_box(completion_message, Icon::none);
    platform.end_program(exit_code(Outcome::installed));
    return Outcome::installed;
}

}  // namespace veldor
