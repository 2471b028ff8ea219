// Drives a Win32 program from another process, as a player would, under
// Wine: starts it, finds its window, clicks, presses keys, picks folders in
// the shell's folder dialog and reads and dismisses message boxes. Shared by
// the end-to-end driver and the benchmark. Every wait is bounded.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>

namespace veldor::test {

inline constexpr DWORD patience_ms = 10000;  // for anything that should happen

inline bool wait_until(const std::function<bool()>& done, DWORD limit_ms = patience_ms) {
    const ULONGLONG end = GetTickCount64() + limit_ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Sleep(5);
    }
    return true;
}

// `program` started with the command line `command`; all null if it could not be.
inline PROCESS_INFORMATION start_process(const wchar_t* program, std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &started);
    return started;
}

// WM_GETTEXT is marshalled across processes; GetWindowTextW would not ask
// an edit control.
inline std::wstring text_of(HWND hwnd) {
    std::wstring text(8192, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(got);
    return text;
}

struct MessageBoxSeen {
    std::wstring caption, text;
    HWND owner = nullptr;
    bool icon = false;       // an icon is shown
    bool stop_icon = false;  // and it is the system's stop icon
};

// Whether `shown` (a window drawing an icon) shows the system's stop icon:
// its pixels on screen where the stop icon is opaque, that is the same
// drawn on black and on white. Icons of another process cannot be drawn
// here, and Wine gives each process its own handle for the same icon.
inline bool shows_stop_icon(HWND shown) {
    const int size = GetSystemMetrics(SM_CXICON);
    RECT at{};
    GetWindowRect(shown, &at);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, 2 * size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, size, size, BLACKNESS);
    PatBlt(dc, 0, size, size, size, WHITENESS);
    for (const int top : {0, size})
        DrawIconEx(dc, 0, top, LoadIconW(nullptr, IDI_HAND), size, size, 0, nullptr, DI_NORMAL);
    int opaque = 0, same = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const COLORREF on_black = GetPixel(dc, x, y);
            if (on_black != GetPixel(dc, x, y + size)) continue;
            ++opaque;
            if (on_black == GetPixel(screen, at.left + x, at.top + y)) ++same;
        }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return opaque > size * size / 4 && same * 10 >= opaque * 9;
}

// One running program, found by its window caption, ended at scope exit
// if it is still running. The wait for its window ends early if it ends or
// shows a message box first.
class Player {
public:
    Player(const std::wstring& program, const std::wstring& caption,
           const std::wstring& arguments = L"")
        : process_(start_process(program.c_str(), L"\"" + program + L"\" " + arguments)) {
        if (!process_.hProcess) return;
        wait_until([&] {
            HWND found = FindWindowW(nullptr, caption.c_str());
            if (owned(found) && IsWindowVisible(found)) window_ = found;
            return window_ != nullptr || ended() || dialog(false);
        });
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player() {
        if (!process_.hProcess) return;
        if (!ended()) TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, patience_ms);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    HWND window() const { return window_; }
    bool ended(DWORD within_ms = 0) const {
        return WaitForSingleObject(process_.hProcess, within_ms) == WAIT_OBJECT_0;
    }
    DWORD exit_code() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // Still running, its window shown, and no dialog open.
    bool idle() const {
        return !ended() && IsWindowVisible(window_) && !dialog(true) && !dialog(false);
    }

    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
    }

    void click(HWND button) const { PostMessageW(button, BM_CLICK, 0, 0); }
    void press(UINT message, WPARAM key) const {
        const auto scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
        LPARAM flags = 1 | static_cast<LPARAM>(scan << 16);
        if (message == WM_SYSKEYDOWN) flags |= 1 << 29;  // Alt is down
        // Keys are for the main window. Without a window manager, Wine may
        // be slow to give it the focus back after a dialog closes; meanwhile
        // the window itself takes the key, as the active one.
        HWND to = focus();
        PostMessageW(IsChild(window_, to) ? to : window_, message, key, flags);
    }

    // The program's shown folder dialog, or else its message box.
    HWND dialog(bool folder) const {
        for (HWND d = nullptr; (d = FindWindowExW(nullptr, d, L"#32770", nullptr));)
            if (owned(d) && IsWindowVisible(d) &&
                (FindWindowExW(d, nullptr, WC_TREEVIEWW, nullptr) != nullptr) == folder)
                return d;
        return nullptr;
    }
    HWND wait_for_dialog(bool folder) const {
        HWND found = nullptr;
        wait_until([&] { return (found = dialog(folder)) != nullptr || ended(); });
        return found;
    }

    // The name the folder dialog's tree shows selected. The pointers these
    // messages carry must point into the program's memory.
    std::wstring selected_folder(HWND dialog) const {
        struct Shared {
            TVITEMW item;
            wchar_t text[MAX_PATH];
        };
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        auto* remote = static_cast<Shared*>(
            VirtualAllocEx(process_.hProcess, nullptr, sizeof(Shared), MEM_COMMIT, PAGE_READWRITE));
        Shared shared{};
        shared.item.mask = TVIF_TEXT;
        shared.item.hItem = reinterpret_cast<HTREEITEM>(send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        shared.item.pszText = remote ? remote->text : nullptr;
        shared.item.cchTextMax = MAX_PATH;
        const bool read =
            tree && remote && shared.item.hItem &&
            WriteProcessMemory(process_.hProcess, remote, &shared, sizeof shared, nullptr) &&
            send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process_.hProcess, remote, &shared, sizeof shared, nullptr);
        if (remote) VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        shared.text[MAX_PATH - 1] = 0;
        return read ? shared.text : L"";
    }

    // Selects `path` in the folder dialog, until its tree shows it selected:
    // Wine's first dialog may land on the Desktop.
    bool choose_folder(HWND dialog, const std::wstring& path) const {
        auto* remote = static_cast<wchar_t*>(VirtualAllocEx(process_.hProcess, nullptr,
                                                            (path.size() + 1) * sizeof(wchar_t),
                                                            MEM_COMMIT, PAGE_READWRITE));
        if (!remote || !WriteProcessMemory(process_.hProcess, remote, path.c_str(),
                                           (path.size() + 1) * sizeof(wchar_t), nullptr))
            return false;
        const bool selected = wait_until([&] {
            send(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
            return selected_folder(dialog) == display_name(path);
        });
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        return selected;
    }

    static std::wstring display_name(const std::wstring& path) {
        SHFILEINFOW info{};
        SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
        return info.szDisplayName;
    }

    // Picks `path` in the folder dialog the last action opened (empty:
    // Cancel) and waits for the dialog to close.
    bool answer_folder_dialog(const std::wstring& path) const {
        HWND dialog = wait_for_dialog(true);
        if (!dialog || (!path.empty() && !choose_folder(dialog, path))) return false;
        click(GetDlgItem(dialog, path.empty() ? IDCANCEL : IDOK));
        return wait_until([&] { return !IsWindowVisible(dialog); });
    }

    // Waits for a message box, reads it and presses its OK button (or, for
    // a question, IDYES or IDNO).
    std::optional<MessageBoxSeen> answer_message_box(int button = IDOK) const {
        HWND box = wait_for_dialog(false);
        if (!box) return std::nullopt;
        MessageBoxSeen seen;
        seen.caption = text_of(box);
        seen.owner = GetWindow(box, GW_OWNER);
        for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr));) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
                seen.icon = icon != 0 && IsWindowVisible(child);
                seen.stop_icon = seen.icon && shows_stop_icon(child);
            } else if (const std::wstring text = text_of(child); !text.empty()) {
                seen.text = text;
            }
        }
        click(GetDlgItem(box, button));
        wait_until([&] { return !IsWindowVisible(box); });
        return seen;
    }

private:
    static DWORD_PTR send(HWND to, UINT message, WPARAM w, LPARAM l) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(to, message, w, l, SMTO_ABORTIFHUNG, 2000, &result);
        return result;
    }
    bool owned(HWND hwnd) const {
        DWORD pid = 0;
        return hwnd && GetWindowThreadProcessId(hwnd, &pid) && pid == process_.dwProcessId;
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

}  // namespace veldor::test
