import datetime
import os
import pwd
import re
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import (PROGRAM_FOLDER, PROGRAM_KEY, RUN_KEY,  # noqa: E402
                             UptrailMachine, read_bytes)

SETUP = r"C:\Uptrail_Setup.exe"
UNINSTALLER = PROGRAM_FOLDER + r"\Uninstall.exe"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Uptrail"
APP_PATHS_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Uptrail.exe"
EVENT_SOURCE_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Uptrail"
USER_PROGRAM_KEY = r"HKCU\Software\Tamsk\Uptrail"
USER_RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
DATA_FOLDER = r"C:\ProgramData\Tamsk\Uptrail"
SHORTCUT = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Uptrail.lnk"
# Not a note of the program's: every copy writes its own section and the common one.
ALARM = "2030:01:02:08:30:00=0000:00:00=Renew the licence"


def stamp(text):
    return datetime.datetime.strptime(text, "%Y:%m:%d:%H:%M:%S")


class InstallerTest(unittest.TestCase):
    def setUp(self):
        m = self.machine = UptrailMachine(self, preinstalled=False)
        # Wine reads command lines in the Unix locale: non-ASCII folders need a UTF-8 one.
        # Its menu builder would copy the Start-menu shortcut into the host's own menus.
        m.env.update(LC_ALL="C.UTF-8",
                     WINEDLLOVERRIDES=m.env["WINEDLLOVERRIDES"] + ";winemenubuilder.exe=d")
        shutil.copy(os.environ["UPTRAIL_E2E_SETUP"], m.host_path(SETUP))
        m.log_path = os.path.join(m.host_path(DATA_FOLDER), "Uptrail.txt")
        self.system = m.driver("system-id")

    def setup(self, *switches):
        # As typed in a console: /D= takes the rest of the line unquoted, spaces and all,
        # and a program started directly would get it quoted.
        code, out, err = self.machine.run_wine("cmd", "/c", " ".join((SETUP, *switches)))
        # What Wine said goes with a failed assertion on the code.
        self.setup_output = f"{out}{err}"[-4000:]
        return code

    def uninstall(self, *switches, folder=PROGRAM_FOLDER):
        m = self.machine
        # The uninstaller hands over to a copy of itself in the temporary folder and ends.
        self.assertEqual(m.run_wine(folder + r"\Uninstall.exe", "/S", *switches)[0], 0)
        m.wait_for(lambda: not self.processes_running(r"\Un.exe"), "the uninstaller to finish")

    def processes_running(self, name):
        found = []
        for pid in self.machine.session_processes():
            try:
                command = read_bytes(f"/proc/{pid}/cmdline").decode("utf-8", "replace")
            except OSError:
                continue
            if name.lower() in command.lower():
                found.append(pid)
        return found

    def registry_values(self, key):
        # Through an export, which keeps every character: reg query prints in the console's
        # code page, which a folder name in three scripts does not fit.
        m = self.machine
        exported = m.host_path(r"C:\e2e\key.reg")
        code, _, err = m.run_wine("reg", "export", key, r"C:\e2e\key.reg", "/y", "/reg:64")
        self.assertEqual(code, 0, f"reg export {key}: {err}")
        values = {}
        # A long hex value goes on over lines that end with a backslash.
        text = re.sub(r"\\\r?\n\s*", "", read_bytes(exported).decode("utf-16"))
        for line in text.splitlines():
            name, separator, value = line.partition("=")
            if not separator or not (name == "@" or name.startswith('"')):
                continue
            name = "" if name == "@" else name[1:-1].replace('\\"', '"').replace("\\\\", "\\")
            if value.startswith("dword:"):
                value = hex(int(value[6:], 16))
            elif value.startswith("hex(2):"):  # REG_EXPAND_SZ, UTF-16 with its final zero
                value = bytes.fromhex(value[7:].replace(",", "")).decode("utf-16-le").rstrip("\0")
            else:
                value = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
            values[name] = value
        return values

    def key_exists(self, key):
        return self.machine.run_wine("reg", "query", key, "/reg:64")[0] == 0

    def exists(self, windows_path):
        return os.path.exists(self.machine.host_path(windows_path))

    def hold_unclosable_copy(self):
        m = self.machine
        holder = m.launch(m.driver_exe, "hold-window", "300")
        m.wait_for(m.is_ready, "the copy that will not close")
        return holder

    def assert_installed(self, folder):
        m = self.machine
        self.assertEqual(read_bytes(m.host_path(folder + r"\Uptrail.exe")),
                         read_bytes(os.environ["UPTRAIL_E2E_PROGRAM"]), "the program")
        self.assertTrue(self.exists(folder + r"\Uninstall.exe"), "the uninstaller")
        self.assertFalse(self.exists(folder + r"\Uptrail.exe.new"), "nothing half-replaced")
        self.assertTrue(self.exists(SHORTCUT), "the Start-menu shortcut for all users")
        expected = {
            "DisplayName": "Uptrail",
            "DisplayVersion": "5.0.26",
            "Publisher": "Tamsk",
            "DisplayIcon": folder + r"\Uptrail.exe,0",
            "InstallLocation": folder,
            "UninstallString": f'"{folder}\\Uninstall.exe"',
            "QuietUninstallString": f'"{folder}\\Uninstall.exe" /S',
            "URLInfoAbout": "https://www.tamsk.example",
            "NoModify": "0x1",
            "NoRepair": "0x1",
        }
        entry = self.registry_values(UNINSTALL_KEY)
        # Kilobytes, as Apps & features shows them: the program is well over 100 KB.
        self.assertGreater(int(entry.pop("EstimatedSize"), 16), 100)
        self.assertEqual(entry, expected)
        self.assertEqual(self.registry_values(APP_PATHS_KEY),
                         {"": folder + r"\Uptrail.exe", "Path": folder})
        self.assertEqual(self.registry_values(EVENT_SOURCE_KEY),
                         {"EventMessageFile": folder + r"\Uptrail.exe", "TypesSupported": "0x7"},
                         "the event source, its messages in the program")

    def assert_nothing_installed_is_left(self, folder=PROGRAM_FOLDER):
        m = self.machine
        self.assertFalse(self.exists(folder), "the program folder")
        self.assertFalse(self.exists(SHORTCUT), "the shortcut")
        for key in (UNINSTALL_KEY, APP_PATHS_KEY, EVENT_SOURCE_KEY, PROGRAM_KEY, USER_PROGRAM_KEY):
            self.assertFalse(self.key_exists(key), key)
        self.assertIsNone(m.reg_get(RUN_KEY, "Sessiometer"), "the machine's Run entry")
        self.assertIsNone(m.reg_get(USER_RUN_KEY, "Sessiometer"), "the user's Run entry")
        self.assertFalse(self.processes_running(r"\Uptrail.exe"), "a running copy")

    def test_a_silent_install_puts_everything_in_place_and_the_program_records_there(self):
        m = self.machine
        self.assertEqual(self.setup("/S"), 0)
        self.assert_installed(PROGRAM_FOLDER)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)
        # Wine takes no access control lists, so the Users group's rights cannot be read
        # back here; the folder the setup made for them is there.
        self.assertTrue(os.path.isdir(m.host_path(DATA_FOLDER)), "the log folder")
        self.assertEqual(m.reg_get(RUN_KEY, "Sessiometer"), "Uptrail.exe", "Start with Windows")
        self.assertFalse(m.is_ready(), "a silent install starts nothing")

        # As a user starts it: the Start-menu shortcut, through the shell.
        self.assertEqual(m.run_wine("start", SHORTCUT)[0], 0)
        m.wait_for(m.is_ready, "Uptrail to start from its shortcut")
        m.wait_for(lambda: os.path.exists(m.log_path), "the session log in the data folder")
        m.wait_for(lambda: m.log_value(self.system, "LastStart"), "the session's start")
        self.assertEqual(m.reg_get(PROGRAM_KEY, ""), PROGRAM_FOLDER)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)
        self.assertFalse(os.path.exists(os.path.join(m.program_dir, "Uptrail.txt")),
                         "no log in the program folder")

    def test_an_upgrade_closes_the_running_copy_starts_the_new_one_and_keeps_log_and_settings(self):
        m = self.machine
        self.assertEqual(self.setup("/S"), 0)
        m.write_log(f"[Alarm]\n{ALARM}\n")
        copy = m.start_and_wait_ready()
        # Then the user turned "Start with Windows" off (its first start had turned it on),
        # and pointed the update check elsewhere.
        self.assertEqual(m.run_wine("reg", "delete", RUN_KEY, "/v", "Sessiometer", "/f",
                                    "/reg:64")[0], 0)
        m.reg_set(PROGRAM_KEY, "UpdateAddress", "http://127.0.0.1:9/Uptrail.js")
        started = m.log_value(self.system, "LastStart")
        entries = m.log_entries()

        # Without /START: the running copy is closed as its Exit closes it, and nothing starts.
        self.assertEqual(self.setup("/S"), 0)
        self.assertEqual(copy.wait(60), 0, "the running copy ended")
        self.assertEqual(m.log_value(self.system, "LastCause"), "1", "closed as by Exit")
        self.assertFalse(m.is_ready())

        copy = m.start_and_wait_ready()
        self.assertEqual(self.setup("/S", "/START"), 0)
        self.assertEqual(copy.wait(60), 0, "the running copy ended")
        m.wait_for(m.is_ready, "the new copy to start")
        m.wait_for(lambda: m.log_value(self.system, "LastCause") == "0", "the new copy's start")
        # Under Wine the start of the session is worked out from the tick count, to a
        # second either way.
        restarted = m.log_value(self.system, "LastStart")
        self.assertLessEqual(abs((stamp(restarted) - stamp(started)).total_seconds()), 2,
                             "the same session")
        self.assertEqual(m.log_entries(), entries, "a restart in the same boot logs nothing")
        self.assertEqual(m.log_sections().get("Alarm"), [ALARM], "the alarm")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "UpdateAddress"), "http://127.0.0.1:9/Uptrail.js")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)
        self.assertIsNone(m.reg_get(RUN_KEY, "Sessiometer"), "the user's choice stays off")
        self.assert_installed(PROGRAM_FOLDER)

    def test_an_upgrade_keeps_a_log_folder_the_user_chose_and_its_program_folder_however_spelt(self):
        m = self.machine
        self.assertEqual(self.setup("/S"), 0)
        own = r"C:\users\Public\Sessions"
        os.makedirs(m.host_path(own))
        m.reg_set(PROGRAM_KEY, "LogFolder", own)
        # The same program folder spelt otherwise: an upgrade, not a move that removes it.
        self.assertEqual(self.setup("/S", r"/D=C:\Program Files\..\Program Files\Uptrail"), 0)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), own)
        self.assert_installed(PROGRAM_FOLDER)
        self.assertFalse(self.exists(PROGRAM_FOLDER + r"\Uptrail.exe.setup-mark"))
        # A folder that is gone is no choice to keep: the data folder takes its place.
        os.rmdir(m.host_path(own))
        self.assertEqual(self.setup("/S"), 0)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)

    def test_uninstall_closes_the_program_removes_it_and_keeps_the_log_unless_told(self):
        m = self.machine
        self.assertEqual(self.setup("/S", "/START"), 0)
        m.wait_for(m.is_ready, "Uptrail to start after the setup")
        m.wait_for(lambda: m.log_value(self.system, "LastStart"), "the session's start")
        # The copy a standard user's rights would leave: the fallback under HKCU.
        m.reg_set(USER_PROGRAM_KEY, "LogFolder", DATA_FOLDER)
        m.reg_set(USER_RUN_KEY, "Sessiometer", "Uptrail.exe")
        started = m.log_value(self.system, "LastStart")

        self.uninstall()
        self.assert_nothing_installed_is_left()
        self.assertFalse(self.key_exists(r"HKLM\Software\Tamsk"), "the company key, now empty")
        self.assertTrue(os.path.isdir(m.host_path(DATA_FOLDER)), "the log folder is kept")
        self.assertEqual(m.log_value(self.system, "LastStart"), started, "the log is kept")
        self.assertEqual(m.log_value(self.system, "LastCause"), "1", "closed as by Exit")

        self.assertEqual(self.setup("/S"), 0)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)
        self.uninstall("/REMOVELOG")
        self.assert_nothing_installed_is_left()
        self.assertFalse(self.exists(DATA_FOLDER), "the log folder")
        self.assertFalse(self.exists(r"C:\ProgramData\Tamsk"), "the company's folder, now empty")

    # A standard user may plant the data folder before an administrator installs: a link to
    # a folder the setup must not open up, on the way or at the end, or a folder of their
    # own (under Wine, one of another Unix owner).
    def test_a_planted_log_folder_stops_the_setup_before_it_changes_anything(self):
        m = self.machine
        data = m.host_path(DATA_FOLDER)
        company = os.path.dirname(data)
        target = m.host_path(r"C:\windows\system32")

        def link_data_folder():
            os.makedirs(company)
            os.symlink(target, data)

        def foreign_folder():
            os.makedirs(data)
            os.chown(data, pwd.getpwnam("nobody").pw_uid, -1)

        plants = (("a link as the data folder", 4395, link_data_folder),
                  ("a link as the company folder", 4395, lambda: os.symlink(target, company)),
                  ("a folder of another owner", 1307, foreign_folder))
        for what, code, plant in plants:
            plant()
            # Wine hands the exit code on as a Unix status, which keeps its low byte.
            self.assertEqual(self.setup("/S"), code % 256, what)
            self.assertFalse(self.exists(PROGRAM_FOLDER), what)
            self.assertFalse(self.key_exists(UNINSTALL_KEY), what)
            self.assertFalse(self.key_exists(PROGRAM_KEY), what)
            if os.path.islink(company):
                os.unlink(company)
            else:
                shutil.rmtree(company)
        self.assertEqual(self.setup("/S"), 0, "once the plant is gone:\n" + self.setup_output)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)

    def test_a_copy_that_will_not_close_leaves_the_installed_one_as_it_was(self):
        m = self.machine
        self.assertEqual(self.setup("/S"), 0)
        program = m.host_path(PROGRAM_FOLDER + r"\Uptrail.exe")
        installed = read_bytes(program) + b"as installed"
        with open(program, "wb") as file:
            file.write(installed)
        holder = self.hold_unclosable_copy()
        # A silent run answers the question of Retry or Cancel with Cancel.
        self.assertEqual(self.setup("/S", "/START"), 2, "the setup was cancelled")
        self.assertEqual(read_bytes(program), installed, "the program was not replaced")
        self.assertFalse(self.exists(PROGRAM_FOLDER + r"\Uptrail.exe.new"), "no half-replaced file")
        self.uninstall()
        self.assertEqual(read_bytes(program), installed, "the program was not removed")
        self.assertTrue(self.exists(UNINSTALLER))
        self.assertTrue(self.exists(SHORTCUT))
        self.assertTrue(self.key_exists(UNINSTALL_KEY))
        self.assertTrue(self.key_exists(APP_PATHS_KEY))
        holder.kill()

    def test_a_folder_with_a_non_ascii_name_given_with_d_and_kept_by_the_next_upgrade(self):
        m = self.machine
        folder = r"C:\Programme\Ŭptrail Ωμέγα Жур"
        self.assertEqual(self.setup("/S"), 0)
        # Moved: the copy in the default folder goes, and the new one has everything.
        self.assertEqual(self.setup("/S", "/D=" + folder), 0)
        self.assert_installed(folder)
        self.assertFalse(self.exists(PROGRAM_FOLDER), "the earlier copy is gone")
        m.start_and_wait_ready(folder)
        m.wait_for(lambda: m.log_value(self.system, "LastStart"), "the session's start")
        # The program registers itself again at every start, and must name the same folder.
        self.assertEqual(self.registry_values(APP_PATHS_KEY),
                         {"": folder + r"\Uptrail.exe", "Path": folder})
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), DATA_FOLDER)
        # An upgrade without /D goes where the installed copy is.
        self.assertEqual(self.setup("/S"), 0)
        self.assertFalse(self.exists(PROGRAM_FOLDER), "the upgrade found the installed copy")
        self.assert_installed(folder)
        self.uninstall(folder=folder)
        self.assert_nothing_installed_is_left(folder)

    def page_texts(self):
        # Nothing while no dialog is open. Setup's caption changes from page to page.
        code, out, _ = self.machine.run_wine(self.machine.driver_exe, "dialog-texts")
        return out.replace("\r", "").split("\n") if code == 0 else []

    def take_page(self, marker, name):
        # The page is up once its own text is; the picture once two takes agree (a caret
        # may blink in a focused box: then the last take does).
        m = self.machine
        seen = [[]]

        def page_is_up():
            seen[0] = self.page_texts()
            return any(marker in text for text in seen[0])

        try:
            m.wait_for(page_is_up, f"the page with {marker!r}")
        except AssertionError as timeout:
            raise AssertionError(f"{timeout}; the page up says {seen[0]}") from None
        shot = os.path.join(os.environ["UPTRAIL_E2E_SHOTS"], f"setup-{name}.png")
        previous = None
        for _ in range(10):
            m.host("import", "-window", "root", "-depth", "8", "rgb:" + shot + ".rgb")
            current = read_bytes(shot + ".rgb")
            if current == previous:
                break
            previous = current
        m.host("convert", "-size", "1024x768", "-depth", "8", "rgb:" + shot + ".rgb", shot)
        os.remove(shot + ".rgb")
        # A blank or half-drawn page has few colours; text, icons and the side picture
        # of the welcome and finish pages bring many.
        colours = len(set(previous[i:i + 3] for i in range(0, len(previous), 3)))
        self.assertGreater(colours, 16, f"{shot} looks blank")
        self.assertNotEqual(previous, getattr(self, "last_shot", None), f"{shot} did not change")
        self.last_shot = previous
        return self.page_texts()

    def test_the_pages_of_setup_and_uninstall_on_screen(self):
        m = self.machine
        # An upgrade, over a copy that does not close at first: the question is shown too.
        self.assertEqual(self.setup("/S"), 0)
        program = m.host_path(PROGRAM_FOLDER + r"\Uptrail.exe")
        with open(program, "ab") as file:
            file.write(b"as installed")
        holder = self.hold_unclosable_copy()
        setup = m.launch(SETUP)
        self.take_page("Welcome to Uptrail Setup", "1-welcome")
        m.driver("answer-dialog", "&Next >")
        self.take_page("Uptrail - licence", "2-licence")
        m.driver("answer-dialog", "I &Agree")
        texts = self.take_page("Destination Folder", "3-folder")
        self.assertIn(PROGRAM_FOLDER, texts)
        m.driver("answer-dialog", "&Install")
        self.take_page("Uptrail is still running.", "4-still-running")
        holder.kill()
        holder.wait()
        m.driver("answer-dialog", "&Retry")
        self.take_page("Installation Complete", "5-installed")
        m.driver("answer-dialog", "&Next >")
        texts = self.take_page("Start Uptrail now", "6-finish")
        self.assertIn("Start Uptrail now\t[x]", texts, "checked")
        m.driver("answer-dialog", "&Finish")
        self.assertEqual(setup.wait(60), 0)
        m.wait_for(m.is_ready, "Uptrail to start from the finish page")
        self.assert_installed(PROGRAM_FOLDER)

        uninstall = m.launch(UNINSTALLER)
        texts = self.take_page("Also delete the session log and alarms", "7-uninstall")
        self.assertIn("Also delete the session log and alarms", texts, "unchecked")
        self.assertIn(DATA_FOLDER + r"\Uptrail.txt", texts)
        m.driver("answer-dialog", "&Uninstall")
        self.take_page("Uninstallation Complete", "8-uninstalled")
        m.driver("answer-dialog", "&Close")
        self.assertEqual(uninstall.wait(60), 0)
        m.wait_for(lambda: not self.processes_running(r"\Un.exe"), "the uninstaller to end")
        self.assert_nothing_installed_is_left()
        self.assertTrue(os.path.exists(m.log_path), "the log is kept")


if __name__ == "__main__":
    unittest.main()
