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
#include <vector>

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

inline std::wstring class_of(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// WM_GETTEXT is marshalled across processes; GetWindowTextW would not ask
// an edit control.
inline std::wstring text_of(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(got);
    return text;
}

inline BOOL CALLBACK collect_child(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

inline std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline HWND child_of_class(HWND parent, const wchar_t* name) {
    for (HWND child : children_of(parent))
        if (lstrcmpiW(class_of(child).c_str(), name) == 0) return child;
    return nullptr;
}

// Memory in the installer's address space, for messages whose pointer the
// system does not carry across (BFFM_SETSELECTIONW, TVM_GETITEMW).
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, SIZE_T size)
        : process_(process),
          address_(static_cast<unsigned char*>(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    unsigned char* at(SIZE_T offset) const { return address_ + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr) != 0;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr) != 0;
    }
    explicit operator bool() const { return address_ != nullptr; }

private:
    HANDLE process_;
    unsigned char* address_;
};

struct MessageBoxSeen {
    std::wstring caption, text;
    bool icon = false;       // an icon is shown
    bool stop_icon = false;  // and it is the system's stop icon
};

// Whether `shown` (a window drawing an icon) shows the system's stop icon:
// its pixels on screen where the stop icon is opaque. Icons of another
// process cannot be drawn here, so the screen is compared instead.
inline bool shows_stop_icon(HWND shown) {
    const int size = GetSystemMetrics(SM_CXICON);
    HICON stop = LoadIconW(nullptr, IDI_HAND);
    RECT at{};
    GetWindowRect(shown, &at);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, 3 * size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT black{0, 0, size, size}, white{0, size, size, 2 * size};
    FillRect(dc, &black, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, stop, size, size, 0, nullptr, DI_NORMAL);
    DrawIconEx(dc, 0, size, stop, size, size, 0, nullptr, DI_NORMAL);
    BitBlt(dc, 0, 2 * size, size, size, screen, at.left, at.top, SRCCOPY);
    int opaque = 0, same = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const COLORREF on_black = GetPixel(dc, x, y);
            if (on_black != GetPixel(dc, x, y + size)) continue;
            ++opaque;
            if (on_black == GetPixel(dc, x, y + 2 * size)) ++same;
        }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return opaque > size * size / 4 && same * 10 >= opaque * 9;
}

struct DialogSearch {
    DWORD pid;
    std::vector<HWND> found;
};

inline BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && class_of(hwnd) == L"#32770")
        search->found.push_back(hwnd);
    return TRUE;
}

// One running program, found by its window caption, ended at scope exit
// if it is still running.
class Player {
public:
    Player(const std::wstring& program, const std::wstring& caption) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + program + L"\"";
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_))
            return;
        wait_until([&] {
            HWND found = FindWindowW(nullptr, caption.c_str());
            DWORD pid = 0;
            if (found) GetWindowThreadProcessId(found, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(found)) window_ = found;
            return window_ != nullptr || ended();
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
    // Still running, its window shown, and no dialog open.
    bool idle() const { return !ended() && IsWindowVisible(window_) && dialogs().empty(); }

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
        PostMessageW(focus(), message, key, flags);
    }

    // The program's visible dialogs: the folder dialog and message boxes.
    std::vector<HWND> dialogs() const {
        DialogSearch search{process_.dwProcessId, {}};
        EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND wait_for_folder_dialog() const {
        HWND dialog = nullptr;
        wait_until([&] {
            for (HWND d : dialogs())
                if (child_of_class(d, L"SysTreeView32")) dialog = d;
            return dialog != nullptr || ended();
        });
        return dialog;
    }

    // Selects `path` in the folder dialog and checks the tree shows it
    // selected, retrying: Wine's first dialog may land on the Desktop.
    bool choose_folder(HWND dialog, const std::wstring& path) const {
        HWND tree = child_of_class(dialog, L"SysTreeView32");
        RemoteMemory memory(process_.hProcess, 4096);
        if (!tree || !memory) return false;
        SHFILEINFOW info{};
        SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
        const std::wstring expected = info.szDisplayName;
        memory.write(0, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        return wait_until([&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(dialog, BFFM_SETSELECTIONW, TRUE,
                                reinterpret_cast<LPARAM>(memory.at(0)), SMTO_ABORTIFHUNG, 2000,
                                &ignored);
            return selected_item_text(tree, memory) == expected;
        });
    }

    // Which item of the folder tree is selected, by its text.
    std::wstring selected_item_text(HWND tree, const RemoteMemory& memory) const {
        DWORD_PTR item = 0;
        SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 2000, &item);
        if (!item) return {};
        constexpr SIZE_T item_at = 1024, text_at = 2048;
        constexpr int text_length = 512;
        TVITEMW query{};
        query.mask = TVIF_TEXT;
        query.hItem = reinterpret_cast<HTREEITEM>(item);
        query.pszText = reinterpret_cast<wchar_t*>(memory.at(text_at));
        query.cchTextMax = text_length;
        memory.write(item_at, &query, sizeof query);
        DWORD_PTR ok = 0;
        SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(memory.at(item_at)),
                            SMTO_ABORTIFHUNG, 2000, &ok);
        wchar_t text[text_length] = {};
        if (!ok || !memory.read(text_at, text, sizeof text)) return {};
        text[text_length - 1] = 0;
        return text;
    }

    // Clicks `button`, then picks `path` in the folder dialog (empty: Cancel).
    bool choose_after(HWND button, const std::wstring& path) const {
        click(button);
        HWND dialog = wait_for_folder_dialog();
        if (!dialog) return false;
        if (path.empty()) {
            click(GetDlgItem(dialog, IDCANCEL));
        } else {
            if (!choose_folder(dialog, path)) return false;
            click(GetDlgItem(dialog, IDOK));
        }
        return wait_until([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
    }

    // Waits for a message box, reads it and presses its OK button.
    HWND wait_for_message_box() const {
        HWND box = nullptr;
        wait_until([&] {
            for (HWND d : dialogs())
                if (!child_of_class(d, L"SysTreeView32")) box = d;
            return box != nullptr || ended();
        });
        return box;
    }

    std::optional<MessageBoxSeen> answer_message_box() const {
        HWND box = wait_for_message_box();
        if (!box) return std::nullopt;
        MessageBoxSeen seen;
        seen.caption = text_of(box);
        for (HWND child : children_of(box)) {
            if (lstrcmpiW(class_of(child).c_str(), L"Static") != 0) continue;
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_ICON) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
                seen.icon = icon != 0 && IsWindowVisible(child);
                seen.stop_icon =
                    seen.icon && (reinterpret_cast<HICON>(icon) == LoadIconW(nullptr, IDI_HAND) ||
                                  shows_stop_icon(child));
            } else if (const std::wstring text = text_of(child); !text.empty()) {
                seen.text = text;
            }
        }
        click(GetDlgItem(box, IDOK));
        wait_until([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        return seen;
    }

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

}  // namespace veldor::test
