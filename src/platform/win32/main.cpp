// Entry point of VELDOR汉化.exe: the command line first, then the Win32
// services, the window object and its main window (main_window.cpp), wired
// together. The services own the dialogs, so they are given the main window
// as owner once it exists.
#include <windows.h>

#include <string>

#include "install/install.h"
#include "platform/win32/elevation.h"
#include "platform/win32/main_window.h"
#include "platform/win32/startup/dll_search.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "window/command_line.h"
#include "window/identity.h"
#include "window/veldor.h"

namespace {

// The installation changes the current directory as it goes: a folder given
// relative to where the program started ("Game", "D:Game") is made whole.
std::string full_path(const std::string& folder) {
    const std::wstring wide = veldor::win32::widen(folder);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (folder.empty() || length == 0 || length >= size) return folder;
    full.resize(length);
    return veldor::win32::narrow(full);
}

}  // namespace

// `arguments`: the command line after the program's name, as the runtime
// cuts it from GetCommandLineW.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
    veldor::win32::restrict_dll_search();
    if (veldor::win32::runs_elevated()) veldor::win32::distrust_redirections();
    using veldor::exit_code;
    using veldor::Outcome;
    veldor::CommandLine command =
        veldor::ParseWindowsCommandLine(veldor::win32::narrow(arguments ? arguments : L""));
    command.folder = full_path(command.folder);
    veldor::Win32Platform platform{nullptr, veldor::win32::widen(veldor::application_title)};
    // Silent: no window, no dialog, no message box; the exit code tells.
    if (command.silent)
        platform.set_silent();
    else
        veldor::win32::preload_dlls(veldor::win32::before_window);
    if (command.bad()) {
        platform.message_box(veldor::UsageMessage(command), veldor::Icon::stop);
        return exit_code(Outcome::bad_command_line);
    }
    if (command.help) {
        platform.message_box(veldor::UsageMessage(command), veldor::Icon::none);
        return 0;
    }
    // Also the elevated copy the window starts for a folder that refuses the
    // player: it sends the window its report before it ends.
    const auto action = command.restore ? veldor::Action::restore : veldor::Action::install;
    if (command.silent) {
        const veldor::Report report = veldor::Attempt(platform, command.folder, action);
        if (!command.report_to.empty())
            veldor::win32::send_report(command.report_to, veldor::encoded(report));
        return exit_code(veldor::Conclude(platform, report));
    }
    // A restore asked for with a window: the folder dialog, then the question.
    if (command.restore) {
        std::string chosen;
        return exit_code(veldor::Install(platform, chosen, command.folder, action));
    }

    veldor::VELDOR window{platform, command.folder};
    veldor::win32::MainWindow main_window{window};
    HWND hwnd = main_window.create(instance);
    if (!hwnd) return 1;
    platform.set_owner(hwnd);
    main_window.show(show);
    if (!window.Shown()) main_window.disable(veldor::Command::install);
    main_window.run_message_loop();
    // Only a completed installation ends the program with success.
    return exit_code(Outcome::left);
}
