"""Kills the real Uptrail.exe, with its whole Wine session, while it rewrites its log.

Every kill must leave the log byte for byte as it was before the start or as the start (or
heartbeat) made it: never a mix, never a part, never missing. UPTRAIL_KILL_RUNS sets the
number of kills per case (the test command runs a few; a full proof is 100), and
UPTRAIL_KILL_SEED the seed of their moments.
"""
import datetime
import glob
import os
import pathlib
import random
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from uptrail_machine import UptrailMachine, read_bytes  # noqa: E402

SYSTEM = "5E6F7A8B//c:\\windows"
STAMP = "%Y:%m:%d:%H:%M:%S"
FULL_LOG = 32000
# Lines whose value a start or a heartbeat renews: the heartbeat's time, and the boot time,
# which a start works out afresh from the tick count (so to a second either way).
RENEWED = re.compile(rb"^(LastStart|CurStroke)=\d{4}(:\d\d){5}\r$", re.MULTILINE)
FAST_HEARTBEAT_MS = "20"


def entry(number):
    start = datetime.datetime(2001, 1, 1) + datetime.timedelta(hours=3 * number)
    end = start + datetime.timedelta(hours=2)
    return f"{start:{STAMP}}={end:{STAMP}}=0={SYSTEM}"


def masked(log):
    # Only a whole time stamp is masked: a torn one stays and fails the comparison.
    return RENEWED.sub(rb"\1=<time>\r", log)


class SavedFile:
    """A file's bytes with the Unix mode and the extended attribute in which Wine keeps
    its DOS attributes, so that each run meets the log exactly as a real start would."""

    def __init__(self, path):
        self.path = path
        self.data = read_bytes(path)
        self.mode = os.stat(path).st_mode & 0o777
        self.attributes = {name: os.getxattr(path, name) for name in os.listxattr(path)}

    def restore(self):
        if os.path.exists(self.path):
            os.chmod(self.path, 0o644)
        pathlib.Path(self.path).write_bytes(self.data)
        for name, value in self.attributes.items():
            os.setxattr(self.path, name, value)
        os.chmod(self.path, self.mode)


class KillTest(unittest.TestCase):
    def setUp(self):
        self.machine = UptrailMachine(self)
        self.runs = int(os.environ.get("UPTRAIL_KILL_RUNS", "10"))
        self.random = random.Random(int(os.environ.get("UPTRAIL_KILL_SEED", "2026")))
        # Earlier builds' name; each copy now writes "<log>.uptrail-new-<process id>".
        self.temporary = self.machine.log_path + ".uptrail-new"
        registry = (os.path.join(self.machine.prefix, name)
                    for name in ("system.reg", "user.reg", "userdef.reg"))
        self.registry = [SavedFile(path) for path in registry if os.path.exists(path)]
        # A log that a real start has trimmed to the limit and given its own section
        # and a heartbeat: the state of a PC on which Uptrail has run for years.
        m = self.machine
        m.write_log("[Log]\n" + "\n".join(entry(n) for n in range(FULL_LOG + 1)) + "\n")
        m.env["UPTRAIL_TEST_HEARTBEAT_MS"] = FAST_HEARTBEAT_MS
        self.copy = m.start_and_wait_ready()
        m.wait_for(lambda: b"CurStroke=" in read_bytes(m.log_path), "a heartbeat")
        self.kill()
        del m.env["UPTRAIL_TEST_HEARTBEAT_MS"]
        # Each launch puts back the registry of before that first start, so a start finds
        # Start with Windows off and stores "HiddenIcon" in a write of its own before the
        # trim. Stored already, the equal value is not written again.
        log = pathlib.Path(m.log_path)
        mode = log.stat().st_mode & 0o777
        own = re.compile(rb"^(\[[0-9A-F-]+//[^\]\r\n]*\]\r\n)", re.MULTILINE)
        log.chmod(0o644)
        log.write_bytes(own.sub(rb"\1HiddenIcon=1\r\n", read_bytes(m.log_path), count=1))
        log.chmod(mode)

    def launch(self, seed):
        for saved in self.registry:
            saved.restore()
        for left in self.temporaries():
            os.remove(left)
        seed.restore()
        started = time.monotonic()
        self.copy = self.machine.start_uptrail()
        return started

    def temporaries(self):
        return glob.glob(glob.escape(self.temporary) + "*")

    def kill(self):
        self.machine.kill_session()
        self.copy.wait()

    def calibrate(self, seed):
        """Runs a start to its end: when its first write lands and what it leaves."""
        started = self.launch(seed)
        first_write = self.machine.wait_for(
            lambda: read_bytes(seed.path) != seed.data and time.monotonic() - started,
            "the start-up's first write")
        self.machine.wait_for(self.machine.is_ready, "the start-up")
        time.sleep(0.5)
        self.kill()
        return first_write, read_bytes(seed.path)

    def kill_at_random_moments(self, seed, finished, window):
        """Kills starts of the seed and checks what each kill leaves: the seed's bytes or,
        but for renewed values, those of a finished run. Half the kills come at any moment
        of window (seconds after launch); the other half as soon as a write begins after such
        a moment."""
        outcomes = {"before": 0, "after": 0, "temporary left": 0}
        for run in range(self.runs):
            started = self.launch(seed)
            moment = self.random.uniform(*window)
            time.sleep(max(0.0, started + moment - time.monotonic()))
            if run % 2 == 1:
                moment = self.when_a_write_begins(started, window[1] + 1.0)
            self.kill()
            self.assertTrue(os.path.exists(seed.path), f"run {run}: the log is gone")
            left = read_bytes(seed.path)
            if left == seed.data:
                outcomes["before"] += 1
            else:
                self.assertEqual(masked(left), masked(finished),
                                 f"run {run}, killed {moment:.3f} s after launch")
                outcomes["after"] += 1
            # A kill inside a write leaves the write's temporary file.
            outcomes["temporary left"] += bool(self.temporaries())
        print(f"{self.runs} kills: {outcomes}", file=sys.stderr)
        return outcomes

    def when_a_write_begins(self, started, latest):
        # Every write goes to the temporary file first: its appearance is a write begun.
        while time.monotonic() < started + latest and not self.temporaries():
            pass
        return time.monotonic() - started

    def test_kills_during_the_start_up_trim(self):
        m = self.machine
        # One entry more than the limit, older than all: the start rewrites the whole log.
        trimmed = read_bytes(m.log_path)
        extra = entry(-1).encode() + b"\r\n"
        pathlib.Path(m.log_path).chmod(0o644)
        pathlib.Path(m.log_path).write_bytes(trimmed.replace(b"[Log]\r\n", b"[Log]\r\n" + extra))
        os.chmod(m.log_path, os.stat(m.log_path).st_mode & 0o777 & ~0o222)
        full = SavedFile(m.log_path)
        first_write, finished = self.calibrate(full)
        self.assertNotIn(extra, finished, "the calibration run trimmed the log")
        # Two seconds around the start-up's writes, which come after Wine's own start.
        window = (max(0.0, first_write - 1.0), first_write + 1.0)
        outcomes = self.kill_at_random_moments(full, finished, window)
        self.assertGreater(outcomes["after"], 0, "no kill came after the trim")

        # Temporary files that kills left (an earlier build's and a copy's own) go at the
        # next start.
        for stale in (self.temporary, self.temporary + "-4242"):
            pathlib.Path(stale).write_bytes(b"[Log]\r\n" + extra[: len(extra) // 2])
        full.restore()
        self.copy = m.start_and_wait_ready()
        self.assertEqual(self.temporaries(), [], "the stale temporary files")
        self.assertEqual(masked(read_bytes(m.log_path)), masked(finished))
        self.kill()

    def test_kills_during_heartbeats(self):
        m = self.machine
        # Each heartbeat rewrites the whole full log: the program writes nearly all the time.
        m.env["UPTRAIL_TEST_HEARTBEAT_MS"] = FAST_HEARTBEAT_MS
        beating = SavedFile(m.log_path)
        first_write, finished = self.calibrate(beating)
        window = (first_write, first_write + 2.0)
        outcomes = self.kill_at_random_moments(beating, finished, window)
        self.assertGreater(outcomes["after"], 0, "no kill came after a heartbeat")


if __name__ == "__main__":
    unittest.main()
