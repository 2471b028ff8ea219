"""Drives the Linux program through its real window and GTK's real dialogs,
as a player would: xdotool presses keys and clicks, and the accessibility bus
reads what the dialogs say and where the focus is.

Usage: window_e2e.py PROGRAM PAYLOAD_DIR CASE
Needs an X display and a D-Bus session bus (run it under dbus-run-session).
"""

import filecmp, os, re, shutil, subprocess, sys, tempfile, time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

WINDOW_TITLE = "VELDOR汉化补丁V1.2"
BOX_TITLE = "VELDOR汉化V1.2"
FOLDER_DIALOG_TITLE = "请选择文件夹"
SITE = "http://tavlor.example/"
PAYLOADS = ["data/cmn/fe/eng.db", "data/cmn/fe/chi.db", "data/gui/ZQ05_Bod.ttf", "config.dat"]
SUPERSEDED = ["data/gui/ZQ05_Tit.ttf", "data/gui/ZQSSanCB.ttf"]
ABOUT = r"Tavlor网—Tavlor论坛—TavlorFM工作组\n\n编译软件：\S[^\n]*\n\n作者：Ostrvik"
INSTALL, EXIT, ABOUT_BUTTON, NOTE = (
    "push button:安 装(I)", "push button:退 出(E)", "push button:关 于(A)", "text:补丁说明")
SLOTS = {  # each control's clipping slot: left, top, width, height in pixels
    "安 装(I)": (8, 128, 97, 25),
    "退 出(E)": (112, 128, 97, 25),
    "关 于(A)": (8, 160, 97, 25),
    "note": (8, 8, 425, 113),
    SITE: (256, 136, 177, 25),
}
SLOGAN = "Tavlor社区——我们每天都在进步"  # its slot grows to its text: top 168, height 17,
SLOGAN_MIN_WIDTH, NOTE_RIGHT = 201, 433  # from 201 pixels wide, up to the note box's right edge
TIMEOUT = 15.0  # seconds, for anything the program should do promptly


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls `probe` until it returns something truthy; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        check(time.monotonic() < deadline, f"timed out waiting for {what}")
        time.sleep(0.1)
    return value


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT).stdout


def windows_named(title):
    return run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split()


def press(window, *keys):
    """Gives `window` the keyboard focus (there is no window manager) and types."""
    run("xdotool", "windowfocus", "--sync", window)
    run("xdotool", "key", "--delay", "50", *keys)


def click(node):
    r = node.get_extents(Atspi.CoordType.SCREEN)
    run("xdotool", "mousemove", "--sync", str(r.x + r.width // 2), str(r.y + r.height // 2))
    run("xdotool", "click", "1")


def children(node):
    return [c for c in map(node.get_child_at_index, range(node.get_child_count())) if c is not None]


def walk(node):
    yield node
    for child in children(node):
        yield from walk(child)


def has(node, state):
    return node.get_state_set().contains(state)


def labels(node):
    return [n.get_name() for n in walk(node) if n.get_role() == Atspi.Role.LABEL and n.get_name()]


def write(path, content, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(content, bytes) else "w") as f:
        f.write(content)
    os.chmod(path, mode)


def contrast(a, b):
    def luminance(rgb):
        r, g, b = (c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4 for c in (v / 255 for v in rgb))
        return 0.2126 * r + 0.7152 * g + 0.0722 * b
    light, dark = sorted((luminance(a), luminance(b)), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def text_contrast(node):
    """Contrast of a label's text with its background, as drawn on screen: the
    commonest colour is the background, the farthest from it the text."""
    r = node.get_extents(Atspi.CoordType.SCREEN)
    pixels = subprocess.run(["import", "-window", "root", "-crop", f"{r.width}x{r.height}+{r.x}+{r.y}",
                             "-depth", "8", "txt:-"], capture_output=True, text=True, timeout=TIMEOUT).stdout
    colours = [tuple(map(int, m)) for m in re.findall(r"\((\d+),(\d+),(\d+)", pixels)]
    check(colours, f"no pixels at {r.x},{r.y} {r.width}x{r.height}")
    background = max(set(colours), key=colours.count)
    return max(contrast(c, background) for c in colours)


class Program:
    def __init__(self, path, home, arguments=(), theme=None):
        env = {k: v for k, v in os.environ.items() if k not in ("GTK_USE_PORTAL", "GTK_THEME")}
        env.update(HOME=home, XDG_CONFIG_HOME=f"{home}/config", XDG_DATA_HOME=f"{home}/data",
                   XDG_CACHE_HOME=f"{home}/cache", GSETTINGS_BACKEND="memory",
                   GTK_A11Y="atspi", NO_AT_BRIDGE="0", **({"GTK_THEME": theme} if theme else {}))
        self.process = subprocess.Popen([path, *arguments], env=env, cwd=home)
        self.window = wait_for("the main window", lambda: windows_named(WINDOW_TITLE))[0]
        wait_for("the window on the accessibility bus", self.frame)

    def toplevels(self):
        """The program's showing windows on the accessibility bus."""
        for app in children(Atspi.get_desktop(0)):
            if app.get_process_id() == self.process.pid:
                app.clear_cache()
                return [t for t in children(app) if has(t, Atspi.StateType.SHOWING)]
        return []

    def frame(self):
        return next((t for t in self.toplevels() if t.get_name() == WINDOW_TITLE), None)

    def find(self, test):
        return next(n for n in walk(self.frame()) if test(n))

    def focused(self):
        frame = self.frame()
        node = frame and next((n for n in walk(frame) if has(n, Atspi.StateType.FOCUSED)), None)
        return node and f"{node.get_role_name()}:{node.get_name()}"

    def alive(self):
        return self.process.poll() is None

    def ends(self, code=0):
        try:
            return self.process.wait(timeout=TIMEOUT) == code
        except subprocess.TimeoutExpired:
            return False

    def message_box(self, pattern):
        """Waits for the one message box, checks its text and presses Enter. A
        message box's accessible name is its kind, not its title, so it is
        found by role."""
        window = wait_for("a message box", lambda: windows_named(BOX_TITLE))[0]
        dialog = (Atspi.Role.DIALOG, Atspi.Role.ALERT)
        boxes = wait_for("its text", lambda: [t for t in self.toplevels() if t.get_role() in dialog and labels(t)])
        texts = [t.replace("\r\n", "\n") for t in labels(boxes[0])]
        check(len(boxes) == 1, "more than one dialog is showing")
        check(len(texts) == 1 and re.fullmatch(pattern, texts[0]), f"expected {pattern!r}, got {texts}")
        press(window, "Return")
        wait_for("the message box to close", lambda: not windows_named(BOX_TITLE) or not self.alive())

    def quiet_for(self, seconds):
        """No dialog appears and the program stays."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            check(not windows_named(BOX_TITLE) + windows_named(FOLDER_DIALOG_TITLE), "a dialog appeared")
            time.sleep(0.1)
        check(self.alive(), "the program ended")

    def open_chooser(self):
        """Install: the folder dialog, once it has loaded its folder."""
        press(self.window, "alt+i")
        dialog = wait_for("the folder dialog", lambda: windows_named(FOLDER_DIALOG_TITLE))[0]
        time.sleep(0.3)
        return dialog

    def choose_folder(self, folder):
        """Types the folder into the chooser's location entry."""
        dialog = self.open_chooser()
        press(dialog, "ctrl+l")
        time.sleep(0.2)
        run("xdotool", "type", "--delay", "20", folder)
        time.sleep(0.5)  # the entry completes inline; Delete drops the completion
        press(dialog, "Delete", "Return")
        wait_for("the folder dialog to close", lambda: not windows_named(FOLDER_DIALOG_TITLE))


def make_home(root):
    """A home whose web browser is a script noting the address it was asked to open."""
    home, opened, browser = f"{root}/home", f"{root}/opened.txt", f"{root}/browser"
    write(browser, f'#!/bin/sh\nprintf "%s" "$1" > "{opened}"\n', 0o755)
    write(f"{home}/data/applications/test-browser.desktop",
          f"[Desktop Entry]\nType=Application\nName=Test browser\nExec={browser} %u\n"
          "MimeType=x-scheme-handler/http;\n")
    write(f"{home}/config/mimeapps.list",
          "[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n")
    os.makedirs(f"{home}/cache")
    return home, opened


# --- the cases: each makes its world, then starts the program -------------


def case_install(start, root, payload_dir, _opened):
    """Steam's list names a second library: the chooser offers each library's
    games and each Wine prefix's drive_c. A refusal leaves the window for
    another attempt, whose chooser opens again on the folder given by
    --folder: OK installs the payloads there."""
    home, library, wrong = f"{root}/home", f"{root}/Library Two", f"{root}/not-a-game"
    steam, game = f"{home}/.local/share/Steam", f"{root}/游戏 VELDOR"  # in neither library
    write(f"{steam}/steamapps/libraryfolders.vdf",
          f'"libraryfolders"\n{{\n\t"0"\n\t{{\n\t\t"path"\t\t"{steam}"\n\t}}\n'
          f'\t"1"\n\t{{\n\t\t"path"\t\t"{library}"\n\t\t"apps" {{ "1" "2" }}\n\t}}\n}}\n')
    os.makedirs(f"{home}/.steam")
    os.symlink(steam, f"{home}/.steam/steam")  # as Steam links it: one library, not two
    for folder in (f"{steam}/steamapps/common/Tool", f"{library}/steamapps/common", f"{game}/data/cmn/fe", wrong,
                   f"{home}/.wine/drive_c", f"{home}/Games/lutris/drive_c", f"{home}/Games/empty"):
        os.makedirs(folder)
    for font in SUPERSEDED:
        write(f"{game}/{font}", b"old font")
    program = start(f"--folder={game}")
    program.choose_folder(wrong)
    program.message_box("路径错误")
    program.quiet_for(1.0)
    check(not os.listdir(wrong), "the refused folder changed")

    dialog = program.open_chooser()
    chooser = wait_for("the chooser", lambda: next(
        (t for t in program.toplevels() if t.get_name() == FOLDER_DIALOG_TITLE), None))
    sidebar = wait_for("the places", lambda: next(
        (n for n in walk(chooser) if n.get_role() == Atspi.Role.SCROLL_PANE and n.get_name() == "Places"), None))
    shortcuts = ["common", "common", "drive_c", "drive_c"]  # each library and prefix once
    wait_for(f"the shortcuts {shortcuts}",
             lambda: sorted(n for n in labels(sidebar) if n in ("common", "drive_c")) == shortcuts)
    press(dialog, "alt+o")
    program.message_box("安装完毕")
    check(program.ends(), "the program did not end normally")
    for path in PAYLOADS:
        payload = f"{payload_dir}/{os.path.basename(path)}"
        check(os.path.isfile(f"{game}/{path}") and filecmp.cmp(f"{game}/{path}", payload, shallow=False),
              f"{path} is not {payload}")
    check(not any(os.path.exists(f"{game}/{font}") for font in SUPERSEDED), "a font is still there")


def case_controls(start, _root, _payload_dir, opened):
    """Keys and focus, the note and the slogan, the site label, About and Exit."""
    program = start()

    def move(keys, to):
        press(program.window, *keys)
        wait_for(f"{' '.join(keys)} to {to}", lambda: program.focused() == to)

    check(program.focused() == INSTALL, "focus does not start on Install")
    for to in (EXIT, NOTE, ABOUT_BUTTON, INSTALL):
        move(["Tab"], to)
    for to in (ABOUT_BUTTON, NOTE, EXIT):
        move(["shift+Tab"], to)
    # In the note, Enter and Escape start nothing; a click focuses it.
    move(["Tab"], NOTE)
    press(program.window, "Return", "Escape")
    program.quiet_for(1.0)
    move(["shift+Tab", "shift+Tab"], INSTALL)
    note = program.find(lambda n: n.get_role() == Atspi.Role.TEXT)
    check("\r" not in note.get_text(0, -1), "the note keeps Windows line ends")
    click(note)
    wait_for("a click to focus the note", lambda: program.focused() == NOTE)
    click(program.find(lambda n: n.get_name() == SLOGAN and n.get_role() == Atspi.Role.LABEL))
    program.quiet_for(1.0)
    check(not os.path.exists(opened), "the slogan opened the site")

    # A click, and a screen reader's action on the link, open the site.
    link = program.find(lambda n: n.get_name() == SITE)
    check(link.get_role() == Atspi.Role.LINK, f"the site label is a {link.get_role_name()}")
    for open_site in (click, lambda node: node.get_action_iface().do_action(0)):
        open_site(link)
        address = wait_for("the browser to be asked", lambda: os.path.exists(opened) and open(opened).read())
        check(address == SITE, f"opened {address!r}")
        os.remove(opened)
        program.quiet_for(1.0)

    for _ in range(2):
        press(program.window, "alt+a")
        program.message_box(ABOUT)
        check(program.alive(), "About ended the program")
    press(program.window, "alt+e")
    check(program.ends(1), "Exit did not end the program with 1 (left without installing)")


def case_layout(start, _root, _payload_dir, _opened):
    # In the high-contrast theme the link and the slogan read.
    program = start(theme="HighContrastInverse")
    for name in (SITE, SLOGAN):
        ratio = text_contrast(program.find(lambda n: n.get_name() == name))
        check(ratio >= 3, f"{name} is drawn at {ratio:.1f}:1 against its background")

    # 6645 x 2910 twips at the 96 DPI of a plain X server.
    frame = program.frame()
    origin = frame.get_extents(Atspi.CoordType.SCREEN)
    check((origin.width, origin.height) == (443, 194), f"window is {origin.width} x {origin.height}")
    hints = run("xprop", "-id", program.window, "WM_NORMAL_HINTS", "_NET_WM_ICON")
    for hint in ("minimum size: 443 by 194", "maximum size: 443 by 194", "Icon (16 x 16)", "Icon (32 x 32)"):
        check(hint in hints, f"no {hint!r} in {hints[:300]}")

    # The slots hang from the window's fixed-position container.
    slots = []
    for slot in children(frame.get_child_at_index(0)):
        nodes = list(walk(slot))
        note = any(n.get_role() == Atspi.Role.TEXT for n in nodes)
        r = slot.get_extents(Atspi.CoordType.SCREEN)
        slots.append(("note" if note else next((n.get_name() for n in nodes if n.get_name()), None),
                      (r.x - origin.x, r.y - origin.y, r.width, r.height)))
    slots = dict(slots)
    x, y, width, height = slots.pop(SLOGAN, (0, 0, 0, 0))
    check(slots == SLOTS, f"slots are {slots}")
    check(y == 168 and height == 17 and width >= SLOGAN_MIN_WIDTH and x + width <= NOTE_RIGHT,
          f"the slogan's slot is {(x, y, width, height)}")
    # The whole text fits: its first and last characters lie inside the slot.
    label = program.find(lambda n: n.get_name() == SLOGAN and n.get_role() == Atspi.Role.LABEL)
    for offset in (0, len(SLOGAN) - 1):
        c = label.get_character_extents(offset, Atspi.CoordType.SCREEN)
        check(c.width > 0 and origin.x + x <= c.x and c.x + c.width <= origin.x + x + width,
              f"character {offset} of the slogan lies at {c.x}..{c.x + c.width}, outside its slot")


CASES = {name[len("case_"):]: case for name, case in globals().items() if name.startswith("case_")}


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in CASES:
        sys.exit(f"usage: {sys.argv[0]} PROGRAM PAYLOAD_DIR {{{'|'.join(CASES)}}}")
    program_path, payload_dir, case = sys.argv[1:]
    root = tempfile.mkdtemp(prefix="veldor-e2e-")
    started = []

    def start(*arguments, theme=None):
        started.append(Program(os.path.abspath(program_path), home, arguments, theme))
        return started[-1]

    try:
        home, opened = make_home(root)
        CASES[case](start, root, payload_dir, opened)
    except Failure as failure:
        sys.exit(f"FAIL {case}: {failure}")
    finally:
        for program in started:
            if program.alive():
                program.process.kill()
        shutil.rmtree(root, ignore_errors=True)
    print(f"ok {case}")


if __name__ == "__main__":
    main()
