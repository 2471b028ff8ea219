// The install command: from the folder dialog to the completion message.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veldor {

// Asks for the game's folder, keeps it in `path_buffer`, replaces the
// superseded fonts with the patch's files, says "安装完毕" and ends the program.
// Any failure is shown as "路径错误" and leaves the window open for another try.
void Install(Platform& platform, std::string& path_buffer);

}  // namespace veldor
