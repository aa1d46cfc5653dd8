"""End-to-end tests of the alarm add-on: alarm windows set, started, stopped and ringing
in the real Uptrail.exe under Wine."""
import datetime
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import DEADLINE_SECONDS, WINESERVER, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"


class AlarmWindow:
    """One line of `e2e_driver alarm-windows`."""

    def __init__(self, line):
        head, self.caption, self.shift, self.time, self.repeat, period, button, \
            self.elapsed, self.title = line.split("|")
        handle, topmost, visible = head.split()
        self.handle, self.topmost, self.visible = handle, topmost == "1", visible == "1"
        self.period = int(period)
        self.button = button.rstrip("+")
        self.button_enabled = button.endswith("+")


class AlarmTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)

    # --- helpers -------------------------------------------------------------------
    def windows(self):
        out = self.machine.driver("alarm-windows")
        return [AlarmWindow(line) for line in out.splitlines() if line]

    def wait_for_windows(self, count, timeout=DEADLINE_SECONDS):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            windows = self.windows()
            if len(windows) == count:
                return windows
            time.sleep(0.2)
        self.fail(f"expected {count} alarm windows, found {len(self.windows())}")

    def alarm_lines(self):
        return self.machine.log_sections().get("Alarm", [])

    def wait_for_alarm_lines(self, predicate, what, timeout=DEADLINE_SECONDS):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate(self.alarm_lines()):
                return self.alarm_lines()
            time.sleep(0.2)
        self.fail(f"timed out waiting for {what}; the alarms read {self.alarm_lines()}")

    def open_alarm_from_menu(self, position):
        """Chooses the alarm item at `position` (1 for the first) of "Add-on: Alarm" with
        the keyboard, as a user does."""
        m = self.machine
        m.click_tray_icon(3)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the right-hand menu")
        m.press_key("o")
        for _ in range(position):
            m.press_key("Down")
        m.press_key("Return")

    # --- cases -----------------------------------------------------------------------
    def test_an_alarm_set_by_shift_is_stored_and_rings_on_top_when_due(self):
        m = self.machine
        m.start_and_wait_ready()
        m.driver("new-alarm")
        window = self.wait_for_windows(1)[0]
        self.assertTrue(window.topmost and window.visible)
        self.assertEqual((window.button, window.button_enabled), ("Start", False))
        # A one-minute shift falls due at the start of the next minute but one; wait until
        # that is only a few seconds away.
        while not 40 <= datetime.datetime.now().second < 50:
            time.sleep(0.5)
        m.driver("alarm-set", window.handle, "title", "Tea")
        m.driver("alarm-set", window.handle, "shift", "0000:01:00")
        m.driver("alarm-click", window.handle)
        self.wait_for_windows(0)
        lines = self.alarm_lines()
        self.assertEqual(len(lines), 1)
        key, repeat, title = lines[0].split("=")
        due = datetime.datetime.strptime(key, STAMP)
        self.assertEqual((repeat, title, due.second), ("0000:00:00", "Tea", 0))
        self.assertLess(due - datetime.datetime.now(), datetime.timedelta(seconds=30))

        rung = self.wait_for_windows(1, timeout=DEADLINE_SECONDS + 30)[0]
        self.assertTrue(rung.topmost and rung.visible)
        self.wait_for_alarm_lines(lambda lines: lines == ["=0000:00:00=Tea"], "the ring to stop it")
        # The stopped window counts the seconds since it rang.
        deadline = time.monotonic() + 10
        while True:
            asked = datetime.datetime.now()
            rung = self.windows()[0]
            read_at = asked + (datetime.datetime.now() - asked) / 2
            if rung.elapsed.strip() or time.monotonic() > deadline:
                break
        elapsed = datetime.datetime.strptime(rung.elapsed.strip(), "%H:%M:%S")
        rang_at = read_at - datetime.timedelta(minutes=elapsed.minute, seconds=elapsed.second)
        self.assertLessEqual(rang_at - due, datetime.timedelta(seconds=3))
        self.assertEqual((rung.button, rung.button_enabled), ("Start", False))

    def test_a_daily_alarm_two_days_overdue_rings_three_times_then_counts_down(self):
        m = self.machine
        due = (datetime.datetime.now() - datetime.timedelta(days=2, minutes=1)).replace(second=0)
        m.write_log(f"[Alarm]\n{due.strftime(STAMP)}=#1=Wake\n")
        m.start_and_wait_ready()
        tomorrow = (due + datetime.timedelta(days=3)).strftime(STAMP)
        self.wait_for_alarm_lines(lambda lines: lines == [f"{tomorrow}=#1=Wake"], "three rings")
        window = self.wait_for_windows(1)[0]
        deadline = time.monotonic() + 10
        while not window.shift.startswith("0023:5") and time.monotonic() < deadline:
            window = self.windows()[0]
        self.assertRegex(window.shift, r"^0023:5\d:\d\d$", "counting down to tomorrow")
        self.assertEqual((window.button, window.period), ("Stop", 1))
        time.sleep(2)
        self.assertEqual(self.alarm_lines(), [f"{tomorrow}=#1=Wake"], "no fourth ring")

    def test_stop_and_close_remove_a_one_time_alarm(self):
        m = self.machine
        tomorrow = (datetime.datetime.now() + datetime.timedelta(days=1)).replace(second=0)
        m.write_log(f"[Alarm]\n{tomorrow.strftime(STAMP)}=0000:00:00=Dentist\n")
        m.start_and_wait_ready()
        self.open_alarm_from_menu(1)
        window = self.wait_for_windows(1)[0]
        self.assertEqual((window.button, window.title), ("Stop", "Dentist"))
        m.driver("alarm-click", window.handle)
        self.wait_for_alarm_lines(lambda lines: lines == ["=0000:00:00=Dentist"], "the stop")
        self.assertEqual(self.windows()[0].button, "Start")
        m.driver("alarm-close", window.handle)
        self.wait_for_windows(0)
        self.wait_for_alarm_lines(lambda lines: lines == [], "the alarm to go")
        self.assertIn(b"[Alarm]", m.log_bytes())

    def test_two_open_windows_never_write_into_each_others_alarm(self):
        m = self.machine
        tomorrow = (datetime.datetime.now() + datetime.timedelta(days=1)).strftime("%Y:%m:%d")
        first, second = f"{tomorrow}:07:30:00", f"{tomorrow}:08:00:00"
        m.write_log(f"[Alarm]\n{first}=0000:00:00=first\n{second}=0000:00:00=second\n")
        m.start_and_wait_ready()
        self.open_alarm_from_menu(1)
        self.wait_for_windows(1)
        self.open_alarm_from_menu(2)
        windows = {w.title: w for w in self.wait_for_windows(2)}
        # Stopping the second sorts its emptied entry first: the first window's alarm
        # moves to another place in the list while its window stays open.
        m.driver("alarm-click", windows["second"].handle)
        self.wait_for_alarm_lines(lambda lines: lines[0] == "=0000:00:00=second", "the stop")
        m.driver("alarm-period", windows["first"].handle, "1")
        m.driver("alarm-set", windows["second"].handle, "shift", "0002:00:00")
        m.driver("alarm-click", windows["second"].handle)
        self.wait_for_windows(1)
        m.driver("alarm-close", windows["first"].handle)
        self.wait_for_windows(0)
        lines = self.wait_for_alarm_lines(lambda lines: len(lines) == 2 and "#1" in lines[1],
                                          "both alarms saved")
        self.assertEqual(lines[1], f"{first}=#1=first")
        self.assertTrue(lines[0].endswith("=0000:00:00=second"), lines[0])


class AlarmLayoutTest(unittest.TestCase):
    """Every control of the real window lies in its client area and none overlaps
    another, at the usual resolution and at 150 %."""

    def check_layout_at(self, dpi):
        m = UptrailMachine()
        self.addCleanup(m.close)
        code, _, err = m.run_wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                                  "/t", "REG_DWORD", "/d", str(dpi), "/f")
        self.assertEqual(code, 0, err)
        subprocess.run([WINESERVER, "-w"], env=m.env, check=True, timeout=DEADLINE_SECONDS)
        m.start_and_wait_ready()
        m.driver("new-alarm")
        m.wait_for(lambda: m.driver("alarm-windows") != "", "the alarm window")
        handle = m.driver("alarm-windows").split()[0]
        lines = m.driver("alarm-layout", handle).splitlines()
        _, width, height = lines[0].split()
        self.assertEqual((int(width), int(height)), (292 * dpi // 96, 340 * dpi // 96))
        rects = {int(f[0]): tuple(map(int, f[1:])) for f in (line.split() for line in lines[1:])}
        self.assertGreaterEqual(len(rects), 20)
        for control, (left, top, right, bottom) in rects.items():
            self.assertTrue(0 <= left < right <= int(width) and 0 <= top < bottom <= int(height),
                            f"control {control} at {dpi} dpi: {rects[control]}")
        for a in rects:
            for b in rects:
                if a < b:
                    ra, rb = rects[a], rects[b]
                    overlap = ra[0] < rb[2] and rb[0] < ra[2] and ra[1] < rb[3] and rb[1] < ra[3]
                    self.assertFalse(overlap, f"controls {a} and {b} overlap at {dpi} dpi")

    def test_layout_at_96_dpi(self):
        self.check_layout_at(96)

    def test_layout_at_144_dpi(self):
        self.check_layout_at(144)


if __name__ == "__main__":
    unittest.main()
