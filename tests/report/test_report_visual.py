"""The session chart as a browser shows it: Debian's chromium, headless, renders the page of
a generated log in light and in dark, and each picture must hold the timeline's colours
for the causes the log has. The pictures stay in the build folder to be looked at."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(__file__))
from test_report_html import NOW, STAMP, generated_log  # noqa: E402

REPORT = os.environ["UPTRAIL_REPORT_HOST"]
PICTURES = os.environ.get("UPTRAIL_VISUAL_OUT", tempfile.gettempdir())
# The page's colours of "ended by Windows", "closed by hand" and "crashed".
LIGHT = {(0x2F, 0x6F, 0xCF), (0xD6, 0x9A, 0x1D), (0xCF, 0x30, 0x30)}
DARK = {(0x5B, 0x9C, 0xF0), (0xE3, 0xB3, 0x41), (0xF0, 0x62, 0x5B)}


def png_pixels(data):
    """The RGB triples of an 8-bit RGB or RGBA PNG, as chromium writes them."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, width = 8, b"", 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up, corner = previous[x], previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                near = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))
                line[x] = (line[x] + near[2]) & 0xFF
        rows.append(bytes(line))
        previous = line
    return {tuple(row[x:x + 3]) for row in rows for x in range(0, stride, channels)}


class VisualTest(unittest.TestCase):
    def render(self, page, name, *flags):
        picture = os.path.join(PICTURES, name)
        subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                        "--hide-scrollbars", "--window-size=1060,1500", *flags,
                        f"--screenshot={picture}", "file://" + page],
                       check=True, capture_output=True, timeout=120)
        with open(picture, "rb") as file:
            return png_pixels(file.read())

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
