// What the search for the game reads on Linux: the home and Steam's folders
// below it, small files and folder listings, all named as this file system
// names them. Steam's folders and linked folders in a listing come back as
// real paths, so that ~/.steam/steam and ~/.local/share/Steam are one folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace veldor {

class PosixPlaces {
public:
    // The home from $HOME (else the password database), and Steam's folders
    // below it.
    static GamePlaces game_places();
    static std::optional<std::string> read_small_file(const std::string& folder,
                                                      std::string_view name, std::size_t limit);
    static std::vector<std::string> subfolders(const std::string& folder, std::size_t limit);

    // The real path of the folder `path` names; nullopt when it is not one.
    static std::optional<std::string> real_folder(const std::string& path);
};

}  // namespace veldor
