"""End-to-end tests of the log commands of Uptrail.exe's right-hand menu under Wine."""
import datetime
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_FOLDER, PROGRAM_KEY, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"
FIRST_START = datetime.datetime(2026, 1, 1, 8, 0, 0)
LOG = PROGRAM_FOLDER + r"\Uptrail.txt"


class LogMachineCase(unittest.TestCase):
    """A machine with Uptrail installed and a log of the program's own making."""

    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)
        # Wine reads the command line of a Windows program in the Unix locale: a folder
        # name with accents reaches the driver intact only in a UTF-8 one.
        self.machine.env["LC_ALL"] = "C.UTF-8"
        self.system = self.machine.system_id()

    def seed_entries(self, count):
        """A log of `count` sessions, one a day, and the program's own settings."""
        entries = []
        for day in range(count):
            start = FIRST_START + datetime.timedelta(days=day)
            end = start + datetime.timedelta(hours=2)
            entries.append(f"{start.strftime(STAMP)}={end.strftime(STAMP)}=0={self.system}")
        self.machine.write_log(f"[{self.system}]\nAnimation=3\n[Log]\n" + "\n".join(entries) + "\n")
        return entries


class LogCommandsTest(LogMachineCase):
    def choose_and_confirm(self, command):
        """Chooses a log command and answers its question with OK."""
        m = self.machine
        m.driver("log-command", command)
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the question")
        m.driver("confirm-dialog")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the question to close")

    def test_monitor_from_now_empties_the_log_and_keeps_the_settings(self):
        m = self.machine
        self.seed_entries(60)
        copy = m.start_and_wait_ready()

        self.choose_and_confirm("monitor-from-now")

        m.wait_for(lambda: m.log_entries() == [], "the log to be emptied")
        sections = m.log_sections()
        self.assertIn("Log", sections)
        self.assertEqual(m.log_value(self.system, "Animation"), "3")
        m.exit_uptrail(copy)
        self.assertEqual(m.log_entries(), [], "nothing comes back at the close")

    def erase_oldest_keeps_the_newest_fifty(self, count):
        m = self.machine
        entries = self.seed_entries(count)
        copy = m.start_and_wait_ready()

        self.choose_and_confirm("erase-oldest")

        m.wait_for(lambda: m.log_entries() == entries[-50:], "the oldest entries to go")
        self.assertEqual(int(m.driver("get-attributes", LOG)) & 5, 5,
                         "the rewritten log is read-only and system")
        m.exit_uptrail(copy)

    def test_erase_oldest_data_on_51_entries_removes_only_the_oldest(self):
        self.erase_oldest_keeps_the_newest_fifty(51)

    def test_erase_oldest_data_on_120_entries_keeps_the_newest_50(self):
        self.erase_oldest_keeps_the_newest_fifty(120)


class LogFolderTest(LogMachineCase):
    """The folder chooser is Wine's own dialog; the driver types the folder into it."""

    def setUp(self):
        super().setUp()
        self.old_log = self.machine.log_path
        self.seed_entries(1)

    def host_path(self, folder):
        """Where a folder "C:\\..." of the machine lies on the host."""
        return os.path.join(self.machine.prefix, "drive_c", *folder[3:].split("\\"))

    def choose_log_folder(self, folder):
        m = self.machine
        m.driver("log-command", "log-folder")
        m.wait_for(lambda: m.driver_succeeds("choose-folder", folder), "the folder chooser")

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def test_log_folder_moves_a_copy_that_the_next_start_opens_again(self):
        m = self.machine
        folder = "C:\\Journal \u00e9t\u00e9"
        os.makedirs(self.host_path(folder))
        new_log = os.path.join(self.host_path(folder), "Uptrail.txt")
        m.driver("set-attributes", LOG, "5")
        copy = m.start_and_wait_ready()

        self.choose_log_folder(folder)

        m.wait_for(lambda: os.path.exists(new_log), "the copy of the log")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the chooser to close")
        self.assertFalse(m.driver_succeeds("dialog-titled", "Uptrail"), "no message")
        self.assertEqual(self.read(new_log), self.read(self.old_log))
        self.assertEqual(int(m.driver("get-attributes", folder + "\\Uptrail.txt")) & 5, 5)
        old_after_move = self.read(self.old_log)
        m.exit_uptrail(copy)
        m.exit_uptrail(m.start_and_wait_ready())

        self.assertEqual(self.read(self.old_log), old_after_move,
                         "both runs went on in the new log")
        m.log_path = new_log
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")
        self.assertEqual(len(m.log_entries()), 1)

    def test_log_folder_takes_over_a_log_already_there(self):
        m = self.machine
        folder = "C:\\Shared"
        other = "5E6F7A8B//d:\\windows"
        shared_entry = f"2025:06:01:07:00:00=2025:06:01:09:00:00=2={other}"
        os.makedirs(self.host_path(folder))
        new_log = os.path.join(self.host_path(folder), "Uptrail.txt")
        with open(new_log, "wb") as f:
            f.write(f"[Log]\r\n{shared_entry}\r\n".encode("ascii"))
        copy = m.start_and_wait_ready()
        own_entries = m.log_entries()

        self.choose_log_folder(folder)

        m.wait_for(lambda: m.reg_get(PROGRAM_KEY, "LogFolder") == folder, "the new folder")
        m.exit_uptrail(copy)
        self.assertEqual(m.log_entries(), own_entries, "the old log stays")
        m.log_path = new_log
        self.assertEqual(m.log_entries(), [shared_entry], "nothing was copied over it")
        self.assertEqual(m.log_value(self.system, "LastCause"), "1", "the close went there")

    def test_choosing_the_folder_in_use_with_a_trailing_backslash_changes_nothing(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        files_before = sorted(os.listdir(m.program_dir))

        self.choose_log_folder(PROGRAM_FOLDER + "\\")

        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the chooser to close")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER)
        self.assertEqual(sorted(os.listdir(m.program_dir)), files_before)
        m.exit_uptrail(copy)
        self.assertEqual(m.log_value(self.system, "LastCause"), "1", "the log in use stayed")

    def test_a_failed_move_keeps_the_old_log_and_its_folder(self):
        m = self.machine
        folder = "C:\\Blocked"
        # A folder in the place of the file: nothing can be copied there.
        os.makedirs(os.path.join(self.host_path(folder), "Uptrail.txt"))
        copy = m.start_and_wait_ready()

        self.choose_log_folder(folder)

        m.wait_for(lambda: m.driver_succeeds("dialog-titled", "Uptrail"), "the message")
        if os.environ.get("UPTRAIL_E2E_SCREENSHOTS"):
            m.screenshot(os.path.join(os.environ["UPTRAIL_E2E_SCREENSHOTS"], "failed-move.png"))
        m.driver("confirm-dialog")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the message to close")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER)
        m.exit_uptrail(copy)
        self.assertEqual(m.log_value(self.system, "LastCause"), "1", "the old log is still in use")


if __name__ == "__main__":
    unittest.main()
