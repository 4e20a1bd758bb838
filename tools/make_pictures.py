#!/usr/bin/env python3
"""Draws the program's pictures: the main window's icon, the chevron of the menu-opening
super buttons and the about window's picture.

    make_pictures.py OUTDIR

writes OUTDIR/wenhuitong.ico (16, 20, 24, 32 and 48 pixels, 32 bits), OUTDIR/chevron.ico
(the grey chevron with alpha at 16, 24 and 32 pixels: 1x, 1.5x and 2x, each a PNG image) and
OUTDIR/about.jpg (1080 x 1080, drawn by ImageMagick's convert). The pictures are drawn from
their shapes at every size, so a display at 150 % or 200 % gets an image of its own instead
of a stretched 16-pixel one.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib


CHEVRON_SIZES = (16, 24, 32)
ICON_SIZES = (16, 20, 24, 32, 48)


def chevron_pixels(size=16):
    """A downward chevron: two strokes meeting at the bottom, anti-aliased by distance."""
    k = size / 16.0
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            # Measured in 16-pixel units, so every size has the same shape.
            px, py = (x + 0.5) / k, (y + 0.5) / k
            # The two strokes run from (3.5, 5.5) and (12.5, 5.5) down to (8, 10.5).
            d = min(segment_distance(px, py, 3.5, 5.5, 8.0, 10.5),
                    segment_distance(px, py, 12.5, 5.5, 8.0, 10.5))
            # Half covered 1.1 from the stroke's line at every size; the edge one pixel wide.
            alpha = max(0.0, min(1.0, 1.6 - d if k == 1 else 0.5 + (1.1 - d) * k))
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


def icon_pixels(size=16):
    """A blue rounded square with two white arrows, one each way: converting back and forth."""
    if size != 16:
        return scaled_icon_pixels(size)
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


def scaled_icon_pixels(size):
    """The icon's shapes at another size, anti-aliased: the 16-pixel drawing's pixels are
    unit squares, the arrows strokes through their centres."""
    k = size / 16.0
    strokes = [((3.5, 5.5), (12.5, 5.5)), ((10.5, 3.5), (12.5, 5.5)), ((10.5, 7.5), (12.5, 5.5)),
               ((3.5, 10.5), (12.5, 10.5)), ((5.5, 8.5), (3.5, 10.5)), ((5.5, 12.5), (3.5, 10.5))]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = (x + 0.5) / k, (y + 0.5) / k
            # The square covers 1..15 with corners rounded by 1.5.
            cx, cy = min(max(px, 2.5), 13.5), min(max(py, 2.5), 13.5)
            inside = max(0.0, min(1.0, (1.5 - math.hypot(px - cx, py - cy)) * k + 0.5))
            d = min(segment_distance(px, py, a[0], a[1], b[0], b[1]) for a, b in strokes)
            white = max(0.0, min(1.0, (0.6 - d) * k + 0.5))
            r, g, b = (round(c * (1 - white) + 255 * white) for c in (0x2f, 0x6f, 0xc8))
            row.append((r, g, b, int(round(inside * 255))))
        pixels.append(row)
    return pixels


def bmp_image(pixels):
    """One icon image: 32 bits per pixel, bottom-up BGRA with an AND mask."""
    size = len(pixels)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask_rows = []
    for row in reversed(pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (stride * 8 - 1 - x)
        mask_rows.append(bits.to_bytes(stride, "big"))
    and_mask = b"".join(mask_rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return info + xor + and_mask


def ico_bytes(images):
    """An icon file of the given images (BMP or PNG bytes), each square, smallest first."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        body += image
    return directory + body


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
    with open(os.path.join(out, "chevron.ico"), "wb") as f:
        f.write(ico_bytes([(n, png_bytes(chevron_pixels(n))) for n in CHEVRON_SIZES]))
    with open(os.path.join(out, "wenhuitong.ico"), "wb") as f:
        f.write(ico_bytes([(n, bmp_image(icon_pixels(n))) for n in ICON_SIZES]))
    draw_about(os.path.join(out, "about.jpg"))


if __name__ == "__main__":
    main()
