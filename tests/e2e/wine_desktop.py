"""A Wine prefix on an X display, seen and driven from outside like a person:
programs are started with the Wine loader of the prefix's architecture (as
scripts/wine-arch names it), windows are found and clicked with xdotool,
files are looked at on the Linux side and the registry with Wine's reg."""

import os
import re
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path


@dataclass
class Window:
    xid: str
    x: int
    y: int
    width: int
    height: int
    name: str


@dataclass
class ClientWindow:
    handle: str
    class_name: str
    caption: str
    left: int  # the client area's origin on the screen
    top: int
    width: int
    height: int


class WineDesktop:
    def __init__(self, prefix: Path, scripts: Path, arch: str):
        self.prefix = prefix
        self.scripts = scripts
        self.env = dict(os.environ)
        self.env.update(
            WINEPREFIX=str(prefix),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=",
        )
        # WINEARCH, WINELOADER and WINESERVER; fails where this machine
        # cannot run that Wine.
        wine = subprocess.run(
            [str(scripts / "wine-arch"), "--env", arch],
            capture_output=True,
            text=True,
        )
        if wine.returncode != 0:
            raise RuntimeError(wine.stderr.strip())
        self.env.update(line.split("=", 1) for line in wine.stdout.splitlines())
        self.loader = self.env["WINELOADER"]
        display_file = Path(str(prefix) + ".display")
        if not self.env.get("DISPLAY") and display_file.exists():
            self.env["DISPLAY"] = display_file.read_text().strip()
        if not self.env.get("DISPLAY"):
            raise RuntimeError("no display: start the prefix with wine-run --start")
        self.processes = []
        self._last_click = None  # ((x, y), time)

    # --- paths
    def drive_c(self) -> Path:
        return self.prefix / "drive_c"

    def system32(self) -> Path:
        return self.drive_c() / "windows" / "system32"

    # --- programs
    def start(self, windows_path: str, *args: str) -> subprocess.Popen:
        process = subprocess.Popen(
            [self.loader, windows_path, *args],
            env=self.env,
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        self.processes.append(process)
        return process

    def run_wine(self, *command: str, timeout: float = 60):
        """Runs a Windows program to its end: (exit code, output, errors).
        The output goes through files, not pipes: services that Wine starts
        on first use inherit the program's handles and outlive it, and would
        hold a pipe open long after the program ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([self.loader, *command], env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                  timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            return (code, out.read().decode("utf-8", "replace"),
                    err.read().decode("utf-8", "replace"))

    def run(self, *command: str, timeout: float = 60) -> str:
        return self.run_wine(*command, timeout=timeout)[1]

    def program_pids(self, exe_name: str):
        """The Linux processes that run a Windows program of that image name
        in this prefix (Wine shows the Windows command line as theirs)."""
        pids = []
        wanted_prefix = b"WINEPREFIX=" + str(self.prefix).encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                command = (entry / "cmdline").read_bytes()
                environment = (entry / "environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if exe_name.lower().encode() in command.lower() and wanted_prefix in environment:
                pids.append(int(entry.name))
        return pids

    def program_running(self, exe_name: str) -> bool:
        return bool(self.program_pids(exe_name))

    def wait_until_ended(self, exe_name: str, timeout: float = 15.0, settle: float = 0) -> bool:
        """Whether no process runs the program any more. With `settle`, it
        must still be so that many seconds later: a program that starts
        itself again, or Wine's loader while it re-executes itself, can be
        missing from the process list for a moment."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.program_running(exe_name):
                if settle <= 0:
                    return True
                time.sleep(settle)
                if not self.program_running(exe_name):
                    return True
            time.sleep(0.1)
        return False

    def wait_until_running(self, exe_name: str, timeout: float = 15.0) -> bool:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.program_running(exe_name):
                return True
            time.sleep(0.05)
        return False

    def end_all(self, exe_name: str):
        for pid in self.program_pids(exe_name):
            try:
                os.kill(pid, 9)
            except OSError:
                pass
        self.wait_until_ended(exe_name)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        self.processes.clear()

    # --- files
    def attributes(self, windows_path: str) -> str:
        """The attribute letters that Wine's attrib shows for a file."""
        output = self.run("cmd", "/c", "attrib", windows_path)
        line = output.strip().splitlines()[-1] if output.strip() else ""
        return line[: line.find(":") - 1].replace(" ", "") if ":" in line else ""

    # --- registry
    def reg_query(self, key: str, value: str):
        output = self.run("reg", "query", key, "/v", value)
        match = re.search(re.escape(value) + r"\s+REG_\w+\s+(.*)", output)
        return match.group(1).strip() if match else None

    def reg_texts(self, key: str):
        """Every value of the key by lower-case name, read with win_probe
        (Wine's reg shows stray bytes for a string of zero bytes): a string
        exactly as stored up to its first NUL, trailing spaces kept; another
        kind as "<kind N>". Empty when the key is missing."""
        code, out = self.probe("values", key)
        values = {}
        if code != 0:
            return values
        for line in out.splitlines():
            # What else writes to the console the probe shares (a program
            # that an installer started, say) is no value of the key.
            if line.count("|") < 2:
                continue
            name, kind, data = line.rstrip("\r").rsplit("|", 2)
            if int(kind) == 1:
                values[name.lower()] = bytes.fromhex(data).split(b"\0")[0].decode("latin-1")
            else:
                values[name.lower()] = f"<kind {kind}>"
        return values

    def reg_text(self, key: str, value: str):
        """A string value as stored; None when the key or value is missing."""
        return self.reg_texts(key).get(value.lower())

    def reg_default(self, key: str):
        return self.reg_text(key, "")

    def reg_key_exists(self, key: str) -> bool:
        return self.probe("values", key)[0] == 0

    def reg_set(self, key: str, value: str, text: str):
        """Sets the value and reads it back: a test that sets a machine up
        must not go on from a write that did not take."""
        for _ in range(3):
            self.run_wine("reg", "add", key, "/v", value, "/t", "REG_SZ", "/d", text, "/f")
            if self.reg_text(key, value) == text:
                return
        raise AssertionError(f"{key}\\{value} could not be set to {text!r}")

    def reg_set_default(self, key: str, text: str):
        self.run("reg", "add", key, "/ve", "/t", "REG_SZ", "/d", text, "/f")

    def reg_delete(self, key: str, value=None):
        if value is None:
            self.run("reg", "delete", key, "/f")
        else:
            self.run("reg", "delete", key, "/v", value, "/f")

    # --- windows
    def xdotool(self, *args: str) -> str:
        result = subprocess.run(
            ["xdotool", *args], env=self.env, capture_output=True, text=True
        )
        return result.stdout

    def visible_windows(self):
        windows = []
        for xid in self.xdotool("search", "--onlyvisible", "--name", ".*").split():
            geometry = self.xdotool("getwindowgeometry", "--shell", xid)
            values = dict(
                line.split("=", 1) for line in geometry.splitlines() if "=" in line
            )
            if not values:
                continue
            name = self.xdotool("getwindowname", xid).strip()
            windows.append(
                Window(
                    xid,
                    int(values["X"]),
                    int(values["Y"]),
                    int(values["WIDTH"]),
                    int(values["HEIGHT"]),
                    name,
                )
            )
        return windows

    def find_window(self, width: int, height: int, name=None, slack: int = 8):
        """A visible window of about that outer size (a dialog frame adds a
        few pixels to the client size) and, when given, that caption."""
        for window in self.visible_windows():
            if (
                width <= window.width <= width + slack
                and height <= window.height <= height + slack
                and (name is None or window.name == name)
            ):
                return window
        return None

    def wait_for_window(self, width, height, name=None, timeout=30.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            window = self.find_window(width, height, name)
            if window is not None:
                return window
            time.sleep(0.2)
        return None

    def wait_until_gone(self, width, height, name=None, timeout=15.0) -> bool:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.find_window(width, height, name) is None:
                return True
            time.sleep(0.2)
        return False

    def icons(self, window: Window):
        """The icons the window offers the desktop (what Wine made of its
        window class's icons): {(width, height): [ARGB pixel, ...]}."""
        output = subprocess.run(
            ["xprop", "-id", window.xid, "-f", "_NET_WM_ICON", "32c", "=$0+", "_NET_WM_ICON"],
            env=self.env, capture_output=True, text=True,
        ).stdout
        numbers = [int(n) for n in re.findall(r"\d+", output.partition("=")[2])]
        icons = {}
        while len(numbers) >= 2:
            width, height = numbers[0], numbers[1]
            icons[(width, height)] = numbers[2 : 2 + width * height]
            numbers = numbers[2 + width * height :]
        return icons

    def click(self, window: Window, client_x: int, client_y: int, client_width: int):
        """A left click at a point of the window's client area. Borders are
        assumed even on all sides (no title bar)."""
        border = (window.width - client_width) // 2
        self.click_screen(window.x + border + client_x, window.y + border + client_y)

    # Two clicks on one spot closer together than this are a double click.
    DOUBLE_CLICK_TIME = 0.5

    def click_screen(self, x: int, y: int):
        """A left click at a screen pixel: the pointer is there (the move is
        synchronous) before the button goes down. What the click leads to is
        for the caller to wait for."""
        if self._last_click is not None and self._last_click[0] == (x, y):
            wait = self.DOUBLE_CLICK_TIME - (time.monotonic() - self._last_click[1])
            if wait > 0:
                time.sleep(wait)
        self.xdotool("mousemove", "--sync", str(x), str(y))
        self.xdotool("click", "1")
        self._last_click = ((x, y), time.monotonic())

    # --- windows as Windows sees them, through win_probe.exe
    def use_probe(self, probe: Path):
        self.probe_path = probe

    def probe(self, *args: str, timeout: float = 60):
        """win_probe's exit code (0, or 1 when what it looked for is not
        there) and its output. A run that did not reach its end (its last
        line is "end") fails with what it said; one that said nothing at
        all, which Wine now and then fails to start, is tried once more."""
        for _ in range(2):
            code, out, err = self.run_wine(str(self.probe_path), *args, timeout=timeout)
            lines = out.replace("\r", "").splitlines()
            if code in (0, 1) and lines and lines[-1] == "end":
                return code, "\n".join(lines[:-1]) + "\n"
            if out.strip() or err.strip():
                break
        raise RuntimeError(f"win_probe {' '.join(args)} exited {code}, said {out.strip()!r}, "
                           f"{err.strip()!r}")

    def client_windows(self):
        """Every visible top-level window with its class, caption and client
        area in screen pixels."""
        windows = []
        for line in self.probe("list")[1].splitlines():
            parts = line.rstrip("\r").split("|")
            if len(parts) == 7:
                windows.append(
                    ClientWindow(parts[0], parts[1], parts[2], *(int(n) for n in parts[3:]))
                )
        return windows

    def client_windows_captioned(self, caption: str):
        return [window for window in self.client_windows() if window.caption == caption]

    def what_shows(self) -> str:
        """What a failed wait saw last: each visible top-level window as
        Windows has it, and whether Tarrow.exe runs."""
        try:
            windows = [f"{w.class_name} \"{w.caption}\" {w.width}x{w.height}"
                       for w in self.client_windows()]
        except RuntimeError as error:
            windows = [f"(no list: {error})"]
        running = "runs" if self.program_running("Tarrow.exe") else "does not run"
        return f"visible: {', '.join(windows) or 'nothing'}; Tarrow.exe {running}"

    def find_client(self, width: int, height: int, caption=None, class_name="TarrowForm"):
        for window in self.client_windows():
            if (
                (window.width, window.height) == (width, height)
                and window.class_name == class_name
                and (caption is None or window.caption == caption)
            ):
                return window
        return None

    def wait_for_client(self, width, height, caption=None, class_name="TarrowForm", timeout=30.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            window = self.find_client(width, height, caption, class_name)
            if window is not None:
                return window
            time.sleep(0.2)
        return None

    def wait_until_client_gone(self, width, height, caption=None, timeout=15.0) -> bool:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.find_client(width, height, caption) is None:
                return True
            time.sleep(0.2)
        return False

    def click_client(self, window: "ClientWindow", x: int, y: int):
        """A left click at a client pixel, with the real mouse."""
        self.click_screen(window.left + x, window.top + y)

    def press(self, dialog_title: str, button: str) -> bool:
        return self.probe("press", dialog_title, button)[0] == 0

    def watch_for_caption(self, caption: str, seconds: int = 20) -> "CaptionWatch":
        """Starts win_probe looking for a window of that caption and returns
        once it is looking; the watch's `seen()` tells whether it showed."""
        return CaptionWatch(self, caption, seconds)

    def time_bar_after_click(self, window: "ClientWindow", x: int, y: int):
        """Milliseconds from a click at a client pixel to Tarrow's progress
        bar hidden again, or None."""
        code, out = self.probe("time-bar", "click", str(window.left + x), str(window.top + y))
        return int(out.strip()) if code == 0 else None

    def time_bar_after_press(self, dialog_title: str, button: str):
        code, out = self.probe("time-bar", "press", dialog_title, button)
        return int(out.strip()) if code == 0 else None

    # --- the keyboard, through win_probe: SendInput into the foreground
    # window, the mouse left alone
    def keys(self, *names: str) -> bool:
        """Types the keys (win_probe's names: tab, shift+tab, enter, space,
        esc, up, down, left, right), each let go 150 ms after its press."""
        return self.probe("keys", *names)[0] == 0

    def focused(self):
        """(class, text) of the window with the keyboard focus in the
        foreground window's thread, or None."""
        code, out = self.probe("focus")
        line = out.splitlines()[0] if code == 0 and out.strip() else ""
        return tuple(line.split("\t", 1)) if "\t" in line else None

    def focused_text(self):
        """The focused window's text, the accelerator's & left out; None
        when no window has the focus."""
        focused = self.focused()
        return focused[1].replace("&", "") if focused else None

    def wait_for_focus(self, text: str, timeout: float = 10.0) -> bool:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.focused_text() == text:
                return True
            time.sleep(0.1)
        return False

    def tab_to(self, text: str, most: int = 12):
        """Presses Tab, at most `most` times, until the window captioned
        `text` has the focus: whether it got there, and the windows the focus
        was on as "class<TAB>text", the first before any Tab."""
        code, out = self.probe("tab-to", text, str(most))
        return code == 0, out.splitlines()

    def time_bar_after_keys(self, *names: str):
        """Milliseconds from the first key to Tarrow's progress bar hidden
        again, or None."""
        code, out = self.probe("time-bar", "keys", *names)
        return int(out.strip()) if code == 0 else None

    def accessible_children(self, caption: str):
        """What Active Accessibility tells of each child window of the
        window captioned `caption`: [(window text, {"name": ..., "role": ...,
        "state": ..., "action": ...})], each answer as win_probe words it.
        None when no such window shows."""
        code, out = self.probe("accessible", caption)
        if code != 0:
            return None
        children = []
        for line in out.splitlines():
            text, *answers = line.split("\t")
            children.append((text, dict(answer.split("=", 1) for answer in answers
                                        if "=" in answer)))
        return children

    def screenshot(self, window: Window, path: Path):
        if shutil.which("import") is None:
            return False
        subprocess.run(
            ["import", "-window", "root", "-crop",
             f"{window.width}x{window.height}+{window.x}+{window.y}", "+repage",
             str(path)],
            env=self.env,
            check=False,
        )
        return path.exists()


def desktop_for(args, prefix=None) -> WineDesktop:
    """The desktop of the prefix an end-to-end test's options name (or of
    `prefix`), with win_probe from the test's bin folder."""
    desktop = WineDesktop(Path(prefix or args.prefix), Path(args.scripts), args.arch)
    desktop.use_probe(Path(args.bin) / "win_probe.exe")
    return desktop


class CaptionWatch:
    """win_probe's watch running in the background, its output in a file."""

    def __init__(self, desktop: WineDesktop, caption: str, seconds: int):
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            [desktop.loader, str(desktop.probe_path), "watch", caption, str(seconds)],
            env=desktop.env, stdin=subprocess.DEVNULL, stdout=self.output,
            stderr=subprocess.DEVNULL)
        self.seconds = seconds
        deadline = time.monotonic() + 60
        while "watching" not in self._said() and time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError(f"win_probe watch ended early: {self._said()!r}")
            time.sleep(0.05)

    def _said(self) -> str:
        self.output.seek(0)
        return self.output.read().decode("utf-8", "replace")

    def seen(self) -> bool:
        try:
            self.process.wait(timeout=self.seconds + 30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        said = self._said()
        self.output.close()
        return self.process.returncode == 0 and "seen" in said
