#include "install/install.h"

#include <array>
#include <cstdint>
#include <string_view>

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

// Why it failed: what, and where, a path below the game folder named as
// "data\gui". (Appended, as the Windows program's runtime has no
// out_of_range for operator+ to throw.)
std::string reason(std::string_view what, std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return std::string(what).append(path);
}

// Nothing is touched unless the folder has the game's layout.
bool has_game_layout(Platform& platform, const std::string& folder) {
    for (std::string_view dir : {database_dir, font_dir})
        if (!platform.directory_exists(folder + std::string(dir))) {
            platform.explain(reason("缺少文件夹 ", dir));
            return false;
        }
    return true;
}

bool delete_superseded_fonts(Platform& platform, const std::string& folder) {
    for (std::string_view font : superseded_fonts) {
        const std::string path = folder + std::string(font);
        if (platform.file_exists(path) && !platform.delete_file(path)) {
            platform.explain(reason("无法删除 ", font));
            return false;
        }
    }
    return true;
}

enum class Written { refused, incomplete, complete };

// Writes every payload it can reach. A payload that fails has shown its own
// message; the rest are still written, but the installation is incomplete.
Written write_payloads(Platform& platform, const std::string& folder) {
    Written outcome = Written::complete;
    for (const Step& step : steps) {
        if (!platform.set_current_directory(folder + std::string(step.directory))) {
            platform.explain(reason("无法进入 ", step.directory.empty() ? folder : step.directory));
            return Written::refused;
        }
        if (!SaveFileFromRes(platform, step.payload, "custom", file_name_of(step.payload)))
            outcome = Written::incomplete;
    }
    return outcome;
}

}  // namespace

Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start) {
    path_buffer.clear();
    // The dialog opens on the folder the command line gave; where it gave
    // none, on the game found in the player's libraries, if any.
    const FolderRequest request{dialog_title, start, {}};
    const std::optional<std::string> chosen = platform.browse_for_folder(request);
    if (!chosen) return Outcome::left;
    path_buffer = *chosen;
    return InstallInto(platform, path_buffer);
}

Outcome InstallInto(Platform& platform, const std::string& folder) {
    // The folder from the dialog and one given on the command line alike.
    platform.set_game_folder(folder);
    const bool game = !folder.empty() && has_game_layout(platform, folder);
    const bool prepared = game && delete_superseded_fonts(platform, folder);
    const Written written = prepared ? write_payloads(platform, folder) : Written::refused;
    // A failure leaves the window for another attempt. Past the layout check
    // the folder was the game's: a step that failed there did not write.
    if (written == Written::refused) {
        platform.message_box(failure_message, Icon::stop);
        return game ? Outcome::not_written : Outcome::refused;
    }
    if (written == Written::incomplete) return Outcome::not_written;

    platform.message_box(completion_message, Icon::none);
    platform.end_program(exit_code(Outcome::installed));
    return Outcome::installed;
}

}  // namespace veldor
