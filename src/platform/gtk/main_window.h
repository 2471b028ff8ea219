// The GTK face of the main window: builds the controls described by
// window/form.h and forwards their clicks to the VELDOR object.
#pragma once

#include <gtk/gtk.h>

#include "window/form.h"
#include "window/veldor.h"

namespace veldor::gtk {

class MainWindow {
public:
    explicit MainWindow(VELDOR& window);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    GtkWindow* gtk_window() const { return GTK_WINDOW(window_); }

    // Shows the window with the focus on the initial control, then has the
    // window object prove the copy.
    void show();
    // Disables the controls that start `command`; the focus moves on from them.
    void disable(Command command);

private:
    struct Slot {
        MainWindow* owner;
        const Control* control;
        GtkWidget* frame;  // clips the control to its place in the table
        GtkWidget* widget;
        void click() const;  // starts the control's command
    };

    GtkWidget* build_control(Slot& slot);
    GtkWidget* build_button(Slot& slot);
    GtkWidget* build_text_box(const Control& control);
    GtkWidget* build_label(Slot& slot);
    void apply_style();
    void set_icons();

    static gboolean on_shown(gpointer self);
    static void on_button_clicked(GtkButton* button, gpointer slot);
    static gboolean on_link_activated(GtkLinkButton* link, gpointer slot);
    static gboolean on_note_focus(GtkWidget* view, GdkEventFocus* event, gpointer scroller);
    static gboolean on_focus(GtkWidget* fixed, GtkDirectionType direction, gpointer self);

    VELDOR& window_object_;
    GtkWidget* window_;
    GtkWidget* fixed_;
    std::array<Slot, controls.size()> slots_{};
    double dpi_;
};

}  // namespace veldor::gtk
