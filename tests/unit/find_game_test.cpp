// The search for the game and the dialog's shortcuts, on a scripted home.
#include "install/find_game.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "install/library_folders.h"

namespace veldor::testing {
namespace {

using Paths = std::vector<std::string>;

const std::string home = "/home/p", steam = home + "\\.local\\share\\Steam";
const std::string library = "/mnt/games/SteamLibrary";
const std::string common = steam + "\\steamapps\\common", other = library + "\\steamapps\\common";
const std::string wine = home + "\\.wine\\drive_c", lutris = home + "\\Games\\lutris\\drive_c";
const std::string bottle = home + "\\.local\\share\\bottles\\bottles\\b1\\drive_c";

void add_folder(FakePlatform& world, const std::string& path) {
    for (std::size_t cut = path.find('\\'); cut != std::string::npos;
         cut = path.find('\\', cut + 1))
        world.directories.insert(path.substr(0, cut));
    world.directories.insert(path);
}

void add_game(FakePlatform& world, const std::string& folder, bool whole = true) {
    add_folder(world, folder + "\\data\\cmn\\fe");
    if (whole) add_folder(world, folder + "\\data\\gui");
}

// A home with Steam, a second library listed, Wine prefixes, and in the
// libraries a game's folder with half its layout, but no game yet.
FakePlatform a_home() {
    FakePlatform world;
    world.places = {{steam}, home};
    for (const std::string& folder :
         {common + "\\Tool", other + "\\Other Game", wine, lutris, home + "\\Games\\empty", bottle})
        add_folder(world, folder);
    add_game(world, other + "\\Half", false);
    const std::string list = R"("libraryfolders" { "0" { "path" ")" + steam +
                             R"(" } "1" { "path" ")" + library + R"(" } })";
    world.files[steam + "\\steamapps\\libraryfolders.vdf"] = Blob(list.begin(), list.end());
    return world;
}

FolderRequest search(FakePlatform& world, std::string start = {}) {
    FolderRequest request{"title", std::move(start), {}};
    find_game(world, request);
    return request;
}

TEST(FindGame, OpensOnTheOneGameFoundInAnyLibrary) {
    const struct {
        const char* what;
        Paths games;
        std::string start;
    } cases[] = {
        {"one in the second library", {other + "\\VELDOR"}, other + "\\VELDOR"},
        {"one in the first", {common + "\\VELDOR"}, common + "\\VELDOR"},
        {"two", {common + "\\VELDOR", other + "\\VELDOR"}, ""},
        {"one two levels down", {other + "\\Other Game\\VELDOR"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform world = a_home();
        for (const auto& game : c.games) add_game(world, game);
        const FolderRequest request = search(world);
        EXPECT_EQ(request.start, c.start);
        EXPECT_EQ(request.shortcuts, (Paths{common, other, wine, lutris, bottle}));
    }
}

TEST(FindGame, NamesMatchWithoutRegardToCaseAndEachFolderCountsOnce) {
    FakePlatform world = a_home();
    add_folder(world, other + "\\VELDOR\\DATA\\Cmn\\FE");
    add_folder(world, other + "\\VELDOR\\DATA\\GUI");
    // "Data" and "data" side by side (Linux), each with the whole layout:
    // neither is guessed at, so this is not the game.
    add_game(world, common + "\\Twice");
    add_folder(world, common + "\\Twice\\Data\\cmn\\fe");
    add_folder(world, common + "\\Twice\\Data\\gui");
    // A root spelled with a separator at its end, which the list names too,
    // and a second root listing the same libraries.
    const std::string flatpak = home + "\\.var\\app\\com.valvesoftware.Steam\\.local\\share\\Steam";
    world.places.steam = {steam, library + "/", flatpak};
    add_folder(world, flatpak + "\\SteamApps");
    world.files[flatpak + "\\SteamApps\\libraryfolders.vdf"] =
        world.files[steam + "\\steamapps\\libraryfolders.vdf"];
    const FolderRequest found = search(world);
    EXPECT_EQ(found.start, other + "\\VELDOR");
    EXPECT_EQ(found.shortcuts, (Paths{common, other, wine, lutris, bottle}));

    const FolderRequest given = search(world, "/home/p/elsewhere");
    EXPECT_EQ(given.start, "/home/p/elsewhere");
    EXPECT_EQ(given.shortcuts, found.shortcuts);
}

TEST(FindGame, WithoutAListTheRootsAreTheLibraries) {
    FakePlatform world = a_home();
    add_game(world, other + "\\VELDOR");
    add_game(world, common + "\\VELDOR2");
    world.files.erase(steam + "\\steamapps\\libraryfolders.vdf");
    const FolderRequest request = search(world);
    EXPECT_EQ(request.start, common + "\\VELDOR2");
    EXPECT_EQ(request.shortcuts, (Paths{common, wine, lutris, bottle}));
}

}  // namespace
}  // namespace veldor::testing
