#!/usr/bin/env python3
"""Tests of the committed pictures in src/window/pictures.

The files are decoded here without make_pictures.py, so a fault in its
encoders shows up as a picture that does not look as intended.
"""

import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zlib
from pathlib import Path

TOOLS = Path(__file__).resolve().parent
PICTURES = TOOLS.parent / "src" / "window" / "pictures"

BLACK, GREY, SILVER = (0, 0, 0), (128, 128, 128), (192, 192, 192)
CYAN, WHITE = (0, 255, 255), (255, 255, 255)


def read_png(name):
    """Rows of (r, g, b) or None where transparent; only what make_pictures writes."""
    data = (PICTURES / name).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", name
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack_from(">I", data, pos)
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body), f"{name}: bad CRC in {kind}"
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour_type = header[:4]
    assert (depth, colour_type) == (8, 6), f"{name}: not 8 bit RGBA"
    raw = zlib.decompress(idat)
    stride = 1 + 4 * width
    assert len(raw) == stride * height, name
    rows = []
    for y in range(height):
        line = raw[y * stride:(y + 1) * stride]
        assert line[0] == 0, f"{name}: row {y} uses a filter"
        pixels = [tuple(line[1 + 4 * x:5 + 4 * x]) for x in range(width)]
        assert all(p[3] in (0, 255) for p in pixels), f"{name}: partial alpha"
        rows.append([p[:3] if p[3] else None for p in pixels])
    return rows


def read_ico(name):
    """[(bits per pixel, rows)] with rows as read_png gives them."""
    data = (PICTURES / name).read_bytes()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), name
    images = []
    for i in range(count):
        width, height, colours, _, planes, bits, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        assert offset + size <= len(data), name
        (header_size, bmp_width, bmp_height, bmp_planes, bmp_bits,
         compression) = struct.unpack_from("<IiiHHI", data, offset)
        assert header_size == 40 and compression == 0, name
        assert (bmp_width, bmp_height, bmp_bits) == (width, 2 * height, bits), name
        assert planes == bmp_planes == 1 and colours == 1 << bits, name
        table = data[offset + 40:offset + 40 + 4 * (1 << bits)]
        palette = [(table[j + 2], table[j + 1], table[j]) for j in range(0, len(table), 4)]
        colour_stride = (width * bits + 31) // 32 * 4
        mask_stride = (width + 31) // 32 * 4
        colour_start = offset + 40 + len(table)
        mask_start = colour_start + colour_stride * height
        assert mask_start + mask_stride * height == offset + size, f"{name}: image size"
        rows = []
        for y in range(height):
            bottom_up = height - 1 - y
            colour_row = data[colour_start + bottom_up * colour_stride:][:colour_stride]
            mask_row = data[mask_start + bottom_up * mask_stride:][:mask_stride]
            row = []
            for x in range(width):
                transparent = mask_row[x // 8] >> (7 - x % 8) & 1
                bit = x * bits
                index = colour_row[bit // 8] >> (8 - bits - bit % 8) & ((1 << bits) - 1)
                if transparent:
                    assert index == 0, f"{name}: colour under the mask at {x},{y}"
                row.append(None if transparent else palette[index])
            rows.append(row)
        images.append((bits, rows))
    return images


def spans(row):
    """(first, last) of the opaque pixels; they must be one run."""
    opaque = [x for x, p in enumerate(row) if p is not None]
    assert opaque and opaque == list(range(opaque[0], opaque[-1] + 1)), row
    return opaque[0], opaque[-1]


class Arrows(unittest.TestCase):
    # size: shaft columns, first head row, head columns on that row, wedge rows
    SHAPES = {32: ((11, 20), 19, (3, 28), 5), 16: ((5, 10), 9, (1, 14), 3)}
    COLOURS = {"down": (GREY, BLACK, SILVER), "up": (SILVER, BLACK, GREY)}

    def check_arrow(self, direction, size, rows):
        (shaft_first, shaft_last), head_row, head, wedge_rows = self.SHAPES[size]
        left, right, wedge = self.COLOURS[direction]
        if direction == "up":
            rows = rows[::-1]
        for y, row in enumerate(rows):
            with self.subTest(direction=direction, size=size, row=y):
                first, last = spans(row)
                if y < head_row:
                    self.assertEqual((first, last), (shaft_first, shaft_last))
                else:
                    step = y - head_row
                    self.assertEqual((first, last), (head[0] + step, head[1] - step))
                wedge_columns = [x for x in range(size) if row[x] == wedge]
                if y < wedge_rows:
                    self.assertEqual(wedge_columns,
                                     list(range(shaft_first + y, shaft_last - y + 1)))
                else:
                    self.assertEqual(wedge_columns, [])
                for x in range(first, last + 1):
                    if row[x] != wedge:
                        self.assertEqual(row[x], left if x < size // 2 else right, x)
        self.assertEqual(spans(rows[-1]), (size // 2 - 1, size // 2))  # 2 px tip

    def test_pngs(self):
        for direction in ("down", "up"):
            for size in (16, 32):
                self.check_arrow(direction, size, read_png(f"arrow_{direction}_{size}.png"))

    def test_icons_match_pngs(self):
        for direction in ("down", "up"):
            images = read_ico(f"arrow_{direction}.ico")
            self.assertEqual([(bits, len(rows)) for bits, rows in images], [(4, 32), (4, 16)])
            for (_, rows), size in zip(images, (32, 16)):
                self.assertEqual(rows, read_png(f"arrow_{direction}_{size}.png"))

    def test_64_is_32_doubled(self):
        for direction in ("down", "up"):
            small, big = read_png(f"arrow_{direction}_32.png"), read_png(f"arrow_{direction}_64.png")
            for y in range(64):
                self.assertEqual(big[y], [small[y // 2][x // 2] for x in range(64)])


class ProgramIcon(unittest.TestCase):
    def test_window_is_closed_at_every_size(self):
        # A broken outline or title line is what goes wrong first at 16 px.
        for size in (16, 32, 48, 64):
            with self.subTest(size=size):
                rows = read_png(f"nurvelo_{size}.png")
                colours = {p for row in rows for p in row} - {None}
                self.assertEqual(colours, {BLACK, WHITE, CYAN, SILVER, GREY})
                for y in range(size):
                    for x in range(size):
                        if rows[y][x] in (WHITE, CYAN, SILVER):
                            for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                                self.assertIn(rows[ny][nx], (WHITE, CYAN, SILVER, BLACK),
                                              f"{x},{y} is not enclosed")
                # Top to bottom, every inner column has outline, title, line, body, outline.
                line = max(1, size // 32)
                inner = [x for x in range(size) if WHITE in (row[x] for row in rows)]
                self.assertGreater(len(inner), size // 2)
                for x in inner:
                    column = [row[x] for row in rows if row[x] not in (None, GREY)]
                    runs = []
                    for p in column:
                        if runs and runs[-1][0] == p:
                            runs[-1][1] += 1
                        else:
                            runs.append([p, 1])
                    self.assertEqual([p for p, _ in runs], [BLACK, CYAN, SILVER, WHITE, BLACK])
                    self.assertEqual(runs[2][1], line, f"column {x}")
                    self.assertEqual(runs[0][1], line, f"column {x}")
                    self.assertEqual(runs[-1][1], line, f"column {x}")

    def test_icon_file(self):
        images = read_ico("nurvelo.ico")
        self.assertEqual([(bits, len(rows)) for bits, rows in images], [(1, 32), (4, 32), (4, 16)])
        (_, mono), (_, colour32), (_, colour16) = images
        self.assertEqual(colour32, read_png("nurvelo_32.png"))
        self.assertEqual(colour16, read_png("nurvelo_16.png"))
        # Two colours: the same window without its shadow.
        for y in range(32):
            for x in range(32):
                expected = colour32[y][x]
                if expected == GREY:
                    expected = None
                elif expected is not None:
                    expected = BLACK if expected in (BLACK, SILVER) else WHITE
                self.assertEqual(mono[y][x], expected, f"{x},{y}")

    def test_svg(self):
        root = ElementTree.parse(PICTURES / "nurvelo.svg").getroot()
        self.assertEqual(root.get("viewBox"), "0 0 32 32")
        self.assertEqual(root.get("shape-rendering"), "crispEdges")
        self.assertTrue(root.findall("{http://www.w3.org/2000/svg}polygon"))


class Check(unittest.TestCase):
    def run_check(self, directory):
        return subprocess.run([sys.executable, str(TOOLS / "make_pictures.py"), "--check",
                               "--dir", str(directory)], capture_output=True, text=True)

    def test_committed_pictures_are_current(self):
        result = self.run_check(PICTURES)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_check_notices_a_changed_picture(self):
        with tempfile.TemporaryDirectory() as temp:
            copy = Path(temp) / "pictures"
            shutil.copytree(PICTURES, copy)
            data = bytearray((copy / "arrow_up.ico").read_bytes())
            data[-1] ^= 1
            (copy / "arrow_up.ico").write_bytes(data)
            result = self.run_check(copy)
            self.assertNotEqual(result.returncode, 0)
            self.assertIn("arrow_up.ico", result.stderr)


if __name__ == "__main__":
    unittest.main()
