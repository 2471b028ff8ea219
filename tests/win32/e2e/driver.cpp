// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end.
// Every wait is bounded; a program that never answers fails the case.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "e2e/player.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
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

    Player app{test_paths::program, widen(main_window.caption)};
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
        EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::array{px(t.left), px(t.top), px(t.width), px(t.height)}));
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
        // (The slogan's slot is widened to its text by a change of its own.)
        if (control.name == "Label2") continue;
        const SIZE text = caption_size(control, dpi);
        EXPECT_LE(text.cx, r.right - r.left) << "caption wider than its control";
        EXPECT_LE(text.cy, r.bottom - r.top) << "caption taller than its control";
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

TEST_F(EndToEnd, AFileInUseFailsOnceAndExitLeavesTheRest) {
    const std::wstring game = second_drive + L"\\in-use";
    make_game_folder(game);
    const std::wstring chi = game + L"\\data\\cmn\\fe\\chi.db";
    ASSERT_TRUE(test::write_raw(chi, pattern(2048, 9)));
    HANDLE held = CreateFileW(chi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(install_from(game));
    expect_one_box(failure, true);
    expect_window_stays();
    CloseHandle(held);

    Tree expected = installed_tree();
    expected[L"data\\cmn\\fe\\chi.db"] = pattern(2048, 9);
    EXPECT_EQ(snapshot(game), expected);
    app.click(control_of(app, "comExit"));
    EXPECT_TRUE(app.ended(patience_ms)) << "Exit did not end the program";
    EXPECT_EQ(app.exit_code(), 1u) << "leaving without installing is not success";
    EXPECT_EQ(snapshot(game), expected);
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
