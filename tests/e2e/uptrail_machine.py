"""A Windows machine for end-to-end tests: a booted Wine prefix of its own, a virtual
display, Uptrail.exe under Program Files, and the tools to seed and read its log and registry."""
import os
import re
import shutil
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
PROGRAM_FOLDER = r"C:\Program Files\Uptrail"
PROGRAM_KEY = r"HKLM\Software\Tamsk\Uptrail"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
DEADLINE_SECONDS = 60


class UptrailMachine:
    def __init__(self):
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
        os.makedirs(self.program_dir)
        shutil.copy(os.environ["UPTRAIL_E2E_PROGRAM"], self.program_dir)
        shutil.copy(os.environ["UPTRAIL_E2E_DRIVER"], self.program_dir)
        self.log_path = os.path.join(self.program_dir, "Uptrail.txt")

    def close(self):
        # Ends every Windows program of the prefix, the started copies of Uptrail.exe too.
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        self.xvfb.kill()
        self.xvfb.wait()
        shutil.rmtree(self.root, ignore_errors=True)

    def run_wine(self, *args, timeout=DEADLINE_SECONDS):
        """Runs a Windows program and gives (exit code, standard output, standard error).
        Output goes through files, never pipes: Wine's desktop process, which a program's first
        window call may start, inherits the handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run([WINE, *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return (result.returncode, out.read().decode("latin-1"),
                    err.read().decode("latin-1"))

    def start_uptrail(self):
        return subprocess.Popen([WINE, PROGRAM_FOLDER + r"\Uptrail.exe"], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def start_and_wait_ready(self):
        copy = self.start_uptrail()
        self.wait_for(lambda: self.driver_succeeds("is-ready"), "Uptrail to finish its start-up")
        return copy

    def exit_uptrail(self, copy):
        self.driver("exit")
        copy.wait(DEADLINE_SECONDS)

    def driver(self, *args):
        code, out, err = self.run_wine(PROGRAM_FOLDER + r"\e2e_driver.exe", *args,
                                       timeout=DEADLINE_SECONDS * 2)
        assert code == 0, f"e2e_driver {' '.join(args)} failed: {err}"
        return out.strip()

    def driver_succeeds(self, *args):
        return self.run_wine(PROGRAM_FOLDER + r"\e2e_driver.exe", *args)[0] == 0

    def system_id(self):
        return self.driver("system-id")

    def click_tray_icon(self, button, times=1):
        """Clicks the first icon of the notification area, which Wine shows in a window of
        its own on a desktop without a tray manager, once that window is up."""
        self.x11("xdotool", "search", "--sync", "--onlyvisible", "--name", "Wine System Tray",
                 "mousemove", "--window", "%1", "10", "10",
                 "click", "--repeat", str(times), "--delay", "80", str(button))

    def press_key(self, key):
        self.x11("xdotool", "key", key)

    def x11(self, *args):
        subprocess.run(args, env=self.env, check=True, stdout=subprocess.DEVNULL,
                       timeout=DEADLINE_SECONDS)

    def answer_dialog(self, button, caption="Uptrail"):
        """Waits for the message box or offer of that caption, closes it with `button` and
        gives its texts, one control a line."""
        self.wait_for(lambda: self.driver_succeeds("dialog-open", caption), caption)
        texts = self.driver("answer-dialog", button)
        self.wait_for(lambda: not self.driver_succeeds("dialog-open"), f"{caption} to close")
        return re.sub(r"\r*\n|\r", "\n", texts)

    def reg_set(self, key, name, value):
        code, _, err = self.run_wine("reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value,
                                     "/f", "/reg:64")
        assert code == 0, f"reg add failed: {err}"

    def reg_get(self, key, name):
        """The value's text ("" names the default value), or None when it is missing."""
        code, out, _ = self.run_wine("reg", "query", key, "/reg:64",
                                     *(["/v", name] if name else ["/ve"]))
        found = re.search(r"    REG_\w+(.*)$", out, re.MULTILINE)
        return found.group(1).strip() if code == 0 and found else None

    def write_log(self, text):
        with open(self.log_path, "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("ascii"))

    def log_bytes(self):
        with open(self.log_path, "rb") as f:
            return f.read()

    def log_sections(self):
        """The log file's sections as {name: [lines]}, the first of duplicate names kept."""
        sections, current = {}, None
        for line in self.log_bytes().decode("latin-1").splitlines():
            stripped = line.strip()
            if stripped.startswith("[") and stripped.endswith("]"):
                name = stripped[1:-1]
                current = sections.setdefault(name, []) if name not in sections else None
            elif current is not None and stripped:
                current.append(line)
        return sections

    def log_value(self, section, key):
        for line in self.log_sections().get(section, []):
            name, sep, value = line.partition("=")
            if sep and name.strip().lower() == key.lower():
                return value.strip()
        return None

    def log_entries(self):
        return [line for line in self.log_sections().get("Log", []) if line.count("=") >= 2]

    def wait_for(self, condition, what):
        deadline = time.monotonic() + DEADLINE_SECONDS
        while time.monotonic() < deadline:
            if condition():
                return
            time.sleep(0.2)
        raise AssertionError(f"timed out waiting for {what}")
