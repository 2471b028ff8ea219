#include "install/find_game.h"

#include <algorithm>
#include <set>

#include "install/library_folders.h"

namespace veldor {
namespace {

constexpr std::string_view library_games = "\\steamapps\\common";
constexpr std::string_view library_list = "\\steamapps\\libraryfolders.vdf";

// Wine prefixes: one at ~/.wine, and one level under these (Lutris, Bottles).
constexpr std::string_view wine_prefix = "\\.wine";
constexpr std::string_view wine_prefix_parents[] = {"\\Games", "\\.local\\share\\bottles\\bottles"};

// One folder named two ways ("c:/steam" in the registry, "C:\\Steam" in the
// list) is one folder.
std::string key_of(std::string_view path) {
    std::string key;
    for (char c : path) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        key += c;
    }
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

// Keeps the first of each folder, in order.
class Folders {
public:
    void add(std::string path) {
        if (!path.empty() && seen_.insert(key_of(path)).second) list_.push_back(std::move(path));
    }
    const std::vector<std::string>& list() const { return list_; }

private:
    std::set<std::string> seen_;
    std::vector<std::string> list_;
};

std::string without_trailing_separator(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// Each Steam root is a library itself (older lists leave it out), and its
// list names the others.
std::vector<std::string> steam_libraries(Platform& platform, const GamePlaces& places) {
    Folders libraries;
    for (const std::string& root : places.steam) {
        const std::string steam = without_trailing_separator(root);
        if (!platform.directory_exists(steam)) continue;
        libraries.add(steam);
        const auto list =
            platform.read_small_file(steam + std::string(library_list), library_list_size_limit);
        if (list)
            for (std::string& library : library_folders(*list))
                libraries.add(without_trailing_separator(std::move(library)));
    }
    return libraries.list();
}

bool named_data(std::string_view path) {
    // No substr: its out-of-range error is not linked into the Windows program.
    if (const std::size_t cut = path.find_last_of("\\/"); cut != std::string_view::npos)
        path.remove_prefix(cut + 1);
    return key_of(path) == "data";
}

// Most folders in a library hold other games: one look at what a folder
// holds rules them out before the tests that ignore letter case.
bool has_game_layout(Platform& platform, const std::string& folder) {
    const std::vector<std::string> inside = platform.subfolders(folder, folders_listed_limit);
    return std::ranges::any_of(inside, named_data) &&
           platform.directory_exists(folder + "\\data\\cmn\\fe") &&
           platform.directory_exists(folder + "\\data\\gui");
}

void add_if_folder(Platform& platform, Folders& shortcuts, const std::string& path) {
    if (platform.directory_exists(path)) shortcuts.add(path);
}

}  // namespace

void find_game(Platform& platform, FolderRequest& request) {
    const GamePlaces places = platform.game_places();
    Folders shortcuts, games;
    for (const std::string& library : steam_libraries(platform, places)) {
        const std::string common = library + std::string(library_games);
        add_if_folder(platform, shortcuts, common);
        if (!request.start.empty()) continue;
        for (const std::string& folder : platform.subfolders(common, folders_listed_limit))
            if (has_game_layout(platform, folder)) games.add(folder);
    }
    if (!places.home.empty()) {
        add_if_folder(platform, shortcuts, places.home + std::string(wine_prefix) + "\\drive_c");
        for (std::string_view parent : wine_prefix_parents)
            for (const std::string& prefix :
                 platform.subfolders(places.home + std::string(parent), folders_listed_limit))
                add_if_folder(platform, shortcuts, prefix + "\\drive_c");
    }
    request.shortcuts = shortcuts.list();
    if (request.start.empty() && games.list().size() == 1) request.start = games.list().front();
}

}  // namespace veldor
