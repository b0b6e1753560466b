#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into corpus/<target>/ beside this
script. Each seed is a few bytes; the image seeds stand for files of up to
megabytes through their counts of zero bytes (see fuzz_files.h)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def zeros(count):
    """A file shape's zero count, unshifted."""
    return bytes([0]) + struct.pack("<I", count)[:3]


def shape(content, count, last=False):
    return zeros(count) + (b"" if last else struct.pack("<H", len(content))) + content


# --- command lines ------------------------------------------------------------
write("command_line", "plain", b"TOLVA big.dat part 1")
write("command_line", "quoted", b'TOLVA "big file.dat" "" part 1 F')
write("command_line", "doubled_quote", b'a""b "c""d" "open to the end')
write("command_line", "separators", b"\tx\x01y\x1f z \x00w")
write("command_line", "long", b"MORVANTE " + b"n" * 300 + b" part 1")

# --- digit strings: a 4-byte base, then the text -------------------------------
write("digits", "decimal", struct.pack("<i", 10) + b"1433600")
write("digits", "wrapping", struct.pack("<i", 10) + b"10000000000")
write("digits", "hex_letters", struct.pack("<i", 16) + b"FF")
write("digits", "negative_base", struct.pack("<i", -7) + b"-5 a+")
write("digits", "long", struct.pack("<i", 0x7FFFFFFF) + b"9" * 260)
write("digits", "high_bytes", struct.pack("<i", 10) + b"1\xe9\x80\xff")  # a size typed in an 8-bit code page

# --- terminal bytes --------------------------------------------------------------
write("key_decoder", "cursor_keys", b"\x1b[A\x1b[B\x1bOC\x1b[1;5D")
write("key_decoder", "function_keys", b"\x1bOP\x1b[15;5~\x1b[24~\x1b[[A")
write("key_decoder", "alt_and_plain", b"\x1bx\x1b1y\x7f\n\x00\xc3\xa9")
write("key_decoder", "reports", b"\x1b[12;40R\x1b[<0;1;2M\x1b[200~paste\x1b[201~")
write("key_decoder", "lone_escape", b"\x1b")

# --- line editor: a setup of 5 bytes, a prompt, then 4-byte key events --------
PRESS, OTHER, MODIFIER, ALT_RELEASED = 2, 0, 1, 3
EXTENDED, LEFT_ALT, SHIFT, ALT, KEYPAD = 4, 8, 16, 32, 64
HOME, LEFT, RIGHT, END = 71, 75, 77, 79


def setup(columns=80, rows=25, column=0, row=0, flags=0, prompt=b""):
    return bytes([columns - 1, rows - 1, column, row, flags, len(prompt)]) + prompt


def keys(text):
    return b"".join(bytes([PRESS, c, 0, 0]) for c in text)


def special(scan):
    return bytes([PRESS | EXTENDED, 0, scan, 0])


write("line_editor", "typed_line", setup(prompt=b"Name: ") + keys(b"hello\r"))
alphabet = bytes(97 + n % 26 for n in range(260))
write("line_editor", "over_long", setup(columns=20, rows=4, column=19, row=3) + keys(alphabet + b"\r"))
write("line_editor", "editing", setup(columns=10, rows=3) + keys(b"abcd") + special(HOME) + keys(b"X") +
      special(RIGHT) + special(LEFT) + special(END) + keys(b"\x08\x1b\x19ok\r"))
# Alt held, keypad 6 and 5, Alt let go: the character 65; then a modifier and a release, no keys.
alt_keypad = bytes([PRESS | ALT | KEYPAD, 0, 0x4F, 6, PRESS | ALT | KEYPAD, 0, 0x4C, 5, ALT_RELEASED, 0, 0, 0,
                    MODIFIER, 0, 0, 0, OTHER, 0, 0, 0])
write("line_editor", "alt_keypad", setup() + alt_keypad + keys(b"\r"))
write("line_editor", "typed_bytes", setup(flags=2, prompt=b"? \x07\x08") + keys(b"y\r\nx\n"))

# --- greentone: a row byte, the palette file's shape, the image's -----------------
palette_header = b"BM" + bytes(52)
write("greentone_images", "plain_header", bytes([1]) + shape(palette_header, 1078 - len(palette_header)) +
      shape(b"BM" + bytes(52) + bytes([10, 200, 30]), 750054 - 57, last=True))
write("greentone_images", "colour_space", bytes([0]) + shape(palette_header, 1024) +
      shape(b"BM" + bytes(136) + bytes([255, 255, 255]), 750138 - 141, last=True))
write("greentone_images", "short_files", bytes([2]) + shape(b"BM", 0) + shape(bytes([1, 2, 3, 4, 5, 6]), 0, last=True))
write("greentone_images", "over_long", bytes([2]) + shape(b"", 900000) + shape(b"\xff", 900000, last=True))

# --- print: a rule byte, then the image's shape -----------------------------------
capture_head = b"BM" + bytes(52) + bytes(range(256)) * 4
write("print_images", "capture", bytes([0]) + shape(capture_head, 787510 - len(capture_head), last=True))
write("print_images", "inverted_short", bytes([1]) + shape(capture_head[:1077], 0, last=True))
write("print_images", "empty", bytes([0]) + shape(b"", 0, last=True))
write("print_images", "largest", bytes([1]) + shape(b"", 5373952, last=True))
write("print_images", "one_too_many", bytes([0]) + shape(b"", 5373953, last=True))
