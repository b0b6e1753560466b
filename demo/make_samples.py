#!/usr/bin/env python3
"""Sample images of our own for the demo and the benchmarks.

    make_samples.py greentone PLAIN.bmp COLOUR-SPACE.bmp
        a 500x500 24-bit picture, with the 54-byte plain header and with the
        138-byte header that carries colour-space information
    make_samples.py capture CAPTURE.bmp
        a 1024x768 8-bit capture image of 787510 bytes with a colourful palette
    make_samples.py check-greentone FILE...   /   check-capture ORIGINAL FILE...
        shows that converted files are valid BMPs of the expected shape
"""
import struct
import sys


def greentone_pixels():
    rows = []
    for y in range(500):  # bottom row first
        row = bytearray()
        for x in range(500):
            ring = ((x - 250) ** 2 + (y - 250) ** 2) // 2500 % 4 == 0
            row += bytes((x * 255 // 499, 255 if ring else y * 255 // 499, (x + y) * 255 // 998))  # blue, green, red
        rows.append(bytes(row))
    return b"".join(rows)


def bmp(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def info_header(size, width, height, bits, image_bytes, colours=0):
    return struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, 0, image_bytes, 2835, 2835, colours, 0)


def greentone(plain_name, colour_space_name):
    pixels = greentone_pixels()
    plain = info_header(40, 500, 500, 24, len(pixels))
    colour_space = (info_header(124, 500, 500, 24, len(pixels))
                    + bytes(16) + b"BGRs" + bytes(36 + 12) + struct.pack("<IIII", 4, 0, 0, 0))
    open(plain_name, "wb").write(bmp(plain, b"", pixels))
    open(colour_space_name, "wb").write(bmp(colour_space, b"", pixels))


def capture(name):
    width, height = 1024, 768
    palette = b"".join(bytes(((n * 7) % 256, (n * 3 + 40) % 256, 255 - n, 0)) for n in range(256))
    pixels = b"".join(bytes(((x // 4) ^ (y // 3)) & 0xFF for x in range(width)) for y in range(height))
    open(name, "wb").write(bmp(info_header(40, width, height, 8, width * height, 256), palette, pixels))


def check_greentone(names):
    for name in names:
        data = open(name, "rb").read()
        size, offset = struct.unpack_from("<I4xI", data, 2)
        info, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
        ok = (data[:2] == b"BM" and size == len(data) == 251078 and offset == 1078 and info == 40
              and (width, height, planes, bits, compression) == (500, 500, 1, 8, 0))
        print("%-14s %d bytes, %dx%d, %d-bit, %d distinct indexes: %s" % (
            name, len(data), width, height, bits, len(set(data[1078:])), "OK: a valid 8-bit BMP" if ok else "NOT VALID"))
        if not ok:
            sys.exit(1)


def check_capture(original_name, names):
    original = open(original_name, "rb").read()
    for name in [original_name] + names:
        data = open(name, "rb").read()
        magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
        _, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
        greys = sum(1 for n in range(256) if data[54 + 4 * n] == data[55 + 4 * n] == data[56 + 4 * n])
        ok = magic == b"BM" and size == len(data) == len(original) and offset == 1078 and data[1078:] == original[1078:]
        print("%-13s %d bytes, %s BMP %dx%d %d-bit, %d of 256 palette entries grey" % (
            name, len(data), "valid" if ok else "INVALID", width, height, bits, greys))
        if not ok:
            sys.exit(1)


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "greentone":
        greentone(*arguments)
    elif command == "capture":
        capture(*arguments)
    elif command == "check-greentone":
        check_greentone(arguments)
    elif command == "check-capture":
        check_capture(arguments[0], arguments[1:])
    else:
        sys.exit(__doc__)
