// The Linux program: the window from the table, on the GTK platform.
#include <gtk/gtk.h>

#include <string>

#include "install/install.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/main_window.h"
#include "window/identity.h"
#include "window/veldor.h"

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    veldor::GtkPlatform platform{std::string(veldor::application_title)};
    veldor::VELDOR form(platform);
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
    return veldor::exit_code(veldor::Outcome::left);
}
