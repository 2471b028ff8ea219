// The Win32 face of the installer: veldor::Platform on the Windows API, wide
// ("W") functions only. Runs the same under Wine, with two differences the
// code allows for: Wine as root ignores read-only attributes when writing,
// deleting or renaming, so those are checked here explicitly. Run elevated
// (always, under Wine), a reparse point is `linked`, never followed.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/elevation.h"
#include "platform/win32/folder_guard.h"
#include "platform/win32/handles.h"

namespace veldor {

class Win32Platform final : public Platform {
public:
    // Construct on the UI thread: it joins that thread to a single-threaded
    // COM apartment for its lifetime, as the shell's folder dialog requires.
    // `owner` may be null until the main window exists (see set_owner).
    // Resources are read from `resources`, null meaning the program itself.
    Win32Platform(HWND owner, std::wstring caption, HMODULE resources = nullptr)
        : owner_(owner), caption_(std::move(caption)), resources_(resources) {}

    void set_owner(HWND owner) { owner_ = owner; }
    // Silent mode: message boxes are not shown; the exit code tells.
    void set_silent() { silent_ = true; }

    void message_box(std::string_view text, Icon icon) override;
    bool ask(std::string_view question) override;
    Elevation run_elevated(const std::string& folder, bool restore) override {
        return win32::run_elevated(owner_, folder, restore);
    }
    void set_game_folder(const std::string& folder) override;
    std::optional<std::string> browse_for_folder(const FolderRequest& request) override;
    bool file_exists(const std::string& path) override;
    bool directory_exists(const std::string& path) override;
    // In win32_places.cpp.
    GamePlaces game_places() override;
    std::vector<std::string> subfolders(const std::string& folder, std::size_t limit) override;
    std::optional<std::string> read_small_file(const std::string& folder, std::string_view name,
                                               std::size_t limit) override;
    std::optional<std::string> read_file(const std::string& path, std::size_t limit) override;
    bool make_folder(const std::string& path) override;
    bool remove_folder(const std::string& path) override;
    bool delete_file(const std::string& path) override;
    bool set_current_directory(const std::string& path) override;
    std::string current_directory() override;
    FileState file_state(const std::string& path) override;
    bool stage_file(const std::string& name, const std::string& like, Bytes bytes) override;
    bool move_file(const std::string& from, const std::string& to) override;
    bool flush_folder(const std::string& path) override;
    Fault fault() const override { return fault_; }
    std::optional<Digest> sha256(Bytes bytes) override;
    std::optional<Bytes> read_resource(std::string_view type, unsigned id) override;
    void open_document(std::string_view address) override;
    [[noreturn]] void end_program(int exit_code) override;

private:
    // Notes why a file service failed; false.
    bool failed(DWORD error, const std::wstring& path);

    win32::ComApartment com_;
    HWND owner_;
    std::wstring caption_;
    HMODULE resources_;
    bool silent_ = false;
    // Elevated, the program follows no link and holds the folders it works in.
    const bool elevated_ = win32::runs_elevated();
    win32::FolderGuard held_;
    Fault fault_ = Fault::none;
};

}  // namespace veldor
