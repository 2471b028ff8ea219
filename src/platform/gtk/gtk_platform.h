// The Linux platform: GTK 3 for the dialogs and the document opener, POSIX for
// the game folder, payloads linked into the executable. Run as root, a
// folder that is a symbolic link is `linked`, which the installer refuses.
//
// Dialogs are modal to the main window once it is known (set_owner). The
// folder dialog is GtkFileChooserNative, which uses the desktop's portal when
// there is one and GTK's own chooser otherwise.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_files.h"

namespace veldor {

class GtkPlatform : public Platform {
public:
    // `title` captions every message box.
    explicit GtkPlatform(std::string title) : title_(std::move(title)) {}

    void set_owner(GtkWindow* owner) { owner_ = owner; }
    // Silent mode: messages, each with its reason, go to stderr; nothing
    // opens the display.
    void set_silent() { silent_ = true; }

    void message_box(std::string_view text, Icon icon) override;
    bool ask(std::string_view question) override;
    char separator() const override { return '/'; }
    std::optional<std::string> browse_for_folder(const FolderRequest& request) override;
    void set_game_folder(const std::string& folder) override { files_.set_game_folder(folder); }
    bool file_exists(const std::string& path) override;
    bool directory_exists(const std::string& path) override;
    GamePlaces game_places() override;
    std::vector<std::string> subfolders(const std::string& folder, std::size_t limit) override;
    std::optional<std::string> read_small_file(const std::string& folder, std::string_view name,
                                               std::size_t limit) override;
    std::optional<std::string> read_file(const std::string& path, std::size_t limit) override;
    bool make_folder(const std::string& path) override { return files_.make_folder(path); }
    bool remove_folder(const std::string& path) override { return files_.remove_folder(path); }
    bool delete_file(const std::string& path) override;
    bool set_current_directory(const std::string& path) override;
    std::string current_directory() override { return files_.current_directory(); }
    FileState file_state(const std::string& path) override;
    bool stage_file(const std::string& name, const std::string& like, Bytes bytes) override;
    bool move_file(const std::string& from, const std::string& to) override;
    bool flush_folder(const std::string& path) override;
    Fault fault() const override { return files_.fault(); }
    std::optional<Digest> sha256(Bytes bytes) override;
    std::optional<Bytes> read_resource(std::string_view type, unsigned id) override;
    void open_document(std::string_view address) override;
    void end_program(int exit_code) override;

private:
    std::string title_;
    GtkWindow* owner_ = nullptr;
    PosixFiles files_;
    bool silent_ = false;
};

}  // namespace veldor
