#!/usr/bin/env python3
"""Draws the program's hand cursor and its icon into assets/.

The icon is one description (ICON below, shapes on a 64-unit square). It is written as the
scalable SVG and rendered from the same shapes to the PNG sizes a desktop menu asks for, so
the window's icon (the largest PNG) and the menu's icon are one drawing.

    tools/draw_assets.py          writes the files (run it after changing a drawing; the
                                  outputs are committed)
    tools/draw_assets.py --check  exits 1 when a committed file differs from the drawing
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "assets"))

# 32 x 32 pointing hand: '#' outline, '.' fill, ' ' transparent. Hot spot at the finger tip.
HAND = """
      ##
     #..#
     #..#
     #..#
     #..#
     #..###
     #..#..###
     #..#..#..##
  ## #..#..#..#.#
 #..##........#.#
 #...#..........#
  #..#..........#
  #.............#
   #............#
   #...........#
    #..........#
    #.........#
     #........#
     #........#
     ##########
"""
HOTSPOT = (6, 1)

# A teal rounded tile with four white tally bars and a gold strike across them, painted in
# this order on a 64 x 64 square.
UNITS = 64
TEAL, WHITE, GOLD = (18, 120, 130), (255, 255, 255), (240, 180, 40)
ICON = [("roundrect", TEAL, (0, 0, 64, 64, 12))]
ICON += [("rect", WHITE, (14 + i * 10, 14, 5, 36)) for i in range(4)]
ICON += [("polygon", GOLD, ((8, 41), (56, 17), (56, 23), (8, 47)))]
ICON_SIZES = (48, 128, 256)
SAMPLES = 4  # per pixel and axis, where a shape's edge is not straight


def icon_files():
    """Each icon file under assets/ and its bytes."""
    files = {os.path.join("icons", "tallyvane.svg"): icon_svg().encode()}
    for size in ICON_SIZES:
        name = os.path.join("icons", "%dx%d" % (size, size), "tallyvane.png")
        files[name] = png_bytes(render(size))
    return files


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def icon_svg():
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
             % (UNITS, UNITS, UNITS, UNITS)]
    for kind, colour, g in ICON:
        fill = hex_colour(colour)
        if kind == "roundrect":
            lines.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                         % (g + (fill,)))
        elif kind == "rect":
            lines.append('  <rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' % (g + (fill,)))
        else:
            points = " ".join("%g,%g" % p for p in g)
            lines.append('  <polygon points="%s" fill="%s"/>' % (points, fill))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def rect_coverage(g, scale, x, y):
    left, top, width, height = (v * scale for v in g)
    return overlap(x, x + 1, left, left + width) * overlap(y, y + 1, top, top + height)


def inside_roundrect(g, px, py):
    left, top, width, height, r = g
    cx = min(max(px, left + r), left + width - r)
    cy = min(max(py, top + r), top + height - r)
    return left <= px <= left + width and top <= py <= top + height and \
        (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def inside_polygon(points, px, py):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def sampled_coverage(test, scale, x, y):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            hits += test((x + (sx + 0.5) / SAMPLES) / scale, (y + (sy + 0.5) / SAMPLES) / scale)
    return hits / (SAMPLES * SAMPLES)


def shape_bounds(kind, g, scale, size):
    if kind == "polygon":
        xs, ys = [p[0] for p in g], [p[1] for p in g]
        box = (min(xs), min(ys), max(xs), max(ys))
    else:
        box = (g[0], g[1], g[0] + g[2], g[1] + g[3])
    x0, y0 = max(0, int(box[0] * scale)), max(0, int(box[1] * scale))
    x1, y1 = min(size, int(box[2] * scale) + 1), min(size, int(box[3] * scale) + 1)
    return x0, y0, x1, y1


def corner_free(g, scale, x, y):
    """True when the pixel lies where the rounded tile is a plain rectangle."""
    left, top, width, height, r = (v * scale for v in g)
    return left + r <= x and x + 1 <= left + width - r or top + r <= y and y + 1 <= top + height - r


def coverage(kind, g, scale, x, y):
    if kind == "rect":
        return rect_coverage(g, scale, x, y)
    if kind == "roundrect":
        if corner_free(g, scale, x, y):
            return rect_coverage(g[:4], scale, x, y)
        return sampled_coverage(lambda px, py: inside_roundrect(g, px, py), scale, x, y)
    return sampled_coverage(lambda px, py: inside_polygon(list(g), px, py), scale, x, y)


def render(size):
    """The icon at size x size pixels: rows of straight (not premultiplied) RGBA."""
    scale = size / UNITS
    # Premultiplied colour and alpha per pixel while painting.
    acc = [[[0.0, 0.0, 0.0, 0.0] for _ in range(size)] for _ in range(size)]
    for kind, colour, g in ICON:
        x0, y0, x1, y1 = shape_bounds(kind, g, scale, size)
        for y in range(y0, y1):
            row = acc[y]
            for x in range(x0, x1):
                a = coverage(kind, g, scale, x, y)
                if a <= 0:
                    continue
                p = row[x]
                for c in range(3):
                    p[c] = colour[c] / 255 * a + p[c] * (1 - a)
                p[3] = a + p[3] * (1 - a)
    pixels = []
    for row in acc:
        out = []
        for r, g, b, a in row:
            if a <= 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(round(min(1.0, v / a) * 255) for v in (r, g, b)) + (round(a * 255),))
        pixels.append(out)
    return pixels


def hand_pixels():
    rows = [r for r in HAND.split("\n")[1:-1]]
    pixels = [[(0, 0, 0, 0)] * 32 for _ in range(32)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "#":
                pixels[y][x] = (0, 0, 0, 255)
            elif ch == ".":
                pixels[y][x] = (255, 255, 255, 255)
    return pixels


def cur_bytes(pixels, hotspot):
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixels[y][x]
            xor += bytes((b, g, r, a))
    mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            if pixels[y][x][3] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    return png + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def png_pixels(data):
    """The raw rows of a PNG this script wrote (one IDAT chunk), for comparing drawings
    whatever zlib's compressed form."""
    idat = data.index(b"IDAT")
    length = struct.unpack(">I", data[idat - 4:idat])[0]
    return zlib.decompress(data[idat + 4:idat + 4 + length])


def same_content(name, old, new):
    if name.endswith(".png"):
        try:
            return png_pixels(old) == png_pixels(new)
        except (ValueError, zlib.error, struct.error):
            return False
    return old == new


def all_files():
    files = {"HAND-M.CUR": cur_bytes(hand_pixels(), HOTSPOT)}
    files.update(icon_files())
    return files


def main(argv):
    check = "--check" in argv[1:]
    stale = []
    for name, data in sorted(all_files().items()):
        path = os.path.join(ASSETS, name)
        if check:
            try:
                with open(path, "rb") as f:
                    old = f.read()
            except OSError:
                old = None
            if old is None or not same_content(name, old, data):
                stale.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    for name in stale:
        print("assets/%s differs from the drawing in tools/draw_assets.py" % name)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
