// The elevated copy of the program that does the file work a folder refuses
// the player: started through ShellExecuteExW's "runas" verb (the consent
// prompt, owned by the window), waited for while the window keeps painting,
// its report read back through a named pipe of the window's.
//
// Wine counts every process as elevated and shows no prompt: Wine 8 starts
// "runas" as it starts "open", so the whole path runs there, the prompt
// and a mapped network drive apart.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veldor::win32 {

// Whether this process runs with an elevated token (always, under Wine).
bool runs_elevated();

// Junctions and links made by anyone but an administrator are no longer
// followed, where the system has that mitigation (Windows 10 2004 on).
void distrust_redirections();

// Starts `/S [/RESTORE] /REPORT=pipe /D=folder` elevated and waits for it.
Elevation run_elevated(HWND owner, const std::string& folder, bool restore);

// The worker's side: `report` to the window's pipe `name`, where it listens.
void send_report(std::string_view name, std::string_view report);

}  // namespace veldor::win32
