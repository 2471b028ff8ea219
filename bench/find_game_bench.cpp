// Measures the search for the game on a home with 4 Steam libraries of 300
// games each (the player's wait between pressing Install and the dialog),
// through the Linux platform on a temporary folder. Goal: at most 20 ms.
// Prints, never fails.
//
//   find_game_bench [rounds]
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/find_game.h"
#include "platform/gtk/gtk_platform.h"

namespace fs = std::filesystem;

namespace {

constexpr int libraries = 4, games_per_library = 300;

// Each game folder as a game's usually is: a few files and folders, some
// with a "data" folder of their own.
void make_game(const fs::path& folder, int n) {
    fs::create_directories(folder / "bin");
    if (n % 3 == 0) fs::create_directories(folder / "data" / "maps");
    for (const char* file : {"game.exe", "readme.txt", "steam_api.dll"})
        std::ofstream(folder / file) << "x";
}

// The home: Steam's own folder (and its ~/.steam link) holding library 0 and
// the list, three more libraries, Wine prefixes; the game in the last library.
fs::path make_home(fs::path& game) {
    std::string pattern = (fs::temp_directory_path() / "veldor-search-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data()), home = root / "home";
    const fs::path steam = home / ".local" / "share" / "Steam";
    std::string list = "\"libraryfolders\"\n{\n";
    for (int l = 0; l < libraries; ++l) {
        const fs::path library = l == 0 ? steam : root / ("Library" + std::to_string(l));
        list += "\t\"" + std::to_string(l) + "\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"247963842\"\n\t\t}\n\t}\n";
        for (int g = 0; g < games_per_library; ++g)
            make_game(library / "steamapps" / "common" / ("Game " + std::to_string(g)), g);
    }
    std::ofstream(steam / "steamapps" / "libraryfolders.vdf") << list << "}\n";
    fs::create_directories(home / ".steam");
    fs::create_directory_symlink(steam, home / ".steam" / "steam");
    game = root / "Library3" / "steamapps" / "common" / "VELDOR";
    fs::create_directories(game / "data" / "cmn" / "fe");
    fs::create_directories(game / "data" / "gui");
    for (const char* prefix : {".wine", "Games/lutris-a", "Games/lutris-b"})
        fs::create_directories(home / prefix / "drive_c");
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    fs::path game;
    const fs::path root = make_home(game);
    setenv("HOME", (root / "home").c_str(), 1);
    veldor::GtkPlatform platform("");

    std::vector<double> ms;
    bool found = true;
    for (int i = 0; i < rounds; ++i) {
        veldor::FolderRequest request{"", {}, {}};
        const auto start = std::chrono::steady_clock::now();
        veldor::find_game(platform, request);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        found = found && request.start == game.string() && request.shortcuts.size() == 7;
    }
    const double first = ms.front();
    std::ranges::sort(ms);
    printf("search for the game, %d libraries x %d games, %d rounds:\n", libraries,
           games_per_library, rounds);
    printf("  first %.2f ms, median %.2f ms, slowest %.2f ms (goal: at most 20 ms)%s\n", first,
           ms[ms.size() / 2], ms.back(), found ? "" : "  -- the game was NOT found");
    fs::remove_all(root);
    return 0;
}
