// The file-system half of the Linux platform: POSIX calls on a game folder
// that came from a Windows file system.
//
// Paths arrive in the game's Windows form ('\' or '/' between components), and
// each component is matched without regard to letter case when the exact name
// is absent, as Windows would: "data\gui\ZQ05_Tit.ttf" finds
// "Data/GUI/zq05_tit.ttf", and writing "eng.db" replaces an existing "ENG.DB".
//
// Read-only means no write permission bit, checked by hand: root may write
// and rename over anything, but the player's read-only file must stay.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace veldor {

class PosixFiles {
public:
    static bool file_exists(const std::string& path);
    static bool directory_exists(const std::string& path);
    static bool delete_file(const std::string& path);
    static bool set_current_directory(const std::string& path);
    static bool write_file(const std::string& name, Bytes bytes);
    static FileState file_state(const std::string& path);
    static bool stage_file(const std::string& name, const std::string& like, Bytes bytes);
    static bool move_file(const std::string& from, const std::string& to);
    static bool flush_folder(const std::string& path);

    // The existing file-system path that `path` names, or, with
    // `may_be_new`, the path a new last component would get. nullopt when a
    // folder on the way is missing.
    static std::optional<std::string> resolve(const std::string& path, bool may_be_new = false);
};

}  // namespace veldor
