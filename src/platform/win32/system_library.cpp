#include "platform/win32/system_library.h"

namespace veldor::win32 {

// The path is put together in place: no string objects for a few names.
HMODULE load_system_library(const wchar_t* name, DWORD flags) {
    wchar_t path[MAX_PATH + 32];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || lstrlenW(name) >= 31) return nullptr;
    path[length] = L'\\';
    lstrcpyW(path + length + 1, name);
    return LoadLibraryExW(path, nullptr, flags);
}

}  // namespace veldor::win32
