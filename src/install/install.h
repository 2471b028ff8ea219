// The install command: from the folder dialog to the message that ends it.
#pragma once

#include <string>

#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

// Asks for the game's folder (the dialog opens on `start` when one is given),
// keeps it in `path_buffer` and installs into it. Where the folder refuses
// the player, an elevated copy of the program is asked to do it. Then tells
// the player how it ended.
Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start = {});

// One attempt on `folder`: proves the payloads, checks the layout (a layout
// folder that is a link is refused where the platform follows none),
// resolves what an interrupted attempt left, then replaces the superseded fonts with
// the patch's files as one transaction. Shows nothing; anything but
// Cause::installed leaves the folder as it was (or, left_midway, as the
// next attempt resolves it).
Report Attempt(Platform& platform, const std::string& folder);

// Tells the player how an attempt ended, in one message, and ends the
// program after a success.
Outcome Conclude(Platform& platform, const Report& report);

// A silent installation: the attempt, then its one message.
Outcome InstallInto(Platform& platform, const std::string& folder);

}  // namespace veldor
