// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end; and
// reads the file itself as Windows' loader sees it. Only what the real
// program can tell: the core's decisions are proven against the scripted
// fake (tests/unit, tests/window). Every wait is bounded.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/player.h"
#include "install/install.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
#include "window/command_line.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using namespace test;
using win32::widen;
namespace fs = std::filesystem;

// Given by run.sh: a drive holding game folders, and one whose root is one;
// the file the stand-in browser writes the address it is given to; Wine's
// trace of the processes it starts.
std::wstring second_drive, root_drive, browser_record, process_trace;

// The build's program, or the one VELDOR_PROGRAM names: a copy beside
// planted DLLs (planted/run.sh), a signed build (release_build.sh).
const wchar_t* const program_copy = _wgetenv(L"VELDOR_PROGRAM");
const std::wstring program_under_test = program_copy ? program_copy : test_paths::program;

// The table's numbers at each screen resolution, in pixels (15 twips are
// one pixel at 96 DPI, rounded): the client area, where the slogan must end
// at the latest, each control's slot (left, top, width, height), and its
// font's height (its points at that resolution).
struct Slot {
    std::string_view name;
    std::array<LONG, 4> box;
    int font_height;
};
struct Screen {
    int dpi;
    LONG width, height, slogan_right;
    std::array<Slot, 6> slots;
};
constexpr Screen screens[] = {
    {96,
     443,
     194,
     433,
     {{{"comAbout", {8, 160, 97, 25}, 12},
       {"Text", {8, 8, 425, 113}, 12},
       {"comExit", {112, 128, 97, 25}, 12},
       {"comInstall", {8, 128, 97, 25}, 12},
       {"Label2", {224, 168, 201, 17}, 14},
       {"Label1", {256, 136, 177, 25}, 14}}}},
    {144,
     665,
     291,
     650,
     {{{"comAbout", {12, 240, 146, 38}, 18},
       {"Text", {12, 12, 638, 170}, 18},
       {"comExit", {168, 192, 146, 38}, 18},
       {"comInstall", {12, 192, 146, 38}, 18},
       {"Label2", {336, 252, 302, 26}, 21},
       {"Label1", {384, 204, 266, 38}, 21}}}},
    {192,
     886,
     388,
     866,
     {{{"comAbout", {16, 320, 194, 50}, 24},
       {"Text", {16, 16, 850, 226}, 24},
       {"comExit", {224, 256, 194, 50}, 24},
       {"comInstall", {16, 256, 194, 50}, 24},
       {"Label2", {448, 336, 402, 34}, 28},
       {"Label1", {512, 272, 354, 50}, 28}}}},
};

// The size of `control`'s caption drawn in its table font `height` pixels
// high, without the access-key marker.
SIZE caption_size(const Control& control, int height) {
    const Font& font = control.font ? *control.font : main_window.font;
    const win32::MemoryDC dc(CreateCompatibleDC(nullptr));
    const win32::GdiFont drawn(CreateFontW(-height, 0, 0, 0, font.weight, font.underline, FALSE,
                                           FALSE, static_cast<DWORD>(font.charset), 0, 0, 0, 0,
                                           widen(font.face).c_str()));
    const HGDIOBJ old = SelectObject(dc.get(), drawn.get());
    std::wstring caption = widen(control.caption);
    RECT box{};
    const UINT prefix = control.kind == ControlKind::push_button ? 0u : DT_NOPREFIX;
    DrawTextW(dc.get(), caption.data(), -1, &box, DT_CALCRECT | DT_SINGLELINE | prefix);
    SelectObject(dc.get(), old);
    return {box.right - box.left, box.bottom - box.top};
}

// What a screen reader learns of `control`, and what its default action answers.
struct Accessible {
    std::wstring name, shortcut;
    LONG role = 0;
    HRESULT action = E_FAIL;
};
Accessible accessible(HWND control, bool act) {
    Accessible seen;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return seen;
    VARIANT self{}, role{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(self, &text)) && text) seen.name = text;
    SysFreeString(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accKeyboardShortcut(self, &text)) && text) seen.shortcut = text;
    SysFreeString(text);
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) seen.role = role.lVal;
    if (act) seen.action = object->accDoDefaultAction(self);
    object->Release();
    return seen;
}

// The payload file `name` the build embeds.
Data payload(const wchar_t* name) { return read_file(std::wstring(test_paths::payloads) + name); }

// A game folder: the data folders asked for, with the superseded fonts and
// an older chi.db and eng.db, longer than the patch's.
void make_game_folder(const fs::path& folder, bool game = true) {
    fs::create_directories(folder / L"data\\cmn\\fe");
    if (!game) return;
    fs::create_directories(folder / L"data\\gui");
    const Data older(payload(L"eng.db").size() + 777, 'o');
    for (const wchar_t* name : {L"data\\cmn\\fe\\eng.db", L"data\\cmn\\fe\\chi.db",
                                L"data\\gui\\ZQ05_Tit.ttf", L"data\\gui\\ZQSSanCB.ttf"})
        write_raw(folder / name, older);
}

// Every file below `folder`, with its contents. Folders are left out: the
// program makes and removes none.
using Tree = std::map<std::wstring, Data>;
Tree snapshot(const fs::path& folder) {
    Tree tree;
    const std::size_t prefix = (folder / L"").wstring().size();
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            tree[entry.path().wstring().substr(prefix)] = read_file(entry.path());
    return tree;
}

// A copy of the program with one payload byte flipped, as a broken download
// would have it, at `folder`.
std::wstring damaged_copy(const std::wstring& folder) {
    const std::wstring copy = folder + L"\\VELDOR汉化.exe";
    Data program = read_file(program_under_test);
    const Data config = payload(L"config.dat");
    const auto found = std::search(program.begin(), program.end(), config.begin(), config.end());
    if (found == program.end()) return L"";
    found[static_cast<std::ptrdiff_t>(config.size() / 2)] ^= 1;
    return write_raw(copy, program) ? copy : L"";
}

// What a complete installation into `folder` makes of `before`: the four
// payloads in place, the fonts gone, and what was at those six names kept in
// veldor-originals. Its manifest is taken as it stands: restoring proves it.
Tree installed_tree(const fs::path& folder, Tree tree) {
    const std::wstring kept = L"veldor-originals\\", manifest = kept + L"originals.txt";
    for (const auto& [dir, name] : {std::pair{L"data\\gui\\", L"ZQ05_Tit.ttf"},
                                    {L"data\\gui\\", L"ZQSSanCB.ttf"},
                                    {L"data\\cmn\\fe\\", L"eng.db"},
                                    {L"data\\gui\\", L"ZQ05_Bod.ttf"},
                                    {L"data\\cmn\\fe\\", L"chi.db"},
                                    {L"", L"config.dat"}}) {
        const std::wstring path = std::wstring(dir) + name;
        if (const auto found = tree.find(path); found != tree.end()) {
            tree[kept + path] = found->second;
            tree.erase(path);
        }
        if (!std::wstring_view(name).ends_with(L"Tit.ttf") &&
            !std::wstring_view(name).ends_with(L"SanCB.ttf"))
            tree[path] = payload(name);
    }
    if (fs::exists(folder / manifest)) tree[manifest] = read_file(folder / manifest);
    return tree;
}

// Whether a copy of the program was started with /S and /D=`folder` since
// the trace held `from` bytes: Wine traces each command line it starts,
// escaping a backslash as two. (ASCII letters in any case: the folder
// dialog names a drive in capitals.)
bool silent_copy_started(std::size_t from, const std::wstring& folder) {
    const Data trace = read_file(process_trace);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    std::string needle = "/d=", text;
    for (const char c : win32::narrow(folder)) needle.append(c == '\\' ? 2 : 1, lower(c));
    for (std::size_t i = std::min(from, trace.size()); i < trace.size(); ++i)
        text += lower(static_cast<char>(trace[i]));
    for (std::size_t at = 0; (at = text.find("createprocessinternalw", at)) != std::string::npos;)
        if (const std::string line = text.substr(at, text.find('\n', at) - at);
            line.find(" /s ") != std::string::npos && line.ends_with(needle + "\""))
            return true;
        else
            at += line.size();
    return false;
}

// A folder made to refuse every write, root's included, while it lives:
// chattr +i, run by a Unix shell (Wine starts one, but cannot wait for it),
// which writes its exit status to a file outside the folder when done.
// False where the file system has no such attribute.
class Immutable {
public:
    explicit Immutable(const std::wstring& folder) : folder_(folder) { made_ = set(true); }
    ~Immutable() { set(false); }
    explicit operator bool() const { return made_; }

private:
    static std::wstring unix_name(const std::wstring& path) {
        using UnixName = char*(CDECL*)(LPCWSTR);
        const auto convert = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        char* name = convert ? convert(path.c_str()) : nullptr;
        const std::wstring wide = name ? widen(name) : L"";
        HeapFree(GetProcessHeap(), 0, name);
        return wide;
    }
    bool set(bool on) {
        wchar_t temp[MAX_PATH];
        const std::wstring status = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"chattr";
        DeleteFileW(status.c_str());
        // Wine starts a Unix program without a process handle to wait on.
        std::wstring command = L"/bin/sh -c \"chattr " + std::wstring(on ? L"+i '" : L"-i '") +
                               unix_name(folder_) + L"'; echo $? >'" + unix_name(status) + L"'\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            return false;
        if (started.hThread) CloseHandle(started.hThread);
        if (started.hProcess) CloseHandle(started.hProcess);
        Data done;
        wait_until([&] { return !(done = read_file(status)).empty(); });
        DeleteFileW(status.c_str());
        return done == Data{'0', '\n'};
    }
    std::wstring folder_;
    bool made_ = false;
};

// One run of the program: started, its window found; the boxes it shows.
class EndToEnd : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(second_drive.empty()) << "run through run.sh"; }

    // Starts the program; without a window it must show a box or end.
    void start(const std::wstring& arguments = L"", bool window = true,
               const std::wstring& program = program_under_test) {
        app.emplace(program, widen(main_window.caption), arguments);
        ASSERT_EQ(app->window() != nullptr, window);
    }
    // The control built from `name`'s table entry, found as a player sees it:
    // the one edit control, or the child showing its caption.
    HWND control(std::string_view name) const {
        const Control* c = find_control(name);
        const bool edit = c->kind == ControlKind::text_box;
        return FindWindowExW(app->window(), nullptr, edit ? L"Edit" : nullptr,
                             edit ? nullptr : widen(c->caption).c_str());
    }
    // Answers the one box the last action should show, and checks it: its
    // caption, its owner (the window, when there is one) and its icon.
    void expect_box(const std::wstring& text, bool stop_icon) const {
        const auto box = app->answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, widen(application_title));
        EXPECT_EQ(box->owner, app->window());
        EXPECT_EQ(box->icon, stop_icon);
        EXPECT_EQ(box->stop_icon, stop_icon);
    }
    void expect_window_stays() const {
        Sleep(1000);
        EXPECT_TRUE(app->idle()) << "the program ended or showed another dialog";
    }
    void expect_end(DWORD code) const {
        EXPECT_TRUE(app->ended(patience_ms)) << "the program did not end";
        EXPECT_EQ(app->exit_code(), code);
    }

    std::optional<Player> app;
};

// At this screen's DPI: the table's geometry and styles, each caption fits.
TEST_F(EndToEnd, Layout) {
    start();
    HWND window = app->window();
    const win32::ScreenDC screen(GetDC(nullptr));
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    const auto at_dpi = std::ranges::find(screens, dpi, &Screen::dpi);
    ASSERT_NE(at_dpi, std::end(screens)) << "no expected layout at " << dpi << " DPI";
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, at_dpi->width);
    EXPECT_EQ(client.bottom, at_dpi->height);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    for (const Slot& slot : at_dpi->slots) {
        SCOPED_TRACE(std::string(slot.name));
        const Control& c = *find_control(slot.name);
        HWND child = control(c.name);
        ASSERT_NE(child, nullptr);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const std::array<LONG, 4> box{r.left, r.top, r.right - r.left, r.bottom - r.top};
        const SIZE text = caption_size(c, slot.font_height);
        if (c.name == slogan) {
            // Shown whole: its table's top and height, as wide as its text
            // (at least its slot), ending no further right than the note box.
            EXPECT_EQ((std::array{box[1], box[3]}), (std::array{slot.box[1], slot.box[3]}));
            EXPECT_GE(box[2], std::max(slot.box[2], text.cx));
            EXPECT_GE(box[0], 0);
            EXPECT_LE(box[0] + box[2], at_dpi->slogan_right);
        } else {
            EXPECT_EQ(box, slot.box);
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (c.kind == ControlKind::text_box) {
            EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
            EXPECT_EQ(text_of(child), widen(c.caption));
            continue;
        }
        if (c.kind == ControlKind::push_button) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        }
        // On one line; the slogan keeps its table's height, a pixel short at 192 DPI.
        EXPECT_LE(text.cx, box[2]) << "caption wider than its control";
        if (c.name != slogan) {
            EXPECT_LE(text.cy, box[3]) << "caption taller";
        }
    }
}

TEST_F(EndToEnd, FocusKeysTheSiteLabelAboutAndExit) {
    start();
    // Focus starts on Install; Tab walks the focus order and wraps. Enter clicks the focused
    // button: Install's folder dialog (cancelled), About's box. Tabbed in, the note box shows
    // its beginning, nothing selected; Enter and Escape there start nothing.
    std::vector<HWND> order;
    for (const Control* c : focus_order()) order.push_back(control(c->name));
    ASSERT_TRUE(wait_until([&] { return app->focus() == order.front(); }));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        HWND expected = order[i % order.size()];
        app->press(WM_KEYDOWN, VK_TAB);
        ASSERT_TRUE(wait_until([&] { return app->focus() == expected; }, 3000)) << i;
        if (expected == control("comInstall") || expected == control("comAbout")) {
            app->press(WM_KEYDOWN, VK_RETURN);
            if (expected == control("comAbout"))
                expect_box(widen(about_text), false);
            else
                ASSERT_TRUE(app->answer_folder_dialog(L"")) << "Enter opened no folder dialog";
            expect_window_stays();
        }
        if (expected != control("Text")) continue;
        DWORD_PTR selection = 0, first_line = 99;
        SendMessageTimeoutW(expected, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection);
        SendMessageTimeoutW(expected, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 2000,
                            &first_line);
        EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "text selected on tabbing in";
        EXPECT_EQ(first_line, 0u);
        app->press(WM_KEYDOWN, VK_RETURN);
        app->press(WM_KEYDOWN, VK_ESCAPE);
        expect_window_stays();
        EXPECT_EQ(app->focus(), expected);
    }

    // A screen reader hears the note box by its own name, each button by its
    // word with its access key apart, and finds the site label a link whose
    // default action opens the site in the browser.
    EXPECT_EQ(accessible(control("Text"), false).name, widen(note_box_name));
    for (const auto& [name, spoken, key] : {std::tuple{"comInstall", L"安装", L"Alt+I"},
                                            {"comExit", L"退出", L"Alt+E"},
                                            {"comAbout", L"关于", L"Alt+A"}}) {
        const Accessible button = accessible(control(name), false);
        EXPECT_EQ(button.name, spoken);
        EXPECT_EQ(button.shortcut, key);
    }
    DeleteFileW(browser_record.c_str());
    const Accessible link = accessible(control("Label1"), true);
    EXPECT_EQ(link.name, widen(site_address));
    EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(link.action, S_OK);
    std::string opened;
    wait_until([&] {
        const Data bytes = read_file(browser_record);
        return !opened.assign(bytes.begin(), bytes.end()).empty();
    });
    EXPECT_EQ(opened, site_address);
    expect_window_stays();

    // With a button focused, bare letters do nothing; with Alt, I opens the
    // folder dialog (Cancel keeps the window), A the About box, E ends the
    // program as leaving: 1.
    for (const WPARAM letter : {'I', 'E', 'A'}) app->press(WM_KEYDOWN, letter);
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'I');
    ASSERT_TRUE(app->answer_folder_dialog(L"")) << "Alt+I opened no folder dialog";
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'A');
    expect_box(widen(about_text), false);
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'E');
    expect_end(1);
}

// A folder outside code page 936, given with /D=: the folder dialog opens
// there, and OK as it stands writes the four payloads byte for byte and ends.
TEST_F(EndToEnd, InstallsIntoTheFolderGiven) {
    const std::wstring game = second_drive + L"\\ทดสอบ";
    make_game_folder(game);
    const Tree before = snapshot(game);
    start(L"/D=" + game);
    app->click(control("comInstall"));
    HWND dialog = app->wait_for_dialog(true);
    ASSERT_NE(dialog, nullptr);
    app->click(GetDlgItem(dialog, IDOK));
    expect_box(widen("安装完毕"), false);
    expect_end(0);
    EXPECT_EQ(snapshot(game), installed_tree(game, before));
}

// A folder holding this patch and its originals: Install and OK ask whether
// to restore them, with the question icon. No leaves all as it is and the
// window stays; Yes puts the folder back as it was before the installation,
// says so and ends.
TEST_F(EndToEnd, APatchedFolderAsksWhetherToRestore) {
    const std::wstring game = second_drive + L"\\patched";
    make_game_folder(game);
    const Tree original = snapshot(game);
    start(L"/S /D=" + game, false);
    expect_end(0);
    const Tree installed = snapshot(game);
    start(L"/D=" + game);
    for (const int answer : {IDNO, IDYES}) {
        app->click(control("comInstall"));
        ASSERT_TRUE(app->answer_folder_dialog(game));
        const auto box = app->answer_message_box(answer);
        ASSERT_TRUE(box) << "no question";
        EXPECT_EQ(box->text, widen(restore_question));
        EXPECT_TRUE(box->icon && !box->stop_icon);
        if (answer == IDNO) {
            expect_window_stays();
            EXPECT_EQ(snapshot(game), installed);
        }
    }
    expect_box(widen("已还原为原版文件"), false);
    expect_end(0);
    EXPECT_EQ(snapshot(game), original);
}

// A retry's dialog opens where the attempt before was: on the folder chosen,
// or on the folder that held it once it is gone.
TEST_F(EndToEnd, RetryOpensWhereTheLastAttemptWas) {
    const std::wstring held = second_drive + L"\\retry", gone = held + L"\\gone";
    fs::create_directories(gone);
    start();
    // Where each dialog opens (the first: not asked), and the folder chosen
    // there; after the second attempt it goes.
    for (const std::wstring& opens_on : {std::wstring(), gone, held}) {
        app->click(control("comInstall"));
        HWND dialog = app->wait_for_dialog(true);
        ASSERT_NE(dialog, nullptr);
        if (!opens_on.empty()) {
            const std::wstring expected = Player::display_name(opens_on);
            EXPECT_TRUE(wait_until([&] { return app->selected_folder(dialog) == expected; }))
                << "opened on " << win32::narrow(app->selected_folder(dialog));
        }
        if (opens_on == held) {
            app->click(GetDlgItem(dialog, IDCANCEL));
            break;
        }
        ASSERT_TRUE(app->choose_folder(dialog, gone));
        app->click(GetDlgItem(dialog, IDOK));
        const auto box = app->answer_message_box();
        ASSERT_TRUE(box && box->text.starts_with(L"路径错误"));
        if (opens_on == gone) fs::remove(gone);
    }
    expect_window_stays();
}

// A damaged download says so as soon as its window shows; Install is
// disabled and the focus has gone on to Exit, where Enter ends the program
// as leaving.
TEST_F(EndToEnd, DamagedCopySaysSoAtStart) {
    start(L"", true, damaged_copy(second_drive));
    expect_box(widen("安装程序已损坏，请重新下载"), true);
    EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(control("comInstall")); }));
    ASSERT_TRUE(wait_until([&] { return app->focus() == control("comExit"); }));
    app->press(WM_KEYDOWN, VK_RETURN);
    expect_end(1);
}

// The virus scanner's stand-in (scanner.cpp) on `folder`, holding each new
// file whose name ends in `suffix` for `hold_ms`; `held` ends it and tells
// how many files it held, once they are let go.
class Scanner {
public:
    Scanner(const std::wstring& folder, const wchar_t* suffix, DWORD hold_ms) {
        const PROCESS_INFORMATION info =
            start_process(test_paths::scanner, L"scanner \"" + folder + L"\" " + suffix + L" " +
                                                   std::to_wstring(hold_ms) + L" " + ready_name +
                                                   L" " + stop_name);
        if (!info.hProcess) return;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        const HANDLE started[] = {ready_.get(), process_.get()};
        WaitForMultipleObjects(2, started, FALSE, patience_ms);
    }
    ~Scanner() {
        if (process_) TerminateProcess(process_.get(), 0);
    }
    DWORD held() {
        SetEvent(stop_.get());
        if (process_ && WaitForSingleObject(process_.get(), 2 * patience_ms) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process_.get(), &held_))
            process_.close();
        return held_;
    }

private:
    static constexpr const wchar_t* ready_name = L"veldor-scanner-ready";
    static constexpr const wchar_t* stop_name = L"veldor-scanner-stop";
    win32::Handle ready_{CreateEventW(nullptr, TRUE, FALSE, ready_name)};
    win32::Handle stop_{CreateEventW(nullptr, TRUE, FALSE, stop_name)};
    win32::Handle process_;
    DWORD held_ = 0;
};

// A scanner holding each file of the installer's own for 400 ms, as it
// appears, is waited out: the whole patch, nothing left over. Held longer
// than the installer waits, it is the game's hold: the player's files stay
// as they were, and once let go the next attempt installs. The folder's own
// names stay (ENG.DB, Config.DAT), and the hidden ENG.DB stays hidden.
TEST_F(EndToEnd, WaitsOutAScannerKeepingNamesAndAttributes) {
    const std::wstring game = second_drive + L"\\scanned";
    const std::wstring eng = game + L"\\data\\cmn\\fe\\ENG.DB";
    // The patch in place under the folder's own names, nothing of the
    // installer's own left beside it.
    const auto installed = [&] {
        const Tree after = snapshot(game);
        const auto holds = [&](const wchar_t* name, const wchar_t* payload_name) {
            const auto found = after.find(name);
            return found != after.end() && found->second == payload(payload_name);
        };
        return holds(L"data\\cmn\\fe\\ENG.DB", L"eng.db") && holds(L"Config.DAT", L"config.dat") &&
               std::ranges::none_of(after, [](const auto& file) {
                   return file.first.ends_with(L".veldor-new") ||
                          file.first.ends_with(L".veldor-old");
               });
    };
    const struct {
        const wchar_t* suffix;
        DWORD hold_ms;
        bool installs;
    } rows[] = {
        {L".veldor-new", 400, true}, {L".veldor-old", 400, true}, {L".veldor-new", 10000, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(win32::narrow(row.suffix) + " " + std::to_string(row.hold_ms));
        // A file moved aside lives for milliseconds, which a busy machine's
        // scanner may miss: a row is run again until the scanner held one.
        DWORD held = 0;
        for (int run = 0; run < 5 && held == 0; ++run) {
            std::error_code ignored;
            fs::remove_all(game, ignored);
            make_game_folder(game);
            fs::remove(game + L"\\data\\cmn\\fe\\eng.db");
            for (const std::wstring& name : {eng, game + L"\\Config.DAT"})
                write_raw(name, Data(3000, 'o'));
            SetFileAttributesW(eng.c_str(), FILE_ATTRIBUTE_HIDDEN);
            const Tree before = snapshot(game);
            Scanner scanner(game, row.suffix, row.hold_ms);
            start(L"/S /D=" + game, false);
            if (!row.installs) {
                // The installer cannot remove its own staged file while the
                // scanner still holds it: in use, or left mid-way where that
                // file stays, until the folder is chosen again.
                EXPECT_TRUE(app->ended(4 * patience_ms));
                EXPECT_TRUE(app->exit_code() == 3 || app->exit_code() == 6) << app->exit_code();
                scanner.held();  // once it lets go
                Tree left = snapshot(game);
                std::erase_if(
                    left, [](const auto& file) { return file.first.ends_with(L".veldor-new"); });
                EXPECT_EQ(left, before);
                start(L"/S /D=" + game, false);
            }
            expect_end(0);
            held = scanner.held();
            EXPECT_TRUE(installed());
            EXPECT_EQ(GetFileAttributesW(eng.c_str()) & FILE_ATTRIBUTE_HIDDEN,
                      FILE_ATTRIBUTE_HIDDEN);
            app.reset();
        }
        EXPECT_GT(held, 0u) << "the scanner held nothing";
    }
}

// A folder that refuses writes, chosen in the window: a silent copy of the
// program is started for it, and the window shows what that copy reports
// (its reason, which the exit code alone would not tell).
TEST_F(EndToEnd, AFolderThatRefusesWritesIsHandedToASilentCopy) {
    const std::wstring game = second_drive + L"\\refusing";
    make_game_folder(game);
    const Tree before = snapshot(game);
    std::optional<Immutable> refusing(std::in_place, game + L"\\data\\cmn\\fe");
    if (!*refusing) GTEST_SKIP() << "this file system cannot make a folder refuse root (chattr +i)";
    start();
    std::size_t traced = read_file(process_trace).size();
    app->click(control("comInstall"));
    ASSERT_TRUE(app->answer_folder_dialog(game));
    expect_box(widen("无法写入：data\\cmn\\fe\\eng.db（拒绝访问）\n以管理员身份运行后重试。"),
               true);
    EXPECT_TRUE(silent_copy_started(traced, game));
    expect_window_stays();
    EXPECT_EQ(snapshot(game), before);

    refusing.reset();
    traced = read_file(process_trace).size();
    app->click(control("comInstall"));
    ASSERT_TRUE(app->answer_folder_dialog(game));
    expect_box(widen("安装完毕"), false);
    expect_end(0);
    EXPECT_FALSE(silent_copy_started(traced, game));
    EXPECT_EQ(snapshot(game), installed_tree(game, before));
}

// Run elevated, as every run is under Wine, the program follows no link:
// with data\gui a link out of the game folder, a script's run is refused,
// and neither folder changes, not even the installer's own names outside.
TEST_F(EndToEnd, AnElevatedRunFollowsNoLink) {
    const std::wstring game = second_drive + L"\\linked", outside = second_drive + L"\\outside";
    make_game_folder(game);  // its fonts go through the link
    for (const wchar_t* name : {L"\\ZQ05_Tit.ttf.veldor-old", L"\\ZQ05_Bod.ttf.veldor-new"})
        ASSERT_TRUE(write_raw(outside + name, Data(10, 'v')));
    const Tree inside = snapshot(game), beyond = snapshot(outside);
    ASSERT_EQ(beyond.size(), 4u) << "no link out of the game folder (run through run.sh)";
    start(L"/S /D=" + game, false);
    expect_end(2);
    EXPECT_EQ(snapshot(game), inside);
    EXPECT_EQ(snapshot(outside), beyond);
}

// One start each by a script: the box shown (none: empty; a stop icon when
// the exit code is not 0), the exit code, and the folder installed on 0, or
// restored to what it was before an installation, else untouched. No window
// and no other box at any point (one would keep the program from ending). A
// damaged copy has one payload byte flipped, as a broken download would.
TEST_F(EndToEnd, SilentRunsDamageAndUsage) {
    const std::wstring copy = damaged_copy(second_drive), usage = widen(UsageMessage({}));
    ASSERT_FALSE(copy.empty());
    const struct {
        bool damaged;
        std::wstring arguments, folder;
        bool game;
        std::wstring box;
        DWORD code;
        bool installed_first = false;
    } cases[] = {
        {true, L"/S /D=" + second_drive + L"\\damaged", second_drive + L"\\damaged", true, L"", 4},
        // Relative to its drive's current folder, and a drive's root.
        {false, L"/S /D=" + second_drive + L"relative game", second_drive + L"\\relative game",
         true, L"", 0},
        {false, L"/VERYSILENT /DIR=\"" + root_drive + L"\\\"", root_drive + L"\\", true, L"", 0},
        {false, L"/s /d=" + second_drive + L"\\not a game", second_drive + L"\\not a game", false,
         L"", 2},
        {false, L"/S /RESTORE /D=" + second_drive + L"\\restored", second_drive + L"\\restored",
         true, L"", 0, true},
        {false, L"/S", L"", false, L"", 5},
        {false, L"/?", L"", false, usage, 0},
        {false, L"/X /Y /D=C:\\Games", L"", false, widen("无法识别的参数：/X\r\n\r\n") + usage, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(win32::narrow(c.arguments));
        if (!c.folder.empty()) make_game_folder(c.folder, c.game);
        const Tree original = c.folder.empty() ? Tree{} : snapshot(c.folder);
        if (c.installed_first) {
            start(L"/S /D=" + c.folder, false);
            expect_end(0);
        }
        const Tree before = c.folder.empty() ? Tree{} : snapshot(c.folder);
        start(c.arguments, false, c.damaged ? copy : program_under_test);
        if (!c.box.empty()) expect_box(c.box, c.code != 0);
        expect_end(c.code);
        if (!c.folder.empty()) {
            EXPECT_EQ(snapshot(c.folder), c.code != 0         ? before
                                          : c.installed_first ? original
                                                              : installed_tree(c.folder, before));
        }
    }
}

}  // namespace
}  // namespace veldor

// After Google Test's own options: SECOND-DRIVE ROOT-DRIVE, as "M:", then
// the file the stand-in browser (run.sh) writes the address it opens to and
// the file Wine traces process creation to.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 5) {
        veldor::second_drive = veldor::win32::widen(argv[1]);
        veldor::root_drive = veldor::win32::widen(argv[2]);
        veldor::browser_record = veldor::win32::widen(argv[3]);
        veldor::process_trace = veldor::win32::widen(argv[4]);
    }
    const veldor::win32::ComApartment com;  // for the accessible objects
    return RUN_ALL_TESTS();
}
