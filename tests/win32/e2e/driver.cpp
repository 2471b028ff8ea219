// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end.
// Every wait is bounded; a program that never answers fails the case.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using test::read_file;
using win32::widen;

// Set from the command line (run.sh maps them).
std::wstring second_drive;  // holds game folders, "M:"
std::wstring root_drive;    // a game folder at its root

constexpr DWORD patience_ms = 10000;  // for anything that should happen
constexpr DWORD quiet_ms = 1000;      // for making sure nothing more happens

bool wait_until(const std::function<bool()>& done, DWORD limit_ms = patience_ms) {
    const ULONGLONG end = GetTickCount64() + limit_ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

std::wstring class_of(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// WM_GETTEXT is marshalled across processes; GetWindowTextW would not ask
// an edit control.
std::wstring text_of(HWND hwnd) {
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

BOOL CALLBACK collect_child(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND child_of_class(HWND parent, const wchar_t* name) {
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
bool shows_stop_icon(HWND shown) {
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

BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && class_of(hwnd) == L"#32770")
        search->found.push_back(hwnd);
    return TRUE;
}

// One running VELDOR汉化.exe, ended at scope exit if it is still running.
class Installer {
public:
    Installer() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + std::wstring(test_paths::program) + L"\"";
        if (!CreateProcessW(test_paths::program, command.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &process_))
            return;
        const std::wstring caption = widen(main_window.caption);
        wait_until([&] {
            HWND found = FindWindowW(nullptr, caption.c_str());
            DWORD pid = 0;
            if (found) GetWindowThreadProcessId(found, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(found)) window_ = found;
            return window_ != nullptr || ended();
        });
    }
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;
    ~Installer() {
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

    // The control built from `name`'s table entry, found as a player sees it.
    HWND control(std::string_view name) const {
        const Control* control = find_control(name);
        if (!control) return nullptr;
        const std::wstring caption = widen(control->caption);
        for (HWND child : children_of(window_)) {
            if (control->kind == ControlKind::text_box
                    ? lstrcmpiW(class_of(child).c_str(), L"Edit") == 0
                    : text_of(child) == caption)
                return child;
        }
        return nullptr;
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

    // Install, then `path` in the folder dialog (empty: Cancel).
    bool install_from(const std::wstring& path) const {
        click(control("comInstall"));
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
    std::optional<MessageBoxSeen> answer_message_box() const {
        HWND box = nullptr;
        wait_until([&] {
            for (HWND d : dialogs())
                if (!child_of_class(d, L"SysTreeView32")) box = d;
            return box != nullptr || ended();
        });
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

// --- game folders ------------------------------------------------------------

std::vector<unsigned char> filler(std::size_t size, unsigned char seed) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 13);
    return bytes;
}

std::wstring join(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

struct Layout {
    bool fe = true, gui = true, fonts = true;
};

// A game folder: the two data folders, the superseded fonts and an older,
// longer eng.db than the patch's.
void make_game_folder(const std::wstring& folder, Layout layout = {}) {
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!layout.fe && !layout.gui) return;
    CreateDirectoryW(join(folder, L"data").c_str(), nullptr);
    if (layout.fe) {
        CreateDirectoryW(join(folder, L"data\\cmn").c_str(), nullptr);
        CreateDirectoryW(join(folder, L"data\\cmn\\fe").c_str(), nullptr);
        test::write_raw(join(folder, L"data\\cmn\\fe\\eng.db"),
                        filler(read_file(test_paths::payload_101).size() + 777, 5));
    }
    if (layout.gui) {
        CreateDirectoryW(join(folder, L"data\\gui").c_str(), nullptr);
        if (layout.fonts) {
            test::write_raw(join(folder, L"data\\gui\\ZQ05_Tit.ttf"), filler(3000, 1));
            test::write_raw(join(folder, L"data\\gui\\ZQSSanCB.ttf"), filler(4000, 2));
        }
    }
}

// Every folder (ending in '\') and file below `folder`, with its contents.
using Tree = std::map<std::wstring, std::vector<unsigned char>>;
void snapshot(const std::wstring& folder, const std::wstring& prefix, Tree& tree) {
    for (const std::wstring& name : test::list_folder(folder)) {
        const std::wstring path = join(folder, name);
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            tree[prefix + name + L"\\"] = {};
            snapshot(path, prefix + name + L"\\", tree);
        } else {
            tree[prefix + name] = read_file(path);
        }
    }
}
Tree snapshot(const std::wstring& folder) {
    Tree tree;
    snapshot(folder, L"", tree);
    return tree;
}

// What a complete installation leaves: the layout and the four payloads.
Tree installed_tree() {
    return {{L"config.dat", read_file(test_paths::payload_104)},
            {L"data\\", {}},
            {L"data\\cmn\\", {}},
            {L"data\\cmn\\fe\\", {}},
            {L"data\\cmn\\fe\\chi.db", read_file(test_paths::payload_103)},
            {L"data\\cmn\\fe\\eng.db", read_file(test_paths::payload_101)},
            {L"data\\gui\\", {}},
            {L"data\\gui\\ZQ05_Bod.ttf", read_file(test_paths::payload_102)}};
}

const std::wstring completion = widen("安装完毕");
const std::wstring failure = widen("路径错误");
const std::wstring title = widen(application_title);

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(second_drive.empty() || root_drive.empty()) << "run through run.sh";
        ASSERT_NE(app.window(), nullptr) << "the window did not appear";
    }

    // Answers the one box the last action should show, and checks it.
    void expect_one_box(const std::wstring& text, bool stop_icon) {
        const auto box = app.answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, title);
        EXPECT_EQ(box->icon, stop_icon);
        EXPECT_EQ(box->stop_icon, stop_icon);
    }
    void expect_window_stays() {
        Sleep(quiet_ms);
        EXPECT_TRUE(app.idle()) << "the program ended or showed another dialog";
    }

    Installer app;
};

TEST_F(EndToEnd, WindowMatchesTheTableAndKeysMoveAsPlanned) {
    HWND window = app.window();
    const double dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value;
    }();
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, twips_to_pixels(main_window.client_width, dpi));
    EXPECT_EQ(client.bottom, twips_to_pixels(main_window.client_height, dpi));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 443);
        EXPECT_EQ(client.bottom, 194);
    }

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_EQ(caption, widen(main_window.caption));

    for (const Control& control : controls) {
        SCOPED_TRACE(std::string(control.name));
        HWND child = app.control(control.name);
        ASSERT_NE(child, nullptr);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, twips_to_pixels(control.twips.left, dpi));
        EXPECT_EQ(r.top, twips_to_pixels(control.twips.top, dpi));
        EXPECT_EQ(r.right - r.left, twips_to_pixels(control.twips.width, dpi));
        EXPECT_EQ(r.bottom - r.top, twips_to_pixels(control.twips.height, dpi));
        const LONG child_style = GetWindowLongW(child, GWL_STYLE);
        EXPECT_EQ((child_style & WS_TABSTOP) != 0, takes_focus(control));
        if (control.kind == ControlKind::push_button) {
            EXPECT_EQ(child_style & BS_TYPEMASK, BS_PUSHBUTTON) << "a default button";
        }
        if (control.kind == ControlKind::text_box) {
            EXPECT_EQ(child_style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
            EXPECT_EQ(text_of(child), widen(control.caption));
        }
    }

    // Focus starts on Install; Tab walks the focus order and wraps, also out
    // of the note box; the dialog manager agrees backwards.
    std::vector<HWND> order;
    for (const Control* control : focus_order()) order.push_back(app.control(control->name));
    ASSERT_TRUE(wait_until([&] { return app.focus() == order.front(); }));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        HWND expected = order[i % order.size()];
        app.press(WM_KEYDOWN, VK_TAB);
        EXPECT_TRUE(wait_until([&] { return app.focus() == expected; }, 3000)) << i;
        EXPECT_EQ(GetNextDlgTabItem(window, expected, TRUE), order[i - 1]) << i;
    }

    // Enter and Escape in the note box start nothing and keep the window.
    HWND note = app.control("Text");
    while (app.focus() != note && app.focus() != nullptr) {
        app.press(WM_KEYDOWN, VK_TAB);
        Sleep(50);
        if (app.focus() == order.front()) break;
    }
    ASSERT_EQ(app.focus(), note);
    app.press(WM_KEYDOWN, VK_RETURN);
    app.press(WM_KEYDOWN, VK_ESCAPE);
    expect_window_stays();
    EXPECT_EQ(app.focus(), note);

    // About, by click and by Alt+A: the About text, no icon, twice.
    const std::wstring about = widen(about_text);
    app.click(app.control("comAbout"));
    expect_one_box(about, false);
    expect_window_stays();
    app.press(WM_SYSKEYDOWN, 'A');
    expect_one_box(about, false);
    expect_window_stays();
}

TEST_F(EndToEnd, InstallsOnASecondDriveAndEnds) {
    const std::wstring game = second_drive + L"\\Games-VELDOR";
    make_game_folder(game);
    ASSERT_TRUE(app.install_from(game));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms)) << "the program did not end after 安装完毕";
    EXPECT_EQ(snapshot(game), installed_tree());
}

TEST_F(EndToEnd, InstallsAtTheRootOfADrive) {
    make_game_folder(root_drive + L"\\");
    ASSERT_TRUE(app.install_from(root_drive + L"\\"));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(snapshot(root_drive + L"\\"), installed_tree());
}

TEST_F(EndToEnd, CancelAndWrongFoldersKeepTheWindowThenAThaiNamedFolderInstalls) {
    ASSERT_TRUE(app.install_from(L""));
    expect_window_stays();

    const std::pair<const wchar_t*, Layout> wrong[] = {
        {L"\\no-data", {false, false, false}},
        {L"\\only-fe", {true, false, false}},
        {L"\\only-gui", {false, true, true}},
    };
    for (const auto& [name, layout] : wrong) {
        SCOPED_TRACE(win32::narrow(name));
        const std::wstring folder = second_drive + name;
        make_game_folder(folder, layout);
        const Tree before = snapshot(folder);
        ASSERT_TRUE(app.install_from(folder));
        expect_one_box(failure, true);
        expect_window_stays();
        EXPECT_EQ(snapshot(folder), before);
    }

    const std::wstring thai = second_drive + L"\\ทดสอบ";
    make_game_folder(thai);
    ASSERT_TRUE(app.install_from(thai));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(snapshot(thai), installed_tree());
}

TEST_F(EndToEnd, AFileInUseFailsOnceAndExitLeavesTheRest) {
    const std::wstring game = second_drive + L"\\in-use";
    make_game_folder(game);
    const auto old_chi = filler(2048, 9);
    const std::wstring chi = join(game, L"data\\cmn\\fe\\chi.db");
    ASSERT_TRUE(test::write_raw(chi, old_chi));
    HANDLE held = CreateFileW(chi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(app.install_from(game));
    expect_one_box(failure, true);
    expect_window_stays();
    CloseHandle(held);

    Tree expected = installed_tree();
    expected[L"data\\cmn\\fe\\chi.db"] = old_chi;
    const Tree after = snapshot(game);
    EXPECT_EQ(after, expected);

    app.click(app.control("comExit"));
    EXPECT_TRUE(app.ended(patience_ms)) << "Exit did not end the program";
    EXPECT_EQ(snapshot(game), after);
}

}  // namespace
}  // namespace veldor

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--second-drive=", 0) == 0)
            veldor::second_drive = veldor::win32::widen(arg.substr(15));
        if (arg.rfind("--root-drive=", 0) == 0)
            veldor::root_drive = veldor::win32::widen(arg.substr(13));
    }
    return RUN_ALL_TESTS();
}
