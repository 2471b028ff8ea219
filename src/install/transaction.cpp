// Installing:
// Staging: each payload and the new manifest are written beside their targets and flushed; a
//   crash leaves only leftovers, which are deleted.
// Journaled: the journal is flushed, then targets and fonts move aside and staged files move in;
//   while a staged file remains, recovery moves back what moved.
// Keeping: once that is flushed, what moved aside moves into veldor-originals and is flushed,
//   then the new manifest moves in and the journal is deleted; recovery finishes this.
// Restoring is alike: the kept originals move in for the installed files, which are deleted once
// every original is back, with the manifest and the originals' folder.
#include "install/transaction.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "install/game_files.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view backup_suffix = ".veldor-old";
constexpr std::string_view originals_dir = "\\veldor-originals";
constexpr std::array<std::string_view, 5> kept_dirs{"", "\\data", "\\data\\cmn", "\\data\\cmn\\fe",
                                                    "\\data\\gui"};
// A journal's presence is the whole record: recovery never reads it.
constexpr std::string_view install_journal = "\\veldor-install.journal";
constexpr std::string_view restore_journal = "\\veldor-restore.journal";
constexpr std::string_view journal_text =
    "VELDOR汉化: changing this folder. Choosing it in the installer again finishes or undoes "
    "the change.\n";
// Files are hashed whole, in memory; the game's are far smaller.
constexpr std::size_t largest_file = std::size_t{256} << 20;

constexpr std::size_t font_count = superseded_fonts.size();

Bytes bytes_of(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

std::optional<Digest> digest_of(Platform& platform, const std::string& path) {
    const auto bytes = platform.read_file(path, largest_file);
    return bytes ? platform.sha256(bytes_of(*bytes)) : std::nullopt;
}

// Whether the file at `path` is byte for byte the one `digest` stands for.
bool holds(Platform& platform, const std::string& path, const Digest* digest) {
    return digest && digest_of(platform, path) == *digest;
}

std::optional<Kept> manifest_at(Platform& platform, const std::string& path) {
    const auto text = platform.read_file(path, manifest_limit);
    return text ? read_manifest(*text) : std::nullopt;
}

// A path below the game folder, as the player is told it.
std::string below(const std::string& folder, std::string_view path) {
    path.remove_prefix(folder.size());
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::string(path);
}

// Names the changes act on, which stay in the Names they were planned from.
struct Change {
    enum Kind {
        move,
        make_folder,
        flush,
        drop,    // a deletion that must succeed: a journal, an installed file
        remove,  // a leftover: one that stays is deleted next time
        remove_folder,
    } kind;
    const std::string* from;
    const std::string* to = nullptr;
};
using Plan = std::vector<Change>;

// Stops at the first change that fails but a leftover's removal, since the
// later ones assume it.
bool apply(Platform& platform, const Plan& plan) {
    for (const Change& c : plan) {
        const std::string& path = *c.from;
        switch (c.kind) {
            case Change::move:
                if (!platform.move_file(path, *c.to)) return false;
                break;
            case Change::make_folder:
                if (!platform.make_folder(path)) return false;
                break;
            case Change::flush:
                if (!platform.flush_folder(path)) return false;
                break;
            case Change::drop:
                if (!platform.delete_file(path)) return false;
                break;
            case Change::remove:
                platform.delete_file(path);
                break;
            case Change::remove_folder:
                platform.remove_folder(path);
                break;
        }
    }
    return true;
}

// What brings the folder back to a whole state, from what lies on disk.
struct Resolution {
    Plan plan;
    std::optional<Report> refusal;  // nothing is to be changed
    bool journaled = false;
    bool forward = false;  // the change is finished, not undone
};

// A resolution under a journal, finishing the change or undoing it.
Resolution journaled(bool forward) {
    Resolution r;
    r.journaled = true;
    r.forward = forward;
    return r;
}

// Where nothing is to be changed, and why.
Resolution refused(Report report, bool under_journal) {
    Resolution r;
    r.refusal = std::move(report);
    r.journaled = under_journal;
    return r;
}

// The folders of the targets and of the originals, those there are (or
// will be, where the plan makes them).
void flush_all(Platform& platform, const Names& names, Plan& plan) {
    const bool making =
        std::ranges::any_of(plan, [](const Change& c) { return c.kind == Change::make_folder; });
    for (const std::string& folder : names.kept_folders)
        if (making || platform.directory_exists(folder)) plan.push_back({Change::flush, &folder});
    for (const std::string& folder : names.game_folders) plan.push_back({Change::flush, &folder});
}

// Moves back what moved for one slot: its target to `incoming` where that is
// gone and the target is byte for byte what moved in (`digest`), then its
// backup to the target. False where a backup stands beside a target that is
// not the installer's: the player's current file, never replaced.
bool undo(Platform& platform, const Slot& slot, const std::string* incoming, const Digest* digest,
          Plan& plan) {
    bool target = platform.file_exists(slot.target);
    if (incoming && target && !platform.file_exists(*incoming) &&
        holds(platform, slot.target, digest)) {
        plan.push_back({Change::move, &slot.target, incoming});
        target = false;
    }
    if (!platform.file_exists(slot.backup)) return true;
    if (target) return false;
    plan.push_back({Change::move, &slot.backup, &slot.target});
    return true;
}

// Undoes the moves, last first; then the journal goes. Nothing at all is
// done where a slot cannot be undone.
Resolution rollback(Platform& platform, const Names& names, const std::string& journal,
                    const std::array<const std::string*, kept_count>& incoming,
                    const std::array<const Digest*, kept_count>& digests) {
    Resolution r = journaled(false);
    for (std::size_t i = names.slots.size(); i-- > 0;)
        if (!undo(platform, names.slots[i], incoming[i], digests[i], r.plan))
            return refused({Cause::stale_backup, below(names.folder, names.slots[i].backup)}, true);
    r.plan.push_back({Change::drop, &journal});
    return r;
}

Resolution resolve_install(Platform& platform, const Names& names) {
    std::array<const std::string*, kept_count> staged{};
    std::array<const Digest*, kept_count> digests{};
    bool any_staged = false;
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        if (!slot.payload) continue;
        staged[i] = &slot.staged;
        digests[i] = slot.payload;
        any_staged = platform.file_exists(slot.staged) || any_staged;
    }
    if (any_staged) {
        Resolution r = rollback(platform, names, names.journal, staged, digests);
        for (const std::string* s : staged)
            if (s) r.plan.push_back({Change::remove, s});
        r.plan.push_back({Change::remove, &names.new_manifest});
        return r;
    }
    // Every staged file moved in: the installation is finished. Once that is
    // durable, what moved aside is kept as the new manifest says, in place of
    // what was kept before, and made durable before the manifest moves in.
    Resolution r = journaled(true);
    for (const std::string& folder : names.game_folders) r.plan.push_back({Change::flush, &folder});
    const bool fresh = platform.file_exists(names.new_manifest);
    const std::optional<Kept> kept = fresh ? manifest_at(platform, names.new_manifest) : Kept{};
    if (!kept) return refused({Cause::left_midway, {}}, true);
    if (fresh) {
        // Each folder made is durable before anything moves into it.
        for (const std::string& folder : names.kept_folders)
            r.plan.push_back({Change::make_folder, &folder});
        r.plan.push_back({Change::flush, &names.folder});
        for (const std::string& folder : names.kept_folders)
            r.plan.push_back({Change::flush, &folder});
        for (std::size_t i = 0; i < names.slots.size(); ++i) {
            const Slot& slot = names.slots[i];
            const bool backup = platform.file_exists(slot.backup);
            if (platform.file_exists(slot.kept) && (backup || !(*kept)[i]))
                r.plan.push_back({Change::remove, &slot.kept});
            if (backup) r.plan.push_back({Change::move, &slot.backup, &slot.kept});
        }
    }
    flush_all(platform, names, r.plan);
    if (fresh) {
        if (platform.file_exists(names.manifest))
            r.plan.push_back({Change::remove, &names.manifest});
        r.plan.push_back({Change::move, &names.new_manifest, &names.manifest});
        r.plan.push_back({Change::flush, &names.kept_folders[0]});
    }
    r.plan.push_back({Change::flush, &names.folder});
    r.plan.push_back({Change::drop, &names.journal});
    r.plan.push_back({Change::flush, &names.folder});
    return r;
}

Resolution resolve_restore(Platform& platform, const Names& names) {
    const std::optional<Kept> kept = manifest_at(platform, names.manifest);
    std::array<const std::string*, kept_count> incoming{};
    std::array<const Digest*, kept_count> digests{};
    bool any_kept = false;
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const bool there = platform.file_exists(names.slots[i].kept);
        if (there && !kept) return refused({Cause::left_midway, {}}, true);
        if (!kept || !(*kept)[i]) continue;
        incoming[i] = &names.slots[i].kept;
        digests[i] = &*(*kept)[i];
        any_kept = there || any_kept;
    }
    if (any_kept) return rollback(platform, names, names.restore_journal, incoming, digests);
    // Every original is back: the installed files, the manifest and the
    // originals' folder go.
    Resolution r = journaled(true);
    flush_all(platform, names, r.plan);
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        const auto installed = [&](const std::string& path) {
            return platform.file_exists(path) && holds(platform, path, slot.payload);
        };
        if (!(kept && (*kept)[i]) && installed(slot.target))
            r.plan.push_back({Change::drop, &slot.target});
        if (installed(slot.backup)) r.plan.push_back({Change::remove, &slot.backup});
    }
    if (platform.file_exists(names.manifest)) r.plan.push_back({Change::drop, &names.manifest});
    for (std::size_t i = names.kept_folders.size(); i-- > 0;)
        r.plan.push_back({Change::remove_folder, &names.kept_folders[i]});
    for (const std::string& folder : names.game_folders) r.plan.push_back({Change::flush, &folder});
    r.plan.push_back({Change::drop, &names.restore_journal});
    r.plan.push_back({Change::flush, &names.folder});
    return r;
}

// Without a journal, the installer's own leftovers are deleted; a backup that
// is not the installer's is left, and the attempt ends there.
Resolution resolve_leftovers(Platform& platform, const Names& names) {
    Resolution r;
    for (const Slot& slot : names.slots) {
        if (slot.payload && platform.file_exists(slot.staged))
            r.plan.push_back({Change::remove, &slot.staged});
        if (!platform.file_exists(slot.backup)) continue;
        if (!holds(platform, slot.backup, slot.payload))
            return refused({Cause::stale_backup, below(names.folder, slot.backup)}, false);
        r.plan.push_back({Change::remove, &slot.backup});
    }
    if (platform.file_exists(names.new_manifest))
        r.plan.push_back({Change::remove, &names.new_manifest});
    return r;
}

// Whether it finished an interrupted change, in `forward`.
std::optional<Report> recover(Platform& platform, const Names& names, bool& forward) {
    // A resolution that fails is tried once more, from what is then on disk.
    for (int failures = 0;;) {
        const Resolution r = platform.file_exists(names.journal) ? resolve_install(platform, names)
                             : platform.file_exists(names.restore_journal)
                                 ? resolve_restore(platform, names)
                                 : resolve_leftovers(platform, names);
        if (!r.journaled) {
            if (!r.refusal) apply(platform, r.plan);
            return r.refusal;
        }
        forward = r.forward;
        if (!r.refusal && apply(platform, r.plan)) continue;
        if (++failures == 2) return r.refusal ? r.refusal : Report{Cause::left_midway, {}};
    }
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
std::optional<Report> preflight(Platform& platform, const Names& names,
                                std::array<bool, kept_count>& present) {
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
        return Report{cause, below(names.folder, names.slots[i].target)};
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

bool flush_folders(Platform& platform, const Names& names, FirstFailure& check) {
    return std::ranges::all_of(names.game_folders, [&](const std::string& f) {
        return check(platform.flush_folder(f), f);
    });
}

std::string file_name_of(std::uint16_t id) {
    for (const Payload& p : payloads)
        if (p.id == id) return std::string(p.file_name);
    return {};
}

// Each payload beside its target, and the record of what will be kept, flushed.
bool stage(Platform& platform, const std::string& folder, const Names& names, const Kept& kept,
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
    return staged &&
           check(platform.stage_file(names.new_manifest, {}, bytes_of(manifest_text(kept))),
                 names.new_manifest) &&
           flush_folders(platform, names, check);
}

// The journal, flushed, then each slot's moves; false at the first that fails.
bool commit(Platform& platform, const Names& names, const std::string& journal,
            const std::array<const std::string*, kept_count>& outgoing,
            const std::array<const std::string*, kept_count>& incoming, FirstFailure& check) {
    if (!check(platform.stage_file(journal, {}, bytes_of(journal_text)), journal) ||
        !check(platform.flush_folder(names.folder), names.folder))
        return false;
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        if (outgoing[i] && !check(platform.move_file(slot.target, *outgoing[i]), slot.target))
            return false;
        if (incoming[i] && !check(platform.move_file(*incoming[i], slot.target), slot.target))
            return false;
    }
    return true;
}

// After the commit, or after it failed: the folder resolved, and the report.
// What this attempt changed and could not resolve is left mid-way.
Report concluded(Platform& platform, const Names& names, Cause success, const FirstFailure& check) {
    bool finished = false;
    if (recover(platform, names, finished)) return {Cause::left_midway, {}};
    if (finished) return {success, {}};
    return check.report.value_or(Report{Cause::left_midway, {}});
}

}  // namespace

Names names_in(const std::string& folder) {
    Names names;
    names.folder = folder;
    const std::string kept = joined(folder, originals_dir);
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const std::string name = replaced_name(i);
        Slot& slot = names.slots[i];
        slot.target = joined(folder, name);
        slot.backup = joined(slot.target, backup_suffix);
        slot.kept = joined(kept, name);
        if (i < font_count) continue;
        slot.staged = joined(slot.target, staged_suffix);
        for (const PayloadDigest& p : payload_digests)
            if (p.id == payload_steps[i - font_count].payload) slot.payload = &p.sha256;
    }
    names.journal = joined(folder, install_journal);
    names.restore_journal = joined(folder, restore_journal);
    names.manifest = joined(kept, "\\originals.txt");
    names.new_manifest = joined(kept, staged_suffix);
    for (std::size_t i = 0; i < kept_dirs.size(); ++i)
        names.kept_folders[i] = joined(kept, kept_dirs[i]);
    names.game_folders = {joined(folder, database_dir), joined(folder, font_dir), folder};
    return names;
}

std::optional<Report> recover(Platform& platform, const std::string& folder) {
    bool forward = false;
    return recover(platform, names_in(folder), forward);
}

bool restorable(Platform& platform, const std::string& folder) {
    const Names names = names_in(folder);
    return manifest_at(platform, names.manifest) &&
           std::ranges::all_of(names.slots, [&](const Slot& slot) {
               return slot.payload ? holds(platform, slot.target, slot.payload)
                                   : !platform.file_exists(slot.target);
           });
}

Report install_transaction(Platform& platform, const std::string& folder) {
    const Names names = names_in(folder);
    std::array<bool, kept_count> present{};
    if (auto refusal = preflight(platform, names, present)) return *refusal;
    // What is there now is kept, unless it is this patch already.
    Kept kept;
    bool patched = true;
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        if (present[i] && !(kept[i] = digest_of(platform, slot.target)))
            return {Cause::write_failed, below(folder, slot.target)};
        patched = patched && (slot.payload ? kept[i] == *slot.payload : !present[i]);
    }
    if (patched) return {Cause::installed, {}};

    std::array<const std::string*, kept_count> outgoing{}, incoming{};
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        if (present[i]) outgoing[i] = &names.slots[i].backup;
        if (names.slots[i].payload) incoming[i] = &names.slots[i].staged;
    }
    FirstFailure check(platform, folder);
    if (stage(platform, folder, names, kept, check))
        commit(platform, names, names.journal, outgoing, incoming, check);
    return concluded(platform, names, Cause::installed, check);
}

Report restore_transaction(Platform& platform, const std::string& folder) {
    const Names names = names_in(folder);
    const auto text = platform.read_file(names.manifest, manifest_limit);
    if (!text && !platform.file_exists(names.manifest)) return {Cause::nothing_to_restore, {}};
    const std::optional<Kept> kept = text ? read_manifest(*text) : std::nullopt;
    if (!kept) return {Cause::backup_damaged, below(folder, names.manifest)};
    std::array<bool, kept_count> present{};
    if (auto refusal = preflight(platform, names, present)) return *refusal;

    std::array<const std::string*, kept_count> outgoing{}, incoming{};
    for (std::size_t i = 0; i < names.slots.size(); ++i) {
        const Slot& slot = names.slots[i];
        if (slot.payload ? !holds(platform, slot.target, slot.payload) : present[i])
            return {Cause::files_changed, below(folder, slot.target)};
        if ((*kept)[i] && !holds(platform, slot.kept, &*(*kept)[i]))
            return {Cause::backup_damaged, below(folder, slot.kept)};
        if (present[i]) outgoing[i] = &slot.backup;
        if ((*kept)[i]) incoming[i] = &slot.kept;
    }
    FirstFailure check(platform, folder);
    commit(platform, names, names.restore_journal, outgoing, incoming, check);
    return concluded(platform, names, Cause::restored, check);
}

}  // namespace veldor
