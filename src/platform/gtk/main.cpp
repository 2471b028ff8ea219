// The Linux program: the options first; then either a silent installation,
// which never opens the display, or the window from the table, on the GTK
// platform.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "install/install.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/main_window.h"
#include "platform/gtk/options.h"
#include "window/identity.h"
#include "window/veldor.h"

int main(int argc, char** argv) {
    using veldor::exit_code;
    using veldor::Outcome;
    const veldor::CommandLine command = veldor::gtk::ReadOptions(argc, argv);
    if (command.bad()) {
        if (!command.malformed)
            std::fprintf(stderr, "%s: --silent 需要 --folder\n", g_get_prgname());
        std::fprintf(stderr, "用法见 %s --help\n", g_get_prgname());
        return exit_code(Outcome::bad_command_line);
    }
    veldor::GtkPlatform platform{std::string(veldor::application_title)};
    const auto action = command.restore ? veldor::Action::restore : veldor::Action::install;
    if (command.silent) {
        platform.set_silent();
        return exit_code(veldor::InstallInto(platform, command.folder, action));
    }

    gtk_init(&argc, &argv);
    // A restore asked for with a window: the folder chooser, then the question.
    if (command.restore) {
        std::string chosen;
        return exit_code(veldor::Install(platform, chosen, command.folder, action));
    }
    veldor::VELDOR form(platform, command.folder);
    veldor::gtk::MainWindow window(form);
    platform.set_owner(window.gtk_window());

    // Closing the window ends the program, as Exit does.
    g_signal_connect(window.gtk_window(), "delete-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean {
                         gtk_main_quit();
                         return TRUE;
                     }),
                     nullptr);
    window.show();
    gtk_main();
    // Only a completed installation ends the program with success.
    return exit_code(Outcome::left);
}
