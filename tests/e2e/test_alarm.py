"""End-to-end tests of the alarm add-on: alarm windows set, started, stopped and ringing
in the real Uptrail.exe under Wine."""
import datetime
import os
import re
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import DEADLINE_SECONDS, WINESERVER, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"
# The fields of a line of `e2e_driver alarm-windows`.
FIELDS = ("handle", "topmost", "visible", "caption", "shift", "time", "repeat", "period", "button",
          "elapsed", "title")


class AlarmTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)

    def windows(self, count=None):
        """The alarm windows as {field: text}; with `count`, once there are that many."""
        def read():
            lines = self.machine.driver("alarm-windows").splitlines()
            return [dict(zip(FIELDS, line.replace(" ", "|", 2).split("|")))
                    for line in lines if line]
        if count is not None:
            self.machine.wait_for(lambda: len(read()) == count, f"{count} alarm windows")
        return read()

    def alarms(self):
        return self.machine.log_sections().get("Alarm", [])

    def wait_for_alarms(self, condition, what):
        self.machine.wait_for(lambda: condition(self.alarms()), what)
        return self.alarms()

    def open_alarm_from_menu(self, position):
        """Chooses the alarm item at `position` (1 for the first) of "Add-on: Alarm" with
        the keyboard, as a user does; gives the handle of the window it opens."""
        m = self.machine
        known = {w["handle"] for w in self.windows()}
        m.click_tray_icon(3)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the right-hand menu")
        for key in ["o"] + ["Down"] * position + ["Return"]:
            m.press_key(key)
        [handle] = {w["handle"] for w in self.windows(len(known) + 1)} - known
        return handle

    def test_an_alarm_set_by_shift_is_stored_and_rings_on_top_when_due(self):
        m = self.machine
        m.start_and_wait_ready()
        m.driver("new-alarm")
        window = self.windows(1)[0]
        self.assertEqual((window["topmost"], window["visible"], window["button"]),
                         ("1", "1", "Start"))
        # A one-minute shift falls due at the start of the next minute; wait until that is
        # only a few seconds away.
        while not 40 <= datetime.datetime.now().second < 50:
            time.sleep(0.5)
        handle = window["handle"]
        m.driver("alarm-set", handle, "title", "Tea")
        m.driver("alarm-set", handle, "shift", "0000:01:00")
        m.driver("alarm-click", handle)
        self.windows(0)
        [line] = self.alarms()
        key, repeat, title = line.split("=")
        due = datetime.datetime.strptime(key, STAMP)
        self.assertEqual((repeat, title, due.second), ("0000:00:00", "Tea", 0))
        self.assertLess(due - datetime.datetime.now(), datetime.timedelta(seconds=30))

        rung = self.windows(1)[0]
        self.assertEqual((rung["topmost"], rung["visible"]), ("1", "1"), "rings on top")
        self.wait_for_alarms(lambda lines: lines == ["=0000:00:00=Tea"], "the ring to stop it")
        # The window counts the seconds since it rang: it rang within moments of its time.
        m.wait_for(lambda: self.windows()[0]["elapsed"].strip(), "the count since the ring")
        asked = datetime.datetime.now()
        elapsed = datetime.datetime.strptime(self.windows()[0]["elapsed"].strip(), "%H:%M:%S")
        read_at = asked + (datetime.datetime.now() - asked) / 2
        rang_at = read_at - datetime.timedelta(minutes=elapsed.minute, seconds=elapsed.second)
        self.assertLessEqual(rang_at - due, datetime.timedelta(seconds=3))

    def test_a_daily_alarm_two_days_overdue_rings_three_times_then_counts_down(self):
        due = (datetime.datetime.now() - datetime.timedelta(days=2, minutes=1)).replace(second=0)
        self.machine.write_log(f"[Alarm]\n{due.strftime(STAMP)}=#1=Wake\n")
        self.machine.start_and_wait_ready()
        tomorrow = (due + datetime.timedelta(days=3)).strftime(STAMP)
        self.wait_for_alarms(lambda lines: lines == [f"{tomorrow}=#1=Wake"], "three rings")
        self.machine.wait_for(lambda: re.match(r"0023:5\d:\d\d$", self.windows(1)[0]["shift"]),
                              "the countdown to tomorrow")
        window = self.windows()[0]
        self.assertEqual((window["button"].rstrip("+"), window["period"]), ("Stop", "1"))
        time.sleep(2)
        self.assertEqual(self.alarms(), [f"{tomorrow}=#1=Wake"], "no fourth ring")

    def test_stop_and_close_remove_a_one_time_alarm(self):
        m = self.machine
        tomorrow = (datetime.datetime.now() + datetime.timedelta(days=1)).strftime(STAMP)
        m.write_log(f"[Alarm]\n{tomorrow}=0000:00:00=Dentist\n")
        m.start_and_wait_ready()
        handle = self.open_alarm_from_menu(1)
        self.assertEqual(self.windows()[0]["title"], "Dentist")
        m.driver("alarm-click", handle)
        self.wait_for_alarms(lambda lines: lines == ["=0000:00:00=Dentist"], "the stop")
        self.assertEqual(self.windows()[0]["button"].rstrip("+"), "Start")
        m.driver("alarm-close", handle)
        self.windows(0)
        self.wait_for_alarms(lambda lines: lines == [], "the alarm to go")
        self.assertIn(b"[Alarm]", m.log_bytes())

    def test_two_open_windows_never_write_into_each_others_alarm(self):
        m = self.machine
        tomorrow = (datetime.datetime.now() + datetime.timedelta(days=1)).strftime("%Y:%m:%d")
        first, second = f"{tomorrow}:07:30:00", f"{tomorrow}:08:00:00"
        m.write_log(f"[Alarm]\n{first}=0000:00:00=first\n{second}=0000:00:00=second\n")
        m.start_and_wait_ready()
        first_window = self.open_alarm_from_menu(1)
        second_window = self.open_alarm_from_menu(2)
        # Stopping the second sorts its emptied entry first: the first window's alarm
        # moves to another place in the list while its window stays open.
        m.driver("alarm-click", second_window)
        self.wait_for_alarms(lambda lines: lines[0] == "=0000:00:00=second", "the stop")
        m.driver("alarm-period", first_window, "1")
        m.driver("alarm-set", second_window, "shift", "0002:00:00")
        m.driver("alarm-click", second_window)
        self.windows(1)
        m.driver("alarm-close", first_window)
        self.windows(0)
        lines = self.wait_for_alarms(lambda lines: len(lines) == 2 and "#1" in lines[1],
                                     "both alarms saved")
        self.assertEqual(lines[1], f"{first}=#1=first")
        self.assertTrue(lines[0].endswith("=0000:00:00=second"), lines[0])

    def check_layout_at(self, dpi):
        """Every control of the real window lies in its client area; none overlaps another."""
        m = self.machine
        code, _, err = m.run_wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                                  "/t", "REG_DWORD", "/d", str(dpi), "/f")
        self.assertEqual(code, 0, err)
        subprocess.run([WINESERVER, "-w"], env=m.env, check=True, timeout=DEADLINE_SECONDS)
        m.start_and_wait_ready()
        m.driver("new-alarm")
        lines = m.driver("alarm-layout", self.windows(1)[0]["handle"]).splitlines()
        width, height = map(int, lines[0].split()[1:])
        self.assertEqual((width, height), (292 * dpi // 96, 340 * dpi // 96))
        rects = {int(f[0]): tuple(map(int, f[1:])) for f in (line.split() for line in lines[1:])}
        self.assertGreaterEqual(len(rects), 20)
        for a, (left, top, right, bottom) in rects.items():
            self.assertTrue(0 <= left < right <= width and 0 <= top < bottom <= height,
                            f"control {a} at {dpi} dpi: {rects[a]}")
            for b, other in rects.items():
                overlap = (left < other[2] and other[0] < right
                           and top < other[3] and other[1] < bottom)
                self.assertFalse(a < b and overlap, f"controls {a} and {b} overlap at {dpi} dpi")

    def test_layout_at_96_dpi(self):
        self.check_layout_at(96)

    def test_layout_at_144_dpi(self):
        self.check_layout_at(144)


if __name__ == "__main__":
    unittest.main()
