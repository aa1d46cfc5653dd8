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

NOT_ACCESSIBLE = "Remote resource is not accessible now.\nPlease try later."


class DescriptionHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = self.server.description
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def address_of(listener):
    return f"http://127.0.0.1:{listener.getsockname()[1]}/Products/Uptrail/Uptrail.js"


class UpdateTest(unittest.TestCase):
    def check_for_update(self, address, button):
        """Chooses Check for Update against `address`, closes the box that comes up with
        `button` and gives the box's texts."""
        m = self.machine
        # The address is read at each check, so one run can try several servers.
        m.reg_set(PROGRAM_KEY, "UpdateAddress", address)
        m.driver("check-for-update")
        m.wait_for(lambda: m.driver_succeeds("dialog-open"), "the update check's answer")
        texts = re.sub(r"\r*\n|\r", "\n", m.driver("dialog-texts"))
        m.driver("click-dialog-button", button)
        m.wait_for(lambda: not m.driver_succeeds("dialog-open"), "the box to close")
        return texts

    def test_the_update_check_against_real_servers(self):
        self.machine = m = UptrailMachine()
        self.addCleanup(m.close)
        # Nothing but 127.0.0.1 is contacted, and not through a proxy.
        for name in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"):
            m.env.pop(name, None)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), DescriptionHandler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        silent = socket.create_server(("127.0.0.1", 0))  # takes connections, never answers
        self.addCleanup(silent.close)
        with socket.create_server(("127.0.0.1", 0)) as closed:
            closed_port = address_of(closed)
        served = address_of(server.socket)
        copy = m.start_and_wait_ready()

        server.description = b'var version = "5.00.100";\r\n'
        texts = self.check_for_update(served, "Cancel")
        self.assertIn("Version 5.00.100 is now available to download:\nhttps://", texts)
        self.assertIn("Download", texts.splitlines(), "the offer, not a message")
        server.description = b'var version = "5.0.26";'
        self.assertIn("Your copy of the application is up to date.",
                      self.check_for_update(served, "OK"))
        server.description = b'var version = "5.00.1'
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update(served, "OK"), "a damaged description")
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update(closed_port, "OK"), "a closed port")
        # WinHTTP on its own waits 90 seconds for an answer; the check gives up within its
        # bound of a few seconds, well inside the test's deadline.
        self.assertIn(NOT_ACCESSIBLE, self.check_for_update(address_of(silent), "OK"),
                      "a server that never answers")
        self.assertTrue(m.driver_succeeds("is-ready"))
        m.exit_uptrail(copy)


if __name__ == "__main__":
    unittest.main()
