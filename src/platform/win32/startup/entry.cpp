// The installer's entry point, in place of the C runtime's start-up code,
// which readies what this program may not use (the rules and their
// tripwires: src/platform/win32/CMakeLists.txt): threads' local storage,
// signal handlers, argument vectors, constructors of globals. What
// the program does rely on is done here, as the runtime did it: the stack
// guard set first, the x87 unit reset, and wWinMain called with the
// module, the command line after the program's name and the show command
// the program was started with; its result is the exit code.
#include <windows.h>

namespace veldor::win32 {
void set_stack_guard();  // stack_guard.cpp
}  // namespace veldor::win32

namespace {

// The program's name ends at the first blank outside quotes; the blanks
// after it are not part of the arguments.
wchar_t* arguments_in(wchar_t* line) {
    bool quoted = false;
    while (*line > L' ' || (*line && quoted)) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line && *line <= L' ') ++line;
    return line;
}

}  // namespace

// Unprotected: the guard changes under it.
extern "C" [[noreturn, gnu::no_stack_protector]] void veldor_start() {
    veldor::win32::set_stack_guard();
    __asm__ volatile("fninit");  // extended precision, as the runtime left it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
    wchar_t* line = GetCommandLineW();
    ExitProcess(static_cast<UINT>(
        wWinMain(GetModuleHandleW(nullptr), nullptr, line ? arguments_in(line) : line, show)));
}
