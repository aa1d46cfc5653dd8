import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_FOLDER, UptrailMachine  # noqa: E402
from test_report_events import WEEK  # noqa: E402

REPORT = PROGRAM_FOLDER + r"\uptrail-report.exe"


class ReportUnderWineTest(unittest.TestCase):
    def test_reads_uptrails_own_log_by_default_and_gives_what_the_host_build_gives(self):
        m = UptrailMachine(self)
        system = m.driver("system-id")
        m.write_log(
            f"[Common]\nLastWin={system}\n"
            f"[{system}]\nLastStart=2026:12:04:11:00:00\nLastClose=2026:12:04:12:00:00\n"
            "LastCause=1\n"
            f"[Log]\n2026:12:04:08:00:00=2026:12:04:09:00:00=0={system}\n"
            "2026:12:04:09:10:00=2026:12:04:10:00:00=2=5E6F7A8B//d:\\windows\n")
        m.exit_uptrail(m.start_and_wait_ready())
        shutil.copy(os.environ["UPTRAIL_REPORT_EXE"], m.program_dir)

        code, out, err = m.run_wine(REPORT)
        self.assertEqual(code, 0, err)
        out = out.replace("\r\n", "\n")
        # Only this system's sessions, newest first, as its tray lists them by default.
        self.assertIn("went down):\n! [Dec 04, 11:00 - Dec 04, 12:00]\t=  00d 01h 00m\n"
                      "  [Dec 04, 08:00 - Dec 04, 09:00]\t=  00d 01h 00m\n\n", out)
        # Uptrail.exe stored its first start in this boot: the delay is known.
        self.assertRegex(out, r"Last Delay:\t\d\d:\d\d:\d\d")
        self.assertIn(f"Systems ([x] listed):\n[x] C:\\WINDOWS\t{system}\n"
                      "[ ] - D:\\WINDOWS\t(Last Exit: ", out)

        def without_delay(text):
            # The start delay is the running installation's, which only Windows has.
            return [line for line in text.splitlines() if "lastDelay" not in line]
        for form in ("json", "csv"):
            args = ["--all", "--format", form, "--now", "2026:12:05:09:00:00",
                    "--boot-time", "2026:12:05:08:00:00"]
            code, out, err = m.run_wine(REPORT, "--log", PROGRAM_FOLDER + r"\Uptrail.txt", *args)
            self.assertEqual(code, 0, err)
            host = subprocess.run([os.environ["UPTRAIL_REPORT_HOST"], "--log", m.log_path, *args],
                                  capture_output=True, timeout=60)
            self.assertEqual(host.returncode, 0, host.stderr)
            self.assertEqual(without_delay(out), without_delay(host.stdout.decode("latin-1")), form)
            self.assertIn('"sessionCount": 3,' if form == "json" else "2026-12-04T11:00:00", out)

        # An export as Event Viewer saves it reads the same through XmlLite as through expat.
        export = os.path.join(m.program_dir, "System.xml")
        with open(export, "wb") as f:
            f.write(b"\xff\xfe" + ('<?xml version="1.0" encoding="UTF-16"?>\r\n<Events>'
                                    + "".join(WEEK) + "</Events>").encode("utf-16-le"))
        code, out, err = m.run_wine(REPORT, "--events", PROGRAM_FOLDER + r"\System.xml",
                                    "--format", "csv")
        self.assertEqual(code, 0, err)
        host = subprocess.run([os.environ["UPTRAIL_REPORT_HOST"], "--events", export, "--format",
                               "csv"], capture_output=True, timeout=60, env=m.env)
        self.assertEqual(out.replace("\r\n", "\n"), host.stdout.decode("latin-1"))
        self.assertEqual(len(host.stdout.splitlines()), 1 + 3)

        # What is no log is refused unread: a device, a folder, a file past the limit.
        huge = os.path.join(os.path.dirname(m.log_path), "huge.txt")
        with open(huge, "wb") as f:
            f.truncate((1 << 30) + 1)  # sparse: no disk is filled
        for log, why in (("NUL", "it is a device"), (PROGRAM_FOLDER, "it is a folder"),
                         (PROGRAM_FOLDER + r"\huge.txt", "larger than 1 GiB")):
            code, out, err = m.run_wine(REPORT, "--log", log)
            self.assertEqual((code, out), (2, ""), f"{log}: {err}")
            self.assertIn(why, err, log)


if __name__ == "__main__":
    unittest.main()
