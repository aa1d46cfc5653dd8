"""End-to-end tests of the log commands of Uptrail.exe's right-hand menu under Wine."""
import datetime
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_FOLDER, PROGRAM_KEY, UptrailMachine  # noqa: E402

LOG = PROGRAM_FOLDER + r"\Uptrail.txt"
STAMP = "%Y:%m:%d:%H:%M:%S"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class LogCommandsTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)
        # Wine reads the command line of a Windows program in the Unix locale: a folder
        # name with accents reaches the driver intact only in a UTF-8 one.
        self.machine.env["LC_ALL"] = "C.UTF-8"
        self.system = self.machine.system_id()
        self.seed_entries(1)

    def seed_entries(self, count):
        """A log of `count` sessions, one a day, and the program's own settings."""
        entries = []
        for day in range(count):
            start = datetime.datetime(2026, 1, 1, 8) + datetime.timedelta(days=day)
            end = start + datetime.timedelta(hours=2)
            entries.append(f"{start:{STAMP}}={end:{STAMP}}=0={self.system}")
        self.machine.write_log(f"[{self.system}]\nAnimation=3\n[Log]\n" + "\n".join(entries) + "\n")
        return entries

    def choose_and_confirm(self, command):
        m = self.machine
        m.driver(command)
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the question")
        m.driver("click-dialog-button", "OK")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the question to close")

    def erase_oldest_keeps_the_newest_fifty(self, count):
        m = self.machine
        entries = self.seed_entries(count)
        copy = m.start_and_wait_ready()
        self.choose_and_confirm("erase-oldest")
        m.wait_for(lambda: m.log_entries() == entries[-50:], "the oldest entries to go")
        self.assertEqual(int(m.driver("get-attributes", LOG)) & 5, 5,
                         "the rewritten log is read-only and system")
        return copy

    def test_erase_oldest_data_on_51_entries_removes_only_the_oldest(self):
        self.machine.exit_uptrail(self.erase_oldest_keeps_the_newest_fifty(51))

    def test_erase_oldest_data_on_120_entries_then_monitor_from_now_empties_the_log(self):
        m = self.machine
        copy = self.erase_oldest_keeps_the_newest_fifty(120)
        self.choose_and_confirm("monitor-from-now")
        m.wait_for(lambda: m.log_entries() == [], "the log to be emptied")
        self.assertIn("Log", m.log_sections())
        self.assertEqual(m.log_value(self.system, "Animation"), "3", "the settings stay")
        m.exit_uptrail(copy)
        self.assertEqual(m.log_entries(), [], "nothing comes back at the close")

    def host_path(self, folder):
        """Where a folder "C:\\..." of the machine lies on the host."""
        return os.path.join(self.machine.prefix, "drive_c", *folder[3:].split("\\"))

    def choose_log_folder(self, folder):
        """The folder chooser is Wine's own dialog; the driver types the folder into it."""
        m = self.machine
        m.driver("log-folder")
        m.wait_for(lambda: m.driver_succeeds("choose-folder", folder), "the folder chooser")

    def test_log_folder_to_the_same_a_blocked_a_shared_and_a_new_non_ascii_folder(self):
        m = self.machine
        shared, journal = "C:\\Shared", "C:\\Journal \u00e9t\u00e9"
        shared_log = os.path.join(self.host_path(shared), "Uptrail.txt")
        journal_log = os.path.join(self.host_path(journal), "Uptrail.txt")
        os.makedirs(self.host_path(shared))
        os.makedirs(self.host_path(journal))
        # A folder in the place of the file: nothing can be copied there.
        os.makedirs(os.path.join(self.host_path("C:\\Blocked"), "Uptrail.txt"))
        shared_entry = "2025:06:01:07:00:00=2025:06:01:09:00:00=2=5E6F7A8B//d:\\windows"
        with open(shared_log, "wb") as f:
            f.write(f"[Log]\r\n{shared_entry}\r\n".encode("ascii"))
        m.driver("set-attributes", shared + "\\Uptrail.txt", "5")
        copy = m.start_and_wait_ready()
        files_before = sorted(os.listdir(m.program_dir))

        self.choose_log_folder(PROGRAM_FOLDER + "\\")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the chooser to close")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER, "the same folder")
        self.assertEqual(sorted(os.listdir(m.program_dir)), files_before, "the same folder")

        self.choose_log_folder("C:\\Blocked")
        m.wait_for(lambda: m.driver_succeeds("dialog-open", "Uptrail"), "the failed move's message")
        m.driver("click-dialog-button", "OK")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the message to close")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER, "the failed move")

        self.choose_log_folder(shared)
        m.wait_for(lambda: m.reg_get(PROGRAM_KEY, "LogFolder") == shared, "the shared folder")
        m.log_path = shared_log
        self.assertEqual(m.log_entries(), [shared_entry], "nothing was copied over the shared log")

        self.choose_log_folder(journal)
        m.wait_for(lambda: os.path.exists(journal_log), "the copy of the log")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the chooser to close")
        self.assertEqual(read(journal_log), read(shared_log), "the moved copy")
        self.assertEqual(int(m.driver("get-attributes", journal + "\\Uptrail.txt")) & 5, 5,
                         "the moved copy is read-only and system")
        shared_after_move = read(shared_log)
        m.exit_uptrail(copy)
        m.exit_uptrail(m.start_and_wait_ready())

        self.assertEqual(read(shared_log), shared_after_move, "both runs went on in the new log")
        m.log_path = journal_log
        self.assertEqual(m.log_entries(), [shared_entry])
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")


if __name__ == "__main__":
    unittest.main()
