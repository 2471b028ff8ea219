#include "platform/win32/system_library.h"

namespace veldor::win32 {

// The path is put together in place, without string objects or more
// imports for a few names.
HMODULE load_system_library(const wchar_t* name, DWORD flags) {
    wchar_t path[MAX_PATH + 32];
    UINT at = GetSystemDirectoryW(path, MAX_PATH);
    if (at == 0 || at >= MAX_PATH) return nullptr;
    path[at++] = L'\\';
    for (; *name; ++name) {
        if (at == MAX_PATH + 31) return nullptr;
        path[at++] = *name;
    }
    path[at] = L'\0';
    return LoadLibraryExW(path, nullptr, flags);
}

}  // namespace veldor::win32
