// What the program is asked to do by its command line, and the Windows
// face's switches read into it. The Linux face fills the same struct from
// GLib's option parser.
#pragma once

#include <string>
#include <string_view>

namespace veldor {

struct CommandLine {
    bool silent = false;     // no window, no dialog, no message box
    bool help = false;       // the usage, and nothing else
    bool malformed = false;  // a switch unknown, misplaced or missing its folder
    bool restore = false;    // put the originals back rather than install
    std::string folder;      // the game's folder; empty when none was given
    // Internal: the pipe an elevated copy of the program sends its report
    // to, named by the window that started it (letters, digits and '-').
    std::string report_to;

    // Nothing can be run: the switches are wrong, or a silent installation
    // has no folder to go into.
    bool bad() const { return malformed || (silent && folder.empty()); }
};

// Reads the Windows switches, in any letter case: `/S`, `/SILENT` and
// `/VERYSILENT`; `/D=folder`, which must come last and takes the rest of the
// line as it stands; `/DIR=folder`, quoted where it holds spaces; `/?`;
// `/RESTORE`; and `/REPORT=pipe`, which the window gives an elevated copy.
// `arguments` is the command line after the program's name.
CommandLine ParseWindowsCommandLine(std::string_view arguments);

// The Windows face's `/?` message box.
inline constexpr std::string_view windows_usage =
    "用法：VELDOR汉化.exe [/S] [/D=游戏文件夹]\r\n"
    "\r\n"
    "/S、/SILENT、/VERYSILENT\t静默安装：不显示窗口、对话框和消息\r\n"
    "/D=游戏文件夹\t须放在最后，可含空格，不加引号\r\n"
    "/DIR=\"游戏文件夹\"\t同 /D=\r\n"
    "/?\t显示本说明\r\n"
    "\r\n"
    "退出代码：0 安装完毕；1 未安装就退出；2 文件夹不对；\r\n"
    "3 文件未能写入；4 安装程序已损坏；5 命令行错误";

}  // namespace veldor
