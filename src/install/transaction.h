// The installation and its undoing, each as one transaction over a game
// folder: either the whole change is in place or the folder is as it was,
// even after a crash, since what an interrupted attempt left is resolved the
// next time the folder is chosen. Only the installer's own fixed names in
// that folder are touched, and a file is taken for the installer's own only
// by its content.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "install/originals.h"
#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

// A name the installation replaces or removes, and the installer's own names
// for it: the payload's file waiting to move in, the file moved aside, and
// the original kept. Fonts have no staged file and no payload.
struct Slot {
    std::string target, staged, backup, kept;
    const Digest* payload = nullptr;
};

// Every name an attempt on one folder may touch; the slots in commit order.
struct Names {
    std::string folder;
    std::array<Slot, kept_count> slots;
    std::string journal, restore_journal, manifest, new_manifest;
    // The originals' folder and those below it, outermost first.
    std::array<std::string, 5> kept_folders;
    // The folders the targets are in.
    std::array<std::string, 3> game_folders;
};
Names names_in(const std::string& folder);

// Resolves what an interrupted installation or restore left in `folder`:
// nothing when the folder is whole, else why it is not (a backup beside a
// file that is not the installer's own, or a roll-back that failed twice).
std::optional<Report> recover(Platform& platform, const std::string& folder);

// Whether the folder holds exactly this patch and the originals it kept.
bool restorable(Platform& platform, const std::string& folder);

// Pre-flight, then the transaction. Anything but Cause::installed (or
// restored) leaves the folder as it was, or, left_midway, as the next
// attempt resolves it.
Report install_transaction(Platform& platform, const std::string& folder);
Report restore_transaction(Platform& platform, const std::string& folder);

}  // namespace veldor
