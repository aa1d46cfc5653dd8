import datetime
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import WINESERVER, UptrailMachine  # noqa: E402

STAMP = "%Y:%m:%d:%H:%M:%S"
FIELDS = ("handle", "topmost", "visible", "elapsed")  # of `e2e_driver alarm-windows`


class AlarmTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine(self)

    def windows(self, count=None):
        def read():
            return [dict(zip(FIELDS, line.split("|")))
                    for line in self.machine.driver("alarm-windows").splitlines()]
        if count is not None:
            self.machine.wait_for(lambda: len(read()) == count, f"{count} alarm windows")
        return read()

    def new_alarm_window(self):
        self.machine.driver("new-alarm")
        return self.windows(1)[0]["handle"]

    def alarms(self):
        return self.machine.log_sections().get("Alarm", [])

    def test_an_alarm_set_by_shift_is_stored_and_rings_on_top_when_due(self):
        m = self.machine
        m.start_and_wait_ready()
        handle = self.new_alarm_window()
        # A one-minute shift falls due at the next minute's start: wait until that is close.
        while not 40 <= datetime.datetime.now().second < 50:
            time.sleep(0.5)
        m.driver("alarm-set", handle, "title", "Tea")
        m.driver("alarm-set", handle, "shift", "0000:01:00")
        m.driver("alarm-click", handle)
        self.windows(0)
        [line] = m.wait_for(self.alarms, "the alarm to be stored")
        key, repeat, title = line.split("=")
        due = datetime.datetime.strptime(key, STAMP)
        self.assertEqual((repeat, title, due.second), ("0000:00:00", "Tea", 0))
        self.assertLess(due - datetime.datetime.now(), datetime.timedelta(seconds=30))

        rung = self.windows(1)[0]
        self.assertEqual((rung["topmost"], rung["visible"]), ("1", "1"), "rings on top")
        # The window counts the seconds since it rang: it rang within moments of its time.
        m.wait_for(lambda: self.windows()[0]["elapsed"].strip(), "the count since the ring")
        asked = datetime.datetime.now()  # no later than the count is read
        elapsed = datetime.datetime.strptime(self.windows()[0]["elapsed"].strip(), "%H:%M:%S")
        rang_at = asked - datetime.timedelta(minutes=elapsed.minute, seconds=elapsed.second)
        self.assertLessEqual(rang_at - due, datetime.timedelta(seconds=3))

    def test_stop_and_close_remove_a_one_time_alarm_of_two_open_windows(self):
        m = self.machine
        tomorrow = (datetime.datetime.now() + datetime.timedelta(days=1)).strftime("%Y:%m:%d")
        first, second = f"{tomorrow}:07:30:00", f"{tomorrow}:08:00:00"
        m.write_log(f"[Alarm]\n{first}=0000:00:00=first\n{second}=0000:00:00=second\n")
        m.start_and_wait_ready()
        handles = []
        for position in (1, 2):
            m.open_tray_menu(3)
            m.press_keys("o", *["Down"] * position, "Return")
            [handle] = {w["handle"] for w in self.windows(position)} - set(handles)
            handles.append(handle)
        first_window, second_window = handles
        # Stopping the second sorts its emptied entry first, under the first one's open window.
        m.driver("alarm-click", second_window)
        m.wait_for(lambda: self.alarms() == ["=0000:00:00=second", f"{first}=0000:00:00=first"],
                   "the stop of the second alarm")
        m.driver("alarm-period", first_window, "1")
        m.driver("alarm-close", second_window)
        m.wait_for(lambda: [line.split("=")[0] for line in self.alarms()] == [first],
                   "the stopped second alarm to go")
        m.driver("alarm-close", first_window)
        m.wait_for(lambda: self.alarms() == [f"{first}=#1=first"], "the first to turn daily")

    def check_layout(self, handle, dpi):
        lines = self.machine.driver("alarm-layout", handle).splitlines()
        width, height = map(int, lines[0].split()[1:])
        # The window grows wider only when its texts need it, never taller.
        self.assertEqual(height, 340 * dpi // 96)
        self.assertGreaterEqual(width, 292 * dpi // 96)
        rects = {int(f[0]): tuple(map(int, f[1:])) for f in map(str.split, lines[1:])}
        self.assertGreaterEqual(len(rects), 20)
        for a, (left, top, right, bottom) in rects.items():
            self.assertTrue(0 <= left < right <= width and 0 <= top < bottom <= height,
                            f"control {a} at {dpi} dpi: {rects[a]}")
            for b, other in rects.items():
                overlap = (left < other[2] and other[0] < right
                           and top < other[3] and other[1] < bottom)
                self.assertFalse(a < b and overlap, f"{a} and {b} overlap at {dpi} dpi")

    def check_text_fit(self, handle, dpi):
        # Per control: identifier, its longest content in its own font, and its room for text.
        fits = [line.split() for line in self.machine.driver("alarm-text-fit", handle).splitlines()]
        self.assertEqual({kind for *_, kind in fits}, {"Edit", "Static", "ComboBox"})
        for control, longest, room, kind in fits:
            self.assertLessEqual(int(longest), int(room),
                                 f"{kind} {control} at {dpi} dpi: a text of {longest} pixels "
                                 f"in {room}")

    def check_tray_icon(self, dpi):
        # Wine's notification area shows each icon in a slot with a 2-pixel margin.
        lines = self.machine.driver("tray-icon-pixels").splitlines()
        slot = int(lines[0].split()[0])
        size = 16 * dpi // 96  # the small-icon size at that resolution
        self.assertEqual(slot, size + 4, f"the icon at {dpi} dpi")
        icon = [row[2:2 + size] for row in lines[3:3 + size]]
        centre, line_width = (size - 1) // 2, max(1, size // 16)
        ring = len(icon[centre]) - len(icon[centre].lstrip("K"))
        self.assertEqual(ring, line_width, f"the ring at {dpi} dpi:\n" + "\n".join(icon))
        if size % 16 == 0 and size > 16:
            # Drawn at its size: not a 16-pixel dial with every pixel made a square.
            step = size // 16
            blocks = {frozenset(row[x:x + step] for row in icon[y:y + step])
                      for y in range(0, size, step) for x in range(0, size, step)}
            self.assertTrue(any(len(block) > 1 or len(set(next(iter(block)))) > 1
                                for block in blocks), f"a stretched icon at {dpi} dpi")

    def test_at_96_to_192_dpi_and_moved_between_them_the_alarm_window_holds_its_texts(self):
        m = self.machine
        for dpi in (96, 120, 144, 192):
            # Wine takes the resolution when its server starts.
            m.reg_set(r"HKCU\Control Panel\Desktop", "LogPixels", str(dpi), "REG_DWORD")
            m.host(WINESERVER, "-w")
            copy = m.start_and_wait_ready()
            handle = self.new_alarm_window()
            self.check_layout(handle, dpi)
            self.check_text_fit(handle, dpi)
            self.check_tray_icon(dpi)
            # As when the open window is dragged to a monitor at 192 dpi, and back.
            for moved in (192, 96) if dpi == 96 else ():
                m.driver("alarm-dpi-change", handle, str(moved))
                self.check_layout(handle, moved)
                self.check_text_fit(handle, moved)
            m.exit_uptrail(copy)


if __name__ == "__main__":
    unittest.main()
