// The install command: from the folder dialog to the message that ends it.
#pragma once

#include <string>
#include <string_view>

#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

// What an attempt does once the folder is resolved.
enum class Action { install, restore };

// The question a window asks where the chosen folder holds exactly this patch
// and the originals it kept.
inline constexpr std::string_view restore_question = "此文件夹已安装本补丁。\n是否还原为原版文件？";

// Asks for the game's folder, keeps it in `path_buffer`; where it holds this
// patch and its originals, asks whether to restore them; then installs or
// restores. The dialog opens where the attempt before it was (`path_buffer`
// on entry), else on `start` when one is given. Where the folder refuses the
// player, an elevated copy of the program is asked to do it. Then tells the
// player how it ended.
Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start = {},
                Action action = Action::install);

// One attempt on `folder`: proves the payloads, checks the layout (a layout
// folder that is a link is refused where the platform follows none),
// resolves what an interrupted attempt left, then installs the patch
// (replacing the superseded fonts with its files, keeping what it replaces)
// or restores what it kept, as one transaction. Shows nothing; anything but
// success leaves the folder as it was (or, left_midway, as the next attempt
// resolves it).
Report Attempt(Platform& platform, const std::string& folder, Action action = Action::install);

// Tells the player how an attempt ended, in one message, and ends the
// program after a success.
Outcome Conclude(Platform& platform, const Report& report);

// A silent installation or restore: the attempt, then its one message.
Outcome InstallInto(Platform& platform, const std::string& folder, Action action = Action::install);

// Proves the installer's own payloads; when they are damaged, says so
// ("安装程序已损坏，请重新下载") and answers false.
bool CopyIntact(Platform& platform);

}  // namespace veldor
