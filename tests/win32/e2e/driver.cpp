// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end.
// Every wait is bounded; a program that never answers fails the case.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "e2e/player.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
#include "window/command_line.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using test::children_of;
using test::class_of;
using test::Data;
using test::patience_ms;
using test::pattern;
using test::Player;
using test::read_file;
using test::text_of;
using test::wait_until;
using win32::widen;
namespace fs = std::filesystem;

constexpr DWORD quiet_ms = 1000;  // for making sure nothing more happens

// Given by run.sh: a drive holding game folders, and one whose root is one;
// a stand-in browser that writes the address it is given to a file.
std::wstring second_drive, root_drive, browser, browser_record;

// The control built from `name`'s table entry, found as a player sees it.
HWND control_of(const Player& app, std::string_view name) {
    const Control* control = find_control(name);
    for (HWND child : children_of(app.window())) {
        if (control->kind == ControlKind::text_box
                ? lstrcmpiW(class_of(child).c_str(), L"Edit") == 0
                : text_of(child) == widen(control->caption))
            return child;
    }
    return nullptr;
}

// The size of `control`'s caption drawn in its font at `dpi` (that font made
// here as the program makes it), without the access-key marker.
SIZE caption_size(const Control& control, int dpi) {
    const Font& font = control.font ? *control.font : main_window.font;
    LOGFONTW description{};
    description.lfHeight = -MulDiv(static_cast<int>(font.points * 10 + 0.5), dpi, 720);
    description.lfWeight = font.weight;
    description.lfUnderline = font.underline;
    description.lfCharSet = static_cast<BYTE>(font.charset);
    lstrcpynW(description.lfFaceName, widen(font.face).c_str(), LF_FACESIZE);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT made = CreateFontIndirectW(&description);
    HGDIOBJ old = SelectObject(dc, made);
    std::wstring caption = widen(control.caption);
    RECT box{};
    DrawTextW(dc, caption.data(), -1, &box,
              DT_CALCRECT | DT_SINGLELINE |
                  (control.kind == ControlKind::push_button ? 0u : DT_NOPREFIX));
    SelectObject(dc, old);
    DeleteObject(made);
    DeleteDC(dc);
    return {box.right - box.left, box.bottom - box.top};
}

// A game folder: the data folders asked for, with the superseded fonts and
// an older, longer eng.db than the patch's.
void make_game_folder(const fs::path& folder, bool fe = true, bool gui = true) {
    fs::create_directories(folder);
    if (fe) {
        fs::create_directories(folder / L"data\\cmn\\fe");
        test::write_raw(folder / L"data\\cmn\\fe\\eng.db",
                        pattern(read_file(test_paths::payload(101)).size() + 777, 5));
    }
    if (gui) {
        fs::create_directories(folder / L"data\\gui");
        test::write_raw(folder / L"data\\gui\\ZQ05_Tit.ttf", pattern(3000, 1));
        test::write_raw(folder / L"data\\gui\\ZQSSanCB.ttf", pattern(4000, 2));
    }
}

// Every folder (ending in '\') and file below `folder`, with its contents.
using Tree = std::map<std::wstring, Data>;
Tree snapshot(const fs::path& folder) {
    Tree tree;
    const std::size_t prefix = (folder / L"").wstring().size();
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::wstring name = entry.path().wstring().substr(prefix);
        if (entry.is_directory())
            tree[name + L"\\"] = {};
        else
            tree[name] = read_file(entry.path());
    }
    return tree;
}

// What a complete installation leaves: the layout and the four payloads.
Tree installed_tree() {
    return {{L"config.dat", read_file(test_paths::payload(104))},
            {L"data\\", {}},
            {L"data\\cmn\\", {}},
            {L"data\\cmn\\fe\\", {}},
            {L"data\\cmn\\fe\\chi.db", read_file(test_paths::payload(103))},
            {L"data\\cmn\\fe\\eng.db", read_file(test_paths::payload(101))},
            {L"data\\gui\\", {}},
            {L"data\\gui\\ZQ05_Bod.ttf", read_file(test_paths::payload(102))}};
}

// The build's program, or the one VELDOR_PROGRAM names: a copy beside
// planted DLLs (planted/run.sh), a signed build (release_build.sh).
std::wstring program_under_test() {
    const wchar_t* copy = _wgetenv(L"VELDOR_PROGRAM");
    return copy && *copy ? copy : test_paths::program;
}

// What a screen reader learns of `control` through its accessible object.
struct Accessible {
    std::wstring name;
    LONG role = 0;
    IAccessible* object = nullptr;
    explicit Accessible(HWND control) {
        if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&object))))
            return;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (SUCCEEDED(object->get_accName(self, &text)) && text) name = text;
        SysFreeString(text);
        VARIANT answer{};
        if (SUCCEEDED(object->get_accRole(self, &answer)) && answer.vt == VT_I4) role = answer.lVal;
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;
    ~Accessible() {
        if (object) object->Release();
    }
    HRESULT do_default_action() const {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        return object ? object->accDoDefaultAction(self) : E_FAIL;
    }
};

// Wine's document opener runs the browsers this value lists; here, only the
// stand-in. Removed again at scope exit.
class StandInBrowser {
public:
    StandInBrowser() {
        RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        RegSetValueExW(key_, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                       static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t)));
        DeleteFileW(browser_record.c_str());
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;
    ~StandInBrowser() {
        RegDeleteValueW(key_, L"Browsers");
        RegCloseKey(key_);
    }
    // The address the browser was asked to open, once it was.
    std::string opened() const {
        std::string address;
        wait_until([&] {
            const Data bytes = read_file(browser_record);
            address.assign(bytes.begin(), bytes.end());
            return !address.empty();
        });
        return address;
    }

private:
    static constexpr wchar_t key[] = L"Software\\Wine\\WineBrowser";
    HKEY key_ = nullptr;
};

const std::wstring completion = widen("安装完毕");
const std::wstring failure = widen("路径错误");
const std::wstring in_use = widen("文件被占用，请关闭游戏后重试");
const std::wstring damaged = widen("安装程序已损坏，请重新下载");

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(second_drive.empty() || browser.empty()) << "run through run.sh";
        ASSERT_NE(app.window(), nullptr) << "the window did not appear";
    }

    bool install_from(const std::wstring& path) {
        return app.choose_after(control_of(app, "comInstall"), path);
    }
    // Answers the one box the last action should show, and checks it.
    void expect_one_box(const std::wstring& text, bool stop_icon) {
        const auto box = app.answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, widen(application_title));
        EXPECT_EQ(box->icon, stop_icon);
        EXPECT_EQ(box->stop_icon, stop_icon);
    }
    void expect_window_stays() {
        Sleep(quiet_ms);
        EXPECT_TRUE(app.idle()) << "the program ended or showed another dialog";
    }
    // A full installation into `game`: one 安装完毕, the end, the four files.
    void expect_installs(const std::wstring& game) {
        make_game_folder(game);
        ASSERT_TRUE(install_from(game));
        expect_one_box(completion, false);
        EXPECT_TRUE(app.ended(patience_ms)) << "the program did not end after 安装完毕";
        EXPECT_EQ(app.exit_code(), 0u);
        EXPECT_EQ(snapshot(game), installed_tree());
    }

    Player app{program_under_test(), widen(main_window.caption)};
};

TEST_F(EndToEnd, WindowMatchesTheTableAndKeysMoveAsPlanned) {
    HWND window = app.window();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto px = [&](int twips) { return static_cast<LONG>(twips_to_pixels(twips, dpi)); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, dpi == 96 ? 443 : px(main_window.client_width));
    EXPECT_EQ(client.bottom, dpi == 96 ? 194 : px(main_window.client_height));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    for (const Control& control : controls) {
        SCOPED_TRACE(std::string(control.name));
        HWND child = control_of(app, control.name);
        ASSERT_NE(child, nullptr);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const auto& t = control.twips;
        if (control.name == slogan) {
            // Grown to its text from its table width, no further right than the note box.
            EXPECT_EQ((std::array{r.top, r.bottom - r.top}), (std::array{px(t.top), px(t.height)}));
            EXPECT_GE(r.right - r.left, px(t.width));
            EXPECT_LE(r.right, px(find_control(slogan_right_limit)->twips.right()));
        } else {
            EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                      (std::array{px(t.left), px(t.top), px(t.width), px(t.height)}));
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (control.kind == ControlKind::push_button) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "a default button";
        } else if (control.kind == ControlKind::text_box) {
            EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
            EXPECT_EQ(text_of(child), widen(control.caption));
            continue;
        }
        // The caption, in the control's font at this DPI, fits on one line.
        const SIZE text = caption_size(control, dpi);
        EXPECT_LE(text.cx, r.right - r.left) << "caption wider than its control";
        // The slogan keeps its table's height, a pixel short of its line at 192 DPI.
        if (control.name != slogan) {
            EXPECT_LE(text.cy, r.bottom - r.top) << "caption taller than its control";
        }
    }

    // Focus starts on Install; Tab walks the focus order and wraps; the
    // dialog manager agrees backwards. Enter and Escape in the note box
    // start nothing and keep the window.
    std::vector<HWND> order;
    for (const Control* control : focus_order()) order.push_back(control_of(app, control->name));
    ASSERT_TRUE(wait_until([&] { return app.focus() == order.front(); }));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        HWND expected = order[i % order.size()];
        app.press(WM_KEYDOWN, VK_TAB);
        ASSERT_TRUE(wait_until([&] { return app.focus() == expected; }, 3000)) << i;
        EXPECT_EQ(GetNextDlgTabItem(window, expected, TRUE), order[i - 1]) << i;
        if (expected != control_of(app, "Text")) continue;
        // Tabbed in, the note shows its beginning with nothing selected.
        DWORD_PTR selection = 0, first_line = 99;
        SendMessageTimeoutW(expected, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection);
        SendMessageTimeoutW(expected, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 2000,
                            &first_line);
        EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "text selected on tabbing in";
        EXPECT_EQ(first_line, 0u);
        app.press(WM_KEYDOWN, VK_RETURN);
        app.press(WM_KEYDOWN, VK_ESCAPE);
        expect_window_stays();
        EXPECT_EQ(app.focus(), expected);
    }

    // A screen reader hears the note box by its own name and finds the site
    // label a link whose default action opens the site.
    EXPECT_EQ(Accessible(control_of(app, "Text")).name, widen(note_box_name));
    {
        const StandInBrowser stand_in;
        const Accessible link(control_of(app, "Label1"));
        EXPECT_EQ(link.name, widen(site_address));
        EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
        EXPECT_EQ(link.do_default_action(), S_OK);
        EXPECT_EQ(stand_in.opened(), site_address);
        expect_window_stays();
    }

    // With a button focused, bare letters do nothing; with Alt, I opens the
    // folder dialog, A the About box (as a click does), E ends the program.
    for (const WPARAM letter : {'I', 'E', 'A'}) app.press(WM_KEYDOWN, letter);
    expect_window_stays();
    app.press(WM_SYSKEYDOWN, 'I');
    HWND dialog = app.wait_for_dialog(true);
    ASSERT_NE(dialog, nullptr) << "Alt+I opened no folder dialog";
    app.click(GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(dialog); }));
    expect_window_stays();
    app.click(control_of(app, "comAbout"));
    expect_one_box(widen(about_text), false);
    expect_window_stays();
    app.press(WM_SYSKEYDOWN, 'A');
    expect_one_box(widen(about_text), false);
    expect_window_stays();
    app.press(WM_SYSKEYDOWN, 'E');
    EXPECT_TRUE(app.ended(patience_ms)) << "Alt+E did not end the program";
    EXPECT_EQ(app.exit_code(), 1u);
}

TEST_F(EndToEnd, InstallsOnASecondDriveAndEnds) {
    expect_installs(second_drive + L"\\Games-VELDOR");
}

TEST_F(EndToEnd, InstallsAtTheRootOfADrive) { expect_installs(root_drive + L"\\"); }

TEST_F(EndToEnd, CancelAndWrongFoldersKeepTheWindowThenAThaiNamedFolderInstalls) {
    ASSERT_TRUE(install_from(L""));
    expect_window_stays();

    for (const auto& [name, fe, gui] : {std::tuple{L"\\no-data", false, false},
                                        {L"\\only-fe", true, false},
                                        {L"\\only-gui", false, true}}) {
        SCOPED_TRACE(win32::narrow(name));
        const std::wstring folder = second_drive + name;
        make_game_folder(folder, fe, gui);
        const Tree before = snapshot(folder);
        ASSERT_TRUE(install_from(folder));
        expect_one_box(failure, true);
        expect_window_stays();
        EXPECT_EQ(snapshot(folder), before);
    }
    expect_installs(second_drive + L"\\ทดสอบ");
}

// Found before anything changes: a read-only eng.db, then a chi.db the game
// holds open. Once the game lets go, pressing Install again installs.
TEST_F(EndToEnd, ReadOnlyAndInUseFilesLeaveTheFolderAsItWasUntilReleased) {
    const std::wstring game = second_drive + L"\\in-use";
    make_game_folder(game);
    const std::wstring eng = game + L"\\data\\cmn\\fe\\eng.db";
    const std::wstring chi = game + L"\\data\\cmn\\fe\\chi.db";
    ASSERT_TRUE(test::write_raw(chi, pattern(2048, 9)));
    const Tree before = snapshot(game);

    SetFileAttributesW(eng.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(install_from(game));
    expect_one_box(failure, true);
    expect_window_stays();
    EXPECT_EQ(snapshot(game), before);
    EXPECT_TRUE(GetFileAttributesW(eng.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(eng.c_str(), FILE_ATTRIBUTE_NORMAL);

    HANDLE held = CreateFileW(chi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(install_from(game));
    expect_one_box(in_use, true);
    expect_window_stays();
    CloseHandle(held);
    EXPECT_EQ(snapshot(game), before);

    ASSERT_TRUE(install_from(game));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(snapshot(game), installed_tree());
}

// A copy of the program with one payload byte flipped, as a broken download
// would be: it says so and touches nothing; Exit ends it with 1.
TEST(EndToEndDamaged, ADamagedCopySaysSoAndTouchesNothing) {
    Data program = read_file(test_paths::program);
    const Data payload = read_file(test_paths::payload(104));
    const auto found = std::search(program.begin(), program.end(), payload.begin(), payload.end());
    ASSERT_NE(found, program.end());
    found[static_cast<std::ptrdiff_t>(payload.size() / 2)] ^= 1;
    const std::wstring copy = second_drive + L"\\VELDOR汉化.exe";
    ASSERT_TRUE(test::write_raw(copy, program));
    const std::wstring game = second_drive + L"\\damaged";
    make_game_folder(game);
    const Tree before = snapshot(game);

    Player app{copy, widen(main_window.caption)};
    ASSERT_NE(app.window(), nullptr);
    ASSERT_TRUE(app.choose_after(control_of(app, "comInstall"), game));
    const auto box = app.answer_message_box();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, damaged);
    EXPECT_TRUE(box->stop_icon);
    Sleep(quiet_ms);
    EXPECT_TRUE(app.idle());
    EXPECT_EQ(snapshot(game), before);
    app.click(control_of(app, "comExit"));
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(app.exit_code(), 1u);
}

// Started by a script: no window and no message box at any point (one would
// keep the program from ending), and the exit code tells the outcome.
TEST(CommandLine, SilentInstallsShowNothingAndTheExitCodeTells) {
    enum Folder { none, game, not_game, read_only };
    const struct {
        std::wstring before, name, after;
        Folder folder;
        DWORD code;
    } cases[] = {
        {L"/S /D=", L"\\silent game", L"", game, 0},
        {L"/S /D=", L"relative game", L"", game, 0},  // "M:relative game", from M:'s root
        {L"/VERYSILENT /DIR=\"", L"\\very silent game", L"\"", game, 0},
        {L"/s /d=", L"\\not a game", L"", not_game, 2},
        {L"/SILENT /D=", L"\\read-only", L"", read_only, 3},
        {L"/S", L"", L"", none, 5},
        {L"/S /X /D=", L"\\unknown switch", L"", game, 5},
    };
    for (const auto& c : cases) {
        const std::wstring given = c.folder == none ? L"" : second_drive + c.name;
        SCOPED_TRACE(win32::narrow(c.before + given + c.after));
        const std::wstring folder = second_drive + L"\\" + c.name.substr(c.name[0] == L'\\');
        if (c.folder != none) make_game_folder(folder, c.folder != not_game, c.folder != not_game);
        const std::wstring chi = folder + L"\\data\\cmn\\fe\\chi.db";
        if (c.folder == read_only) {
            ASSERT_TRUE(test::write_raw(chi, pattern(2048, 9)) &&
                        SetFileAttributesW(chi.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        const Tree before = c.folder == none ? Tree{} : snapshot(folder);

        Player app{test_paths::program, widen(main_window.caption), c.before + given + c.after};
        EXPECT_EQ(app.window(), nullptr);
        ASSERT_TRUE(app.ended(patience_ms)) << "the program waits for something";
        EXPECT_EQ(app.exit_code(), c.code);
        if (c.folder == read_only) {
            EXPECT_EQ(read_file(chi), pattern(2048, 9));
        } else if (c.folder != none) {
            EXPECT_EQ(snapshot(folder), c.code == 0 ? installed_tree() : before);
        }
    }
}

// Asked for, or given switches it cannot run, the program shows its usage
// and ends.
TEST(CommandLine, UsageOnRequestOrForABadCommandLine) {
    for (const auto& [arguments, stop_icon, code] :
         {std::tuple{L"/?", false, 0u}, {L"/X /D=C:\\Games", true, 5u}}) {
        SCOPED_TRACE(win32::narrow(arguments));
        Player app{test_paths::program, widen(main_window.caption), arguments};
        const auto box = app.answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->caption, widen(application_title));
        EXPECT_EQ(box->text, widen(windows_usage));
        EXPECT_EQ(box->stop_icon, stop_icon);
        EXPECT_TRUE(app.ended(patience_ms));
        EXPECT_EQ(app.exit_code(), code);
        EXPECT_EQ(app.window(), nullptr);
    }
}

// Not silent, a folder given is where the folder dialog opens: OK as it
// stands installs there.
TEST(CommandLine, TheFolderDialogOpensOnTheFolderGiven) {
    const std::wstring game = second_drive + L"\\given game";
    make_game_folder(game);
    Player app{test_paths::program, widen(main_window.caption), L"/D=" + game};
    ASSERT_NE(app.window(), nullptr);
    app.click(control_of(app, "comInstall"));
    HWND dialog = app.wait_for_dialog(true);
    ASSERT_TRUE(dialog && app.shows_selected(dialog, game, false)) << "not opened on the folder";
    app.click(GetDlgItem(dialog, IDOK));
    const auto box = app.answer_message_box();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, widen("安装完毕"));
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(app.exit_code(), 0u);
    EXPECT_EQ(snapshot(game), installed_tree());
}

}  // namespace
}  // namespace veldor

// After Google Test's own options: SECOND-DRIVE ROOT-DRIVE, as "M:", then
// the stand-in browser's Linux path and its record's path.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc == 5) {
        veldor::second_drive = veldor::win32::widen(argv[1]);
        veldor::root_drive = veldor::win32::widen(argv[2]);
        veldor::browser = veldor::win32::widen(argv[3]);
        veldor::browser_record = veldor::win32::widen(argv[4]);
    }
    const veldor::win32::ComApartment com;  // for the accessible objects
    return RUN_ALL_TESTS();
}
