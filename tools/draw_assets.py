#!/usr/bin/env python3
"""Draws the program's hand cursor (HAND-M.CUR) and its icon (tallyvane.png) into assets/.

Run it again after changing a drawing; the outputs are committed."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.join(HERE, "..", "assets")

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


def write_cur(path, pixels, hotspot):
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
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def icon_pixels(size=64):
    """A teal rounded tile with four white tally bars and a gold strike across them."""
    teal, white, gold = (18, 120, 130, 255), (255, 255, 255, 255), (240, 180, 40, 255)
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    radius = 12
    for y in range(size):
        for x in range(size):
            cx = min(max(x, radius), size - 1 - radius)
            cy = min(max(y, radius), size - 1 - radius)
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                pixels[y][x] = teal
    for i in range(4):
        left = 14 + i * 10
        for y in range(14, 50):
            for x in range(left, left + 5):
                pixels[y][x] = white
    for x in range(8, 56):
        y0 = 44 - (x - 8) * 24 // 48
        for y in range(y0 - 3, y0 + 3):
            pixels[y][x] = gold
    return pixels


if __name__ == "__main__":
    os.makedirs(ASSETS, exist_ok=True)
    write_cur(os.path.join(ASSETS, "HAND-M.CUR"), hand_pixels(), HOTSPOT)
    write_png(os.path.join(ASSETS, "tallyvane.png"), icon_pixels())
