#include "install/install.h"

#include <array>
#include <string_view>
#include <utility>

#include "install/find_game.h"
#include "install/game_files.h"
#include "install/transaction.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view dialog_title = "请选择文件夹";
constexpr std::string_view completion_message = "安装完毕";
constexpr std::string_view failure_message = "路径错误";
constexpr std::string_view in_use_message = "文件被占用，请关闭游戏后重试";
constexpr std::string_view damaged_message = "安装程序已损坏，请重新下载";

// Nothing is touched unless the folder has the game's layout.
bool has_game_layout(Platform& platform, const std::string& folder) {
    // An array, not a braced list: GCC gives a list's backing array a
    // writable section.
    static constexpr std::array<std::string_view, 2> layout{database_dir, font_dir};
    for (std::string_view dir : layout)
        if (!platform.directory_exists(joined(folder, dir))) {
            platform.explain(reason("缺少文件夹 ", dir));
            return false;
        }
    return true;
}

// A failure leaves the window for another attempt.
Outcome refuse(Platform& platform, std::string_view message, Outcome outcome) {
    platform.message_box(message, Icon::stop);
    return outcome;
}

// Where a retry's dialog opens: the last attempt's folder, or the folder
// that held it if it is gone. Either separator ends a name: the folder is
// in the file system's own form.
std::string where_it_was(Platform& platform, std::string folder) {
    if (platform.directory_exists(folder)) return folder;
    while (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.pop_back();
    if (folder.size() > 1 && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}

}  // namespace

Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start) {
    const std::string last = std::exchange(path_buffer, {});
    // The dialog opens on the folder the command line gave; where it gave
    // none, on the game found in the player's libraries, if any. A retry
    // opens where the last attempt was.
    FolderRequest request{dialog_title, last.empty() ? start : where_it_was(platform, last), {}};
    find_game(platform, request);
    const std::optional<std::string> chosen = platform.browse_for_folder(request);
    if (!chosen) return Outcome::left;
    path_buffer = *chosen;
    return InstallInto(platform, path_buffer);
}

bool CopyIntact(Platform& platform) {
    if (payloads_intact(platform)) return true;
    platform.message_box(damaged_message, Icon::stop);
    return false;
}

Outcome InstallInto(Platform& platform, const std::string& folder) {
    // The folder from the dialog and one given on the command line alike.
    platform.set_game_folder(folder);
    if (folder.empty()) return refuse(platform, failure_message, Outcome::refused);
    // Before any other check, so that even a refused attempt leaves the
    // folder whole.
    if (!recover(platform, folder)) return refuse(platform, failure_message, Outcome::not_written);
    if (!CopyIntact(platform)) return Outcome::damaged;
    if (!has_game_layout(platform, folder))
        return refuse(platform, failure_message, Outcome::refused);
    switch (install_transaction(platform, folder)) {
        case Installed::whole:
            break;
        case Installed::in_use:
            return refuse(platform, in_use_message, Outcome::not_written);
        case Installed::refused:
        case Installed::failed:
            return refuse(platform, failure_message, Outcome::not_written);
    }
    platform.message_box(completion_message, Icon::none);
    platform.end_program(exit_code(Outcome::installed));
    return Outcome::installed;
}

}  // namespace veldor
