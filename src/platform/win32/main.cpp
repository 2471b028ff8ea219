// Provisional entry point of VELDOR汉化.exe: a bare window with the install
// button, until the finished main window replaces this file. Plain
// CreateWindowExW controls; IsDialogMessageW gives Alt+I and Tab handling.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "window/veldor.h"

namespace {

constexpr int install_button_id = 1;

struct App {
    veldor::Win32Platform platform{nullptr, L"VELDOR汉化V1.2"};
    veldor::VELDOR window{platform};
};

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == install_button_id && HIWORD(wparam) == BN_CLICKED) {
                auto* app = reinterpret_cast<App*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
                app->window.comInstall_Click();
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    App app;

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = L"VELDOR";
    if (!RegisterClassExW(&window_class)) return 1;

    HWND hwnd =
        CreateWindowExW(0, window_class.lpszClassName, L"VELDOR汉化补丁V1.2",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                        CW_USEDEFAULT, 320, 160, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app));
    app.platform.set_owner(hwnd);

    HWND button = CreateWindowExW(
        0, L"BUTTON", L"安 装(&I)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 100, 40,
        110, 32, hwnd, reinterpret_cast<HMENU>(install_button_id), instance, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    SetFocus(button);

    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
