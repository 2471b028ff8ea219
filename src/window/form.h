// The main window as data: its caption, size and the six controls with
// everything a face needs to build them. Both faces read this one table.
//
// Positions and sizes are in twips (1/1440 inch); a face scales them by its
// screen's resolution (15 twips = 1 pixel at 96 DPI).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/identity.h"

namespace veldor {

// What a click on a control starts; dispatched by VELDOR::Run.
enum class Command { none, install, exit, about, open_site };

enum class ControlKind {
    push_button,
    text_box,  // multi-line, read-only, word-wrapped, scrolls vertically
    label,
};

// The highlight is the theme's selection colour. Where it does not reach
// highlight_contrast against the window's background (a dark theme), the
// link takes the theme's link colour and the slogan its text colour.
enum class TextColour { window_text, highlight };

struct Colour {
    double red, green, blue;  // sRGB, 0 to 1
};

inline constexpr double highlight_contrast = 3.0;

// The contrast ratio of two colours (1 to 21) by their relative luminance,
// as legibility guidelines measure it.
double contrast(Colour a, Colour b);

struct Font {
    std::string_view face;
    double points;
    int weight;  // 400 regular, 700 bold
    bool underline;
    int charset;  // 0 ANSI, 134 GB2312
};

struct Rect {
    int left, top, width, height;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
};

struct Control {
    std::string_view name;
    ControlKind kind;
    // For buttons, '&' marks the access key ("安 装(&I)" is Alt+I).
    std::string_view caption;
    Rect twips;
    int tab_index;
    std::optional<Font> font;  // nullopt: the window's font
    TextColour colour;
    Command on_click;
};

struct WindowForm {
    std::string_view caption;
    int client_width;  // twips
    int client_height;
    std::string_view initial_focus;  // a control name
    Font font;                       // for controls without a font of their own
};

inline constexpr Font song_ti{"宋体", 10.5, 400, false, 134};
inline constexpr Font song_ti_small{"宋体", 9, 400, false, 134};

inline constexpr WindowForm main_window{"VELDOR汉化补丁V1.2", 6645, 2910, "comInstall",
                                        song_ti_small};

inline constexpr Font comic_link{"Comic Sans MS", 10.5, 700, true, 0};

// In creation order. Labels hold tab indices but never take focus; no button
// is the default or cancel button.
inline constexpr std::array<Control, 6> controls{{
    {"comAbout",
     ControlKind::push_button,
     "关 于(&A)",
     {120, 2400, 1455, 375},
     5,
     std::nullopt,
     TextColour::window_text,
     Command::about},
    {"Text",
     ControlKind::text_box,
     patch_note,
     {120, 120, 6375, 1695},
     3,
     std::nullopt,
     TextColour::window_text,
     Command::none},
    {"comExit",
     ControlKind::push_button,
     "退 出(&E)",
     {1680, 1920, 1455, 375},
     1,
     std::nullopt,
     TextColour::window_text,
     Command::exit},
    {"comInstall",
     ControlKind::push_button,
     "安 装(&I)",
     {120, 1920, 1455, 375},
     0,
     std::nullopt,
     TextColour::window_text,
     Command::install},
    {"Label2",
     ControlKind::label,
     "Tavlor社区——我们每天都在进步",
     {3360, 2520, 3015, 255},
     4,
     song_ti,
     TextColour::highlight,
     Command::none},
    {"Label1",
     ControlKind::label,
     site_address,
     {3840, 2040, 2655, 375},
     2,
     comic_link,
     TextColour::highlight,
     Command::open_site},
}};

// What screen readers call the note box, which has no label of its own.
inline constexpr std::string_view note_box_name = "补丁说明";

// What screen readers call a button: its caption without the blanks that
// space it and the access-key mark ("安 装(&I)" is "安装"); the access key
// they learn apart, as the control's key.
std::string spoken_name(std::string_view caption);

// The patch note for a face whose fonts measure otherwise than the one its
// lines were wrapped for: LF line ends, and the breaks the wrap made joined
// (those after a full line, whose next word would not have fitted), so that
// the face wraps the paragraph itself.
std::string unwrapped_note(std::string_view note);

// The note's wrap, as its lines were measured: code page 936 widths (ASCII a
// byte, every other character of the note two), at most this many a line.
inline constexpr std::size_t note_wrap_width = 67;
std::size_t cp936_width(std::string_view text);
// What the wrap moves as a whole: a run of ASCII letters or digits, or one
// other character.
std::string_view first_unit(std::string_view line);

constexpr bool takes_focus(const Control& control) { return control.kind != ControlKind::label; }

// Twips to pixels at `dpi` dots per inch, rounded to nearest.
constexpr int twips_to_pixels(int twips, double dpi) {
    return static_cast<int>(twips * dpi / 1440.0 + 0.5);
}

// The slogan is shown whole: its slot keeps its top and height and widens to
// its text as measured in the face's font, rightward as far as the note box's
// right edge, then leftward.
inline constexpr std::string_view slogan = "Label2";
inline constexpr std::string_view slogan_right_limit = "Text";

// `control`'s place in pixels at `dpi`; `text_width` is its text's width in
// pixels, which only the slogan's slot grows to.
Rect pixel_slot(const Control& control, double dpi, int text_width = 0);

// All controls sorted by tab index, and those of them that take focus.
std::vector<const Control*> tab_order();
std::vector<const Control*> focus_order();

const Control* find_control(std::string_view name);

}  // namespace veldor
