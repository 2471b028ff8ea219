"""Drives the Linux program through its real window and GTK's real dialogs,
as a player would: xdotool presses keys and clicks, and the accessibility bus
reads what the dialogs say and where the focus is.

Usage: window_e2e.py PROGRAM PAYLOAD_DIR CASE
Needs an X display and a D-Bus session bus (run it under dbus-run-session).
"""

import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

WINDOW_TITLE = "VELDOR汉化补丁V1.2"
BOX_TITLE = "VELDOR汉化V1.2"
FOLDER_DIALOG_TITLE = "请选择文件夹"
SITE = "http://tavlor.example/"
PAYLOADS = {  # installed file -> payload file
    "data/cmn/fe/eng.db": "eng.db",
    "data/cmn/fe/chi.db": "chi.db",
    "data/gui/ZQ05_Bod.ttf": "ZQ05_Bod.ttf",
    "config.dat": "config.dat",
}
SUPERSEDED = ["data/gui/ZQ05_Tit.ttf", "data/gui/ZQSSanCB.ttf"]
TIMEOUT = 15.0  # seconds, for anything the program should do promptly


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls `probe` until it returns something truthy; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.1)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=TIMEOUT)


def windows_named(title):
    found = xdotool("search", "--onlyvisible", "--name", f"^{title}$")
    return [w for w in found.stdout.split()]


def press(window, *keys):
    """Gives `window` the keyboard focus (there is no window manager) and types."""
    xdotool("windowfocus", "--sync", window)
    xdotool("key", "--delay", "50", *keys)


# --- the accessibility tree ------------------------------------------------


def walk(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def application(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def showing_toplevels(pid):
    app = application(pid)
    if app is None:
        return []
    app.clear_cache()
    children = [app.get_child_at_index(i) for i in range(app.get_child_count())]
    return [c for c in children if c is not None and c.get_state_set().contains(Atspi.StateType.SHOWING)]


def main_frame(pid):
    frames = [t for t in showing_toplevels(pid) if t.get_name() == WINDOW_TITLE]
    return frames[0] if frames else None


def dialogs(pid):
    """Showing dialogs. A message box's accessible name is its kind ("Error"
    for an error box), not its title, so it is found by role."""
    return [t for t in showing_toplevels(pid) if t.get_role() in (Atspi.Role.DIALOG, Atspi.Role.ALERT)]


def texts_in(node):
    """Every non-empty label's text under `node`, in tree order."""
    return [n.get_name() for n in walk(node) if n.get_role() == Atspi.Role.LABEL and n.get_name()]


def focused_control(pid):
    frame = main_frame(pid)
    if frame is None:
        return None
    for node in walk(frame):
        if node.get_state_set().contains(Atspi.StateType.FOCUSED):
            return node
    return None


def describe(node):
    if node is None:
        return None
    return f"{node.get_role_name()}:{node.get_name()}"


# --- the program -----------------------------------------------------------


class Program:
    def __init__(self, path, home):
        self.home = home
        env = dict(os.environ)
        env.pop("GTK_USE_PORTAL", None)
        env.update(
            HOME=home,
            XDG_CONFIG_HOME=os.path.join(home, "config"),
            XDG_DATA_HOME=os.path.join(home, "data"),
            XDG_CACHE_HOME=os.path.join(home, "cache"),
            GSETTINGS_BACKEND="memory",
            GTK_A11Y="atspi",
            NO_AT_BRIDGE="0",
        )
        self.process = subprocess.Popen([path], env=env, cwd=home)
        self.window = wait_for("the main window", lambda: windows_named(WINDOW_TITLE))[0]
        wait_for("the window on the accessibility bus", lambda: main_frame(self.pid))

    @property
    def pid(self):
        return self.process.pid

    def alive(self):
        return self.process.poll() is None

    def wait_for_end(self):
        try:
            return self.process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait(timeout=TIMEOUT)

    def message_box(self):
        """Waits for a message box; answers its window and its texts."""
        window = wait_for("a message box", lambda: windows_named(BOX_TITLE))[0]
        boxes = wait_for("the message box's text", lambda: [d for d in dialogs(self.pid) if texts_in(d)])
        check(len(boxes) == 1, "more than one dialog is showing")
        return window, texts_in(boxes[0])

    def no_message_box_for(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            check(not windows_named(BOX_TITLE), "a message box appeared")
            time.sleep(0.1)

    def dismiss(self, box_window):
        press(box_window, "Return")
        wait_for("the message box to close", lambda: not windows_named(BOX_TITLE) or not self.alive())

    def choose_folder(self, folder):
        """Install: types the folder into the chooser's location entry."""
        press(self.window, "alt+i")
        dialog = wait_for("the folder dialog", lambda: windows_named(FOLDER_DIALOG_TITLE))[0]
        time.sleep(0.3)  # the chooser loads its folder
        press(dialog, "ctrl+l")
        time.sleep(0.2)
        xdotool("type", "--delay", "20", folder)
        time.sleep(0.5)  # the entry completes inline; Delete drops the completion
        press(dialog, "Delete", "Return")
        wait_for("the folder dialog to close", lambda: not windows_named(FOLDER_DIALOG_TITLE))


def make_home(root):
    home = os.path.join(root, "home")
    os.makedirs(os.path.join(home, "config"))
    os.makedirs(os.path.join(home, "data", "applications"))
    os.makedirs(os.path.join(home, "cache"))
    # A stand-in web browser that notes the address it was asked to open.
    opened = os.path.join(root, "opened.txt")
    browser = os.path.join(root, "browser")
    with open(browser, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s" "$1" > "{opened}"\n')
    os.chmod(browser, 0o755)
    with open(os.path.join(home, "data", "applications", "test-browser.desktop"), "w") as f:
        f.write(
            "[Desktop Entry]\nType=Application\nName=Test browser\n"
            f"Exec={browser} %u\nMimeType=x-scheme-handler/http;\n"
        )
    with open(os.path.join(home, "config", "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n")
    return home, opened


def make_game(root, name, with_data=True):
    folder = os.path.join(root, name)
    os.makedirs(folder)
    if with_data:
        os.makedirs(os.path.join(folder, "data", "cmn", "fe"))
        os.makedirs(os.path.join(folder, "data", "gui"))
        for font in SUPERSEDED:
            with open(os.path.join(folder, font), "wb") as f:
                f.write(b"old font")
    return folder


def snapshot(folder):
    result = {}
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                result[os.path.relpath(path, folder)] = f.read()
    return result


def check_installed(folder, payload_dir):
    for installed, payload in PAYLOADS.items():
        path = os.path.join(folder, installed)
        check(os.path.isfile(path), f"{installed} was not written")
        check(
            filecmp.cmp(path, os.path.join(payload_dir, payload), shallow=False),
            f"{installed} differs from the payload {payload}",
        )
    for font in SUPERSEDED:
        check(not os.path.exists(os.path.join(folder, font)), f"{font} is still there")


# --- the cases -------------------------------------------------------------


def case_install(program, root, payload_dir, _opened):
    wrong = make_game(root, "not-a-game", with_data=False)
    program.choose_folder(wrong)
    box, texts = program.message_box()
    check(texts == ["路径错误"], f"expected the path error, got {texts}")
    program.dismiss(box)
    time.sleep(1.0)  # the window stays for a second attempt
    check(program.alive() and windows_named(WINDOW_TITLE), "the window went away after an error")
    check(os.listdir(wrong) == [], "the wrong folder was written to")

    game = make_game(root, "game")
    program.choose_folder(game)
    box, texts = program.message_box()
    check(texts == ["安装完毕"], f"expected the completion message, got {texts}")
    program.dismiss(box)
    check(program.wait_for_end() == 0, "the program did not end normally")
    check_installed(game, payload_dir)


def case_exit_after_failure(program, root, _payload_dir, _opened):
    # The fonts folder is missing: the installation is refused untouched.
    game = make_game(root, "half-game", with_data=False)
    os.makedirs(os.path.join(game, "data", "cmn", "fe"))
    with open(os.path.join(game, "data", "cmn", "fe", "eng.db"), "wb") as f:
        f.write(b"the game's own")
    before = snapshot(game)
    program.choose_folder(game)
    box, texts = program.message_box()
    check(texts == ["路径错误"], f"expected the path error, got {texts}")
    program.dismiss(box)
    press(program.window, "alt+e")
    check(program.wait_for_end() == 0, "Exit did not end the program normally")
    check(snapshot(game) == before, "the game folder changed")


def case_about(program, _root, _payload_dir, _opened):
    for attempt in (1, 2):
        press(program.window, "alt+a")
        box, texts = program.message_box()
        check(len(texts) == 1, f"About {attempt}: expected one text, got {texts}")
        lines = texts[0].replace("\r\n", "\n").split("\n")
        check(len(lines) == 5, f"About {attempt}: expected five lines, got {lines}")
        check(lines[0] == "Tavlor网—Tavlor论坛—TavlorFM工作组", f"first line {lines[0]!r}")
        check(lines[1] == "" and lines[3] == "", f"blank lines missing: {lines}")
        check(lines[2].startswith("编译软件：") and len(lines[2]) > 5, f"compiler line {lines[2]!r}")
        check(lines[4] == "作者：Ostrvik", f"author line {lines[4]!r}")
        program.dismiss(box)
        check(program.alive(), "About ended the program")
    press(program.window, "alt+e")
    check(program.wait_for_end() == 0, "Exit did not end the program normally")


def control_centre(program, name):
    for node in walk(main_frame(program.pid)):
        if node.get_name() == name:
            r = node.get_extents(Atspi.CoordType.SCREEN)
            return r.x + r.width // 2, r.y + r.height // 2
    raise Failure(f"no control named {name}")


def click_at(program, point):
    xdotool("mousemove", "--sync", str(point[0]), str(point[1]))
    xdotool("click", "1")


def case_site(program, _root, _payload_dir, opened):
    click_at(program, control_centre(program, SITE))
    address = wait_for("the browser to be asked", lambda: os.path.exists(opened) and open(opened).read())
    check(address == SITE, f"opened {address!r}")
    program.no_message_box_for(1.0)
    check(program.alive(), "opening the site ended the program")


def case_focus(program, _root, _payload_dir, _opened):
    expected_install = "push button:安 装(I)"
    check(describe(focused_control(program.pid)) == expected_install, "focus does not start on Install")
    cycle = ["push button:退 出(E)", "text:", "push button:关 于(A)", expected_install]
    for step in cycle:
        press(program.window, "Tab")
        wait_for(f"Tab to {step}", lambda: describe(focused_control(program.pid)) == step)
    for step in reversed(cycle[:-1]):
        press(program.window, "shift+Tab")
        wait_for(f"Shift+Tab to {step}", lambda: describe(focused_control(program.pid)) == step)

    # The note box: Enter and Escape start nothing, a click focuses it.
    press(program.window, "Tab")  # from Exit
    wait_for("focus in the note", lambda: describe(focused_control(program.pid)) == "text:")
    press(program.window, "Return", "Escape")
    program.no_message_box_for(1.0)
    check(not windows_named(FOLDER_DIALOG_TITLE), "Enter in the note started the installation")
    check(program.alive(), "Enter or Escape in the note ended the program")

    press(program.window, "shift+Tab", "shift+Tab")  # to Install
    wait_for("focus back on Install", lambda: describe(focused_control(program.pid)) == expected_install)
    note = next(n for n in walk(main_frame(program.pid)) if n.get_role() == Atspi.Role.TEXT)
    r = note.get_extents(Atspi.CoordType.SCREEN)
    click_at(program, (r.x + r.width // 2, r.y + r.height // 2))
    wait_for("a click to focus the note", lambda: describe(focused_control(program.pid)) == "text:")


def case_layout(program, _root, _payload_dir, _opened):
    geometry = xdotool("getwindowgeometry", "--shell", program.window).stdout
    values = dict(line.split("=", 1) for line in geometry.split())
    # 6645 x 2910 twips at the 96 DPI of a plain X server.
    check((values["WIDTH"], values["HEIGHT"]) == ("443", "194"), f"window is {geometry}")
    hints = subprocess.run(
        ["xprop", "-id", program.window, "WM_NORMAL_HINTS", "_NET_WM_ICON"],
        capture_output=True, text=True, timeout=TIMEOUT,
    ).stdout
    check("minimum size: 443 by 194" in hints and "maximum size: 443 by 194" in hints,
          f"the window can be resized: {hints[:300]}")
    check("Icon (16 x 16)" in hints and "Icon (32 x 32)" in hints, "the window has no 16 and 32 pixel icons")

    # Each control sits in a slot that clips it; the slots hang from the
    # window's fixed-position container. Left, top, width, height in pixels.
    expected = {
        "安 装(I)": (8, 128, 97, 25),
        "退 出(E)": (112, 128, 97, 25),
        "关 于(A)": (8, 160, 97, 25),
        "note": (8, 8, 425, 113),
        SITE: (256, 136, 177, 25),
        "Tavlor社区——我们每天都在进步": (224, 168, 201, 17),
    }
    frame = main_frame(program.pid)
    origin = frame.get_extents(Atspi.CoordType.SCREEN)
    fixed = frame.get_child_at_index(0)
    for i in range(fixed.get_child_count()):
        slot = fixed.get_child_at_index(i)
        names = [n.get_name() for n in walk(slot) if n.get_name()]
        has_note = any(n.get_role() == Atspi.Role.TEXT for n in walk(slot))
        key = "note" if has_note else (names[0] if names else None)
        check(key in expected, f"unexpected slot holding {names}")
        r = slot.get_extents(Atspi.CoordType.SCREEN)
        got = (r.x - origin.x, r.y - origin.y, r.width, r.height)
        check(got == expected.pop(key), f"{key} is at {got}")
    check(not expected, f"controls not found: {list(expected)}")


CASES = {
    "install": case_install,
    "exit_after_failure": case_exit_after_failure,
    "about": case_about,
    "site": case_site,
    "focus": case_focus,
    "layout": case_layout,
}


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in CASES:
        sys.exit(f"usage: {sys.argv[0]} PROGRAM PAYLOAD_DIR {{{'|'.join(CASES)}}}")
    program_path, payload_dir, case = sys.argv[1:]
    if not os.environ.get("DISPLAY"):
        sys.exit("no X display: run under tools/with-display")
    root = tempfile.mkdtemp(prefix="veldor-e2e-")
    program = None
    try:
        home, opened = make_home(root)
        program = Program(os.path.abspath(program_path), home)
        CASES[case](program, root, payload_dir, opened)
    except Failure as failure:
        print(f"FAIL {case}: {failure}", file=sys.stderr)
        sys.exit(1)
    finally:
        if program is not None:
            program.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"ok {case}")


if __name__ == "__main__":
    main()
