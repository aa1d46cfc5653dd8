"""End-to-end tests of Uptrail.exe's start-up, session tracking and close under Wine."""
import datetime
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_FOLDER, PROGRAM_KEY, RUN_KEY, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"


def host_boot_time():
    """The boot time Windows reports under Wine: the host's, as its tick count is."""
    with open("/proc/uptime") as f:
        uptime = float(f.read().split()[0])
    return datetime.datetime.now() - datetime.timedelta(seconds=uptime)


def without_heartbeat(text):
    """The text without its heartbeat lines, which the running copy may renew any time."""
    return [line for line in text.splitlines() if "CurStroke" not in line]


def parse_stamp(text):
    return datetime.datetime.strptime(text, STAMP)


class SpineTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)
        self.system = self.machine.system_id()

    def seed_previous_session(self, system, start, close="", cause="0", heartbeat=""):
        self.machine.write_log(
            f"[Common]\nLastWin={system}\nCurStroke={heartbeat}\n"
            f"[{system}]\nLastStart={start}\nLastClose={close}\nLastCause={cause}\n")

    def test_first_start_stores_the_defaults_and_the_running_session(self):
        m = self.machine
        copy = m.start_and_wait_ready()

        self.assertEqual(m.reg_get(PROGRAM_KEY, ""), PROGRAM_FOLDER)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER)
        self.assertEqual(m.reg_get(PROGRAM_KEY, "CurrentVersion"), "5.00.0026")
        self.assertEqual(m.reg_get(RUN_KEY, "Sessiometer"), "Uptrail.exe")
        self.assertEqual(m.log_value(self.system, "Animation"), "3")
        self.assertEqual(m.log_value(self.system, "LastCause"), "0")
        self.assertEqual(m.log_value(self.system, "LastClose"), "")
        started = parse_stamp(m.log_value(self.system, "LastStart"))
        self.assertLess(abs((started - host_boot_time()).total_seconds()), 3)
        self.assertEqual(m.log_entries(), [])
        m.exit_uptrail(copy)

    def test_exit_then_a_second_start_in_the_same_session_writes_no_entry(self):
        m = self.machine
        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")
        closed = parse_stamp(m.log_value(self.system, "LastClose"))
        self.assertLess(abs((closed - datetime.datetime.now()).total_seconds()), 30)
        restart = m.log_value(self.system, "Restart")

        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(), [])
        self.assertEqual(m.log_value(self.system, "Restart"), restart)

    def test_a_crashed_session_is_logged_with_the_later_heartbeat_and_cause_2(self):
        m = self.machine
        self.seed_previous_session(self.system, "2026:01:01:00:00:00",
                                   heartbeat="2026:01:01:05:00:00")
        m.reg_set(PROGRAM_KEY, "CurStroke", "2026:01:01:05:00:30")
        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(),
                         [f"2026:01:01:00:00:00=2026:01:01:05:00:30=2={self.system}"])

    def test_a_session_of_another_installation_is_logged_with_its_identity(self):
        m = self.machine
        other = "5E6F7A8B//d:\\windows"
        self.seed_previous_session(other, "2026:02:01:07:00:00", close="2026:02:01:09:30:00",
                                   cause="0", heartbeat="2026:02:01:09:29:40")
        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(), [f"2026:02:01:07:00:00=2026:02:01:09:30:00=0={other}"])
        self.assertEqual(m.log_value(other, "LastStart"), "2026:02:01:07:00:00")

    def test_windows_ending_the_session_stores_cause_0(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        m.end_windows_session()
        copy.wait(60)
        self.assertEqual(m.log_value(self.system, "LastCause"), "0")
        self.assertNotEqual(m.log_value(self.system, "LastClose"), "")

    def test_a_second_copy_hands_over_and_exits_without_writing(self):
        m = self.machine
        first = m.start_and_wait_ready()
        log_before = without_heartbeat(m.log_bytes().decode("latin-1"))
        key_before = without_heartbeat(m.reg_dump(PROGRAM_KEY))

        second = m.start_uptrail()
        self.assertEqual(second.wait(60), 0)
        self.assertEqual(without_heartbeat(m.log_bytes().decode("latin-1")), log_before)
        self.assertEqual(without_heartbeat(m.reg_dump(PROGRAM_KEY)), key_before)
        self.assertIsNone(first.poll(), "the first copy must keep running")
        m.exit_uptrail(first)

    def test_a_read_only_system_log_gets_its_entry_and_stays_read_only_and_system(self):
        m = self.machine
        self.seed_previous_session(self.system, "2026:03:01:08:00:00",
                                   close="2026:03:01:18:00:00", cause="1")
        log = PROGRAM_FOLDER + r"\Uptrail.txt"
        m.driver("set-attributes", log, "5")
        m.exit_uptrail(m.start_and_wait_ready())
        self.assertEqual(m.log_entries(), [f"2026:03:01:08:00:00=2026:03:01:18:00:00=1={self.system}"])
        self.assertEqual(int(m.driver("get-attributes", log)) & 7, 5)


if __name__ == "__main__":
    unittest.main()
