// The Linux program. For now a bare window holding the Install button, enough
// to run a whole installation by hand.
#include <gtk/gtk.h>

#include "platform/gtk/gtk_platform.h"
#include "window/veldor.h"

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    veldor::GtkPlatform platform("VELDOR汉化V1.2");
    veldor::VELDOR form(platform);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "VELDOR汉化补丁V1.2");
    gtk_container_set_border_width(GTK_CONTAINER(window), 8);
    platform.set_owner(GTK_WINDOW(window));

    GtkWidget* install = gtk_button_new_with_mnemonic("安 装(_I)");
    g_signal_connect_swapped(install, "clicked",
                             G_CALLBACK(+[](veldor::VELDOR* f) { f->comInstall_Click(); }), &form);
    gtk_container_add(GTK_CONTAINER(window), install);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

    gtk_widget_show_all(window);
    gtk_main();
}
