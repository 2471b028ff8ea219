// The floor for ui_bench: the least a window program can do for the same
// steps. One button; its click opens the folder dialog and then a message box.
// Built twice: bare, and (FLOOR_CJK) also showing the installer's texts in
// its fonts, whose loading alone costs a Chinese font's start-up under Wine.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#ifdef FLOOR_CJK
#include "platform/win32/fonts.h"
#include "platform/win32/wide.h"
#endif

namespace {

#ifdef FLOOR_CJK
using veldor::win32::widen;

// Each caption of the installer's table, in its font, where it stands.
void show_texts(HWND hwnd, HINSTANCE instance) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const veldor::Control& control : veldor::controls) {
        const veldor::Font& font = control.font ? *control.font : veldor::main_window.font;
        const auto px = [&](int twips) { return MulDiv(twips, dpi, 1440); };
        HWND text = CreateWindowW(L"STATIC", widen(control.caption).c_str(),
                                  WS_CHILD | WS_VISIBLE | SS_NOPREFIX, px(control.twips.left),
                                  px(control.twips.top) + 40, px(control.twips.width),
                                  px(control.twips.height), hwnd, nullptr, instance, nullptr);
        SendMessageW(
            text, WM_SETFONT,
            reinterpret_cast<WPARAM>(veldor::win32::make_font(font, static_cast<UINT>(dpi))),
            FALSE);
    }
}
#endif

LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && LOWORD(wparam) == 100) {
        BROWSEINFOW info{};
        info.hwndOwner = hwnd;
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        if (LPITEMIDLIST item = SHBrowseForFolderW(&info)) {
            CoTaskMemFree(item);
            MessageBoxW(hwnd, L"done", L"floor", MB_OK);
        }
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = instance;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = L"floor";
    RegisterClassW(&window_class);
    HWND hwnd =
        CreateWindowW(L"floor", L"floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                      CW_USEDEFAULT, 300, 120, nullptr, nullptr, instance, nullptr);
#ifdef FLOOR_CJK
    SetWindowPos(hwnd, nullptr, 0, 0, 460, 300, SWP_NOMOVE | SWP_NOZORDER);
    show_texts(hwnd, instance);
#endif
    CreateWindowW(L"BUTTON", L"&Go", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 30, hwnd,
                  reinterpret_cast<HMENU>(100), instance, nullptr);
    ShowWindow(hwnd, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
