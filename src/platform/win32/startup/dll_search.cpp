// DLL search for an elevated program: SetDefaultDllDirectories (Windows 8,
// and Windows 7 with KB2533623; looked up at run time) limits every later
// load by name to the system folder. Without it, SetDllDirectoryW(L"")
// drops only the current folder, so the preloads below are what keeps
// planted copies of the listed DLLs out. Under Wine the same holds with a
// native override ("n,b"); DLLs Wine maps before the program's first
// instruction are beyond any program's reach.
#include "platform/win32/startup/dll_search.h"

#include <windows.h>

#include "platform/win32/system_library.h"

namespace veldor::win32 {

void restrict_dll_search() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const FARPROC found =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    const auto set_default =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    const bool restricted = set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!restricted) SetDllDirectoryW(L"");

    // Loaded for the program's whole life; a later load by name finds them.
    // Their own imports come from the system folder too.
    const DWORD flags = restricted ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    for (const wchar_t* name : preloaded_dlls) load_system_library(name, flags);
}

}  // namespace veldor::win32
