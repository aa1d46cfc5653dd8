"""uptrail-report.exe under Wine on a log that Uptrail.exe wrote, held against the host's
uptrail-report on the same file."""
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from uptrail_machine import PROGRAM_FOLDER, UptrailMachine  # noqa: E402

OTHER = "5E6F7A8B//d:\\windows"
REPRODUCIBLE = ["--now", "2026:12:05:09:00:00", "--boot-time", "2026:12:05:08:00:00"]


class ReportUnderWineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        """One machine for every case: Uptrail.exe starts on a seeded log, logs the session
        that ran before (closed by hand), and exits."""
        cls.machine = m = UptrailMachine()
        cls.addClassCleanup(m.close)
        cls.system = m.system_id()
        m.write_log(
            f"[Common]\nLastWin={cls.system}\n"
            f"[{cls.system}]\nLastStart=2026:12:04:11:00:00\nLastClose=2026:12:04:12:00:00\n"
            f"LastCause=1\n"
            f"[Log]\n2026:12:04:08:00:00=2026:12:04:09:00:00=0={cls.system}\n"
            f"2026:12:04:09:10:00=2026:12:04:10:00:00=2={OTHER}\n")
        m.exit_uptrail(m.start_and_wait_ready())
        shutil.copy(os.environ["UPTRAIL_REPORT_EXE"], m.program_dir)

    def report(self, *args):
        code, out, err = self.machine.run_wine(PROGRAM_FOLDER + r"\uptrail-report.exe", *args)
        return code, out.replace("\r\n", "\n"), err

    def test_by_default_reads_uptrails_own_log_as_its_tray_shows_it(self):
        code, out, err = self.report()
        self.assertEqual(code, 0, err)
        # The session Uptrail.exe logged, newest first, marked as closed by hand; only this
        # system's sessions, as its tray lists them by default.
        self.assertIn("went down):\n! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m\n"
                      "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m\n\n", out)
        # Uptrail.exe stored its first start in this boot: the delay is known.
        self.assertRegex(out, r"Last Delay:\t\d\d:\d\d:\d\d")
        # The own system first and without an exit, as in "Syste&ms to show".
        self.assertIn(f"Systems ([x] listed):\n[x] C:\\WINDOWS\t{self.system}\n"
                      "[ ] - D:\\WINDOWS\t(Last Exit: ", out)

    def test_gives_what_the_host_build_gives_on_the_same_file(self):
        for form in ("json", "csv"):
            args = ["--all", "--format", form, *REPRODUCIBLE]
            code, out, err = self.report("--log", PROGRAM_FOLDER + r"\Uptrail.txt", *args)
            self.assertEqual(code, 0, err)
            host = subprocess.run([os.environ["UPTRAIL_REPORT_HOST"], "--log",
                                   self.machine.log_path, *args], capture_output=True, timeout=60)
            self.assertEqual(host.returncode, 0, host.stderr)
            # The start delay is the running installation's, which only Windows has.
            self.assertEqual([line for line in out.split("\n") if "lastDelay" not in line],
                             [line for line in host.stdout.decode("latin-1").split("\n")
                              if "lastDelay" not in line], form)
            self.assertIn('"sessionCount": 3,' if form == "json" else "2026-12-04T11:00:00", out)

    def test_a_missing_log_is_exit_status_2_with_a_message(self):
        code, out, err = self.report("--log", r"C:\nowhere\Uptrail.txt")
        self.assertEqual((code, out), (2, ""))
        self.assertIn(r"cannot read the log file 'C:\nowhere\Uptrail.txt': it does not exist", err)
        host = subprocess.run([os.environ["UPTRAIL_REPORT_HOST"], "--log", "/nowhere/Uptrail.txt"],
                              capture_output=True, timeout=60)
        self.assertEqual((host.returncode, host.stdout), (2, b""))


if __name__ == "__main__":
    unittest.main()
