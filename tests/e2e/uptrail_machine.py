import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
PROGRAM_FOLDER = r"C:\Program Files\Uptrail"
DRIVER_FOLDER = r"C:\e2e"
PROGRAM_KEY = r"HKLM\Software\Tamsk\Uptrail"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
DEADLINE_SECONDS = 60


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


class UptrailMachine:
    # preinstalled: the program is copied into PROGRAM_FOLDER with the driver beside it;
    # otherwise the folder is left to a setup, and the driver waits in a folder of its own.
    def __init__(self, test, preinstalled=True):
        self.root = tempfile.mkdtemp(prefix="uptrail-e2e-")
        self.prefix = os.path.join(self.root, "prefix")
        subprocess.run(["cp", "-a", os.environ["UPTRAIL_E2E_TEMPLATE"], self.prefix], check=True)
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        # The tests reach nothing but 127.0.0.1, and that never through a proxy.
        host = {k: v for k, v in os.environ.items() if not k.lower().endswith("_proxy")}
        self.env = dict(host, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=":" + display)
        self.program_dir = os.path.join(self.prefix, "drive_c", "Program Files", "Uptrail")
        driver_folder = PROGRAM_FOLDER if preinstalled else DRIVER_FOLDER
        driver_dir = self.program_dir if preinstalled else self.host_path(DRIVER_FOLDER)
        os.makedirs(driver_dir)
        if preinstalled:
            shutil.copy(os.environ["UPTRAIL_E2E_PROGRAM"], self.program_dir)
        shutil.copy(os.environ["UPTRAIL_E2E_DRIVER"], driver_dir)
        # The driver's probe, which it hooks into the program, is built beside it.
        shutil.copy(os.path.join(os.path.dirname(os.environ["UPTRAIL_E2E_DRIVER"]),
                                 "e2e_probe.dll"), driver_dir)
        self.driver_exe = driver_folder + r"\e2e_driver.exe"
        self.log_path = os.path.join(self.program_dir, "Uptrail.txt")
        test.addCleanup(self.close)

    def host_path(self, windows_path):
        # A path on drive C: of the prefix, as the host sees it.
        drive, _, rest = windows_path.partition(":")
        assert drive.upper() == "C", windows_path
        return os.path.join(self.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    def close(self):
        # Ends every Windows program of the prefix, the started copies of Uptrail.exe too.
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        self.xvfb.kill()
        self.xvfb.wait()
        shutil.rmtree(self.root, ignore_errors=True)

    def session_processes(self):
        # The wineserver, the desktop and every program of this prefix: all inherit it.
        marker = b"\0WINEPREFIX=" + os.fsencode(self.prefix) + b"\0"
        found = []
        for entry in os.scandir("/proc"):
            try:
                if entry.name.isdigit() and marker in b"\0" + read_bytes(entry.path + "/environ"):
                    found.append(int(entry.name))
            except OSError:
                pass  # gone meanwhile, or not ours to read
        return found

    def kill_session(self):
        # SIGKILL to every process at once, the wineserver too: nothing of the session runs
        # another instruction, finishes a write or saves the registry, as at a power cut.
        for pid in self.session_processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.wait_for(lambda: not self.session_processes(), "the Wine session to end")

    def run_wine(self, *args, timeout=DEADLINE_SECONDS):
        # Files, never pipes: Wine's desktop process inherits the handles and holds pipes open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([WINE, *args], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            return (code, *(os.pread(f.fileno(), 1 << 24, 0).decode("latin-1") for f in (out, err)))

    def launch(self, *args):
        # A Windows program left running, its output unread.
        return subprocess.Popen([WINE, *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start_uptrail(self, folder=PROGRAM_FOLDER):
        return self.launch(folder + r"\Uptrail.exe")

    def is_ready(self):
        # The program's window answers once its start-up has run to the end.
        return self.driver_succeeds("is-ready")

    def start_and_wait_ready(self, folder=PROGRAM_FOLDER):
        copy = self.start_uptrail(folder)
        self.wait_for(self.is_ready, "Uptrail to finish its start-up")
        return copy

    def exit_uptrail(self, copy):
        self.driver("exit")
        copy.wait(DEADLINE_SECONDS)

    def driver(self, *args, timeout=DEADLINE_SECONDS * 2):
        code, out, err = self.run_wine(self.driver_exe, *args, timeout=timeout)
        assert code == 0, f"e2e_driver {' '.join(args)} failed with {code}: {err}"
        return out.strip()

    def driver_succeeds(self, *args):
        return self.run_wine(self.driver_exe, *args)[0] == 0

    def click_tray_icon(self, button):
        # Wine shows the notification area in a window of its own without a tray manager.
        self.host("xdotool", "search", "--sync", "--onlyvisible", "--name", "Wine System Tray",
                  "mousemove", "--window", "%1", "10", "10",
                  "click", str(button))

    def open_tray_menu(self, button):
        # Wine's tray window may not yet take the click just after the icon was added
        # again (a second copy hands over): another click, long after, is no double click.
        for _ in range(3):
            self.click_tray_icon(button)
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline:
                if self.driver_succeeds("menu-open"):
                    return
                time.sleep(0.2)
        raise AssertionError(f"no menu opened on clicks of button {button}")

    def close_menu(self):
        self.press_keys("Escape")
        self.wait_for(lambda: not self.driver_succeeds("menu-open"), "the menu to close")

    def press_keys(self, *keys):
        self.host("xdotool", "key", *keys)

    def host(self, *args):
        subprocess.run(args, env=self.env, check=True, stdout=subprocess.DEVNULL,
                       timeout=DEADLINE_SECONDS)

    def answer_dialog(self, button, caption="Uptrail"):
        # Waits for the close too: the next dialog may have the same caption.
        self.wait_for(lambda: self.driver_succeeds("dialog-open", caption), caption)
        texts = self.driver("answer-dialog", button)
        self.wait_for(lambda: not self.driver_succeeds("dialog-open"), f"{caption} to close")
        return re.sub(r"\r*\n|\r", "\n", texts)

    def reg_set(self, key, name, value, kind="REG_SZ"):
        code, _, err = self.run_wine("reg", "add", key, "/v", name, "/t", kind, "/d", value,
                                     "/f", "/reg:64")
        assert code == 0, f"reg add failed: {err}"

    def reg_get(self, key, name):
        code, out, _ = self.run_wine("reg", "query", key, "/reg:64",
                                     *(["/v", name] if name else ["/ve"]))
        found = re.search(r"    REG_\w+(.*)$", out, re.MULTILINE)
        return found.group(1).strip() if code == 0 and found else None

    def write_log(self, text):
        pathlib.Path(self.log_path).write_bytes(text.replace("\n", "\r\n").encode("ascii"))

    def log_sections(self):
        text = pathlib.Path(self.log_path).read_text("latin-1")
        parts = re.split(r"^[ \t]*\[(.*)\][ \t]*$", text, flags=re.MULTILINE)
        return {name: [line for line in body.splitlines() if line.strip()]
                for name, body in zip(parts[1::2], parts[2::2])}

    def log_value(self, section, key):
        pairs = (line.partition("=") for line in self.log_sections().get(section, []))
        return {name.strip(): value.strip() for name, _, value in pairs}.get(key)

    def log_entries(self):
        return [line for line in self.log_sections().get("Log", []) if line.count("=") >= 2]

    def wait_for(self, condition, what):
        deadline = time.monotonic() + DEADLINE_SECONDS
        while time.monotonic() < deadline:
            if value := condition():
                return value
            time.sleep(0.2)
        raise AssertionError(f"timed out waiting for {what}")
