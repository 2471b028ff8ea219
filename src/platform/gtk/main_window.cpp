#include "platform/gtk/main_window.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace veldor::gtk {
namespace {

// Point sizes are converted by Pango at the screen's own resolution, so text
// grows with the twips-to-pixels scale of the controls.
constexpr char fixed_style[] = R"css(
/* Buttons fit their 25-pixel slots: the theme's padding would outgrow them. */
.veldor-button { min-height: 0; padding-top: 0; padding-bottom: 0; }
/* The site link looks like the label it is: no button around it. */
.veldor-link { min-height: 0; min-width: 0; padding: 0; border: 0; background: none;
               box-shadow: none; }
/* The note box shows when it has the focus, though it shows no caret. */
.veldor-note { border-width: 2px; }
.veldor-note-focused { border-color: @theme_fg_color; }
)css";

// The selection colour is for text only where it reads against the window
// (not in Adwaita-dark, for one): elsewhere the link keeps the theme's link
// colour and the slogan its normal text colour.
constexpr char highlight_style[] = ".veldor-highlight { color: @theme_selected_bg_color; }\n";

bool highlight_reads(GtkWidget* window) {
    GtkStyleContext* style = gtk_widget_get_style_context(window);
    GdkRGBA highlight{}, background{};
    return gtk_style_context_lookup_color(style, "theme_selected_bg_color", &highlight) &&
           gtk_style_context_lookup_color(style, "theme_bg_color", &background) &&
           contrast({highlight.red, highlight.green, highlight.blue},
                    {background.red, background.green, background.blue}) >= highlight_contrast;
}

// The window's own font, for every control without one of its own.
std::string window_font_style(const Font& font) {
    std::string css = ".veldor-main, .veldor-main * { font-family: \"";
    css += font.face;
    css += "\"; font-size: " + std::to_string(font.points) + "pt; font-weight: ";
    css += std::to_string(font.weight) + "; }\n";
    return css;
}

double screen_dpi(GtkWidget* widget) {
    const double dpi = gdk_screen_get_resolution(gtk_widget_get_screen(widget));
    return dpi > 0 ? dpi : 96.0;
}

PangoAttrList* font_attributes(const Font& font) {
    PangoFontDescription* description = pango_font_description_new();
    const std::string family(font.face);
    pango_font_description_set_family(description, family.c_str());
    pango_font_description_set_size(description,
                                    static_cast<gint>(std::lround(font.points * PANGO_SCALE)));
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font.weight));
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_desc_new(description));
    if (font.underline)
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_font_description_free(description);
    return attributes;
}

// The slogan's text width in pixels, laid out in its own font at the
// screen's resolution; 0 for any other control.
int slogan_width(const Control& control, GtkWidget* label) {
    if (control.name != slogan) return 0;
    const std::string caption(control.caption);
    PangoLayout* layout = gtk_widget_create_pango_layout(label, caption.c_str());
    pango_layout_set_attributes(layout, gtk_label_get_attributes(GTK_LABEL(label)));
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    g_object_unref(layout);
    return width;
}

// "安 装(&I)" becomes "安 装(_I)": the table's access-key marker in GTK's
// mnemonic form, with literal underscores doubled.
std::string mnemonic_label(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '_') {
            out += "__";
        } else if (c == '&' && i + 1 < caption.size()) {
            out += caption[i + 1] == '&' ? '&' : '_';
            if (caption[i + 1] == '&') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

MainWindow::MainWindow(VELDOR& window)
    : window_object_(window), window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)) {
    g_object_ref_sink(window_);
    dpi_ = screen_dpi(window_);
    const std::string caption(main_window.caption);
    gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    apply_style();
    set_icons();

    // Exactly the client area; an unresizable window shrinks to it.
    fixed_ = gtk_fixed_new();
    gtk_widget_set_size_request(fixed_, twips_to_pixels(main_window.client_width, dpi_),
                                twips_to_pixels(main_window.client_height, dpi_));
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    g_signal_connect(fixed_, "focus", G_CALLBACK(on_focus), this);

    for (std::size_t i = 0; i < controls.size(); ++i) {
        Slot& slot = slots_[i];
        slot.owner = this;
        slot.control = &controls[i];
        slot.widget = build_control(slot);
        const Rect r = pixel_slot(controls[i], dpi_, slogan_width(controls[i], slot.widget));

        // A layout draws in its own window of exactly the slot's size, so a
        // control that wants more room is clipped rather than spilling over.
        slot.frame = gtk_layout_new(nullptr, nullptr);
        gtk_widget_set_size_request(slot.frame, r.width, r.height);
        gtk_widget_set_size_request(slot.widget, r.width, r.height);
        gtk_layout_put(GTK_LAYOUT(slot.frame), slot.widget, 0, 0);
        gtk_fixed_put(GTK_FIXED(fixed_), slot.frame, r.left, r.top);
    }
}

MainWindow::~MainWindow() {
    gtk_widget_destroy(window_);
    g_object_unref(window_);
}

void MainWindow::show() {
    gtk_widget_show_all(window_);
    for (const Slot& slot : slots_)
        if (slot.control->name == main_window.initial_focus) gtk_widget_grab_focus(slot.widget);
    gtk_window_present(GTK_WINDOW(window_));
    // Once the window is drawn.
    g_idle_add(on_shown, this);
}

gboolean MainWindow::on_shown(gpointer self) {
    auto& w = *static_cast<MainWindow*>(self);
    if (!w.window_object_.Shown()) w.disable(Command::install);
    return G_SOURCE_REMOVE;
}

void MainWindow::disable(Command command) {
    bool had_focus = false;
    for (const Slot& slot : slots_)
        if (slot.control->on_click == command) {
            had_focus |= gtk_window_get_focus(GTK_WINDOW(window_)) == slot.widget;
            gtk_widget_set_sensitive(slot.widget, FALSE);
        }
    // The focus goes to the first control in Tab order that can take it.
    for (const Control* c : had_focus ? focus_order() : std::vector<const Control*>{})
        for (const Slot& slot : slots_)
            if (slot.control == c && gtk_widget_is_sensitive(slot.widget)) {
                gtk_widget_grab_focus(slot.widget);
                return;
            }
}

GtkWidget* MainWindow::build_control(Slot& slot) {
    switch (slot.control->kind) {
        case ControlKind::push_button:
            return build_button(slot);
        case ControlKind::text_box:
            return build_text_box(*slot.control);
        case ControlKind::label:
            return build_label(slot);
    }
    return nullptr;
}

GtkWidget* MainWindow::build_button(Slot& slot) {
    GtkWidget* button = gtk_button_new_with_mnemonic(mnemonic_label(slot.control->caption).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(button), "veldor-button");
    // Read as its word; its access key is told apart.
    atk_object_set_name(gtk_widget_get_accessible(button),
                        spoken_name(slot.control->caption).c_str());
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
    if (GTK_IS_LABEL(label)) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    g_signal_connect(button, "clicked", G_CALLBACK(on_button_clicked), &slot);
    return button;
}

GtkWidget* MainWindow::build_text_box(const Control& control) {
    GtkWidget* view = gtk_text_view_new();
    const std::string name(note_box_name);
    atk_object_set_name(gtk_widget_get_accessible(view), name.c_str());
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    // The note's wrapped lines joined: the view wraps them for its own fonts.
    const std::string text = unwrapped_note(control.caption);
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(),
                             static_cast<gint>(text.size()));

    // A permanent scroll bar, as on Windows: an overlay one shows only under
    // the pointer, and the note's last lines would look absent.
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_ALWAYS);
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scroller), FALSE);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk_style_context_add_class(gtk_widget_get_style_context(scroller), "veldor-note");
    gtk_container_add(GTK_CONTAINER(scroller), view);
    g_signal_connect(view, "focus-in-event", G_CALLBACK(on_note_focus), scroller);
    g_signal_connect(view, "focus-out-event", G_CALLBACK(on_note_focus), scroller);
    return scroller;
}

GtkWidget* MainWindow::build_label(Slot& slot) {
    const Control& control = *slot.control;
    const std::string caption(control.caption);
    // A label with a click is a link to screen readers too (role link, with
    // an action), yet never a Tab stop.
    GtkWidget* link = nullptr;
    GtkWidget* label = nullptr;
    if (control.on_click != Command::none) {
        link = gtk_link_button_new_with_label(caption.c_str(), caption.c_str());
        gtk_widget_set_can_focus(link, FALSE);
        gtk_widget_set_has_tooltip(link, FALSE);
        atk_object_set_role(gtk_widget_get_accessible(link), ATK_ROLE_LINK);
        gtk_style_context_add_class(gtk_widget_get_style_context(link), "veldor-link");
        g_signal_connect(link, "activate-link", G_CALLBACK(on_link_activated), &slot);
        label = gtk_bin_get_child(GTK_BIN(link));
    } else {
        label = gtk_label_new(caption.c_str());
    }
    // The slogan's slot fits its text: were it short, clipping would show it.
    if (control.name != slogan) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    if (control.font) {
        PangoAttrList* attributes = font_attributes(*control.font);
        gtk_label_set_attributes(GTK_LABEL(label), attributes);
        pango_attr_list_unref(attributes);
    }
    if (control.colour == TextColour::highlight)
        gtk_style_context_add_class(gtk_widget_get_style_context(label), "veldor-highlight");
    return link ? link : label;
}

void MainWindow::apply_style() {
    gtk_style_context_add_class(gtk_widget_get_style_context(window_), "veldor-main");
    const std::string css = window_font_style(main_window.font) + fixed_style +
                            (highlight_reads(window_) ? highlight_style : "");
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window_),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

void MainWindow::set_icons() {
    GList* icons = nullptr;
    for (const char* path : {"/veldor/veldor-16.png", "/veldor/veldor-32.png"})
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource(path, nullptr))
            icons = g_list_append(icons, icon);
    gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
    g_list_free_full(icons, g_object_unref);
}

void MainWindow::Slot::click() const { owner->window_object_.Run(control->on_click); }

void MainWindow::on_button_clicked(GtkButton*, gpointer slot) { static_cast<Slot*>(slot)->click(); }

// The link opens the site through the window object, not GTK's own opener.
gboolean MainWindow::on_link_activated(GtkLinkButton*, gpointer slot) {
    static_cast<Slot*>(slot)->click();
    return TRUE;
}

gboolean MainWindow::on_note_focus(GtkWidget*, GdkEventFocus* event, gpointer scroller) {
    GtkStyleContext* style = gtk_widget_get_style_context(GTK_WIDGET(scroller));
    if (event->in)
        gtk_style_context_add_class(style, "veldor-note-focused");
    else
        gtk_style_context_remove_class(style, "veldor-note-focused");
    return FALSE;
}

// Tab and Shift+Tab walk the controls by their tab indices rather than by
// position; labels are skipped because they never accept focus.
gboolean MainWindow::on_focus(GtkWidget* fixed, GtkDirectionType direction, gpointer self) {
    if (direction != GTK_DIR_TAB_FORWARD && direction != GTK_DIR_TAB_BACKWARD) return FALSE;
    const MainWindow& w = *static_cast<MainWindow*>(self);
    std::vector<GtkWidget*> chain;
    for (const Control* c : focus_order())
        for (const Slot& s : w.slots_)
            if (s.control == c) chain.push_back(s.frame);
    if (direction == GTK_DIR_TAB_BACKWARD) std::reverse(chain.begin(), chain.end());

    GtkWidget* current = gtk_container_get_focus_child(GTK_CONTAINER(fixed));
    auto it = std::find(chain.begin(), chain.end(), current);
    if (it != chain.end() && gtk_widget_child_focus(*it, direction)) return TRUE;
    for (it = it == chain.end() ? chain.begin() : it + 1; it != chain.end(); ++it)
        if (gtk_widget_child_focus(*it, direction)) return TRUE;
    // Past the last control: unhandled, so the window wraps to the first, but
    // without the container's own position-ordered walk.
    g_signal_stop_emission_by_name(fixed, "focus");
    return FALSE;
}

}  // namespace veldor::gtk
