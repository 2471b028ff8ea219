// The installation as one transaction over a game folder: either the whole
// patch is in place or the folder is as it was, even after a crash, since
// what an interrupted attempt left is resolved the next time the folder is
// chosen. Only the installer's own fixed names in that folder are touched.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

// A name the installation replaces or removes, and the installer's own names
// beside it: the payload's file waiting to move in, and the old file moved
// aside. Fonts have no staged file.
struct Slot {
    std::string target, staged, backup;
};

// Every name an installation into one folder may touch; the slots in commit
// order: the two fonts, then payloads 101, 103, 102, 104.
struct Names {
    std::array<Slot, 6> slots;
    std::string journal;
};
Names names_in(const std::string& folder);

// Which of those names exist; targets are looked at only with a journal.
struct OnDisk {
    bool journal = false;
    std::array<bool, 6> target{}, staged{}, backup{};
};

// Names the changes act on, which stay in the Names they were planned from.
struct Change {
    enum Kind { move, remove } kind;
    const std::string* from;
    const std::string* to = nullptr;
};
using Plan = std::vector<Change>;

// What brings the folder back to a whole state, from what lies on disk
// alone: without a journal, leftovers are deleted; with one, the moves are
// undone while any staged file remains, else only the cleanup is finished.
Plan recovery_plan(const Names& names, const OnDisk& on_disk);

// Resolves an interrupted installation in `folder`; false when a change
// failed.
bool recover(Platform& platform, const std::string& folder);

// Pre-flight, then the transaction. Anything but Cause::installed leaves the
// folder as it was.
Report install_transaction(Platform& platform, const std::string& folder);

}  // namespace veldor
