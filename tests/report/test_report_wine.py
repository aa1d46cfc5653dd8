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
        try:
            cls.system = m.system_id()
            m.write_log(
                f"[Common]\nLastWin={cls.system}\n"
                f"[{cls.system}]\nLastStart=2026:12:04:11:00:00\nLastClose=2026:12:04:12:00:00\n"
                f"LastCause=1\n"
                f"[Log]\n2026:12:04:08:00:00=2026:12:04:09:00:00=0={cls.system}\n"
                f"2026:12:04:09:10:00=2026:12:04:10:00:00=2={OTHER}\n")
            m.exit_uptrail(m.start_and_wait_ready())
            shutil.copy(os.environ["UPTRAIL_REPORT_EXE"], m.program_dir)
        except BaseException:
            m.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.machine.close()

    def report(self, *args):
        return self.machine.run_wine(PROGRAM_FOLDER + r"\uptrail-report.exe", *args)

    def host_report(self, *args):
        result = subprocess.run([os.environ["UPTRAIL_REPORT_HOST"], "--log", self.machine.log_path,
                                 *args], capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.decode("latin-1")

    def test_by_default_reads_uptrails_own_log_as_its_tray_shows_it(self):
        code, out, err = self.report()
        self.assertEqual(code, 0, err)
        lines = out.replace("\r\n", "\n").split("\n")
        # The session Uptrail.exe logged, newest first, marked as closed by hand; only this
        # system's sessions, as its tray lists them by default.
        start = lines.index("Sessions, newest first (X crashed, ! closed before the system went down):")
        self.assertEqual(lines[start + 1:start + 4],
                         ["! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m",
                          "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m", ""])
        self.assertIn("Crashed Sessions:\t33.3%", lines)
        # Uptrail.exe stored its first start in this boot: the delay is known.
        self.assertRegex(out, r"Last Delay:\t\d\d:\d\d:\d\d")
        systems = lines[lines.index("Systems ([x] listed):") + 1:]
        self.assertTrue(systems[0].startswith("[x] C:\\WINDOWS\t"), systems)
        self.assertTrue(systems[0].endswith(self.system), systems)
        self.assertTrue(systems[1].startswith("[ ] - D:\\WINDOWS\t(Last Exit: "), systems)

    def test_gives_what_the_host_build_gives_on_the_same_file(self):
        def comparable(text):
            # The start delay is the running installation's, which only Windows has.
            return [line for line in text.replace("\r\n", "\n").split("\n")
                    if "lastDelaySeconds" not in line]

        for form in ("json", "csv"):
            args = ["--all", "--format", form, *REPRODUCIBLE]
            code, out, err = self.report("--log", PROGRAM_FOLDER + r"\Uptrail.txt", *args)
            self.assertEqual(code, 0, err)
            self.assertEqual(comparable(out), comparable(self.host_report(*args)), form)
        self.assertIn('"sessionCount": 3,', self.host_report("--format", "json", *REPRODUCIBLE))

    def test_a_missing_log_is_exit_status_2_with_a_message(self):
        code, out, err = self.report("--log", r"C:\nowhere\Uptrail.txt")
        self.assertEqual(code, 2)
        self.assertEqual(out, "")
        self.assertIn(r"cannot read the log file 'C:\nowhere\Uptrail.txt': it does not exist", err)


if __name__ == "__main__":
    unittest.main()
