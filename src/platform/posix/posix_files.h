// The file-system half of the Linux platform: POSIX calls on a game folder
// that came from a Windows file system.
//
// A path is the chosen game folder, named exactly as this file system names
// it (a '\' in its own name is just a letter), followed by the part the
// installer appends in the game's Windows form: that part is split on '\' or
// '/', and each of its components is matched without regard to the case of
// ASCII letters, the only ones the game's names have: "data\gui\ZQ05_Tit.ttf"
// finds "Data/GUI/zq05_tit.ttf", and moving "eng.db" aside moves an existing
// "ENG.DB". Every other character matches only itself ("confıg.dat" is not
// "config.dat"). A name two entries match ("ENG.DB" and "Eng.Db") is not
// guessed at: it is ambiguous, and the installer refuses the folder. A file
// made or moved under a name that extends an existing one takes that file's
// spelling, so a replaced ENG.DB stays ENG.DB.
//
// Symlinked folders on the way are followed, as Windows follows a junction:
// players move game data to other disks. A file that is a symlink moves aside
// as itself; its target is neither written nor a model for a staged file.
//
// The folders on the way are looked up once per chosen folder: the installer
// never creates, moves or removes a folder. Only a path's last name is looked
// up anew each time, reading its folder once.
//
// Read-only means no write permission bit, checked by hand: root may write
// and rename over anything, but the player's read-only file must stay.
// Denied means a folder the player may not change (no write permission, or
// sticky and owned by someone else): root could.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veldor {

class PosixFiles {
public:
    // Where the chosen folder ends in the paths that follow. A relative folder
    // is taken from the current directory now, before the installer changes
    // it. An absolute path outside the folder is taken as it is, whole. The
    // folders looked up below the previous choice are forgotten.
    void set_game_folder(const std::string& folder);

    bool file_exists(const std::string& path) const;
    bool directory_exists(const std::string& path) const;
    bool delete_file(const std::string& path) const;
    bool set_current_directory(const std::string& path) const;
    static std::string current_directory();
    FileState file_state(const std::string& path) const;
    bool stage_file(const std::string& name, const std::string& like, Bytes bytes) const;
    bool move_file(const std::string& from, const std::string& to) const;
    bool flush_folder(const std::string& path) const;
    bool make_folder(const std::string& path);
    bool remove_folder(const std::string& path);
    // Why the last of the services above that answered false failed.
    Fault fault() const { return fault_; }

    // The existing file-system path that `path` names; nullopt when it or a
    // folder on the way is missing, or a name on the way is matched by two
    // entries.
    std::optional<std::string> resolve(const std::string& path) const;

    // Makes the renames in `folder` durable; false when the disk reports
    // an error.
    static bool sync_folder(const std::string& folder);

private:
    enum class Match { one, none, two };
    struct Lookup {
        Match match;
        std::string path;  // with Match::one
    };
    // The folder in which a path's last name is to be found.
    struct Place {
        Match match;
        std::string folder;     // with Match::one, resolved
        std::string_view name;  // empty: the path names `folder` itself
        std::string_view key;   // the path's spelling after the chosen folder, when inside it
    };
    Place place_of(const std::string& path) const;
    // With `folder`, the last name too is a folder the installer may take
    // from, and keep in, the folders found.
    Lookup look_up(const std::string& path, bool folder = false) const;
    Lookup look_up_folder(const std::string& path) const { return look_up(path, true); }
    bool failed(Fault fault) const {
        fault_ = fault;
        return false;
    }

    std::string given_;   // the folder as the installer spells it
    std::string folder_;  // the same, absolute
    // Folders below it, by the installer's spelling of the path after it.
    mutable std::map<std::string, std::string, std::less<>> folders_;
    mutable Fault fault_ = Fault::none;
};

}  // namespace veldor
