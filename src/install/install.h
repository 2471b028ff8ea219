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
    not_written = 3,  // read-only, in use, or a failed step; folder unchanged
    damaged = 4,      // the installer's own payloads are damaged; nothing touched
    bad_command_line = 5,
};

constexpr int exit_code(Outcome outcome) { return static_cast<int>(outcome); }

// Asks for the game's folder, keeps it in `path_buffer` and installs into
// it. The dialog opens where the attempt before it was (`path_buffer` on
// entry), else on `start` when one is given.
Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start = {});

// Resolves what an interrupted attempt left in `folder`, proves the payloads,
// then replaces the superseded fonts with the patch's files as one
// transaction, says "安装完毕" and ends the program. A failure is shown once
// ("路径错误", or why: damaged installer, file in use), leaves the folder as it
// was and the window open for another try.
Outcome InstallInto(Platform& platform, const std::string& folder);

// Proves the installer's own payloads; when they are damaged, says so
// ("安装程序已损坏，请重新下载") and answers false.
bool CopyIntact(Platform& platform);

}  // namespace veldor
