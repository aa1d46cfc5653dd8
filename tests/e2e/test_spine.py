"""End-to-end tests of Uptrail.exe's start-up, session tracking, tray icon and close under
Wine and Xvfb."""
import datetime
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_FOLDER, PROGRAM_KEY, RUN_KEY, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"
LOG = PROGRAM_FOLDER + r"\Uptrail.txt"


def host_boot_time():
    """The boot time Windows reports under Wine: the host's, as its tick count is."""
    with open("/proc/uptime") as f:
        uptime = float(f.read().split()[0])
    return datetime.datetime.now() - datetime.timedelta(seconds=uptime)


class SpineTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)
        self.system = self.machine.system_id()

    def seed_previous_session(self, system, start, close="", cause="0", heartbeat=""):
        self.machine.write_log(
            f"[Common]\nLastWin={system}\nCurStroke={heartbeat}\n"
            f"[{system}]\nLastStart={start}\nLastClose={close}\nLastCause={cause}\n")

    def log_and_key(self):
        """The log and the program key without the heartbeat, which the running copy may
        renew any time."""
        m = self.machine
        key = m.run_wine("reg", "query", PROGRAM_KEY, "/reg:64")[1]
        text = m.log_bytes().decode("latin-1") + key
        return [line for line in text.splitlines() if "CurStroke" not in line]

    def test_first_start_logs_another_installation_then_exit_and_a_restart(self):
        m = self.machine
        other = "5E6F7A8B//d:\\windows"
        self.seed_previous_session(other, "2026:02:01:07:00:00", close="2026:02:01:09:30:00",
                                   heartbeat="2026:02:01:09:29:40")
        copy = m.start_and_wait_ready()

        self.assertEqual(m.reg_get(PROGRAM_KEY, ""), PROGRAM_FOLDER)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "CurrentVersion"), "5.00.0026")
        self.assertEqual(m.reg_get(RUN_KEY, "Sessiometer"), "Uptrail.exe", "Start with Windows")
        self.assertEqual(m.log_value(self.system, "Animation"), "3")
        self.assertEqual(m.log_value(self.system, "LastClose"), "")
        started = datetime.datetime.strptime(m.log_value(self.system, "LastStart"), STAMP)
        self.assertLess(abs((started - host_boot_time()).total_seconds()), 3, "the boot time")
        entries = [f"2026:02:01:07:00:00=2026:02:01:09:30:00=0={other}"]
        self.assertEqual(m.log_entries(), entries, "the other installation's session")

        m.exit_uptrail(copy)
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")

        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(), entries, "a second start in the session logs nothing")

    def test_a_crash_is_logged_with_the_later_heartbeat_in_a_read_only_system_log(self):
        m = self.machine
        self.seed_previous_session(self.system, "2026:01:01:00:00:00",
                                   heartbeat="2026:01:01:05:00:00")
        m.reg_set(PROGRAM_KEY, "CurStroke", "2026:01:01:05:00:30")
        m.driver("set-attributes", LOG, "5")
        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(),
                         [f"2026:01:01:00:00:00=2026:01:01:05:00:30=2={self.system}"])
        self.assertEqual(int(m.driver("get-attributes", LOG)) & 7, 5, "read-only and system")

    def test_a_second_copy_exits_the_tray_icon_answers_and_windows_ending_stores_cause_0(self):
        m = self.machine
        first = m.start_and_wait_ready()
        before = self.log_and_key()
        self.assertEqual(m.start_uptrail().wait(60), 0)
        self.assertEqual(self.log_and_key(), before, "the second copy wrote nothing")
        self.assertIsNone(first.poll(), "the first copy must keep running")

        self.assertFalse(m.driver_succeeds("menu-open"))
        m.click_tray_icon(3)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the right-hand menu to open")
        m.press_key("Escape")
        m.wait_for(lambda: not m.driver_succeeds("menu-open"), "the right-hand menu to close")
        m.click_tray_icon(1, times=2)
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the About box")
        self.assertFalse(m.driver_succeeds("menu-open"), "a double click opens no menu")
        m.driver("click-dialog-button", "OK")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the About box to close")
        m.click_tray_icon(1)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the session menu to open")
        m.press_key("Escape")
        m.wait_for(lambda: not m.driver_succeeds("menu-open"), "the session menu to close")

        self.assertEqual(m.run_wine("wineboot", "--end-session")[0], 0)
        first.wait(60)
        self.assertEqual(m.log_value(self.system, "LastCause"), "0")
        self.assertNotEqual(m.log_value(self.system, "LastClose"), "")


if __name__ == "__main__":
    unittest.main()
