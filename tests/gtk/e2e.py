"""Drives the Linux program through its real window and GTK's real dialogs,
as a player would: xdotool presses keys and clicks, and the accessibility bus
reads what the dialogs say and where the focus is; or, in the silent and
interrupted cases, as a script would, with no display at all.

Usage: e2e.py PROGRAM PAYLOAD_DIR CASE, where CASE names one of the case_ functions.
The window cases need an X display and a D-Bus session bus (dbus-run-session).
"""

import filecmp, os, pathlib, re, shutil, signal, subprocess, sys, tempfile, time

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
INSTALL, EXIT, ABOUT_BUTTON, NOTE = (  # buttons read as their words; the access keys apart
    "push button:安装", "push button:退出", "push button:关于", "text:补丁说明")
DAMAGED = "安装程序已损坏，请重新下载"
SLOTS = {  # each control's clipping slot: left, top, width, height in pixels
    "安装": (8, 128, 97, 25),
    "退出": (112, 128, 97, 25),
    "关于": (8, 160, 97, 25),
    "note": (8, 8, 425, 113),
    SITE: (256, 136, 177, 25),
}
SLOGAN = "Tavlor社区——我们每天都在进步"  # its slot grows to its text: top 168, height 17,
SLOGAN_MIN_WIDTH, NOTE_RIGHT = 201, 433  # from 201 pixels wide, up to the note box's right edge
TIMEOUT = 15.0  # seconds, for anything the program should do promptly


def check(condition, message):
    if not condition:
        sys.exit(f"FAIL: {message}")  # main's cleanup still runs


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


def labels(node):
    return [n.get_name() for n in walk(node) if n.get_role() == Atspi.Role.LABEL and n.get_name()]


def write(path, content, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(content, bytes) else "w") as f:
        f.write(content)
    os.chmod(path, mode)


def luminance(rgb):
    r, g, b = (c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4 for c in (v / 255 for v in rgb))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def text_contrast(node):
    """Contrast of a label's text with its background, as drawn on screen: the
    commonest colour is the background, the farthest from it the text."""
    r = node.get_extents(Atspi.CoordType.SCREEN)
    pixels = run("import", "-window", "root", "-crop", f"{r.width}x{r.height}+{r.x}+{r.y}", "-depth", "8", "txt:-")
    colours = [tuple(map(int, m)) for m in re.findall(r"\((\d+),(\d+),(\d+)", pixels)]
    check(colours, f"no pixels at {r.x},{r.y} {r.width}x{r.height}")
    background = luminance(max(set(colours), key=colours.count))
    return max((max(background, luminance(c)) + 0.05) / (min(background, luminance(c)) + 0.05) for c in colours)


def snapshot(folder):
    """Every entry below the folder with its mode and, for files, its contents."""
    return {str(entry.relative_to(folder)): (entry.lstat().st_mode, entry.is_file() and entry.read_bytes())
            for entry in pathlib.Path(folder).rglob("*")}


def check_installed(game, payload_dir, spelled={}):
    """The payloads byte for byte, under the names the folder had for them
    (`spelled`), and neither superseded font."""
    for path in PAYLOADS:
        payload = f"{payload_dir}/{os.path.basename(path)}"
        path = spelled.get(path, path)
        check(filecmp.cmp(f"{game}/{path}", payload, shallow=False), f"{game}/{path} is not {payload}")  # or missing
    check(not any(os.path.exists(f"{game}/{font}") for font in SUPERSEDED), f"{game}: a font is still there")


class Program:
    started = []  # every program the case started; ended with the case

    def __init__(self, path, root, *arguments, theme=None):
        home = f"{root}/home"
        env = {k: v for k, v in os.environ.items() if k not in ("GTK_USE_PORTAL", "GTK_THEME")}
        env.update(HOME=home, XDG_CONFIG_HOME=f"{home}/config", XDG_DATA_HOME=f"{home}/data",
                   XDG_CACHE_HOME=f"{home}/cache", GSETTINGS_BACKEND="memory",
                   GTK_A11Y="atspi", NO_AT_BRIDGE="0", **({"GTK_THEME": theme} if theme else {}))
        self.process = subprocess.Popen([path, *arguments], env=env, cwd=home)
        Program.started.append(self)
        self.window = wait_for("the main window", lambda: windows_named(WINDOW_TITLE))[0]
        wait_for("the window on the accessibility bus", self.frame)

    def toplevels(self):
        """The program's showing windows on the accessibility bus."""
        for app in children(Atspi.get_desktop(0)):
            if app.get_process_id() == self.process.pid:
                app.clear_cache()
                return [t for t in children(app) if t.get_state_set().contains(Atspi.StateType.SHOWING)]
        return []

    def frame(self):
        return next((t for t in self.toplevels() if t.get_name() == WINDOW_TITLE), None)

    def find(self, test):
        return next(n for n in walk(self.frame()) if test(n))

    def focused(self):
        frame = self.frame()
        node = frame and next((n for n in walk(frame) if n.get_state_set().contains(Atspi.StateType.FOCUSED)), None)
        return node and f"{node.get_role_name()}:{node.get_name()}"

    def alive(self):
        return self.process.poll() is None

    def message_box(self, pattern, stop=False):
        """Waits for the one message box, checks its text and its icon (the
        theme's error icon for a failure, else none) and presses Enter. A
        message box's accessible name is its kind, not its title, so it is
        found by role."""
        window = wait_for("a message box", lambda: windows_named(BOX_TITLE))[0]
        dialog = (Atspi.Role.DIALOG, Atspi.Role.ALERT)
        boxes = wait_for("its text", lambda: [t for t in self.toplevels() if t.get_role() in dialog and labels(t)])
        text = "\n".join(t.replace("\r\n", "\n") for t in labels(boxes[0]))
        check(len(boxes) == 1, "more than one dialog is showing")
        check(re.fullmatch(pattern, text), f"expected {pattern!r}, got {text!r}")
        icons = [n for n in walk(boxes[0]) if n.get_role() == Atspi.Role.ICON
                 and n.get_state_set().contains(Atspi.StateType.SHOWING) and n.get_extents(Atspi.CoordType.SCREEN).width >= 32]
        check(len(icons) == stop, f"{text!r} shows {len(icons)} icons")
        press(window, "Return")
        wait_for("the message box to close", lambda: not windows_named(BOX_TITLE) or not self.alive())

    def quiet_for(self, seconds):
        """No dialog appears and the program stays."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            check(not windows_named(BOX_TITLE) + windows_named(FOLDER_DIALOG_TITLE), "a dialog appeared")
            time.sleep(0.1)
        check(self.alive(), "the program ended")


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


# --- the cases: each makes its world, then starts the program -------------


def case_install(path, root, payload_dir):
    """Steam's list names a second library: the chooser offers each library's
    games and each Wine prefix's drive_c, and opens on the folder given by
    --folder, and on a retry where the last attempt was (its parent, when it
    is gone): OK installs the payloads there."""
    home, library = f"{root}/home", f"{root}/Library Two"
    steam, game = f"{home}/.local/share/Steam", f"{root}/游戏 VELDOR"  # in neither library
    write(f"{steam}/steamapps/libraryfolders.vdf",
          f'"libraryfolders" {{ "0" {{ "path" "{steam}" }} "1" {{ "path" "{library}" "apps" {{ "1" "2" }} }} }}')
    for folder in (f"{steam}/steamapps/common/Tool", f"{library}/steamapps/common", f"{game}/data/cmn/fe",
                   f"{home}/.wine/drive_c", f"{home}/Games/lutris/drive_c", f"{home}/Games/empty", f"{home}/.steam"):
        os.makedirs(folder)
    os.symlink(steam, f"{home}/.steam/steam")  # as Steam links it: one library, not two
    for font in SUPERSEDED:
        write(f"{game}/{font}", b"old font")
    # Chosen first: a folder inside the game's that is no game, gone before
    # the retry, whose chooser opens on the folder that held it.
    os.makedirs(f"{game}/gone")
    program = Program(path, root, f"--folder={game}/gone")
    press(program.window, "alt+i")
    dialog = wait_for("the folder dialog", lambda: windows_named(FOLDER_DIALOG_TITLE))[0]
    press(dialog, "alt+o")
    program.message_box("路径错误[\\s\\S]*", stop=True)
    os.rmdir(f"{game}/gone")
    press(program.window, "alt+i")
    dialog = wait_for("the folder dialog", lambda: windows_named(FOLDER_DIALOG_TITLE))[0]
    # Each library and prefix once in the places; the game's folder open in the
    # path bar, so OK takes it.
    shown = ["common", "common", "drive_c", "drive_c", os.path.basename(game)]
    wait_for(f"the chooser to show {shown}", lambda: shown == sorted(
        n.get_name() for t in program.toplevels() if t.get_name() == FOLDER_DIALOG_TITLE for n in walk(t)
        if n.get_name() in shown))
    press(dialog, "alt+o")
    program.message_box("安装完毕")
    check(program.process.wait(timeout=TIMEOUT) == 0, "the program did not end normally")
    check_installed(game, payload_dir)


def case_controls(path, root, payload_dir):
    """Keys and focus, the note and the slogan, the site label, About and Exit;
    a damaged copy at start."""
    program, opened = Program(path, root), f"{root}/opened.txt"

    def move(key, to):
        press(program.window, key)
        wait_for(f"{key} to {to}", lambda: program.focused() == to)

    # Round from Install, where the focus starts (from anywhere else, the first
    # Tab would not reach Exit).
    for to in (EXIT, NOTE, ABOUT_BUTTON, INSTALL):
        move("Tab", to)
    for to in (ABOUT_BUTTON, NOTE):
        move("shift+Tab", to)
    # In the note, Enter and Escape start nothing; a click focuses it.
    press(program.window, "Return", "Escape")
    program.quiet_for(1.0)
    move("shift+Tab", EXIT)
    # The note's paragraph is one line, wrapped by the view: the Windows face's
    # wraps are gone, and its line ends.
    note = program.find(lambda n: n.get_role() == Atspi.Role.TEXT)
    text = note.get_text(0, -1)
    check("\r" not in text and text.split("\n")[1:2] == [""], f"the note reads {text!r}")
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

    # Twice: About, like the site before it, must leave the window as it was.
    for _ in range(2):
        press(program.window, "alt+a")
        program.message_box(ABOUT)
    # The access keys, as a screen reader learns them apart from the names.
    for name, key in ((INSTALL, "<Alt>i"), (EXIT, "<Alt>e"), (ABOUT_BUTTON, "<Alt>a")):
        button = program.find(lambda n: f"{n.get_role_name()}:{n.get_name()}" == name)
        binding = button.get_action_iface().get_key_binding(0)
        check(binding == key, f"{name}'s key binding is {binding!r}")
    press(program.window, "alt+e")
    check(program.process.wait(timeout=TIMEOUT) == 1, "Exit did not end the program with 1 (left without installing)")

    # A damaged copy (a payload byte flipped, as a broken download has it)
    # says so as soon as its window shows; Install is disabled, the focus on
    # Exit.
    damaged = bytearray(open(path, "rb").read())
    config = open(f"{payload_dir}/config.dat", "rb").read()
    damaged[damaged.index(config) + len(config) // 2] ^= 1
    write(f"{root}/damaged", bytes(damaged), 0o755)
    program = Program(f"{root}/damaged", root)
    program.message_box(DAMAGED, stop=True)
    install = program.find(lambda n: n.get_name() == INSTALL.split(":")[1])
    check(not install.get_state_set().contains(Atspi.StateType.SENSITIVE), "Install is not disabled")
    run("xdotool", "windowfocus", "--sync", program.window)
    wait_for("the focus on Exit", lambda: program.focused() == EXIT)
    press(program.window, "Return")
    check(program.process.wait(timeout=TIMEOUT) == 1, "Enter on Exit did not end the damaged copy with 1")


def case_layout(path, root, _payload_dir):
    # In a dark and in a high-contrast theme the link and the slogan read.
    for theme in ("Adwaita:dark", "HighContrastInverse"):
        program = Program(path, root, theme=theme)
        for name in (SITE, SLOGAN):
            ratio = text_contrast(program.find(lambda n: n.get_name() == name))
            check(ratio >= 3, f"{theme}: {name} is drawn at {ratio:.1f}:1 against its background")
        if theme != "HighContrastInverse":
            program.process.kill()
            program.process.wait()

    # 6645 x 2910 twips at the 96 DPI of a plain X server, and no other size.
    frame = program.frame()
    origin = frame.get_extents(Atspi.CoordType.SCREEN)
    hints = run("xprop", "-id", program.window, "WM_NORMAL_HINTS", "_NET_WM_ICON")
    for hint in ("minimum size: 443 by 194", "maximum size: 443 by 194", "Icon (16 x 16)", "Icon (32 x 32)"):
        check(hint in hints, f"no {hint!r} in {hints[:300]}")

    # The slots hang from the window's fixed-position container.
    slots = {}
    for slot in children(frame.get_child_at_index(0)):
        nodes, r = list(walk(slot)), slot.get_extents(Atspi.CoordType.SCREEN)
        note = any(n.get_role() == Atspi.Role.TEXT for n in nodes)
        name = "note" if note else next(n.get_name() for n in nodes if n.get_name())
        slots[name] = (r.x - origin.x, r.y - origin.y, r.width, r.height)
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


def case_silent(path, root, payload_dir):
    """Run by a script with no display: silent installations, their exit codes
    and messages (a fixed string in either stream), and the options."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    write(f"{root}/my game/{SUPERSEDED[0]}", b"old font")
    os.makedirs(f"{root}/my game/data/cmn/fe")
    os.makedirs(f"{root}/no fonts/data/cmn/fe")
    for folder in ("data/gui", "data/cmn/fe"):
        os.makedirs(f"{root}/read-only/{folder}")
    write(f"{root}/read-only/data/cmn/fe/eng.db", b"old")
    os.chmod(f"{root}/read-only/data/cmn/fe/eng.db", 0o444)
    folder = f"--folder={root}/my game"
    for code, text, *arguments in [
        (0, "安装完毕", "--folder=my game", "--silent"),  # relative to where it is run
        (2, "路径错误\n请选择游戏的主文件夹（其中有 data 文件夹）。", "--silent", f"--folder={root}/no fonts"),
        (3, "无法写入：data/cmn/fe/eng.db（只读）\n取消该文件的只读属性后重试。", "--silent",
         f"--folder={root}/read-only"),
        (5, "--silent 需要 --folder", "--silent"),
        (5, "--folder 需要一个文件夹", "--silent", "--folder="),
        (5, "--bogus", "--silent", "--bogus", folder),
        (0, "VELDOR汉化 1.02\n", "--version"),
        (0, "5 命令行错误", "--help"),  # the exit codes
        (1, "cannot open display", folder),  # not silent, the window needs a display
    ]:
        said = subprocess.run([path, *arguments], env=env, cwd=root, capture_output=True, text=True, timeout=TIMEOUT)
        check(said.returncode == code and text in said.stdout + said.stderr and (code != 5 or "--help" in said.stderr),
              f"{arguments}: ended with {said.returncode}, said {said.stdout + said.stderr!r}")
    check_installed(f"{root}/my game", payload_dir)


def case_restore(path, root, payload_dir):
    """Run by a script: an installation, or two, then --restore puts back
    every original byte for byte, removes each installed file the folder did
    not have, and veldor-originals with it. A restore refuses, touching
    nothing, when an installed file changed."""
    old, game = f"{root}/old", f"{root}/game/VELDOR"
    write(f"{old}/data/cmn/fe/eng.db", os.urandom(3000), 0o640)
    write(f"{old}/game.exe", b"game")
    for name in SUPERSEDED:
        write(f"{old}/{name}", name)
    os.makedirs(f"{old}/data/gui", exist_ok=True)

    def run(*options):
        return subprocess.run([path, "--silent", f"--folder={game}", *options], capture_output=True,
                              text=True, timeout=TIMEOUT)

    for installs in (1, 2):
        shutil.rmtree(f"{root}/game", ignore_errors=True)
        shutil.copytree(old, game)
        for _ in range(installs):
            check(run().returncode == 0, "not installed")
        check_installed(game, payload_dir)
        said = run("--restore")
        check(said.returncode == 0 and "已还原为原版文件" in said.stderr, f"restore: {said}")
        check(snapshot(game) == snapshot(old), f"after {installs} installations: not the originals")

    check(run().returncode == 0, "not installed")
    write(f"{game}/data/cmn/fe/chi.db", b"another patch")
    before = snapshot(game)
    said = run("--restore")
    check(said.returncode == 2 and "游戏文件已被更改，无法还原" in said.stderr, f"a changed file: {said}")
    check(snapshot(game) == before, "a changed file: the folder changed")


def case_interrupted(path, root, payload_dir):
    """Silent installations into a real folder, stopped (SIGKILL) or failed
    (EIO, ENOSPC) by strace at each rename, unlink, write and fsync in turn, and
    at every pair of renames (a rollback that fails too). A failed attempt
    leaves the old game as it was (exit 3), or, past the commit, the whole
    patch and a leftover at most (exit 0), or says it left the folder mid-way
    (exit 6, a pair only). After any, the next attempt resolves what was left
    and installs: the whole patch, nothing of the installer's own. Through all
    of it the files keep the names the folder had (ENG.DB, Config.DAT)."""
    old, game = f"{root}/old", f"{root}/game"
    spelled = {"data/cmn/fe/eng.db": "data/cmn/fe/ENG.DB", "config.dat": "Config.DAT"}
    write(f"{old}/data/cmn/fe/ENG.DB", os.urandom(300000), 0o640)  # older and longer than the payload
    for name in (*SUPERSEDED, "game.exe", "Config.DAT"):
        write(f"{old}/{name}", name)

    def install(*strace, anew=True):  # into the old game anew, or into what is left
        if anew:
            shutil.rmtree(game, ignore_errors=True)
            shutil.copytree(old, game)
        command = [*(["strace", "-f", *strace] if strace else []), path, "--silent", f"--folder={game}"]
        return subprocess.run(command, stderr=subprocess.DEVNULL, timeout=TIMEOUT).returncode

    check(install() == 0, "a clean install failed")
    check_installed(game, payload_dir, spelled)
    before, after = snapshot(old), snapshot(game)

    def check_outcome(what, code):
        if code == 3:
            check(snapshot(game) == before, f"{what}: exit 3, but the folder changed")
        elif code == 0:  # failed past the commit: the whole patch already, a leftover at most
            check_installed(game, payload_dir, spelled)
        else:
            check(code in (6, -signal.SIGKILL), f"{what}: exit {code}")
        check(install(anew=False) == 0 and snapshot(game) == after,
              f"{what}: not the whole patch after the next attempt")

    for syscall in ("renameat2", "unlink", "write", "fsync"):
        install("-o", f"{root}/trace", f"-etrace={syscall}")
        calls = open(f"{root}/trace").read().count(f"{syscall}(")
        check(calls, f"no {syscall} call to interrupt")
        for fault in ("signal=KILL", "error=EIO", *(["error=ENOSPC"] * (syscall == "write"))):
            for n in range(1, calls + 1):
                code = install("-o", "/dev/null", f"-einject={syscall}:{fault}:when={n}")
                check(code != 6 and (code == -signal.SIGKILL) == (fault == "signal=KILL"),
                      f"{syscall} {fault} #{n}: exit {code}")
                check_outcome(f"{syscall} {fault} #{n}", code)
        # A rollback renames at most as many files as were renamed before the failure.
        for first in range(1, calls + 1) if syscall == "renameat2" else ():
            for second in range(first + 1, 2 * first + 1):
                when = f"{first}..{second}+{second - first}"
                check_outcome(f"renames #{first} and #{second}",
                              install("-o", "/dev/null", f"-einject=renameat2:error=EIO:when={when}"))


def main():
    program_path, payload_dir, case = sys.argv[1:]
    with tempfile.TemporaryDirectory(prefix="veldor-e2e-") as root:
        try:
            make_home(root)
            globals()[f"case_{case}"](os.path.abspath(program_path), root, payload_dir)
        finally:
            for program in Program.started:
                program.process.kill()  # nothing if it has ended
    print(f"ok {case}")


if __name__ == "__main__":
    main()
