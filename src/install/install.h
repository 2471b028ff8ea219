// The install command: from the folder dialog to the message that ends it.
#pragma once

#include <string>

#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

// Asks for the game's folder, keeps it in `path_buffer` and installs into
// it. The dialog opens where the attempt before it was (`path_buffer` on
// entry), else on `start` when one is given. Where the folder refuses the
// player, an elevated copy of the program is asked to do it. Then tells the
// player how it ended.
Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start = {});

// One attempt on `folder`: proves the payloads, checks the layout, resolves
// what an interrupted attempt left, then replaces the superseded fonts with
// the patch's files as one transaction. Shows nothing; anything but
// Cause::installed leaves the folder as it was (or, left_midway, as the
// next attempt resolves it).
Report Attempt(Platform& platform, const std::string& folder);

// Tells the player how an attempt ended, in one message, and ends the
// program after a success.
Outcome Conclude(Platform& platform, const Report& report);

// A silent installation: the attempt, then its one message.
Outcome InstallInto(Platform& platform, const std::string& folder);

// Proves the installer's own payloads; when they are damaged, says so
// ("安装程序已损坏，请重新下载") and answers false.
bool CopyIntact(Platform& platform);

}  // namespace veldor
