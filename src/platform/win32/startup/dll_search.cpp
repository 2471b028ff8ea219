// DLL search for an elevated program: SetDefaultDllDirectories (Windows 8,
// and Windows 7 with KB2533623; looked up at run time) limits every later
// load by name to the system folder. Without it, SetDllDirectoryW(L"")
// drops only the current folder, so the preloads, each at its stage, are
// what keeps planted copies of the listed DLLs out. Under Wine the same
// holds with a native override ("n,b"); DLLs Wine maps before the program's
// first instruction are beyond any program's reach.
#include "platform/win32/startup/dll_search.h"

#include <windows.h>

#include "platform/win32/system_library.h"

namespace veldor::win32 {
namespace {

// Zero at start: no data section for them.
constinit bool restricted = false;
constinit unsigned stages_reached = 0;

}  // namespace

void restrict_dll_search() {
    const auto set_default = function_in<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"),
                                                               "SetDefaultDllDirectories");
    restricted = set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!restricted) SetDllDirectoryW(L"");
    preload_dlls(at_start);
}

// Loaded for the program's whole life; a later load by name finds them.
// Their own imports come from the system folder too.
void preload_dlls(DllStage stage) {
    if (stages_reached & stage) return;
    stages_reached |= stage;
    const DWORD flags = restricted ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    for (const PreloadedDll& dll : preloaded_dlls)
        if ((dll.stages & stage) && !(dll.stages & stages_reached & ~stage))
            load_system_library(dll.name, flags);
}

}  // namespace veldor::win32
