#!/usr/bin/env python3
"""Writes the arrow and program pictures into src/window/pictures.

    make_pictures.py            rewrite the pictures
    make_pictures.py --check    fail if the committed pictures are out of date

Only the standard library is used, so the pictures can be rebuilt anywhere.
"""

import argparse
import struct
import sys
import tempfile
import zlib
from fractions import Fraction
from pathlib import Path

PICTURES_DIR = Path(__file__).resolve().parent.parent / "src" / "window" / "pictures"

BLACK = (0, 0, 0)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
CYAN = (0, 255, 255)
WHITE = (255, 255, 255)

# The standard 16-colour palette, in the index order 4 bpp bitmaps use.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
PALETTE_2 = [BLACK, WHITE]

# An image is a list of rows of (r, g, b) tuples, None where transparent.


def blank(size):
    return [[None] * size for _ in range(size)]


def doubled(image):
    """Every pixel twice in both directions: crisp at 200 % display scale."""
    out = []
    for row in image:
        wide = [pixel for pixel in row for _ in range(2)]
        out.append(wide)
        out.append(list(wide))
    return out


# ---------------------------------------------------------------- arrows

# The 16 px arrow is drawn, not scaled down: halving the 32 px one would
# leave a 5 px shaft that cannot sit symmetrically on the 8/8 colour split.
ARROW_SHAPES = {
    32: {"shaft": (11, 20), "head_row": 19, "head": (3, 28), "wedge_rows": 5},
    16: {"shaft": (5, 10), "head_row": 9, "head": (1, 14), "wedge_rows": 3},
}


def down_arrow(size, left, right, wedge):
    shape = ARROW_SHAPES[size]
    shaft_first, shaft_last = shape["shaft"]
    image = blank(size)
    for y in range(size):
        if y < shape["head_row"]:
            first, last = shaft_first, shaft_last
        else:
            step = y - shape["head_row"]
            first, last = shape["head"][0] + step, shape["head"][1] - step
        for x in range(first, last + 1):
            image[y][x] = left if x < size // 2 else right
        if y < shape["wedge_rows"]:
            for x in range(shaft_first + y, shaft_last - y + 1):
                image[y][x] = wedge
    return image


def arrow(direction, size):
    if direction == "down":
        return down_arrow(size, GREY, BLACK, SILVER)
    # The up arrow is lit from the other side, so its colours swap roles.
    return down_arrow(size, SILVER, BLACK, GREY)[::-1]


# ---------------------------------------------------------- program icon

# A window seen slightly from the left, in a 32-unit space (one unit is
# one pixel of the 32 px icon). Clockwise on screen, y pointing down.
WINDOW = [(3, 6), (27, 10), (27, 27), (3, 23)]
SHADOW_OFFSET = (2, 2)
TITLE_HEIGHT = 4  # top edge to the line under the strip, outline included


def _fractions(points):
    return [(Fraction(x), Fraction(y)) for x, y in points]


def _inset(polygon, width):
    """polygon (convex, clockwise) moved inwards by width.

    Each edge moves along the axis it is most nearly square to, so a line
    of one pixel stays exactly one pixel thick in every row or column it
    crosses, even on the sloping edges.
    """
    lines = []
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        dx, dy = x1 - x0, y1 - y0
        if abs(dx) >= abs(dy):
            shift = (0, width if dx > 0 else -width)
        else:
            shift = (width if dy < 0 else -width, 0)
        lines.append(((x0 + shift[0], y0 + shift[1]), (dx, dy)))
    corners = []
    for (p, d), (q, e) in zip(lines[-1:] + lines[:-1], lines):
        # p + t*d == q + s*e
        t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / (d[0] * e[1] - d[1] * e[0])
        corners.append((p[0] + t * d[0], p[1] + t * d[1]))
    return corners


def _along_top(polygon, left, right, offset, height):
    """The band from offset to offset + height below polygon's top edge, from x = left to right."""
    (x0, y0), (x1, y1) = polygon[0], polygon[1]

    def top(x):
        return y0 + (x - x0) * (y1 - y0) / (x1 - x0)

    return [(left, top(left) + offset), (right, top(right) + offset),
            (right, top(right) + offset + height), (left, top(left) + offset + height)]


def program_icon_layers(line, mono=False):
    """The program icon as (colour, polygon) pairs, back to front.

    line is the thickness of a drawn line in units; keeping it at one
    device pixel stops thin lines from breaking up at 16 px.
    """
    window = _fractions(WINDOW)
    line = Fraction(line)
    inner = _inset(window, line)
    left, right = inner[0][0], inner[1][0]
    layers = []
    if not mono:
        dx, dy = SHADOW_OFFSET
        layers.append((GREY, [(x + dx, y + dy) for x, y in window]))
    layers.append((BLACK, window))
    layers.append((WHITE, inner))
    if not mono:
        layers.append((CYAN, _along_top(window, left, right, line, TITLE_HEIGHT - line)))
    # In two colours the title strip stays white and only the line under it shows.
    layers.append((BLACK if mono else SILVER, _along_top(window, left, right, TITLE_HEIGHT, line)))
    return layers


def rasterise(layers, size, design=32):
    """Colours every pixel whose centre lies inside a polygon.

    Edges count as inside on the left and top and outside on the right and
    bottom, so polygons sharing an edge neither overlap nor leave a gap.
    """
    scale = Fraction(size, design)
    image = blank(size)
    for colour, polygon in layers:
        points = [(x * scale, y * scale) for x, y in polygon]
        edges = list(zip(points, points[1:] + points[:1]))
        for row in range(size):
            cy = row + Fraction(1, 2)
            xs = sorted(x0 + (cy - y0) * (x1 - x0) / (y1 - y0)
                        for (x0, y0), (x1, y1) in edges if (y0 > cy) != (y1 > cy))
            for start, end in zip(xs[0::2], xs[1::2]):
                for column in range(size):
                    if start <= column + Fraction(1, 2) < end:
                        image[row][column] = colour
    return image


def program_icon(size, mono=False):
    # Lines stay one pixel up to 32 px and grow with whole multiples above.
    line = Fraction(32 * max(1, size // 32), size)
    return rasterise(program_icon_layers(line, mono), size)


def _number(value):
    return f"{float(value):.4f}".rstrip("0").rstrip(".")


def program_icon_svg():
    shapes = []
    for colour, polygon in program_icon_layers(1):
        points = " ".join(f"{_number(x)},{_number(y)}" for x, y in polygon)
        # stroke="none" is the default, but ImageMagick outlines polygons without it.
        shapes.append(f'  <polygon fill="#{colour[0]:02x}{colour[1]:02x}{colour[2]:02x}" '
                      f'stroke="none" points="{points}"/>')
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            'viewBox="0 0 32 32" shape-rendering="crispEdges">\n'
            + "\n".join(shapes) + "\n</svg>\n").encode("ascii")


# --------------------------------------------------------------- writers

def png(image):
    height, width = len(image), len(image[0])
    raw = bytearray()
    for row in image:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes((0, 0, 0, 0)) if pixel is None else bytes(pixel + (255,))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", _stored_zlib(bytes(raw))) + chunk(b"IEND", b""))


def _stored_zlib(data):
    # Uncompressed deflate blocks: zlib builds (zlib-ng, the one bundled
    # with Python on Windows) compress differently, which would make --check
    # fail on some machines. rcc compresses the resources anyway.
    out = bytearray(b"\x78\x01")
    blocks = [data[i:i + 0xFFFF] for i in range(0, len(data), 0xFFFF)] or [b""]
    for i, block in enumerate(blocks):
        out.append(1 if i == len(blocks) - 1 else 0)
        out += struct.pack("<HH", len(block), len(block) ^ 0xFFFF) + block
    out += struct.pack(">I", zlib.adler32(data))
    return bytes(out)


def _pack(values, bits, stride):
    row = bytearray(stride)
    for i, value in enumerate(values):
        bit = i * bits
        row[bit // 8] |= value << (8 - bits - bit % 8)
    return row


def _icon_image(image, bits):
    palette = PALETTE_2 if bits == 1 else PALETTE_16
    size = len(image)
    colour_stride = (size * bits + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colours, mask = bytearray(), bytearray()
    for row in reversed(image):  # bitmaps are stored bottom row first
        # Transparent pixels are black under a set mask bit, so the screen
        # shows through unchanged.
        colours += _pack([0 if p is None else palette.index(p) for p in row], bits, colour_stride)
        mask += _pack([1 if p is None else 0 for p in row], 1, mask_stride)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bytes(colours) + bytes(mask)


def ico(images):
    """images: (image, bits per pixel) pairs, in the order they are listed."""
    data = [_icon_image(image, bits) for image, bits in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (image, bits), blob in zip(images, data):
        size = len(image)
        out += struct.pack("<BBBBHHII", size, size, 1 << bits, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    return bytes(out + b"".join(data))


def pictures():
    """File name -> contents for everything in the pictures directory."""
    files = {}
    for direction in ("down", "up"):
        big, small = arrow(direction, 32), arrow(direction, 16)
        files[f"arrow_{direction}.ico"] = ico([(big, 4), (small, 4)])
        files[f"arrow_{direction}_16.png"] = png(small)
        files[f"arrow_{direction}_32.png"] = png(big)
        files[f"arrow_{direction}_64.png"] = png(doubled(big))
    files["nurvelo.ico"] = ico([(program_icon(32, mono=True), 1),
                                (program_icon(32), 4),
                                (program_icon(16), 4)])
    for size in (16, 32, 48, 64):
        files[f"nurvelo_{size}.png"] = png(program_icon(size))
    files["nurvelo.svg"] = program_icon_svg()
    return files


def write(directory, files):
    directory.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (directory / name).write_bytes(data)


def check(directory):
    files = pictures()
    stale = []
    with tempfile.TemporaryDirectory() as temp:
        write(Path(temp), files)
        for name in sorted(files):
            fresh = (Path(temp) / name).read_bytes()
            path = directory / name
            if not path.exists():
                stale.append(f"{path}: missing")
                continue
            committed = path.read_bytes()
            if name.endswith(".svg"):
                # A checkout with autocrlf may have turned LF into CRLF.
                committed = committed.replace(b"\r\n", b"\n")
            if committed != fresh:
                stale.append(f"{path}: differs")
    if stale:
        print("\n".join(stale), file=sys.stderr)
        print("pictures are out of date; run tools/make_pictures.py", file=sys.stderr)
        return 1
    print(f"{len(files)} pictures in {directory} are up to date")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare instead of writing; exit 1 if anything differs")
    parser.add_argument("--dir", type=Path, default=PICTURES_DIR,
                        help=f"pictures directory (default {PICTURES_DIR})")
    args = parser.parse_args()
    if args.check:
        return check(args.dir)
    write(args.dir, pictures())
    return 0


if __name__ == "__main__":
    sys.exit(main())
