#!/usr/bin/env python3
"""Turns the text pixel maps in res/art into 16-colour .bmp strips and .ico files.

A pixel map holds one or more pictures. A picture starts with a line "= title" and its rows
follow, one character per pixel, all rows of a picture equally long. Lines starting with "#"
and blank lines are ignored. Legend, over the standard 16-colour palette (index: colour):

    K  0 black       000000        d  8 dark grey   808080
    r  1 dark red    800000        R  9 red         FF0000
    g  2 dark green  008000        G 10 green       00FF00
    y  3 olive       808000        Y 11 yellow      FFFF00
    b  4 navy        000080        B 12 blue        0000FF
    m  5 purple      800080        M 13 magenta     FF00FF
    c  6 teal        008080        C 14 cyan        00FFFF
    .  7 light grey  C0C0C0        W 15 white       FFFFFF
    -    transparent (icons only)

A toolbar shows "." as the system's button face, so it is the background of toolbar strips.

    pixmap.py bmp MAP OUT.bmp   all pictures of MAP, equal in size, side by side in one strip
    pixmap.py ico MAP OUT.ico   each picture of MAP as one image of the icon
"""

import struct
import sys

PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
LEGEND = {ch: index for index, ch in enumerate("Krgybmc.dRGYBMCW")}
TRANSPARENT = "-"


class MapError(Exception):
    pass


def read_pictures(path):
    """The pictures of a pixel map as (title, rows) in file order."""
    pictures = []
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("="):
                pictures.append((line[1:].strip(), []))
                continue
            if not pictures:
                raise MapError(f"{path}:{number}: pixel row before the first '= title' line")
            title, rows = pictures[-1]
            if rows and len(line) != len(rows[0]):
                raise MapError(f"{path}:{number}: row of {len(line)} pixels in '{title}', "
                               f"expected {len(rows[0])}")
            unknown = set(line) - set(LEGEND) - {TRANSPARENT}
            if unknown:
                raise MapError(f"{path}:{number}: characters not in the legend: "
                               f"{''.join(sorted(unknown))}")
            rows.append(line)
    if not pictures or any(not rows for _, rows in pictures):
        raise MapError(f"{path}: a picture without rows, or no picture at all")
    return pictures


def palette_bytes():
    return b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in PALETTE)


def info_header(width, height, image_size):
    """BITMAPINFOHEADER of a 4-bit uncompressed bitmap."""
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def colour_rows(rows):
    """4-bit pixel rows, bottom row first, each padded to 32 bits; transparent reads as black."""
    out = b""
    for row in reversed(rows):
        indexes = [LEGEND.get(ch, 0) for ch in row] + [0]
        out += padded(bytes(indexes[i] << 4 | indexes[i + 1] for i in range(0, len(row), 2)))
    return out


def mask_rows(rows):
    """1-bit AND mask rows, bottom row first, each padded to 32 bits; 1 is transparent."""
    out = b""
    for row in reversed(rows):
        bits = [ch == TRANSPARENT for ch in row] + [False] * 7
        out += padded(bytes(sum(bits[i + b] << (7 - b) for b in range(8))
                            for i in range(0, len(row), 8)))
    return out


def write_bmp(pictures, path):
    heights = {len(rows) for _, rows in pictures}
    widths = {len(rows[0]) for _, rows in pictures}
    if len(heights) != 1 or len(widths) != 1:
        raise MapError(f"{path}: the pictures of a strip must all have one size")
    if any(TRANSPARENT in "".join(rows) for _, rows in pictures):
        raise MapError(f"{path}: '{TRANSPARENT}' (transparent) is for icons only")
    height = heights.pop()
    strip = ["".join(rows[y] for _, rows in pictures) for y in range(height)]
    pixels = colour_rows(strip)
    offset = 14 + 40 + 64
    with open(path, "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        out.write(info_header(len(strip[0]), height, len(pixels)))
        out.write(palette_bytes())
        out.write(pixels)


def write_ico(pictures, path):
    images = []
    for title, rows in pictures:
        width, height = len(rows[0]), len(rows)
        if width > 255 or height > 255:
            raise MapError(f"{path}: '{title}' is larger than an icon image may be")
        colours, mask = colour_rows(rows), mask_rows(rows)
        # An icon's header counts the colour rows and the mask rows together.
        images.append((width, height, info_header(width, 2 * height, len(colours) + len(mask))
                       + palette_bytes() + colours + mask))
    offset = 6 + 16 * len(images)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)))
        for width, height, data in images:
            out.write(struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(data), offset))
            offset += len(data)
        for _, _, data in images:
            out.write(data)


def main(argv):
    writers = {"bmp": write_bmp, "ico": write_ico}
    if len(argv) != 4 or argv[1] not in writers:
        sys.exit(__doc__)
    try:
        writers[argv[1]](read_pictures(argv[2]), argv[3])
    except (MapError, OSError) as error:
        sys.exit(f"pixmap.py: {error}")


if __name__ == "__main__":
    main(sys.argv)
