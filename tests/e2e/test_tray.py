"""End-to-end tests of Uptrail.exe's tray icon and menus under Wine and Xvfb."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import UptrailMachine  # noqa: E402


class TrayTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)

    def test_a_right_click_on_the_tray_icon_opens_the_menu(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        self.assertFalse(m.driver_succeeds("menu-open"))

        m.click_tray_icon(3)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the tray menu to open")
        if os.environ.get("UPTRAIL_E2E_SCREENSHOTS"):
            m.screenshot(os.path.join(os.environ["UPTRAIL_E2E_SCREENSHOTS"], "right-menu.png"))

        m.press_key("Escape")
        m.wait_for(lambda: not m.driver_succeeds("menu-open"), "the tray menu to close")
        m.exit_uptrail(copy)

    def test_a_double_click_shows_the_about_box_and_a_click_the_session_menu(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        m.click_tray_icon(1, times=2)
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the About box")
        self.assertFalse(m.driver_succeeds("menu-open"), "a double click opens no menu")
        m.driver("confirm-dialog")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the About box to close")

        m.click_tray_icon(1)
        m.wait_for(lambda: m.driver_succeeds("menu-open"), "the session menu to open")
        m.press_key("Escape")
        m.wait_for(lambda: not m.driver_succeeds("menu-open"), "the session menu to close")
        m.exit_uptrail(copy)


if __name__ == "__main__":
    unittest.main()
