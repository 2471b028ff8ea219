// The planted-DLL test's control: a program without the installer's
// protection, loading each listed DLL by name as Windows' own DLLs do. In a
// sound rig it loads every planted copy beside it.
//   control.exe --list   prints the names, without ".dll"
//   control.exe          loads each by name
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/win32/startup/dll_search.h"

int wmain(int argc, wchar_t** argv) {
    for (const auto& [name, stages] : veldor::win32::preloaded_dlls) {
        if (argc > 1 && std::wcscmp(argv[1], L"--list") == 0)
            std::printf("%.*ls\n", static_cast<int>(std::wcslen(name) - 4), name);
        else
            LoadLibraryW(name);
    }
    return 0;
}
