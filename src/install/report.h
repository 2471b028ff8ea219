// How an attempt ended: the cause the player is told (messages.h) and the
// outcome a script reads as the exit code. One table of each.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldor {

// What an attempt came to; its value is the program's exit code.
enum class Outcome {
    installed = 0,    // or restored
    left = 1,         // without installing: cancelled, Exit, window closed
    refused = 2,      // not the game's folder, or nothing to restore; nothing touched
    not_written = 3,  // a file could not be written; folder unchanged
    damaged = 4,      // the installer's own payloads are damaged; nothing touched
    bad_command_line = 5,
    left_midway = 6,  // a failed roll-back; choosing the folder again finishes or undoes it
};

constexpr int exit_code(Outcome outcome) { return static_cast<int>(outcome); }

// The exit codes as both faces' usage texts tell them.
inline constexpr char exit_codes_text[] =
    "退出代码：\n"
    "0 安装完毕或已还原；1 未安装就退出；2 文件夹不对；\n"
    "3 文件未能写入；4 安装程序已损坏；5 命令行错误；6 未完成";

// Why an attempt ended as it did; each has its one message.
enum class Cause {
    installed,
    restored,
    cancelled,        // the folder dialog or the question: no message
    not_game_folder,  // no path, or no data\cmn\fe or data\gui
    no_folder,        // the folder given does not exist
    linked,           // a link on the way, where an elevated run follows none
    nothing_to_restore,
    files_changed,   // since the installation: no restore
    backup_damaged,  // a kept original no longer matches its record
    read_only,       // the file at `path` ...
    denied,
    disk_full,
    ambiguous,     // two entries answer to its name
    stale_backup,  // a backup beside it that is not the installer's to restore
    write_failed,  // anything else
    declined,      // the player refused the administrator's consent prompt
    in_use,
    damaged,
    left_midway,
};

// An attempt's end: its cause, and the file or folder it concerns, if any,
// below the game folder in the game's Windows form ("data\cmn\fe\eng.db").
struct Report {
    Cause cause = Cause::installed;
    std::string path;
    bool operator==(const Report&) const = default;
};

Outcome outcome_of(Cause cause);

// A report as an elevated copy of the program hands it to the window that
// started it, and read back: the cause's number, a tab, the path. nullopt
// for anything else.
std::string encoded(const Report& report);
std::optional<Report> decoded(std::string_view text);

}  // namespace veldor
