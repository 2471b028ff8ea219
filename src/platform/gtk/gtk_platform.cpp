#include "platform/gtk/gtk_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "platform/gtk/embedded_payloads.h"
#include "platform/gtk/libcrypto_sha256.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_places.h"

namespace veldor {
namespace {

struct WidgetDestroyer {
    void operator()(GtkWidget* w) const { gtk_widget_destroy(w); }
};
struct ObjectUnref {
    void operator()(gpointer o) const { g_object_unref(o); }
};

}  // namespace

void GtkPlatform::message_box(std::string_view text, Icon icon) {
    const std::string message(text);
    if (silent_) {
        // Raw UTF-8, whatever the locale: scripts read it as the program wrote it.
        std::fprintf(stderr, "%s: %s\n", g_get_prgname(), message.c_str());
        return;
    }
    std::unique_ptr<GtkWidget, WidgetDestroyer> dialog(gtk_message_dialog_new(
        owner_, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        icon == Icon::stop ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
        message.c_str()));
    gtk_window_set_title(GTK_WINDOW(dialog.get()), title_.c_str());
    // GTK 3 draws no icon for any kind of message: a failure gets the theme's
    // error icon beside its text, as on Windows; other messages none.
    GtkWidget* row = gtk_widget_get_parent(
        gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog.get())));
    if (icon == Icon::stop && GTK_IS_BOX(row)) {
        GtkWidget* image = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
        gtk_widget_set_valign(image, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
        gtk_box_reorder_child(GTK_BOX(row), image, 0);
        gtk_widget_show(image);
    }
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
}

bool GtkPlatform::ask(std::string_view question) {
    if (silent_) return false;
    const std::string text(question);
    std::unique_ptr<GtkWidget, WidgetDestroyer> dialog(gtk_message_dialog_new(
        owner_, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, "%s", text.c_str()));
    gtk_window_set_title(GTK_WINDOW(dialog.get()), title_.c_str());
    return gtk_dialog_run(GTK_DIALOG(dialog.get())) == GTK_RESPONSE_YES;
}

std::optional<std::string> GtkPlatform::browse_for_folder(const FolderRequest& request) {
    const std::string caption(request.title);
    std::unique_ptr<GtkFileChooserNative, ObjectUnref> chooser(gtk_file_chooser_native_new(
        caption.c_str(), owner_, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "确定(_O)", "取消(_C)"));
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser.get()), TRUE);
    // Start where asked, else at the desktop, as the Windows folder browser
    // does, or at home; GTK's own start, "Recent", cannot be chosen as a folder.
    const char* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
    const bool has_desktop = desktop && g_file_test(desktop, G_FILE_TEST_IS_DIR);
    const auto start = PosixPlaces::real_folder(request.start);
    const char* opening = start ? start->c_str() : has_desktop ? desktop : g_get_home_dir();
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser.get()), opening);
    // Steam libraries and Wine prefixes hide in dot folders the chooser skips.
    // The chooser lists a folder as often as it is added: once per real path.
    std::set<std::string> offered;
    for (const std::string& shortcut : request.shortcuts)
        if (const auto folder = PosixPlaces::real_folder(shortcut);
            folder && offered.insert(*folder).second)
            gtk_file_chooser_add_shortcut_folder(GTK_FILE_CHOOSER(chooser.get()), folder->c_str(),
                                                 nullptr);
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser.get())) != GTK_RESPONSE_ACCEPT)
        return std::nullopt;
    // A folder outside the local file system has no path: an empty answer.
    std::unique_ptr<char, decltype(&g_free)> path(
        gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser.get())), &g_free);
    return path ? std::string(path.get()) : std::string();
}

bool GtkPlatform::file_exists(const std::string& path) { return files_.file_exists(path); }

bool GtkPlatform::directory_exists(const std::string& path) {
    return files_.directory_exists(path);
}

GamePlaces GtkPlatform::game_places() { return PosixPlaces::game_places(); }

std::optional<std::string> GtkPlatform::read_small_file(const std::string& folder,
                                                        std::string_view name, std::size_t limit) {
    return PosixPlaces::read_small_file(folder, name, limit);
}

std::vector<std::string> GtkPlatform::subfolders(const std::string& folder, std::size_t limit) {
    return PosixPlaces::subfolders(folder, limit);
}

std::optional<std::string> GtkPlatform::read_file(const std::string& path, std::size_t limit) {
    const auto resolved = files_.resolve(path);
    if (!resolved) return std::nullopt;
    const std::size_t slash = resolved->rfind('/');
    return PosixPlaces::read_small_file(resolved->substr(0, slash), resolved->substr(slash + 1),
                                        limit);
}

bool GtkPlatform::delete_file(const std::string& path) { return files_.delete_file(path); }

bool GtkPlatform::set_current_directory(const std::string& path) {
    return files_.set_current_directory(path);
}

// Root follows no symbolic link to a folder: whoever may write the game
// folder could otherwise send root's writes anywhere. A player follows them,
// as Windows follows a junction: it gains nothing that player lacks.
FileState GtkPlatform::file_state(const std::string& path) {
    const FileState state = files_.file_state(path);
    if (state != FileState::other || geteuid() != 0) return state;
    const auto found = files_.resolve(path);
    struct stat st {};
    return found && ::lstat(found->c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? FileState::linked
                                                                             : state;
}

bool GtkPlatform::stage_file(const std::string& name, const std::string& like, Bytes bytes) {
    return files_.stage_file(name, like, bytes);
}

bool GtkPlatform::move_file(const std::string& from, const std::string& to) {
    return files_.move_file(from, to);
}

bool GtkPlatform::flush_folder(const std::string& path) { return files_.flush_folder(path); }

std::optional<Digest> GtkPlatform::sha256(Bytes bytes) { return libcrypto_sha256(bytes); }

std::optional<Bytes> GtkPlatform::read_resource(std::string_view type, unsigned id) {
    return embedded_resource(type, id);
}

void GtkPlatform::open_document(std::string_view address) {
    const std::string uri(address);
    GError* error = nullptr;  // no browser is no news for the player
    gtk_show_uri_on_window(owner_, uri.c_str(), GDK_CURRENT_TIME, &error);
    g_clear_error(&error);
}

void GtkPlatform::end_program(int exit_code) { std::exit(exit_code); }

}  // namespace veldor
