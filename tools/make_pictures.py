#!/usr/bin/env python3
"""Draws the program's pictures: the main window's icon, the chevron of the menu-opening
super buttons and the about window's picture.

    make_pictures.py OUTDIR

writes OUTDIR/wenhuitong.ico (16 x 16, 32 bits), OUTDIR/chevron.png (16 x 16, grey with
alpha) and OUTDIR/about.jpg (1080 x 1080, drawn by ImageMagick's convert).
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib


def chevron_pixels():
    """A downward chevron: two strokes meeting at the bottom, anti-aliased by distance."""
    pixels = []
    for y in range(16):
        row = []
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            # The two strokes run from (3.5, 5.5) and (12.5, 5.5) down to (8, 10.5).
            d = min(segment_distance(px, py, 3.5, 5.5, 8.0, 10.5),
                    segment_distance(px, py, 12.5, 5.5, 8.0, 10.5))
            alpha = max(0.0, min(1.0, 1.6 - d))
            row.append((0x70, 0x70, 0x70, int(round(alpha * 255))))
        pixels.append(row)
    return pixels


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def icon_pixels():
    """A blue rounded square with two white arrows, one each way: converting back and forth."""
    def arrow(x, y):
        right = (y == 5 and 3 <= x <= 12) or (abs(y - 5) == 1 and x == 11) or (abs(y - 5) == 2 and x == 10)
        left = (y == 10 and 3 <= x <= 12) or (abs(y - 10) == 1 and x == 4) or (abs(y - 10) == 2 and x == 5)
        return right or left

    pixels = []
    for y in range(16):
        row = []
        for x in range(16):
            inside = 1 <= x <= 14 and 1 <= y <= 14 and not ((x in (1, 14)) and (y in (1, 14)))
            if not inside:
                row.append((0, 0, 0, 0))
            else:
                row.append((255, 255, 255, 255) if arrow(x, y) else (0x2f, 0x6f, 0xc8, 255))
        pixels.append(row)
    return pixels


def ico_bytes(pixels):
    """One 16 x 16 image, 32 bits per pixel, bottom-up BGRA with an AND mask."""
    size = 16
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_rows = []
    for row in reversed(pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask_rows.append(struct.pack(">I", bits))
    and_mask = b"".join(mask_rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = info + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    return directory + image


def draw_about(path):
    convert = shutil.which("convert")
    if not convert:
        sys.exit("make_pictures: ImageMagick's convert is needed for the about picture")
    font = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
    command = [convert, "-size", "1080x1080", "gradient:#fdf6e3-#e3eefd",
               "-fill", "#2f6fc8", "-draw", "roundrectangle 140,140 940,940 60,60",
               "-fill", "#ffffff", "-draw", "roundrectangle 200,200 880,880 40,40"]
    if os.path.exists(font):
        command += ["-font", font, "-fill", "#2f6fc8", "-gravity", "center",
                    "-pointsize", "170", "-annotate", "+0-90", "文汇通",
                    "-pointsize", "64", "-fill", "#555555", "-annotate", "+0+120", "GBK · UTF-8 · BASE64",
                    "-pointsize", "52", "-annotate", "+0+220", "v1.0"]
    command += ["-quality", "85", "-sampling-factor", "4:2:0", "-strip", path]
    subprocess.run(command, check=True)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "chevron.png"), "wb") as f:
        f.write(png_bytes(chevron_pixels()))
    with open(os.path.join(out, "wenhuitong.ico"), "wb") as f:
        f.write(ico_bytes(icon_pixels()))
    draw_about(os.path.join(out, "about.jpg"))


if __name__ == "__main__":
    main()
