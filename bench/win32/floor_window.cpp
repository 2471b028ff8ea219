// The floor for ui_bench: the least a window program can do for the same
// steps. One button; its click opens the folder dialog and then a message box.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace {

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
