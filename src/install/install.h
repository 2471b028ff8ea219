// The install command: from the folder dialog to the completion message.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veldor {

// What an attempt came to; its value is the program's exit code.
enum class Outcome {
    installed = 0,
    left = 1,         // without installing: cancelled, Exit, window closed
    refused = 2,      // no path, or not the game's layout; nothing touched
    not_written = 3,  // a file could not be written
    damaged = 4,      // the installer's own payloads are damaged; nothing touched
    bad_command_line = 5,
};

constexpr int exit_code(Outcome outcome) { return static_cast<int>(outcome); }

// Asks for the game's folder (the dialog opens on `start` when one is given),
// keeps it in `path_buffer` and installs into it.
Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start = {});

// Replaces the superseded fonts in `folder` with the patch's files, says
// "安装完毕" and ends the program. Any failure is shown as "路径错误" and leaves
// the window open for another try.
Outcome InstallInto(Platform& platform, const std::string& folder);

}  // namespace veldor
