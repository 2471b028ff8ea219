// Entry point of VELDOR汉化.exe: the Win32 services, the window object and
// its main window (main_window.cpp), wired together. The services own the
// dialogs, so they are given the main window as owner once it exists.
#include <windows.h>

#include "install/install.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/main_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "window/identity.h"
#include "window/veldor.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    veldor::win32::restrict_dll_search();
    veldor::Win32Platform platform{nullptr, veldor::win32::widen(veldor::application_title)};
    veldor::VELDOR window{platform};
    veldor::win32::MainWindow main_window{window};
    HWND hwnd = main_window.create(instance);
    if (!hwnd) return 1;
    platform.set_owner(hwnd);
    main_window.show(show);
    main_window.run_message_loop();
    // Only a completed installation ends the program with success.
    return veldor::exit_code(veldor::Outcome::left);
}
