// What the search for the game reads on Linux: the home, small files and
// folder listings. Paths may be in the game's Windows form and are matched as
// PosixFiles matches them; folders come back as real paths, symbolic links
// resolved, so that ~/.steam/steam and ~/.local/share/Steam are one folder.
// A listing's own native paths are listed as they are, already real.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace veldor {

class PosixPlaces {
public:
    // The home from $HOME (else the password database), and Steam's folders
    // below it.
    static GamePlaces game_places();
    static std::optional<std::string> read_small_file(const std::string& path, std::size_t limit);
    static std::vector<std::string> subfolders(const std::string& path, std::size_t limit);

    // The real path of the folder `path` names; nullopt when it is not one.
    static std::optional<std::string> real_folder(const std::string& path);
};

}  // namespace veldor
