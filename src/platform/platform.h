// The one door to the world. Everything the installer does to the screen, the
// file system or the process goes through this interface, so the install
// command runs unchanged on Win32, on GTK and against the tests' fake.
//
// Strings are UTF-8. Paths are in the game's own Windows form: the core joins
// them by concatenation with '\' separators, and each implementation maps them
// onto its file system.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veldor {

using Bytes = std::span<const unsigned char>;
using Digest = std::array<unsigned char, 32>;  // a SHA-256

// What stands at a path, as far as replacing it is concerned.
enum class FileState {
    absent,
    normal,     // a file that may be moved aside or replaced, hidden or not
    read_only,  // stays as it is, even for an administrator or root
    denied,     // the player may not change it (an administrator may)
    in_use,     // held open by another program without sharing, past the retries
    ambiguous,  // two entries answer to the name (letter case apart)
    linked,     // a link, where the program runs elevated and follows none
    other,      // a folder, or anything else that is not a file
};

// Why a file service answered false, as far as the player can act on it.
enum class Fault { none, read_only, denied, in_use, disk_full, linked, other };

enum class Icon { none, stop };

// What an elevated copy of the program made of an attempt it was handed.
struct Elevation {
    enum Kind {
        unavailable,  // this face starts no elevated copy (silent, Linux)
        declined,     // the player refused the consent prompt
        ran,          // it ran: `exit_code` and `report` tell how it ended
    } kind = unavailable;
    int exit_code = 0;
    // Its report as it sent it (install/report.h reads it); empty
    // when it sent none.
    std::string report;
};

// What the folder dialog is asked for.
struct FolderRequest {
    std::string_view title;
    // Where the dialog opens; empty: the face's own start (the desktop).
    std::string start;
    // Folders offered beside the tree, where the face has such a place.
    std::vector<std::string> shortcuts;
};

// Where the player's games may be: Steam's own folders (the registry's
// SteamPath on Windows; on Linux ~/.steam/steam, ~/.local/share/Steam and the
// Flatpak's, those that exist, each folder once), and the home holding Wine
// prefixes (Linux; empty elsewhere).
struct GamePlaces {
    std::vector<std::string> steam;
    std::string home;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Modal to the main window, OK button only, captioned with the
    // application title; returns when dismissed.
    virtual void message_box(std::string_view text, Icon icon) = 0;

    // A Yes/No question with the question icon, modal like a message box;
    // true for Yes. A silent face asks nothing and answers No.
    virtual bool ask(std::string_view question) = 0;

    // The separator a path is shown with in messages: the game's '\', or
    // the file system's own where the face maps paths onto another one.
    virtual char separator() const { return '\\'; }

    // Hands the attempt on `folder` to an elevated copy of the program
    // (an installation, or a restore with `restore`) and waits for it.
    virtual Elevation run_elevated(const std::string& /*folder*/, bool /*restore*/) { return {}; }

    // Modal folder dialog. nullopt when the user cancels; an empty string
    // when the chosen item has no file-system path.
    virtual std::optional<std::string> browse_for_folder(const FolderRequest& request) = 0;

    // For the search for the game, which reads folders named as the file
    // system names them (from game_places, a listing or Steam's list), not in
    // the game's Windows form, whatever set_game_folder was given.
    virtual GamePlaces game_places() = 0;

    // The folders directly inside `folder` (at most `limit` of them, in no
    // particular order), each a path that can be listed in turn and that the
    // face's folder dialog can open.
    virtual std::vector<std::string> subfolders(const std::string& folder, std::size_t limit) = 0;

    // The bytes of the file `name` directly inside `folder`; nullopt when it
    // is missing, not a file, unreadable or longer than `limit` bytes.
    virtual std::optional<std::string> read_small_file(const std::string& folder,
                                                       std::string_view name,
                                                       std::size_t limit) = 0;

    // The folder this attempt installs into, handed over once before any of
    // the file services below: every path they get starts with it. An empty
    // one ends the attempt: a face that held the folder lets it go. Its name
    // is the file system's own, to be used exactly as given; only what
    // follows it is in the game's Windows form. Windows names every path
    // alike, so only a face that maps them onto another file system (GTK)
    // needs to know where the folder ends.
    virtual void set_game_folder(const std::string& /*folder*/) {}

    // A file (not a directory) of that name, hidden or system ones too.
    virtual bool file_exists(const std::string& path) = 0;
    virtual bool directory_exists(const std::string& path) = 0;

    // Fails on a read-only or in-use file.
    virtual bool delete_file(const std::string& path) = 0;

    // The bytes of the file at `path`; nullopt when it is missing, not a
    // file, unreadable or longer than `limit` bytes.
    virtual std::optional<std::string> read_file(const std::string& path, std::size_t limit) = 0;

    // The folder the originals are kept in: made where it is missing (true
    // when it is there), and removed once empty.
    virtual bool make_folder(const std::string& path) = 0;
    virtual bool remove_folder(const std::string& path) = 0;

    // Fails when the directory does not exist.
    virtual bool set_current_directory(const std::string& path) = 0;
    // The current directory, as set_current_directory takes it back.
    virtual std::string current_directory() = 0;

    // The moves of an installation. File states are as the system sees them;
    // in_use only where it can tell (Windows). A folder is `other`, or
    // `linked` where it is a link and the program follows none: run elevated
    // on Windows (any reparse point), as root on Linux (a symbolic link).
    virtual FileState file_state(const std::string& path) = 0;

    // Creates `name` anew (failing when it exists) holding exactly `bytes`,
    // with the mode or attributes of the file `like` (a new file's when there
    // is none), flushed to disk and closed. On failure nothing of it remains.
    virtual bool stage_file(const std::string& name, const std::string& like, Bytes bytes) = 0;

    // Renames `from` to `to`, which must not exist, on the same volume.
    virtual bool move_file(const std::string& from, const std::string& to) = 0;

    // Makes the creations, moves and deletions in a folder durable.
    virtual bool flush_folder(const std::string& path) = 0;

    // Why the last of the file services above that answered false failed.
    virtual Fault fault() const { return Fault::other; }

    // SHA-256 by the system's own implementation; nullopt when it has none.
    virtual std::optional<Digest> sha256(Bytes bytes) = 0;

    // The embedded resource, without copying; the type name is compared
    // without regard to letter case. nullopt when absent.
    virtual std::optional<Bytes> read_resource(std::string_view type, unsigned id) = 0;

    // Hands an address to the system's document opener; the result is not
    // examined.
    virtual void open_document(std::string_view address) = 0;

    // Ends the program at once with `exit_code`.
    virtual void end_program(int exit_code) = 0;
};

}  // namespace veldor
