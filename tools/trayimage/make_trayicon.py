#!/usr/bin/env python3
"""Writes the tray image: a 16x16 RGBA PNG of a dark box in perspective with dots on its front.

The monitor paints this picture over a square filled with the state colour, so every pixel is
either fully opaque or fully transparent. Standard library only, so it runs on any machine.

usage: tools/trayimage/make_trayicon.py [OUTPUT]   (default: app/trayicon.png)
"""
import os
import struct
import sys
import zlib

SIZE = 16
TRANSPARENT = (0, 0, 0, 0)
DARK_GREY = (0x1A, 0x1A, 0x1A, 0xFF)
BLACK = (0x00, 0x00, 0x00, 0xFF)
LIGHT_GREY = (0x93, 0x93, 0x93, 0xFF)
GREEN = (0x00, 0xFF, 0x00, 0xFF)


def draw():
    """Returns the picture as rows of RGBA tuples, row 0 at the top."""
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    # Top face: each row starts one column further left, which gives the perspective.
    for row, first_column in ((3, 5), (4, 4), (5, 3), (6, 2)):
        for column in range(first_column, SIZE):
            pixels[row][column] = DARK_GREY

    # Front face with its dark right-hand side edge, which stops one row short.
    for row in range(7, 15):
        for column in range(1, 15):
            pixels[row][column] = BLACK
        if row <= 13:
            pixels[row][15] = DARK_GREY

    for column in (2, 4, 6, 8, 10):
        pixels[9][column] = LIGHT_GREY
    for column in (8, 10, 12):
        pixels[12][column] = LIGHT_GREY
    for column in (2, 4):
        pixels[12][column] = GREEN
    return pixels


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(pixels):
    height = len(pixels)
    width = len(pixels[0])
    # 8 bits per channel, colour type 6 (RGBA), deflate, adaptive filtering, no interlace.
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter type None
        for pixel in row:
            raw.extend(pixel)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "app", "trayicon.png")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    with open(output, "wb") as file:
        file.write(encode_png(draw()))


if __name__ == "__main__":
    main()
