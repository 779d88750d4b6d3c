#!/usr/bin/env python3
"""Writes the application icons: the tray image's device silhouette on a neutral rounded tile.

The tray image is a 16x16 picture drawn for a colour behind it; a launcher icon has no state, so
the silhouette sits on a light grey tile instead. Pixel art only stays sharp at whole-number
scales, so each size takes the largest whole factor that fits and centres the silhouette.

usage: packaging/make_icons.py [--check] [OUTPUT_DIR]
       packaging/make_icons.py --ico FILE
  default OUTPUT_DIR: packaging/icons; --check compares the pictures in OUTPUT_DIR with what
  would be written (pixels, not bytes: another zlib may compress the same picture differently)
  and exits 1 when they differ. --ico writes the same pictures as one Windows icon file, the
  application icon of the Windows program.
"""
import os
import struct
import sys
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 24, 32, 48, 256)  # what Windows asks of an application icon
ICON_NAME = "de.halvorn.OrvaneMonitor.png"
TILE_TOP = (0xEE, 0xF1, 0xF4)
TILE_BOTTOM = (0xC9, 0xCF, 0xD6)
SUPERSAMPLING = 4  # per axis, for the anti-aliased corners of the tile

HERE = os.path.dirname(os.path.abspath(__file__))
TRAY_IMAGE = os.path.join(HERE, "..", "app", "trayicon.png")
sys.path.insert(0, os.path.join(HERE, "..", "tools", "trayimage"))
sys.dont_write_bytecode = True  # no cache folder beside the tray image's generator
from make_trayicon import encode_png  # noqa: E402  (the tray image's own PNG writer)


def read_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    offset = 8
    while offset < len(data):
        (length,) = struct.unpack(">I", data[offset:offset + 4])
        kind = data[offset + 4:offset + 8]
        yield kind, data[offset + 8:offset + 8 + length]
        offset += 12 + length


def paeth(left, up, up_left):
    estimate = left + up - up_left
    distances = (abs(estimate - left), abs(estimate - up), abs(estimate - up_left))
    return (left, up, up_left)[distances.index(min(distances))]


def unfilter(raw, width, height, stride):
    """Undoes the PNG row filters; returns the rows as bytearrays."""
    rows = []
    previous = bytearray(width * stride)
    position = 0
    for _ in range(height):
        kind = raw[position]
        row = bytearray(raw[position + 1:position + 1 + width * stride])
        position += 1 + width * stride
        for i in range(len(row)):
            left = row[i - stride] if i >= stride else 0
            up = previous[i]
            up_left = previous[i - stride] if i >= stride else 0
            predictor = (0, left, up, (left + up) // 2, paeth(left, up, up_left))[kind]
            row[i] = (row[i] + predictor) & 0xFF
        rows.append(row)
        previous = row
    return rows


def decode_rgba(path):
    """Returns (width, height, rows of RGBA tuples) of an 8-bit RGBA, non-interlaced PNG."""
    with open(path, "rb") as file:
        data = file.read()
    header = None
    compressed = b""
    for kind, body in read_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type != 6 or interlace != 0:
        raise ValueError(f"{path}: expected 8-bit RGBA without interlacing")
    rows = unfilter(zlib.decompress(compressed), width, height, 4)
    return width, height, [[tuple(row[x * 4:x * 4 + 4]) for x in range(width)] for row in rows]


def silhouette(pixels):
    """The opaque part of the tray image, cut to its bounding box."""
    xs, ys = zip(*((x, y) for y, row in enumerate(pixels)
                   for x, pixel in enumerate(row) if pixel[3]))
    return [row[min(xs):max(xs) + 1] for row in pixels[min(ys):max(ys) + 1]]


def inside_rounded_square(x, y, size, radius):
    """Whether the point (x, y) lies on a size x size square with corners of the given radius."""
    near_x = min(max(x, radius), size - radius)
    near_y = min(max(y, radius), size - radius)
    return (x - near_x) ** 2 + (y - near_y) ** 2 <= radius ** 2


def tile_pixel(x, y, size):
    radius = size / 5
    step = 1 / SUPERSAMPLING
    covered = sum(inside_rounded_square(x + (i + 0.5) * step, y + (j + 0.5) * step, size, radius)
                  for i in range(SUPERSAMPLING) for j in range(SUPERSAMPLING))
    share = y / max(size - 1, 1)
    colour = tuple(round(top + (bottom - top) * share) for top, bottom in zip(TILE_TOP, TILE_BOTTOM))
    return colour + (round(255 * covered / SUPERSAMPLING ** 2),)


def draw_icon(size, picture):
    height = len(picture)
    width = len(picture[0])
    margin = 1 if size < 48 else size // 32
    scale = max(1, (size - 2 * margin) // width)
    left = (size - width * scale) // 2
    top = (size - height * scale) // 2
    pixels = [[tile_pixel(x, y, size) for x in range(size)] for y in range(size)]
    for y in range(height * scale):
        for x in range(width * scale):
            pixel = picture[y // scale][x // scale]
            if pixel[3]:
                pixels[top + y][left + x] = pixel
    return pixels


def encode_dib(pixels):
    """An icon image as Windows stores the smaller sizes: a 32-bit bottom-up BGRA bitmap with
    its AND mask (all zero: the alpha channel decides)."""
    size = len(pixels)
    mask_stride = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for red, green, blue, alpha in row:
            colour.extend((blue, green, red, alpha))
    return header + bytes(colour) + bytes(mask_stride * size)


def encode_ico(pictures):
    """A Windows icon file of square pictures; 256 pixels wide ones are stored as PNG."""
    images = [encode_png(pixels) if len(pixels) >= 256 else encode_dib(pixels)
              for pixels in pictures]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for pixels, image in zip(pictures, images):
        side = len(pixels) % 256  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    arguments = sys.argv[1:]
    picture = silhouette(decode_rgba(TRAY_IMAGE)[2])
    if arguments[:1] == ["--ico"] and len(arguments) == 2:
        with open(arguments[1], "wb") as file:
            file.write(encode_ico([draw_icon(size, picture) for size in ICO_SIZES]))
        return 0
    check = "--check" in arguments
    arguments = [argument for argument in arguments if argument != "--check"]
    directory = arguments[0] if arguments else os.path.join(HERE, "icons")
    differing = []
    for size in SIZES:
        pixels = draw_icon(size, picture)
        path = os.path.join(directory, f"{size}x{size}", "apps", ICON_NAME)
        if check:
            if not os.path.exists(path) or decode_rgba(path)[2] != pixels:
                differing.append(path)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(encode_png(pixels))
    for path in differing:
        print(f"make_icons: {path} is missing or differs from the tray image; "
              "run packaging/make_icons.py", file=sys.stderr)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
