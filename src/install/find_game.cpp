#include "install/find_game.h"

#include <algorithm>

#include "install/library_folders.h"
#include "platform/ascii.h"

namespace veldor {
namespace {

// Below a Steam library, and the file that lists the libraries.
constexpr std::string_view library_games = "steamapps\\common";
constexpr std::string_view steam_files = "steamapps";
constexpr std::string_view library_list = "libraryfolders.vdf";

// Wine prefixes: one at ~/.wine, and one level under these (Lutris, Bottles).
constexpr std::string_view wine_prefix = ".wine";
constexpr std::string_view wine_prefix_parents[] = {"Games", ".local\\share\\bottles\\bottles"};

// ASCII letters without regard to case, as Windows compares the names
// searched for here, all of them ASCII; either separator.
char folded(char c) { return c == '/' ? '\\' : ascii_lower(c); }

std::string_view without_trailing_separators(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return path;
}

// One folder named two ways ("c:/steam" in the registry, "C:\\Steam" in the
// list) is one folder. Compared in place: no key strings, no tree of them.
bool same_folder(std::string_view a, std::string_view b) {
    a = without_trailing_separators(a);
    b = without_trailing_separators(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (folded(a[i]) != folded(b[i])) return false;
    return true;
}

// The last component of a path as a face spells it.
std::string_view name_of(std::string_view path) {
    std::size_t start = path.size();
    while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/') --start;
    path.remove_prefix(start);
    return path;
}

// The folder at `below` ("steamapps\\common") inside `start`, each name
// matched without regard to case; empty when missing, or when two entries
// match a name ("Data" and "data" on Linux): that is not guessed at.
std::string find_below(Platform& platform, const std::string& start, std::string_view below) {
    std::string folder = start;
    while (!below.empty() && !folder.empty()) {
        std::size_t cut = 0;
        while (cut < below.size() && below[cut] != '\\') ++cut;
        const std::string_view name(below.data(), cut);
        below.remove_prefix(cut == below.size() ? cut : cut + 1);
        std::string found;
        for (std::string& inside : platform.subfolders(folder, folders_listed_limit)) {
            if (!same_folder(name_of(inside), name)) continue;
            if (!found.empty()) return {};
            found = std::move(inside);
        }
        folder = std::move(found);
    }
    return folder;
}

// Keeps the first of each folder, in order; a few dozen at most.
class Folders {
public:
    void add(std::string path) {
        if (path.empty()) return;
        for (const std::string& known : list_)
            if (same_folder(known, path)) return;
        list_.push_back(std::move(path));
    }
    const std::vector<std::string>& list() const { return list_; }
    // The folders, moved out once no more are added.
    std::vector<std::string> take() { return std::move(list_); }

private:
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
        libraries.add(steam);
        const std::string files = find_below(platform, steam, steam_files);
        const auto list =
            files.empty() ? std::nullopt
                          : platform.read_small_file(files, library_list, library_list_size_limit);
        if (list)
            for (std::string& library : library_folders(*list))
                libraries.add(without_trailing_separator(std::move(library)));
    }
    return libraries.take();
}

// Most folders in a library hold other games: the first listing rules them out.
bool has_game_layout(Platform& platform, const std::string& folder) {
    const std::string data = find_below(platform, folder, "data");
    return !find_below(platform, data, "cmn\\fe").empty() &&
           !find_below(platform, data, "gui").empty();
}

}  // namespace

void find_game(Platform& platform, FolderRequest& request) {
    const GamePlaces places = platform.game_places();
    Folders shortcuts, games;
    for (const std::string& library : steam_libraries(platform, places)) {
        const std::string common = find_below(platform, library, library_games);
        shortcuts.add(common);
        if (!request.start.empty() || common.empty()) continue;
        for (const std::string& folder : platform.subfolders(common, folders_listed_limit))
            if (has_game_layout(platform, folder)) games.add(folder);
    }
    if (!places.home.empty()) {
        const std::string wine = find_below(platform, places.home, wine_prefix);
        shortcuts.add(find_below(platform, wine, "drive_c"));
        for (std::string_view parent : wine_prefix_parents) {
            const std::string prefixes = find_below(platform, places.home, parent);
            if (prefixes.empty()) continue;
            for (const std::string& prefix : platform.subfolders(prefixes, folders_listed_limit))
                shortcuts.add(find_below(platform, prefix, "drive_c"));
        }
    }
    request.shortcuts = shortcuts.take();
    if (request.start.empty() && games.list().size() == 1) request.start = games.list().front();
}

}  // namespace veldor
