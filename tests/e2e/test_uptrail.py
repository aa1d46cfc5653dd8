import datetime
import http.server
import os
import pathlib
import socket
import sys
import threading
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import (PROGRAM_FOLDER, PROGRAM_KEY, RUN_KEY,  # noqa: E402
                             UptrailMachine, read_bytes)

STAMP = "%Y:%m:%d:%H:%M:%S"


def address_of(listener):
    return f"http://127.0.0.1:{listener.getsockname()[1]}/Products/Uptrail/Uptrail.js"


class DescriptionHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.end_headers()
        self.wfile.write(self.server.description)


class UptrailTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine(self)
        # Wine reads command lines in the Unix locale: accented folders need a UTF-8 one.
        self.machine.env["LC_ALL"] = "C.UTF-8"
        self.system = self.machine.driver("system-id")

    def log_and_key(self):
        # But the heartbeat, which the running copy renews.
        key = self.machine.run_wine("reg", "query", PROGRAM_KEY, "/reg:64")[1]
        text = read_bytes(self.machine.log_path).decode("latin-1") + key
        return [line for line in text.splitlines() if "CurStroke" not in line]

    def test_first_start_a_second_copy_the_tray_icon_exit_restart_and_windows_ending(self):
        m = self.machine
        other = "5E6F7A8B//d:\\windows"
        m.write_log(f"[Common]\nLastWin={other}\nCurStroke=2026:02:01:09:29:40\n[{other}]\n"
                    "LastStart=2026:02:01:07:00:00\nLastClose=2026:02:01:09:30:00\nLastCause=0\n")
        copy = m.start_and_wait_ready()
        self.assertEqual(m.reg_get(RUN_KEY, "Sessiometer"), "Uptrail.exe", "Start with Windows")
        # Windows under Wine booted with the host: its tick count is the host's.
        uptime = float(read_bytes("/proc/uptime").split()[0])
        booted = datetime.datetime.now() - datetime.timedelta(seconds=uptime)
        started = datetime.datetime.strptime(m.log_value(self.system, "LastStart"), STAMP)
        self.assertLess(abs((started - booted).total_seconds()), 3, "the boot time")
        entries = [f"2026:02:01:07:00:00=2026:02:01:09:30:00=0={other}"]
        self.assertEqual(m.log_entries(), entries, "the other installation's session")

        before = self.log_and_key()
        self.assertEqual(m.start_uptrail().wait(60), 0)
        self.assertEqual(self.log_and_key(), before, "the second copy wrote nothing")

        m.open_tray_menu(3)
        m.close_menu()
        m.open_tray_menu(1)
        m.close_menu()

        m.exit_uptrail(copy)
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")

        copy = m.start_and_wait_ready()
        self.assertEqual(m.log_entries(), entries, "a second start in the session logs nothing")
        self.assertEqual(m.run_wine("wineboot", "--end-session")[0], 0)
        copy.wait(60)
        self.assertEqual(m.log_value(self.system, "LastCause"), "0")

    # Explorer announces itself again on a change of scale, keeping its icons.
    def test_a_taskbar_announcing_itself_keeps_the_icon_and_leaves_the_foreground_alone(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        m.wait_for(lambda: m.driver_succeeds("tray-icon-pixels"), "the icon")
        code, out, _ = m.run_wine(m.driver_exe, "taskbar-created")
        self.assertEqual((code, out.strip()), (0, "kept"), "icon shown, foreground kept")
        m.exit_uptrail(copy)
        self.assertFalse(m.driver_succeeds("tray-icon-pixels"), "the icon stays after Exit")

    # Windows' prompt starts the program with this switch when a standard user unchecks
    # "Start with Windows": the copy removes the machine's entry and does nothing else.
    def test_the_switch_of_the_elevated_copy_only_removes_the_run_entry(self):
        m = self.machine
        m.reg_set(RUN_KEY, "Sessiometer", "Uptrail.exe")
        code = m.run_wine(PROGRAM_FOLDER + r"\Uptrail.exe", "/StartWithWindowsOff")[0]
        self.assertEqual(code, 0)
        self.assertIsNone(m.reg_get(RUN_KEY, "Sessiometer"))
        self.assertIsNone(m.reg_get(PROGRAM_KEY, ""), "no start-up ran")
        self.assertFalse(os.path.exists(m.log_path), "no log was written")

    def test_session_chart_writes_the_page_and_the_shell_opens_it(self):
        m = self.machine
        # The e2e driver stands in for the browser: it notes the file it is asked to open.
        opener = f'"{PROGRAM_FOLDER}\\e2e_driver.exe" record-open "%1"'
        for key, value in ((r"HKCR\.html", "htmlfile"),
                           (r"HKCR\htmlfile\shell\open\command", opener)):
            self.assertEqual(m.run_wine("reg", "add", key, "/ve", "/d", value, "/f")[0], 0)
        m.write_log("[Log]\n2026:12:01:08:00:00=2026:12:01:17:00:00=2=" + self.system + "\n")
        copy = m.start_and_wait_ready()
        m.open_tray_menu(3)
        m.press_keys("c")
        opened = os.path.join(m.program_dir, "opened.txt")
        m.wait_for(lambda: os.path.exists(opened), "the shell to open the chart")
        chart = read_bytes(opened).decode("latin-1").strip()
        self.assertTrue(chart.endswith("\\Uptrail Chart.html"), chart)
        page = read_bytes(m.host_path(chart))
        root = ET.fromstring(page)
        bars = [r for r in root.iter("{http://www.w3.org/2000/svg}rect")
                if "bar" in (r.get("class") or "").split()]
        self.assertEqual([b.get("class") for b in bars], ["s2 bar", "s3 bar"],
                         "the crashed session and the running one")
        m.exit_uptrail(copy)

    def test_a_sleep_told_by_windows_is_logged_with_its_start_and_end(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        boot = datetime.datetime.strptime(m.log_value(self.system, "LastStart"), STAMP)
        m.driver("power", "suspend")
        suspended = m.log_value(self.system, "SleepStart")
        # Minutes asleep without waiting for them: the suspend is dated back, within the boot.
        went = datetime.datetime.strptime(suspended, STAMP)
        back = min(datetime.timedelta(minutes=3), went - boot - datetime.timedelta(minutes=1))
        log = pathlib.Path(m.log_path)
        log.write_bytes(log.read_bytes().replace(f"SleepStart={suspended}".encode(),
                                                 f"SleepStart={went - back:{STAMP}}".encode()))
        m.driver("power", "resume")
        m.driver("power", "resume-by-user")  # the second notification finds none pending
        sleeps = m.log_sections().get("Sleep", [])
        self.assertEqual(len(sleeps), 1, sleeps)
        start, _, system = sleeps[0].split("=")
        self.assertEqual((start, system), ((went - back).strftime(STAMP), self.system))
        m.exit_uptrail(copy)

    # Beyond the single entry over the limit that the unit tests trim.
    def test_erase_oldest_data_keeps_the_newest_50_then_monitor_from_now_empties_the_log(self):
        m = self.machine
        days = [datetime.datetime(2026, 1, 1, 8) + datetime.timedelta(n) for n in range(120)]
        entries = [f"{day:{STAMP}}={day + datetime.timedelta(hours=2):{STAMP}}=0={self.system}"
                   for day in days]
        m.write_log("[Log]\n" + "\n".join(entries) + "\n")
        m.start_and_wait_ready()
        m.driver("erase-oldest")
        m.answer_dialog("OK")
        m.wait_for(lambda: m.log_entries() == entries[-50:], "the oldest 70 to go")
        m.driver("monitor-from-now")
        m.answer_dialog("OK")
        m.wait_for(lambda: m.log_entries() == [], "the log to be emptied")

    def choose_log_folder(self, folder):
        m = self.machine
        m.driver("log-folder")
        m.wait_for(lambda: m.driver_succeeds("choose-folder", folder), "the folder chooser")

    def test_log_folder_to_the_same_a_blocked_a_shared_and_a_new_greek_folder(self):
        m = self.machine
        # Greek has no place in the ANSI code page of the prefix (1252): the folder's name
        # must reach the next start whole, not as "?" marks.
        shared, journal = "C:\\Shared", "C:\\\u0391\u03c1\u03c7\u03b5\u03af\u03b1"
        # A folder in the place of the file: nothing can be copied into C:\Blocked.
        for folder in (shared, journal, "C:\\Blocked\\Uptrail.txt"):
            os.makedirs(m.host_path(folder))
        m.log_path = os.path.join(m.host_path(shared), "Uptrail.txt")
        shared_entry = "2025:06:01:07:00:00=2025:06:01:09:00:00=2=5E6F7A8B//d:\\windows"
        m.write_log(f"[Log]\n{shared_entry}\n")
        m.driver("set-attributes", shared + "\\Uptrail.txt", "5")
        copy = m.start_and_wait_ready()

        self.choose_log_folder(PROGRAM_FOLDER + "\\")
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the chooser to close")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER, "the same folder")

        self.choose_log_folder("C:\\Blocked")
        m.answer_dialog("OK")
        self.assertEqual(m.reg_get(PROGRAM_KEY, "LogFolder"), PROGRAM_FOLDER, "the failed move")

        self.choose_log_folder(shared)
        m.wait_for(lambda: m.reg_get(PROGRAM_KEY, "LogFolder") == shared, "the shared folder")
        self.assertEqual(m.log_entries(), [shared_entry], "nothing was copied over the shared log")

        self.choose_log_folder(journal)
        journal_log = os.path.join(m.host_path(journal), "Uptrail.txt")
        moved = read_bytes(m.log_path)
        m.wait_for(lambda: os.path.exists(journal_log) and read_bytes(journal_log) == moved,
                   "the copy of the log")
        self.assertEqual(int(m.driver("get-attributes", journal + "\\Uptrail.txt")) & 5, 5,
                         "the moved copy is read-only and system")
        m.exit_uptrail(copy)
        self.assertEqual(read_bytes(m.log_path), moved, "the close went into the new log")
        m.log_path = journal_log
        self.assertEqual(m.log_value(self.system, "LastCause"), "1")

        drive = os.listdir(os.path.join(m.prefix, "drive_c"))
        copy = m.start_and_wait_ready()
        self.assertEqual(m.log_value(self.system, "LastClose"), "", "the next start's log")
        m.exit_uptrail(copy)
        self.assertEqual(os.listdir(os.path.join(m.prefix, "drive_c")), drive, "no folder of ?")

    def check_for_update(self, address, button):
        # The address is read at each check, so one run can try several servers.
        self.machine.reg_set(PROGRAM_KEY, "UpdateAddress", address)
        self.machine.driver("check-for-update")
        return self.machine.answer_dialog(button)

    def test_the_update_check_against_real_servers_and_windows_ending_during_a_check(self):
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), DescriptionHandler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        silent = socket.create_server(("127.0.0.1", 0))  # takes connections, never answers
        self.addCleanup(silent.close)
        served = address_of(server.socket)
        m = self.machine
        copy = m.start_and_wait_ready()

        server.description = b'var version = "5.00.100";\r\n'
        self.assertIn("Version 5.00.100 is now available to download:\nhttps://",
                      self.check_for_update(served, "Cancel"))
        # WinHTTP alone would wait 90 seconds; the check's own bound is a few seconds.
        self.assertIn("Remote resource is not accessible now.\nPlease try later.",
                      self.check_for_update(address_of(silent), "OK"),
                      "a server that never answers")

        # While a check waits for that server, the program goes on: the clock in the icon
        # (a first start animates it) moves, and Windows ending the session is answered at
        # once. The close is the only writer of LastClose, which the start-up empties.
        m.driver("check-for-update")
        self.assertTrue(m.driver_succeeds("tray-icon-changes"), "the clock moves")
        self.assertFalse(m.driver_succeeds("dialog-open"), "the clock moved during the check")
        self.assertEqual(m.log_value(self.system, "LastClose"), "")
        self.assertEqual(m.run_wine("wineboot", "--end-session")[0], 0)
        copy.wait(2)
        self.assertNotEqual(m.log_value(self.system, "LastClose"), "")
        self.assertEqual(m.log_value(self.system, "LastCause"), "0")


if __name__ == "__main__":
    unittest.main()
