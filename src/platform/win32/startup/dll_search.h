// The installer may run elevated (its own elevated copy, or a script run as
// administrator), often from a Downloads folder: a DLL placed beside it must
// never be loaded. Windows' own DLLs load some DLLs by name
// long after start (themes, the folder dialog, hashing), and by name means
// the program's folder first unless the search is restricted.
#pragma once

#include <array>

namespace veldor::win32 {

// The moments a listed DLL is loaded by full path: the first of its stages
// the program reaches, each before any of Windows' own DLLs could load it
// by name there. Loading none before its need keeps the start short.
enum DllStage : unsigned {
    at_start = 1,       // the program's first action
    before_window = 2,  // the first window or message box (not in silent runs)
    before_shell = 4,   // the folder dialog opened, or the site
    before_hash = 8,    // the payloads first hashed
    before_reader = 16  // the first answer to a screen reader
};

struct PreloadedDll {
    const wchar_t* name;
    unsigned stages;
};

// The DLLs Windows' own DLLs load by name that are not Known DLLs (which
// always come from the system folder), each with its stages. The one list:
// the program preloads it and the planted-DLL test plants it. Read-only data,
// named so: GCC would give an array of addresses a writable section, which
// alone costs the installer 512 bytes.
[[maybe_unused, gnu::section(".rdata$dlls")]] constexpr std::array preloaded_dlls{
    // Window frames, themes and alpha-blended drawing by user32 and the common
    // controls 6, for every window and message box.
    PreloadedDll{L"uxtheme.dll", before_window},
    PreloadedDll{L"msimg32.dll", before_window},
    PreloadedDll{L"dwmapi.dll", before_window},
    // Version checks by shell32 and advapi32, and advapi32's random numbers:
    // asked for by any of Windows' DLLs at any call, so at start. (Wine maps
    // version.dll before the program's first instruction anyway.)
    PreloadedDll{L"version.dll", at_start},
    PreloadedDll{L"cryptbase.dll", at_start},
    // The shell's property system and the profile folders (the folder
    // dialog's Desktop), for the folder dialog and for opening the site.
    PreloadedDll{L"propsys.dll", before_shell},
    PreloadedDll{L"userenv.dll", before_shell},
    PreloadedDll{L"profapi.dll", before_shell},
    // SHA-256 of the payloads; the shell and COM, first used by the folder
    // dialog, may load it too.
    PreloadedDll{L"bcrypt.dll", before_shell | before_hash},
    // Accessibility: the window's answers to a screen reader, and the folder
    // dialog's controls, which answer one themselves.
    PreloadedDll{L"oleacc.dll", before_shell | before_reader},
};

// Restricts the DLL search to the system folder and loads the DLLs listed
// `at_start` from there by full path. The program's first action.
void restrict_dll_search();

// Loads the listed DLLs of `stage` by full path from the system folder, the
// first time a stage is reached; later calls do nothing.
void preload_dlls(DllStage stage);

}  // namespace veldor::win32
