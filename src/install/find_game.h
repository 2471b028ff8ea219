// Saves the player a search: the game's folder in their Steam libraries, and
// the hidden folders where Steam and Wine keep games, offered in the dialog.
#pragma once

#include "platform/platform.h"

namespace veldor {

// Bounds on what one search reads, so that a strange home cannot stall it.
inline constexpr std::size_t folders_listed_limit = 4096;  // per folder listed

// Completes `request`: each Steam library's games folder and each Wine
// prefix's drive_c that exists, as shortcuts; and, when it has no start yet,
// the game's folder if exactly one is found one level into a library.
void find_game(Platform& platform, FolderRequest& request);

}  // namespace veldor
