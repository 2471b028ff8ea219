// Windows' own DLLs by full path in the system folder, never a copy found
// beside the program (which may run elevated, often from a Downloads folder).
#pragma once

#include <windows.h>

namespace veldor::win32 {

// LoadLibraryExW of `name` ("bcrypt.dll") in the system folder with
// `flags`; null when it cannot be loaded.
HMODULE load_system_library(const wchar_t* name, DWORD flags = LOAD_WITH_ALTERED_SEARCH_PATH);

// The function `name` of `module`, typed, looked up at run time: null when
// the module is null or lacks it (a Windows older than the function).
template <typename Function>
Function function_in(HMODULE module, const char* name) {
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace veldor::win32
