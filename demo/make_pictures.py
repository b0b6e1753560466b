#!/usr/bin/env python3
"""The README's pictures, made from the demo's own files.

    bash demo/run.sh && python3 demo/make_pictures.py [DEMO_FOLDER [PICTURE_FOLDER]]

DEMO_FOLDER is where demo/run.sh leaves its files (build/demo), PICTURE_FOLDER
where the pictures go (docs/images):

    greentone.png   the 24-bit sample and what TALMIROX3, TALMIRO3 and TALMIROX
                    made of it, side by side, at half size
    print.png       the capture image and what DUSKAR and DUSKARI made of it,
                    side by side, at a quarter of its size

Python's standard library only: the BMP reader and the PNG writer are here.
The same demo files give the same pictures, byte for byte.
"""
import os
import struct
import sys
import zlib

GAP = 8  # white pixels between two images


def read_bmp(name):
    """Rows of RGB pixels, top row first, of an uncompressed 24-bit or 8-bit BMP."""
    data = open(name, "rb").read()
    if data[:2] != b"BM":
        sys.exit("%s: not a BMP" % name)
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    info_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    colours_used = struct.unpack_from("<I", data, 46)[0]
    if compression != 0 or bits not in (8, 24):
        sys.exit("%s: %d-bit, compression %d: not read here" % (name, bits, compression))
    palette = []
    if bits == 8:
        start = 14 + info_size
        for n in range(colours_used or 256):
            blue, green, red = data[start + 4 * n:start + 4 * n + 3]
            palette.append((red, green, blue))
    stride = (width * bits // 8 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        at = pixel_offset + y * stride
        line = data[at:at + width * bits // 8]
        if bits == 24:
            rows.append([(line[x + 2], line[x + 1], line[x]) for x in range(0, len(line), 3)])
        else:
            rows.append([palette[index] for index in line])
    if height > 0:  # stored bottom row first
        rows.reverse()
    return rows


def shrink(rows, factor):
    """Each factor x factor square of pixels becomes their mean."""
    result = []
    for y in range(0, len(rows) - factor + 1, factor):
        band = rows[y:y + factor]
        line = []
        for x in range(0, len(rows[0]) - factor + 1, factor):
            square = [row[x + dx] for row in band for dx in range(factor)]
            line.append(tuple(sum(pixel[c] for pixel in square) // len(square) for c in range(3)))
        result.append(line)
    return result


def side_by_side(images):
    height = max(len(image) for image in images)
    white = (255, 255, 255)
    rows = []
    for y in range(height):
        line = []
        for n, image in enumerate(images):
            if n:
                line += [white] * GAP
            line += image[y] if y < len(image) else [white] * len(image[0])
        rows.append(line)
    return rows


def paeth(left, up, up_left):
    estimate = left + up - up_left
    a, b, c = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
    return left if a <= b and a <= c else up if b <= c else up_left


def filtered(line, previous):
    """The row under the PNG filter whose bytes sum smallest (as signed bytes)."""
    n = len(line)
    left = bytes(3) + line[:-3]
    up_left = bytes(3) + previous[:-3]
    candidates = [
        bytes(line),
        bytes((line[i] - left[i]) & 0xFF for i in range(n)),
        bytes((line[i] - previous[i]) & 0xFF for i in range(n)),
        bytes((line[i] - (left[i] + previous[i]) // 2) & 0xFF for i in range(n)),
        bytes((line[i] - paeth(left[i], previous[i], up_left[i])) & 0xFF for i in range(n)),
    ]
    cost = [sum(b if b < 128 else 256 - b for b in candidate) for candidate in candidates]
    kind = cost.index(min(cost))
    return bytes((kind,)) + candidates[kind]


def write_png(name, rows):
    width, height = len(rows[0]), len(rows)
    raw = bytearray()
    previous = bytes(3 * width)
    for row in rows:
        line = bytes(channel for pixel in row for channel in pixel)
        raw += filtered(line, previous)
        previous = line

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
           + chunk(b"IEND", b""))
    open(name, "wb").write(png)
    print("%s: %dx%d, %d bytes" % (name, width, height, len(png)))


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    demo = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "build", "demo")
    pictures = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "docs", "images")
    os.makedirs(pictures, exist_ok=True)

    def images(names, factor):
        return [shrink(read_bmp(os.path.join(demo, name)), factor) for name in names]

    write_png(os.path.join(pictures, "greentone.png"),
              side_by_side(images(["plain.bmp", "talmirox3.bmp", "talmiro3.bmp", "talmirox.bmp"], 2)))
    write_png(os.path.join(pictures, "print.png"),
              side_by_side(images(["capture.bmp", "grey.bmp", "inverted.bmp"], 4)))


if __name__ == "__main__":
    main()
