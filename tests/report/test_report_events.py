"""uptrail-report --events on exports of a System log made here, in both layouts Windows
writes: the sessions, sleeps and reasons of a hand-checked week, and bad exports refused
with a reason or read as far as they go."""
import json
import os
import subprocess
import tempfile
import unittest

REPORT = os.environ["UPTRAIL_REPORT_HOST"]
GENERAL = "Microsoft-Windows-Kernel-General"
BOOT = "Microsoft-Windows-Kernel-Boot"
POWER = "Microsoft-Windows-Kernel-Power"


def event(provider, event_id, utc, data="", channel="System"):
    return (f"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
            f"<Provider Name='{provider}'/><EventID>{event_id}</EventID>"
            f"<TimeCreated SystemTime='2026-11-{utc}Z'/><Channel>{channel}</Channel>"
            f"<Computer>OFFICE-PC</Computer></System><EventData>{data}</EventData></Event>\r\n")


def boot(at):
    return [event(GENERAL, 12, at), event(BOOT, 27, at, "<Data Name='BootType'>0</Data>"),
            event("EventLog", 6005, at)]


def shut_down(at):
    return [event("EventLog", 6006, at), event(GENERAL, 13, at)]


# Two clean days, the second with an hour asleep; a third day the power fails, as the
# next boot tells; that boot is still running when the export is taken.
WEEK = (boot("02T08:00:00") + shut_down("02T17:00:00") + boot("03T08:00:00")
        + [event(POWER, 42, "03T12:00:00"),
           event("Microsoft-Windows-Power-Troubleshooter", 1, "03T13:00:00")]
        + shut_down("03T18:00:00") + boot("04T09:00:00")
        + [event("Microsoft-Windows-Security-SPP", 16384, "04T09:30:00")]
        + boot("04T20:00:00") + [event(POWER, 41, "04T20:00:30")])
PLAIN = "".join(WEEK)


class EventsReportTest(unittest.TestCase):
    def run_report(self, document, *args):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "system.xml")
            with open(path, "wb") as file:
                file.write(document if isinstance(document, bytes) else document.encode())
            return subprocess.run([REPORT, "--events", path, *args], capture_output=True,
                                  timeout=10, env=dict(os.environ, TZ="UTC0"))

    def report_json(self, document):
        result = self.run_report(document, "--format", "json")
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout)

    def test_a_week_reads_the_same_from_both_layouts_in_any_order(self):
        saved = ('<?xml version="1.0" encoding="UTF-16"?>\r\n<Events>'
                 + "".join(reversed(WEEK + WEEK[:4])) + "</Events>")
        expected = self.report_json(PLAIN)
        self.assertEqual(self.report_json(b"\xff\xfe" + saved.encode("utf-16-le")), expected)

        crash, slept, _ = expected["sessions"]
        self.assertEqual((crash["start"], crash["end"], crash["cause"], crash["system"]),
                         ("2026-11-04T09:00:00", "2026-11-04T09:30:00", 2, "OFFICE-PC"),
                         "a crash ends at its last record, not at the next boot")
        self.assertIn("Power lost", crash["reason"])
        self.assertEqual(slept["sleepMinutes"], 60)

    def test_bad_exports_are_refused_with_a_reason_or_read_as_far_as_they_go(self):
        for document, why in (("Uptrail ran here", "no XML"),
                              ("<Events></Events>", "holds no events"),
                              (event("Application Error", 1000, "02T10:00:00", channel="Application"),
                               "another log")):
            result = self.run_report(document)
            self.assertEqual((result.returncode, result.stdout), (2, b""), why)
            self.assertIn(why, result.stderr.decode())

        cut = self.run_report(PLAIN[:PLAIN.index("04T09:00:00")], "--format", "csv")
        self.assertEqual(cut.returncode, 0, cut.stderr)
        self.assertIn("breaks off", cut.stderr.decode())
        self.assertEqual(len(cut.stdout.decode().splitlines()), 1 + 2, "the header and two days")


if __name__ == "__main__":
    unittest.main()
