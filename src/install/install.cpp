#include "install/install.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "install/find_game.h"
#include "install/game_files.h"
#include "install/messages.h"
#include "install/transaction.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view dialog_title = "请选择文件夹";

// Nothing is touched unless the folder has the game's layout.
bool has_game_layout(Platform& platform, const std::string& folder) {
    // An array, not a braced list: GCC gives a list's backing array a
    // writable section.
    static constexpr std::array<std::string_view, 2> layout{database_dir, font_dir};
    for (std::string_view dir : layout)
        if (!platform.directory_exists(joined(folder, dir))) return false;
    return true;
}

// The first folder of the layout that is a link, where the platform follows
// none (an elevated run), below the game folder as the player is told it.
std::optional<std::string> linked_folder(Platform& platform, const std::string& folder) {
    for (std::string_view dir : layout_folders)
        if (platform.file_state(joined(folder, dir)) == FileState::linked)
            return std::string(dir.substr(1));
    return std::nullopt;
}

// The folder is the platform's for one attempt, and given back at its end.
class HandedOver {
public:
    HandedOver(Platform& platform, const std::string& folder) : platform_(platform) {
        platform.set_game_folder(folder);
    }
    HandedOver(const HandedOver&) = delete;
    HandedOver& operator=(const HandedOver&) = delete;
    ~HandedOver() { platform_.set_game_folder({}); }

private:
    Platform& platform_;
};

// What an elevated copy made of the attempt the folder refused the player.
Report elevated(Platform& platform, const std::string& folder, Action action,
                const Report& denied) {
    const bool restore = action == Action::restore;
    const Elevation elevation = platform.run_elevated(folder, restore);
    switch (elevation.kind) {
        case Elevation::unavailable:
            return denied;
        case Elevation::declined:
            return {Cause::declined, {}};
        case Elevation::ran:
            break;
    }
    // Its report, where it sent one that agrees with how it ended; else what
    // its exit code alone says.
    if (const auto report = decoded(elevation.report);
        report && exit_code(outcome_of(report->cause)) == elevation.exit_code)
        return *report;
    switch (elevation.exit_code) {
        case exit_code(Outcome::installed):
            return {restore ? Cause::restored : Cause::installed, {}};
        case exit_code(Outcome::refused):
            return {Cause::not_game_folder, {}};
        case exit_code(Outcome::damaged):
            return {Cause::damaged, {}};
        case exit_code(Outcome::left_midway):
            return {Cause::left_midway, {}};
        default:
            return {Cause::write_failed, {}};
    }
}

// Where a retry's dialog opens: the last attempt's folder, or the folder
// that held it if it is gone. Either separator ends a name: the folder is
// in the file system's own form.
std::string where_it_was(Platform& platform, std::string folder) {
    if (platform.directory_exists(folder)) return folder;
    while (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.pop_back();
    if (folder.size() > 1 && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}

// Nothing in a folder is touched, not even leftovers, before the installer
// has proved itself and the folder is the game's; then what an interrupted
// attempt left is resolved. A report where the attempt ends there.
// The folder from the dialog and one given on the command line alike, once
// handed over.
std::optional<Report> prepare(Platform& platform, const std::string& folder) {
    if (folder.empty()) return Report{Cause::not_game_folder, {}};
    if (!payloads_intact(platform)) return Report{Cause::damaged, {}};
    if (!platform.directory_exists(folder)) return Report{Cause::no_folder, folder};
    if (!has_game_layout(platform, folder)) return Report{Cause::not_game_folder, {}};
    if (auto link = linked_folder(platform, folder)) return Report{Cause::linked, std::move(*link)};
    return recover(platform, folder);
}

Report act(Platform& platform, const std::string& folder, Action action) {
    return action == Action::restore ? restore_transaction(platform, folder)
                                     : install_transaction(platform, folder);
}

}  // namespace

Outcome Install(Platform& platform, std::string& path_buffer, const std::string& start,
                Action action) {
    const std::string last = std::exchange(path_buffer, {});
    // The dialog opens on the folder the command line gave; where it gave
    // none, on the game found in the player's libraries, if any. A retry
    // opens where the last attempt was.
    FolderRequest request{dialog_title, last.empty() ? start : where_it_was(platform, last), {}};
    find_game(platform, request);
    const std::optional<std::string> chosen = platform.browse_for_folder(request);
    if (!chosen) return Outcome::left;
    path_buffer = *chosen;
    std::optional<Report> report;
    {
        // The folder is let go before an elevated copy takes it over.
        const HandedOver handed_over(platform, path_buffer);
        report = prepare(platform, path_buffer);
        if (!report && restorable(platform, path_buffer)) {
            if (!platform.ask(restore_question)) return Conclude(platform, {Cause::cancelled, {}});
            action = Action::restore;
        }
        if (!report) report = act(platform, path_buffer, action);
    }
    if (report->cause == Cause::denied) report = elevated(platform, path_buffer, action, *report);
    return Conclude(platform, *report);
}

Report Attempt(Platform& platform, const std::string& folder, Action action) {
    const HandedOver handed_over(platform, folder);
    if (auto report = prepare(platform, folder)) return *report;
    return act(platform, folder, action);
}

Outcome Conclude(Platform& platform, const Report& report) {
    const Outcome outcome = outcome_of(report.cause);
    const Message message = message_for(report, platform.separator());
    if (!message.text.empty()) platform.message_box(message.text, message.icon);
    if (outcome == Outcome::installed) platform.end_program(exit_code(outcome));
    return outcome;
}

bool CopyIntact(Platform& platform) {
    if (payloads_intact(platform)) return true;
    Conclude(platform, {Cause::damaged, {}});
    return false;
}

Outcome InstallInto(Platform& platform, const std::string& folder, Action action) {
    return Conclude(platform, Attempt(platform, folder, action));
}

}  // namespace veldor
