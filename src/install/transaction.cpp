// Staging: each payload is written beside its target and flushed; a crash leaves only leftovers.
// Journaled: the journal is flushed, then targets and fonts move aside and staged files move in.
// Committed: the journal is deleted; only the old files moved aside remain to be deleted.
#include "install/transaction.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "install/game_files.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view backup_suffix = ".veldor-old";
constexpr std::string_view journal_name = "\\veldor-install.journal";
// Its presence is the whole record: recovery never reads it.
constexpr std::string_view journal_text =
    "VELDOR汉化: installation in progress. Choosing this folder in the installer "
    "again finishes or undoes it.\n";

enum class State { staging, journaled, committed };

constexpr std::size_t font_count = superseded_fonts.size();

std::string file_name_of(std::uint16_t id) {
    for (const Payload& p : payloads)
        if (p.id == id) return std::string(p.file_name);
    return {};
}

Slot slot_for(const std::string& target, bool staged) {
    return {target, staged ? joined(target, staged_suffix) : std::string(),
            joined(target, backup_suffix)};
}

OnDisk observe(Platform& platform, const Names& names) {
    OnDisk on_disk;
    on_disk.journal = platform.file_exists(names.journal);
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        // Only a rollback asks where the targets stand.
        on_disk.target[i] = on_disk.journal && platform.file_exists(slot.target);
        on_disk.staged[i] = !slot.staged.empty() && platform.file_exists(slot.staged);
        on_disk.backup[i] = platform.file_exists(slot.backup);
    }
    return on_disk;
}

// Undoes the moves, last first, then drops the journal and the staged files.
Plan rollback_plan(const Names& names, const OnDisk& on_disk) {
    Plan plan;
    std::array<bool, 6> staged = on_disk.staged;
    for (std::size_t i = names.slots.size(); i-- > 0;) {
        const Slot& slot = names.slots[i];
        // A staged file gone since the journal was written stands as the target.
        if (!slot.staged.empty() && !staged[i] && on_disk.target[i]) {
            plan.push_back({Change::move, &slot.target, &slot.staged});
            staged[i] = true;
        }
        // Should anything else stand there, this move fails and nothing more
        // is done: the old file is never deleted.
        if (on_disk.backup[i]) plan.push_back({Change::move, &slot.backup, &slot.target});
    }
    plan.push_back({Change::remove, &names.journal});
    for (std::size_t i = 0; i < names.slots.size(); ++i)
        if (staged[i]) plan.push_back({Change::remove, &names.slots[i].staged});
    return plan;
}

// Stops at a move that fails, since later moves assume it; goes on past a
// deletion that fails, which only leaves a leftover for the next attempt.
bool apply(Platform& platform, const Plan& plan) {
    bool all = true;
    for (const Change& change : plan) {
        if (change.kind == Change::move && !platform.move_file(*change.from, *change.to))
            return false;
        if (change.kind == Change::remove) all = platform.delete_file(*change.from) && all;
    }
    return all;
}

std::array<std::string, 3> folders_of(const std::string& folder) {
    return {joined(folder, database_dir), joined(folder, font_dir), folder};
}

// A path below the game folder, as the player is told it.
std::string below(const std::string& folder, std::string_view path) {
    path.remove_prefix(folder.size());
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::string(path);
}

Cause cause_of(Fault fault) {
    switch (fault) {
        case Fault::read_only:
            return Cause::read_only;
        case Fault::denied:
            return Cause::denied;
        case Fault::in_use:
            return Cause::in_use;
        case Fault::disk_full:
            return Cause::disk_full;
        case Fault::linked:
            return Cause::linked;
        case Fault::none:
        case Fault::other:
            break;
    }
    return Cause::write_failed;
}

// Which targets exist and may be moved aside; anything else answers why not.
std::optional<Report> preflight(Platform& platform, const std::string& folder, const Names& names,
                                std::array<bool, 6>& present) {
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const bool font = i < font_count;
        Cause cause = Cause::write_failed;
        switch (platform.file_state(names.slots[i].target)) {
            case FileState::absent:
                present[i] = false;
                continue;
            case FileState::normal:
                present[i] = true;
                continue;
            case FileState::other:  // a folder of a font's name is not the font
                if (font) {
                    present[i] = false;
                    continue;
                }
                break;
            case FileState::in_use:
                cause = Cause::in_use;
                break;
            case FileState::read_only:
                cause = Cause::read_only;
                break;
            case FileState::denied:
                cause = Cause::denied;
                break;
            case FileState::ambiguous:
                cause = Cause::ambiguous;
                break;
            case FileState::linked:
                cause = Cause::linked;
                break;
        }
        return Report{cause, below(folder, names.slots[i].target)};
    }
    return std::nullopt;
}

// The first step of an attempt that failed: why, and on which name.
class FirstFailure {
public:
    FirstFailure(Platform& platform, const std::string& folder)
        : platform_(platform), folder_(folder) {}
    // `done`, noting the platform's fault on `path` where it is the first.
    bool operator()(bool done, std::string_view path) {
        if (!done && !report) report = Report{cause_of(platform_.fault()), below(folder_, path)};
        return done;
    }
    std::optional<Report> report;

private:
    Platform& platform_;
    const std::string& folder_;
};

bool flush_folders(Platform& platform, const std::string& folder, FirstFailure& check) {
    return std::ranges::all_of(folders_of(folder), [&](const std::string& f) {
        return check(platform.flush_folder(f), f);
    });
}

// Each payload beside its target, flushed.
bool stage_payloads(Platform& platform, const std::string& folder, const Names& names,
                    FirstFailure& check) {
    // The current directory goes back where it was: the player may want to
    // rename or delete a folder it would otherwise hold.
    const std::string before = platform.current_directory();
    bool staged = true;
    for (std::size_t i = 0; i < payload_steps.size() && staged; ++i) {
        const PayloadStep& step = payload_steps[i];
        staged =
            check(platform.set_current_directory(joined(folder, step.directory)) &&
                      SaveFileFromRes(platform, step.payload, "custom", file_name_of(step.payload)),
                  names.slots[font_count + i].target);
    }
    platform.set_current_directory(before);
    return staged && flush_folders(platform, folder, check);
}

bool commit(Platform& platform, const Names& names, const std::array<bool, 6>& present,
            FirstFailure& check) {
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        if (present[i] && !check(platform.move_file(slot.target, slot.backup), slot.target))
            return false;
        if (!slot.staged.empty() &&
            !check(platform.move_file(slot.staged, slot.target), slot.target))
            return false;
    }
    return true;
}

}  // namespace

Names names_in(const std::string& folder) {
    Names names;
    for (std::size_t i = 0; i < font_count; ++i)
        names.slots[i] = slot_for(joined(folder, superseded_fonts[i]), false);
    for (std::size_t i = 0; i < payload_steps.size(); ++i) {
        const PayloadStep& step = payload_steps[i];
        names.slots[font_count + i] =
            slot_for(joined(joined(folder, step.directory), file_name_of(step.payload)), true);
    }
    names.journal = joined(folder, journal_name);
    return names;
}

Plan recovery_plan(const Names& names, const OnDisk& on_disk) {
    if (on_disk.journal && std::ranges::any_of(on_disk.staged, std::identity{}))
        return rollback_plan(names, on_disk);
    Plan plan;
    if (on_disk.journal) plan.push_back({Change::remove, &names.journal});
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        if (on_disk.staged[i]) plan.push_back({Change::remove, &names.slots[i].staged});
        if (on_disk.backup[i]) plan.push_back({Change::remove, &names.slots[i].backup});
    }
    return plan;
}

bool recover(Platform& platform, const std::string& folder) {
    const Names names = names_in(folder);
    return apply(platform, recovery_plan(names, observe(platform, names)));
}

Report install_transaction(Platform& platform, const std::string& folder) {
    const Names names = names_in(folder);
    std::array<bool, 6> present{};
    if (auto refusal = preflight(platform, folder, names, present)) return *refusal;

    State state = State::staging;
    FirstFailure check(platform, folder);
    [&] {
        if (!stage_payloads(platform, folder, names, check)) return;
        const std::string_view text = journal_text;
        const Bytes journal(reinterpret_cast<const unsigned char*>(text.data()), text.size());
        if (!check(platform.stage_file(names.journal, {}, journal), names.journal)) return;
        state = State::journaled;
        if (check(platform.flush_folder(folder), folder) &&
            commit(platform, names, present, check) && flush_folders(platform, folder, check) &&
            check(platform.delete_file(names.journal), names.journal))
            state = State::committed;
    }();
    // Committed or staging: deleting leftovers is all there is to do, and a
    // leftover that stays is deleted by the next attempt's recovery.
    if (state == State::committed) {
        for (std::size_t i = 0; i < names.slots.size(); ++i)
            if (present[i]) platform.delete_file(names.slots[i].backup);
        return {Cause::installed, {}};
    }
    if (state == State::staging) {
        recover(platform, folder);
        return *check.report;
    }
    if (!apply(platform, rollback_plan(names, observe(platform, names))))
        return {Cause::left_midway, {}};
    return *check.report;
}

}  // namespace veldor
