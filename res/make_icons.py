#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script.

Each image is stored twice, with 16 and with 256 colours; the 16-colour
version takes the nearest colour of the standard VGA palette.
Run it again after changing a drawing: python3 res/make_icons.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours by the letter used in the drawings; '.' is transparent.
COLOURS = {
    'K': (0x00, 0x00, 0x00), 'G': (0x80, 0x80, 0x80), 'S': (0xC0, 0xC0, 0xC0),
    'L': (0xE4, 0xE4, 0xE4), 'W': (0xFF, 0xFF, 0xFF), 'N': (0x00, 0x00, 0x80),
    'B': (0x2F, 0x5F, 0xB0), 'A': (0x9C, 0xC3, 0xE6), 'O': (0x8A, 0x60, 0x10),
    'D': (0xC8, 0x96, 0x20), 'Y': (0xF6, 0xD0, 0x50), 'P': (0xFF, 0xEC, 0xA0),
}
LETTERS = sorted(COLOURS)
# The colour index under every transparent pixel: black in both palettes.
TRANSPARENT = 0

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def nearest_vga(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, VGA[i])))


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [['.'] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, fill, outline=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.px[y][x] = outline if (edge and outline) else fill

    def ring(self, cx, cy, r_out, r_in, fill, outline):
        for y in range(self.size):
            for x in range(self.size):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if r_in <= d < r_out:
                    edge = d >= r_out - 1.1 or d < r_in + 1.1
                    self.px[y][x] = outline if edge else fill

    def art(self, rows):
        self.px = [list(row) for row in rows]


def document_with_key():
    """The application icon: a page of text and a key in front of it."""
    c = Canvas(32)
    # The page, with its top right corner folded over.
    c.rect(4, 2, 22, 29, 'W', 'K')
    for i in range(7):
        for x in range(22 - 6 + i, 23):
            c.px[2 + i][x] = '.'
        c.px[2 + i][22 - 6 + i] = 'K'
        c.px[8][16 + i] = 'K'
        c.px[2 + i][16] = 'K'
        for x in range(17, 16 + i):
            c.px[2 + i][x] = 'L'
    for y in range(8, 20, 3):
        c.rect(7, y, 13 if y == 8 else 19, y, 'B')
    # The key: the shaft with two teeth, then the round bow over its end.
    c.rect(3, 20, 20, 24, 'Y', 'O')
    c.rect(5, 24, 8, 28, 'Y', 'O')
    c.rect(11, 24, 14, 27, 'Y', 'O')
    c.ring(24.5, 22, 7, 2.2, 'Y', 'O')
    return c.px


SMALL_DOCUMENT_WITH_KEY = [
    "..KKKKKKK.......",
    "..KWWWWWKK......",
    "..KWBBBWKWK.....",
    "..KWWWWWKKKK....",
    "..KWBBBBBBWK....",
    "..KWWWWWWWWK....",
    "..KWBBBBBBWK....",
    "..KWWWWWWWWK....",
    "..KWWWWWWWOOOO..",
    ".OOOOOOOOOYYYYO.",
    ".OYYYYYYYYY..YYO",
    ".OOYOOYOOOY..YYO",
    "..OYO.OYO.OYYYO.",
    "..KOOKOOWK.OOOO.",
    "..KKKKKKKK......",
    "................",
]


SOURCE_FILE = [
    "................",
    "..KKKKKKKK......",
    "..KWWWWWWKK.....",
    "..KWWWWWWKLK....",
    "..KWBBBBWKKKK...",
    "..KWWWWWWWWWK...",
    "..KWBBBBBBBWK...",
    "..KWWWWWWWWWK...",
    "..KWBBBBBBBWK...",
    "..KWWWWWWWWWK...",
    "..KWBBBBBBBWK...",
    "..KWWWWWWWWWK...",
    "..KWBBBBBWWWK...",
    "..KWWWWWWWWWK...",
    "..KKKKKKKKKKK...",
    "................",
]

TARGET_FOLDER = [
    "................",
    "................",
    "..OOOOO.........",
    ".OPPPPPO........",
    ".OPYYYYPOOOOOOO.",
    ".OPYYYYYYYYYYYO.",
    ".OPYYYYYYYYYYYO.",
    ".OODDDDDDDDDDDDO",
    ".OYPPPPPPPPPPPYO",
    ".OYYYYYYYYYYYYDO",
    ".OYYYYYYYYYYYYDO",
    ".OYYYYYYYYYYYYDO",
    ".OYYYYYYYYYYYDO.",
    ".ODDDDDDDDDDDDO.",
    "..OOOOOOOOOOOO..",
    "................",
]


def dib(pixels, bits):
    """One icon image: header, palette, colour bits and transparency mask."""
    size = len(pixels)
    if bits == 4:
        palette = VGA
        index = {k: nearest_vga(v) for k, v in COLOURS.items()}
    else:
        # Entry 0 is black: transparent pixels take it, and Windows draws an
        # icon as screen AND mask XOR image, so only black leaves the screen
        # showing through.
        palette = [(0, 0, 0)] + [COLOURS[k] for k in LETTERS]
        palette += [(0, 0, 0)] * (256 - len(palette))
        index = {k: i + 1 for i, k in enumerate(LETTERS)}
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    colour, mask = b'', b''
    for row in reversed(pixels):  # bottom-up
        values = [TRANSPARENT if p == '.' else index[p] for p in row]
        if bits == 4:
            line = bytes((values[i] << 4) | values[i + 1] for i in range(0, size, 2))
        else:
            line = bytes(values)
        colour += line + b'\0' * (-len(line) % 4)
        bitsrow = 0
        for p in row:
            bitsrow = (bitsrow << 1) | (p == '.')
        line = bitsrow.to_bytes(size // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    return header + pal + colour + mask


def write_ico(name, images):
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for pixels, bits in images:
        blob = dib(pixels, bits)
        size = len(pixels)
        entries += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits,
                               len(blob), offset + len(blobs))
        blobs += blob
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + entries + blobs)


if __name__ == '__main__':
    big, small = document_with_key(), SMALL_DOCUMENT_WITH_KEY
    write_ico('morvane.ico', [(big, 4), (small, 4), (big, 8), (small, 8)])
    write_ico('browse_source.ico', [(SOURCE_FILE, 4), (SOURCE_FILE, 8)])
    write_ico('browse_folder.ico', [(TARGET_FOLDER, 4), (TARGET_FOLDER, 8)])
