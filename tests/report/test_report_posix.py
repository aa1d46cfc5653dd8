"""uptrail-report on Linux against files that are no log, or a log that changes while it is
read: it ends with its documented status and a message, never with a signal or by waiting."""
import os
import subprocess
import tempfile
import threading
import time
import unittest

REPORT = os.environ["UPTRAIL_REPORT_HOST"]
LIMIT = 5  # seconds: a report that waits or grows without end is cut off and fails


def log_text(entries):
    lines = [f"2026:12:{1 + i // 24:02}:{i % 24:02}:00:00=2026:12:{1 + i // 24:02}:{i % 24:02}:30:00"
             f"=0=1A2B3C4D//c:\\windows" for i in range(entries)]
    return ("[Log]\r\n" + "\r\n".join(lines) + "\r\n").encode()


def report(*args, **kwargs):
    options = {"stdout": subprocess.PIPE, "stderr": subprocess.PIPE, "timeout": LIMIT}
    return subprocess.run([REPORT, *args], **{**options, **kwargs})


class HostileFilesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def log(self, entries):
        path = self.path("Uptrail.txt")
        with open(path, "wb") as f:
            f.write(log_text(entries))
        return path

    def assertRefused(self, result, why):
        self.assertEqual((result.returncode, result.stdout), (2, b""), result.stderr)
        self.assertIn(why, result.stderr.decode())

    def test_a_device_a_pipe_without_writer_a_folder_and_a_huge_file_are_refused_at_once(self):
        self.assertRefused(report("--log", "/dev/zero"), "it is a device")
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        self.assertRefused(report("--log", fifo), "it is a pipe")
        self.assertRefused(report("--log", self.folder.name), "it is a folder")
        huge = self.path("huge.txt")
        with open(huge, "wb") as f:
            f.truncate((1 << 30) + 1)  # sparse: no disk is filled
        self.assertRefused(report("--log", huge), "larger than 1 GiB")

    def test_a_closed_pipe_ends_with_status_three_and_one_left_without_blocking_gets_it_all(self):
        log = self.log(2000)  # more than a pipe holds
        reader, writer = os.pipe()
        os.close(reader)
        result = report("--log", log, stdout=writer)
        os.close(writer)
        self.assertEqual(result.returncode, 3, result.stderr)

        expected = report("--log", log).stdout
        reader, writer = os.pipe()
        os.set_blocking(writer, False)  # as some programs leave the descriptors they hand on
        received = []

        def drain():
            time.sleep(0.2)  # the pipe fills, and the report's next write would block
            while data := os.read(reader, 4096):
                received.append(data)

        drainer = threading.Thread(target=drain)
        drainer.start()
        result = report("--log", log, stdout=writer)
        os.close(writer)
        drainer.join()
        os.close(reader)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(b"".join(received), expected)

    def test_a_log_cut_short_and_rewritten_while_it_is_read_never_kills_the_report(self):
        log, full = self.log(20000), log_text(20000)
        done = threading.Event()

        def cut_and_restore():
            # In place, as another program might: the same file shrinks and grows again.
            with open(log, "r+b") as f:
                while not done.is_set():
                    f.truncate(len(full) // 7)
                    f.seek(0)
                    f.write(full)
                    f.flush()

        cutter = threading.Thread(target=cut_and_restore)
        cutter.start()
        try:
            codes = {report("--log", log).returncode for _ in range(60)}
        finally:
            done.set()
            cutter.join()
        self.assertEqual(codes, {0})


class LongLogTest(unittest.TestCase):
    """A log gathered from many PCs: far more entries than the start-up trim keeps, over
    thousands of systems, each with sleep and reasons. Read under the sanitizers."""

    def test_hundreds_of_thousands_of_entries_over_thousands_of_systems_read_in_every_form(self):
        entries, sleeps, reasons = [], [], []
        for i in range(200000):
            day, system = divmod(i, 5000)
            start = f"20{10 + day // 365 % 90:02}:{1 + day // 28 % 12:02}:{1 + day % 28:02}:08:00:00"
            identity = f"{system:08X}//c:\\windows"
            entries.append(f"{start}={start[:11]}09:30:00=2={identity}")
            sleeps.append(f"{start[:11]}08:30:00={start[:11]}09:00:00={identity}")
            reasons.append(f"{start}=Blue screen, stop code 0x{i:08X}")
        with tempfile.TemporaryDirectory() as folder:
            log = os.path.join(folder, "Uptrail.txt")
            with open(log, "w", newline="") as f:
                for section, lines in (("Log", entries), ("Sleep", sleeps), ("Reason", reasons)):
                    f.write(f"[{section}]\r\n" + "\r\n".join(lines) + "\r\n")
            for args in (["--all", "--format=csv", "--since=2010:01:20:08:30:00"],
                         ["--all", "--format=json", "--by=day"], ["--all", "--format=html"]):
                result = report("--log", log, "--now=2011:01:01:00:00:00", *args, timeout=120)
                self.assertEqual(result.returncode, 0, (args, result.stderr[-2000:]))
                self.assertGreater(len(result.stdout), 1000, args)


if __name__ == "__main__":
    unittest.main()
