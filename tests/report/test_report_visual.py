"""The session chart as a browser shows it: Debian's chromium, headless, renders the page of
a generated log in light and in dark, and each picture must hold the timeline's colours
for the causes the log has. The pictures stay in the build folder to be looked at."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from test_report_html import NOW, STAMP, generated_log  # noqa: E402

REPORT = os.environ["UPTRAIL_REPORT_HOST"]
PICTURES = os.environ.get("UPTRAIL_VISUAL_OUT", tempfile.gettempdir())
# The page's colours of "ended by Windows", "closed by hand" and "crashed".
LIGHT = {(0x2F, 0x6F, 0xCF), (0xD6, 0x9A, 0x1D), (0xCF, 0x30, 0x30)}
DARK = {(0x5B, 0x9C, 0xF0), (0xE3, 0xB3, 0x41), (0xF0, 0x62, 0x5B)}


def colours_of(picture):
    """The RGB triples of a picture, as ImageMagick reads it."""
    raw = subprocess.run(["convert", picture, "-alpha", "off", "-depth", "8", "rgb:-"],
                         check=True, capture_output=True, timeout=120).stdout
    return {raw[at:at + 3] for at in range(0, len(raw), 3)}


class VisualTest(unittest.TestCase):
    def render(self, page, name, *flags):
        picture = os.path.join(PICTURES, name)
        subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                        "--hide-scrollbars", "--window-size=1060,1500", *flags,
                        f"--screenshot={picture}", "file://" + page],
                       check=True, capture_output=True, timeout=120)
        return {tuple(colour) for colour in colours_of(picture)}

    def test_the_timeline_shows_the_colours_of_its_causes_in_light_and_dark(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        _, text = generated_log()
        log, page = os.path.join(folder.name, "Uptrail.txt"), os.path.join(folder.name, "c.html")
        with open(log, "wb") as file:
            file.write(text)
        with open(page, "wb") as file:
            file.write(subprocess.run([REPORT, "--log", log, "--format", "html", "--now",
                                       f"{NOW:{STAMP}}"], check=True, capture_output=True).stdout)
        light = self.render(page, "uptrail-chart-light.png")
        self.assertEqual(LIGHT - light, set(), "colours missing from the light picture")
        self.assertIn((255, 255, 255), light)
        dark = self.render(page, "uptrail-chart-dark.png", "--force-dark-mode")
        self.assertEqual(DARK - dark, set(), "colours missing from the dark picture")
        self.assertNotIn((255, 255, 255), dark, "a white page in dark mode")


if __name__ == "__main__":
    unittest.main()
