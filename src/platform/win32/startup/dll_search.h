// The installer runs elevated, often from a Downloads folder: a DLL placed
// beside it must never be loaded. Windows' own DLLs load some DLLs by name
// long after start (themes, the folder dialog, hashing), and by name means
// the program's folder first unless the search is restricted.
#pragma once

#include <array>

namespace veldor::win32 {

// The DLLs Windows' own DLLs load by name that are not Known DLLs (which
// always come from the system folder). The one list: the program preloads
// it and the planted-DLL test plants it. Read-only data, named so: GCC
// would give an array of addresses a writable section, which alone costs
// the installer 512 bytes.
[[maybe_unused, gnu::section(".rdata$dlls")]] constexpr std::array preloaded_dlls{
    L"uxtheme.dll",    // the window's and the folder dialog's themes (common controls 6)
    L"msimg32.dll",    // alpha-blended drawing by the common controls
    L"dwmapi.dll",     // window frames and DPI, asked by user32 and uxtheme
    L"version.dll",    // version checks by shell32 and advapi32
    L"propsys.dll",    // the shell's property system, behind the folder dialog
    L"cryptbase.dll",  // advapi32's random numbers
    L"userenv.dll",    // profile folders, for the folder dialog's Desktop
    L"profapi.dll",    // the same, below userenv
    L"bcrypt.dll",     // SHA-256 of the payloads
    L"oleacc.dll",     // accessibility, when a screen reader asks the window
};

// Restricts the DLL search to the system folder and loads `preloaded_dlls`
// from there by full path. The program's first action.
void restrict_dll_search();

}  // namespace veldor::win32
