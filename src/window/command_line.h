// What the program is asked to do by its command line, and the Windows
// face's switches read into it. The Linux face fills the same struct from
// GLib's option parser.
#pragma once

#include <string>
#include <string_view>

namespace veldor {

struct CommandLine {
    bool silent = false;       // no window, no dialog, no message box
    bool help = false;         // the usage, and nothing else
    bool restore = false;      // the kept originals put back instead of installing
    bool malformed = false;    // a switch unknown, misplaced or missing its folder
    std::string folder;        // the game's folder; empty when none was given
    std::string unrecognised;  // the first argument that is no switch of ours
    // Internal: the pipe an elevated copy of the program sends its report
    // to, named by the window that started it (letters, digits and '-').
    std::string report_to;

    // Nothing can be run: the switches are wrong, or a silent installation
    // has no folder to go into.
    bool bad() const { return malformed || (silent && folder.empty()); }
};

// Reads the Windows switches, in any letter case: `/S`, `/SILENT` and
// `/VERYSILENT`; `/RESTORE`; `/D=folder`, which must come last and takes the rest of the
// line as it stands; `/DIR=folder`, quoted where it holds spaces; `/?`; and
// `/REPORT=pipe`, which the window gives an elevated copy of itself.
// `arguments` is the command line after the program's name. Arguments other
// than `/D=` are cut and unquoted by the rules Windows programs' runtimes
// follow (see NextArgument), so a script that quotes an argument list for
// them is read as they would read it.
CommandLine ParseWindowsCommandLine(std::string_view arguments);

// Takes the next argument off `rest`, which starts at it, by those rules:
// blanks outside quotes end it; quotes group and are dropped, `""` inside
// them is one quote; 2n backslashes before a quote are n, 2n+1 are n and a
// plain quote; other backslashes are themselves.
std::string NextArgument(std::string_view& rest);

// The `/?` box, and the box shown for a bad command line: the unrecognised
// argument first, then the usage and the exit codes.
std::string UsageMessage(const CommandLine& command);

// One switch a line: a message box wraps long lines where it likes. The
// exit codes follow (exit_codes_text).
inline constexpr std::string_view windows_usage =
    "用法：VELDOR汉化.exe [/S] [/RESTORE] [/D=游戏文件夹]\r\n"
    "\r\n"
    "/S、/SILENT、/VERYSILENT：静默安装，不显示窗口、对话框和消息\r\n"
    "/RESTORE：还原为安装时保留的原版文件\r\n"
    "/D=游戏文件夹：须放在最后，可含空格，不加引号\r\n"
    "/DIR=\"游戏文件夹\"：同 /D=\r\n"
    "/?：显示本说明\r\n"
    "\r\n";

}  // namespace veldor
