#include "platform/win32/main_window.h"

#include "platform/win32/fonts.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide.h"

namespace veldor::win32 {
namespace {

// Control ids are the control's place in the table plus this, clear of IDOK
// and IDCANCEL, which Enter and Escape send: Enter clicks a focused button,
// Escape starts nothing.
constexpr int first_control_id = 100;
constexpr wchar_t class_name[] = L"VELDOR";
constexpr DWORD frame_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// A user32 function that older Windows lacks (Windows 7 has neither of those
// used here), or null.
template <typename Function>
Function user32_function(const char* name) {
    return function_in<Function>(GetModuleHandleW(L"user32.dll"), name);
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

UINT window_dpi(HWND hwnd) {
    const auto get_dpi = user32_function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (get_dpi) {
        if (const UINT dpi = get_dpi(hwnd)) return dpi;
    }
    const ScreenDC screen(GetDC(nullptr));
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int pixels(int twips, UINT dpi) { return twips_to_pixels(twips, static_cast<double>(dpi)); }

// The slogan's text width in pixels in `font`; 0 for any other control.
int slogan_width(const Control& control, HFONT font) {
    if (control.name != slogan) return 0;
    const std::wstring caption = widen(control.caption);
    const MemoryDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ old = SelectObject(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc.get(), old);
    return size.cx;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD extended_style;
};

ControlClass class_of(const Control& control) {
    switch (control.kind) {
        case ControlKind::push_button:
            return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::text_box:
            return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::label:
            // Never a tab stop; notifies clicks only when a click does something.
            return {L"STATIC",
                    SS_LEFT | SS_NOPREFIX | (control.on_click != Command::none ? SS_NOTIFY : 0u),
                    0};
    }
    return {L"STATIC", 0, 0};
}

// The note box, the site label and the buttons answer two messages
// themselves. A multi-line edit asks for every key and, through the dialog
// manager, has all its text selected when tabbed into; the note box gives
// Tab, Shift+Tab, Enter and Escape back to the window, so they move focus or
// do nothing, and keeps its caret at the top. Screen readers ask each for
// its object.
LRESULT CALLBACK amended_control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* amended =
        reinterpret_cast<const AmendedControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_GETOBJECT) {
        if (const LRESULT reply = answer_get_object(hwnd, amended->annotation, wparam, lparam))
            return reply;
    }
    LRESULT result = CallWindowProcW(amended->base, hwnd, message, wparam, lparam);
    if (message == WM_GETDLGCODE)
        result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_HASSETSEL);
    return result;
}

Colour colour_of(int system_colour) {
    const COLORREF c = GetSysColor(system_colour);
    return {GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0};
}

bool reads(int system_colour) {
    return contrast(colour_of(system_colour), colour_of(COLOR_BTNFACE)) >= highlight_contrast;
}

// The highlight colour is for text only where it reads against the window,
// and never in a high-contrast theme, which gives it to selections alone:
// elsewhere the link takes the theme's link colour and the slogan the
// normal text colour. A link colour that does not read either (Wine's
// default theme makes it a pale grey) gives way to the text colour too.
int text_colour(const Control& control) {
    if (control.colour == TextColour::window_text) return COLOR_WINDOWTEXT;
    HIGHCONTRASTW high{};
    high.cbSize = sizeof high;
    const bool high_contrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof high, &high, 0) &&
                               (high.dwFlags & HCF_HIGHCONTRASTON) != 0;
    if (!high_contrast && reads(COLOR_HIGHLIGHT)) return COLOR_HIGHLIGHT;
    if (control.on_click != Command::none && reads(COLOR_HOTLIGHT)) return COLOR_HOTLIGHT;
    return COLOR_BTNTEXT;
}

}  // namespace

HWND MainWindow::create(HINSTANCE instance) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    // Shared images: the system frees them with the program.
    window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXICON),
                                                       GetSystemMetrics(SM_CYICON), LR_SHARED));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    if (!RegisterClassExW(&window_class)) return nullptr;

    if (!CreateWindowExW(0, class_name, widen(main_window.caption).c_str(), frame_style,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                         nullptr, instance, this))
        return nullptr;
    create_controls(instance);
    lay_out(window_dpi(hwnd_), nullptr);
    return hwnd_;
}

void MainWindow::create_controls(HINSTANCE instance) {
    // Creation order is the z-order, which is the order Tab walks.
    for (const Control* control : tab_order()) {
        const auto index = static_cast<std::size_t>(control - controls.data());
        const ControlClass cls = class_of(*control);
        HWND child = CreateWindowExW(
            cls.extended_style, cls.name, widen(control->caption).c_str(),
            WS_CHILD | WS_VISIBLE | cls.style, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(first_control_id + index)), instance,
            nullptr);
        children_[index] = child;
        const bool note = control->kind == ControlKind::text_box;
        const bool button = control->kind == ControlKind::push_button;
        const bool link = control->kind == ControlKind::label && control->on_click != Command::none;
        if (child && (note || button || link)) {
            AmendedControl& amended = amended_[index];
            amended.annotation = {note     ? widen(note_box_name)
                                  : button ? widen(spoken_name(control->caption))
                                           : std::wstring(),
                                  link};
            SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&amended));
            amended.base = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(amended_control_proc)));
        }
    }
}

void MainWindow::lay_out(UINT dpi, const POINT* origin) {
    const auto adjust_for_dpi =
        user32_function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, pixels(main_window.client_width, dpi), pixels(main_window.client_height, dpi)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto extended_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (!adjust_for_dpi || !adjust_for_dpi(&frame, style, FALSE, extended_style, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, extended_style);
    SetWindowPos(hwnd_, nullptr, origin ? origin->x : 0, origin ? origin->y : 0,
                 frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (origin ? 0u : SWP_NOMOVE));

    // New fonts go in before the old ones are deleted.
    HFONT window_font = make_font(main_window.font, dpi);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        HFONT font = control.font ? make_font(*control.font, dpi) : window_font;
        const Rect r = pixel_slot(control, dpi, slogan_width(control, font));
        MoveWindow(children_[i], r.left, r.top, r.width, r.height, FALSE);
        SendMessageW(children_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        own_fonts_[i].reset(control.font ? font : nullptr);
    }
    window_font_.reset(window_font);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::show(int show_command) {
    ShowWindow(hwnd_, show_command);
    UpdateWindow(hwnd_);
    if (!IsChild(hwnd_, GetFocus())) focus_initial_control();
}

void MainWindow::disable(Command command) {
    HWND focus = GetFocus();
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].on_click == command) EnableWindow(children_[i], FALSE);
    // A disabled control loses the focus: it goes on to the next in Tab order.
    if (focus && !IsWindowEnabled(focus)) SetFocus(GetNextDlgTabItem(hwnd_, focus, FALSE));
    if (focus_ && !IsWindowEnabled(focus_)) focus_ = GetFocus();
}

void MainWindow::focus_initial_control() {
    if (const Control* initial = find_control(main_window.initial_focus))
        SetFocus(children_[static_cast<std::size_t>(initial - controls.data())]);
}

int MainWindow::run_message_loop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager would take a bare letter typed on a button for
        // its access key, as in a dialog box; here access keys need Alt
        // (WM_SYSCHAR), so typed characters go straight to the focus.
        const bool typed = message.message == WM_CHAR && message.wParam >= L' ';
        if (!typed && IsDialogMessageW(hwnd_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

const Control* MainWindow::control_of(HWND child) const {
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (child && children_[i] == child) return &controls[i];
    return nullptr;
}

LRESULT CALLBACK MainWindow::window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    return self ? self->handle(message, wparam, lparam)
                : DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            // Enter, as the dialog manager reports it: a focused button is
            // clicked, as in a dialog box.
            if (LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED) {
                HWND focus = GetFocus();
                const Control* control = control_of(focus);
                if (control && control->kind == ControlKind::push_button)
                    SendMessageW(focus, BM_CLICK, 0, 0);
                return 0;
            }
            // BN_CLICKED and STN_CLICKED are both 0; IDCANCEL falls outside
            // the controls' ids.
            const int index = LOWORD(wparam) - first_control_id;
            if (HIWORD(wparam) == BN_CLICKED && index >= 0 &&
                static_cast<std::size_t>(index) < controls.size() &&
                reinterpret_cast<HWND>(lparam) == children_[static_cast<std::size_t>(index)])
                window_.Run(controls[static_cast<std::size_t>(index)].on_click);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            // A read-only edit asks here too: it keeps the look of a document.
            const Control* control = control_of(reinterpret_cast<HWND>(lparam));
            if (!control) break;
            HDC dc = reinterpret_cast<HDC>(wparam);
            const int back = control->kind == ControlKind::label ? COLOR_BTNFACE : COLOR_WINDOW;
            SetTextColor(dc, GetSysColor(text_colour(*control)));
            SetBkColor(dc, GetSysColor(back));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
        }
        case WM_SETCURSOR: {
            const Control* control = control_of(reinterpret_cast<HWND>(wparam));
            if (control && control->kind == ControlKind::label &&
                control->on_click != Command::none) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_ACTIVATE:
            // Focus leaves with the window and comes back where it was.
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (IsChild(hwnd_, focus)) focus_ = focus;
            } else if (focus_ && IsWindow(focus_)) {
                SetFocus(focus_);
            } else {
                focus_initial_control();
            }
            return 0;
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
            const POINT origin{suggested->left, suggested->top};
            lay_out(LOWORD(wparam), &origin);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace veldor::win32
