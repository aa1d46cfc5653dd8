"""The session chart of uptrail-report, read by a real XML parser: the page is well-formed,
every session of the range is drawn once (a bar, or the piece of an older one), and the
colours follow the causes."""
import datetime
import os
import random
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET

REPORT = os.environ["UPTRAIL_REPORT_HOST"]
SVG = "{http://www.w3.org/2000/svg}"
STAMP = "%Y:%m:%d:%H:%M:%S"
NOW = datetime.datetime(2026, 12, 6, 14, 30)


def generated_log(seed=7, days=400):
    """Sessions of every length and cause over `days` days, some across midnight."""
    chance = random.Random(seed)
    lines, start = [], NOW - datetime.timedelta(days=days)
    while True:
        start += datetime.timedelta(hours=chance.choice([6, 8, 10, 12, 14, 20, 30]),
                                    minutes=chance.randrange(60))
        end = start + datetime.timedelta(minutes=chance.choice([20, 90, 300, 600, 1500, 2900]))
        if end > NOW - datetime.timedelta(hours=6):
            break
        cause = chance.choices([0, 1, 2], [80, 12, 8])[0]
        lines.append((start, end, cause))
        start = end
    text = "[Log]\r\n" + "".join(f"{s:{STAMP}}={e:{STAMP}}={c}=1A2B3C4D//c:\\windows\r\n"
                                 for s, e, c in lines)
    return lines, text.encode()


class ChartPageTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.sessions, text = generated_log()
        self.log = os.path.join(self.folder.name, "Uptrail.txt")
        with open(self.log, "wb") as file:
            file.write(text)

    def page(self, *args):
        result = subprocess.run([REPORT, "--log", self.log, "--format", "html", "--now",
                                 f"{NOW:{STAMP}}", *args], capture_output=True, timeout=30)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def test_the_page_is_well_formed_and_draws_each_session_of_a_range_once(self):
        since, until = datetime.datetime(2026, 9, 1), datetime.datetime(2026, 11, 1)
        page = self.page("--since", f"{since:{STAMP}}", "--until", f"{until:{STAMP}}")
        in_range = [i for i, (s, e, _) in enumerate(self.sessions) if e > since and s < until]
        pieces = {}
        timeline = next(svg for svg in ET.fromstring(page).iter(SVG + "svg")
                        if svg.get("class") == "timeline")
        for rect in timeline.iter(SVG + "rect"):
            pieces.setdefault(int(rect.get("data-s")), []).append(rect.get("class").split())
        # The report numbers the sessions of the range, oldest first.
        self.assertEqual(len(pieces), len(in_range))
        for number, classes in pieces.items():
            start, _, cause = self.sessions[in_range[number]]
            self.assertEqual(sum("bar" in c for c in classes), 0 if start < since else 1)
            self.assertTrue(all(c[0] == f"s{cause}" for c in classes), (number, classes))



if __name__ == "__main__":
    unittest.main()
