// The installer's main window on Win32, built from the control table in
// window/form.h: CreateWindowExW with BUTTON, EDIT and STATIC controls,
// IsDialogMessageW for Tab, Enter, Escape and Alt+letter access keys, the
// note box, site label and buttons amended for screen readers (accessible.h),
// the labels' colours by theme (dark and high contrast too), per-monitor DPI scaling
// (GetDpiForWindow and AdjustWindowRectExForDpi when user32 has them, else
// the screen's LOGPIXELSY and AdjustWindowRectEx, as on Windows 7).
// Wine 8 behaves the same, except that it never sends WM_DPICHANGED under X.
#pragma once

#include <windows.h>

#include <array>

#include "platform/win32/accessible.h"
#include "platform/win32/handles.h"
#include "window/form.h"
#include "window/veldor.h"

namespace veldor::win32 {

// A control whose window procedure the main window amends (see
// main_window.cpp), with what it tells screen readers.
struct AmendedControl {
    WNDPROC base = nullptr;
    Annotation annotation;
};

class MainWindow {
public:
    // The window object receives every click as its control's Command.
    explicit MainWindow(VELDOR& window) : window_(window) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls, hidden; null on failure.
    HWND create(HINSTANCE instance);
    void show(int show_command);
    // Disables the controls that start `command`; the focus moves on from them.
    void disable(Command command);

    // Runs until the window is destroyed; the exit code.
    int run_message_loop();

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void create_controls(HINSTANCE instance);
    // Sizes the frame for the client area, places the controls and gives them
    // fonts, all at `dpi`. `origin` keeps the window's top-left corner.
    void lay_out(UINT dpi, const POINT* origin);
    void focus_initial_control();
    const Control* control_of(HWND child) const;

    VELDOR& window_;
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // restored when the window is activated again
    std::array<HWND, controls.size()> children_{};
    std::array<AmendedControl, controls.size()> amended_{};
    GdiFont window_font_;
    std::array<GdiFont, controls.size()> own_fonts_;  // for controls with a font of their own
};

}  // namespace veldor::win32
