"""End-to-end tests of Check for Update under Wine and Xvfb: Uptrail.exe reads its update
description from a server on 127.0.0.1, named by the program key's "UpdateAddress"."""
import http.server
import os
import re
import socket
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from uptrail_machine import PROGRAM_KEY, UptrailMachine  # noqa: E402

DESCRIPTION_PATH = "/Products/Uptrail/Uptrail.js"
NOT_ACCESSIBLE = "Remote resource is not accessible now.\nPlease try later."
UP_TO_DATE = "Your copy of the application is up to date."


class DescriptionHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path != DESCRIPTION_PATH:
            self.send_error(404)
            return
        body = self.server.description
        self.send_response(200)
        self.send_header("Content-Type", "application/javascript")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class DescriptionServer(http.server.ThreadingHTTPServer):
    """Serves `description` at the site's path on a free port of 127.0.0.1."""

    def __init__(self):
        super().__init__(("127.0.0.1", 0), DescriptionHandler)
        self.description = b""
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def address(self):
        return f"http://127.0.0.1:{self.server_address[1]}{DESCRIPTION_PATH}"

    def stop(self):
        self.shutdown()
        self.server_close()


def closed_port_address():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    return f"http://127.0.0.1:{port}{DESCRIPTION_PATH}"


def silent_server():
    """A socket that takes connections and never answers them."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    return listener, f"http://127.0.0.1:{listener.getsockname()[1]}{DESCRIPTION_PATH}"


class UpdateTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine()
        self.addCleanup(self.machine.close)
        # Nothing but 127.0.0.1 is contacted, and not through a proxy.
        for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"):
            self.machine.env.pop(name, None)
        self.server = DescriptionServer()
        self.addCleanup(self.server.stop)
        self.machine.reg_set(PROGRAM_KEY, "UpdateAddress", self.server.address())

    def check_for_update(self):
        """Chooses Check for Update and gives the texts of the box that comes up."""
        m = self.machine
        m.driver("check-for-update")
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the update check's answer")
        return re.sub(r"\r*\n|\r", "\n", m.driver("dialog-texts"))

    def close_box(self, button):
        m = self.machine
        m.driver("click-dialog-button", button)
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the box to close")

    def test_a_newer_published_version_is_offered_for_download(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        self.server.description = b'var version = "5.00.100";\r\n'

        texts = self.check_for_update()
        if os.environ.get("UPTRAIL_E2E_SCREENSHOTS"):
            m.screenshot(os.path.join(os.environ["UPTRAIL_E2E_SCREENSHOTS"], "update-offer.png"))
        self.assertIn("Version 5.00.100 is now available to download:\nhttps://", texts)
        self.assertIn("/Products/Uptrail/Uptrail_Setup.exe", texts)
        self.assertEqual([line for line in texts.splitlines() if line in ("Cancel", "Download")],
                         ["Cancel", "Download"])

        self.close_box("Cancel")
        self.assertTrue(m.driver_succeeds("is-ready"))
        m.exit_uptrail(copy)

    def test_the_installed_version_is_reported_up_to_date(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        self.server.description = b'var version = "5.0.26";'

        self.assertIn(UP_TO_DATE, self.check_for_update())
        self.close_box("OK")
        m.exit_uptrail(copy)

    def test_a_damaged_description_a_closed_port_and_a_silent_server_give_the_error(self):
        m = self.machine
        copy = m.start_and_wait_ready()
        self.server.description = b'var version = "5.00.1'
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update())
        self.close_box("OK")

        # The address is read at each check, so one run can try other servers.
        m.reg_set(PROGRAM_KEY, "UpdateAddress", closed_port_address())
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update())
        self.close_box("OK")

        # WinHTTP on its own waits 90 seconds for an answer; the check gives up within its
        # bound of a few seconds, well inside the test's deadline.
        listener, address = silent_server()
        self.addCleanup(listener.close)
        m.reg_set(PROGRAM_KEY, "UpdateAddress", address)
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update())
        self.close_box("OK")
        self.assertTrue(m.driver_succeeds("is-ready"))
        m.exit_uptrail(copy)

if __name__ == "__main__":
    unittest.main()
