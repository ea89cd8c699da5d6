#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script,
and the picture of the installer's welcome and finish pages.

Two kinds of image go into each icon:
- 32-bit images with an alpha channel at every size Windows asks for, drawn
  from shapes with smooth (anti-aliased) edges; the 16 px ones come from the
  hand-drawn pixel art, which is sharper at that size. 256 px images are
  stored as PNG, as Windows Vista and later read them.
- 4-bit (16 colours, the nearest of the standard VGA palette) and 8-bit
  (256 colours) images of the pixel art, for displays without alpha.
Under every transparent pixel the colour is black: Windows draws an image
as screen AND mask XOR colour, so only black leaves the screen showing
through.
Run it again after changing a drawing: python3 res/make_icons.py
(standard library only; the 256 px image takes a few seconds).
"""
import os
import struct
import zlib

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


# The container's document icon: a page of encoded text (rows of broken
# blocks) with a small key lying on it, where the application icon has a
# large key in front of its page.
SMALL_CONTAINER = [
    "..KKKKKKKK......",
    "..KWWWWWWKK.....",
    "..KWBBWBWKLK....",
    "..KWWWWWWKKKK...",
    "..KWBWBBBBBWK...",
    "..KWWWWWWWWWK...",
    "..KWBBBWBBBWK...",
    "..KWWWWWWWWWK...",
    "..KWBBWBWBBWK...",
    "..KWWWWWWWWWK...",
    "..KWOOOWWWWWK...",
    "..KOYYYODDDDK...",
    "..KOYWYYYYYYK...",
    "..KOYYYOYOYDK...",
    "..KWOOOWOWOWK...",
    "..KKKKKKKKKKK...",
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


# --- shapes with smooth edges -------------------------------------------------
#
# A drawing is a list of (shape, colour) painted in order; colour None clears.
# The drawings are written in the units of the pixel art (32 for the
# application icon, 16 for the button icons), so the shapes follow the
# hand-drawn images; a Grid turns them into pixels of one size, with straight
# edges on whole pixels so that they stay sharp.


class Rect:
    def __init__(self, x0, y0, x1, y1):
        self.box = (x0, y0, x1, y1)

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        return x0 <= x < x1 and y0 <= y < y1

    def inset(self, d):
        x0, y0, x1, y1 = self.box
        return Rect(x0 + d, y0 + d, x1 - d, y1 - d)


class Circle:
    def __init__(self, cx, cy, r):
        self.c, self.r = (cx, cy), r
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        return (x - self.c[0]) ** 2 + (y - self.c[1]) ** 2 < self.r ** 2

    def inset(self, d):
        return Circle(self.c[0], self.c[1], self.r - d)


class Polygon:
    """A convex polygon, its points in clockwise order on screen."""

    def __init__(self, points):
        self.points = points
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        n = len(self.points)
        for i in range(n):
            (ax, ay), (bx, by) = self.points[i], self.points[(i + 1) % n]
            if (bx - ax) * (y - ay) - (by - ay) * (x - ax) < 0:
                return False
        return True

    def inset(self, d):
        """Every edge moved inwards by d."""
        n = len(self.points)
        lines = []
        for i in range(n):
            (ax, ay), (bx, by) = self.points[i], self.points[(i + 1) % n]
            length = ((bx - ax) ** 2 + (by - ay) ** 2) ** 0.5
            nx, ny = -(by - ay) / length, (bx - ax) / length  # inwards for clockwise points
            lines.append(((ax + nx * d, ay + ny * d), (bx - ax, by - ay)))
        points = []
        for i in range(n):
            (p, r), (q, s) = lines[i - 1], lines[i]
            t = ((q[0] - p[0]) * s[1] - (q[1] - p[1]) * s[0]) / (r[0] * s[1] - r[1] * s[0])
            points.append((p[0] + t * r[0], p[1] + t * r[1]))
        return Polygon(points)


def outlined(shapes, fill, outline, stroke):
    """The shapes as one figure: all outlines first, then all fills, so
    overlapping shapes join without a line between them."""
    return [(shape, outline) for shape in shapes] + [(shape.inset(stroke), fill) for shape in shapes]


class Grid:
    """Shapes in pixels of a `size` px image of a drawing `units` wide."""

    def __init__(self, units, size):
        self.k = size / units
        # An outline of one pixel up to 40 px, a little thicker above.
        self.stroke = max(1.0, size / 40)

    def at(self, v):
        return round(v * self.k)

    def rect(self, x0, y0, x1, y1):
        return Rect(self.at(x0), self.at(y0), self.at(x1), self.at(y1))

    def line(self, x0, y, x1):
        """A line of text: one unit high, one pixel at least."""
        top = self.at(y)
        return Rect(self.at(x0), top, self.at(x1), top + max(1, round(self.k)))

    def polygon(self, points):
        return Polygon([(self.at(x), self.at(y)) for x, y in points])

    def circle(self, cx, cy, r):
        return Circle(cx * self.k, cy * self.k, r * self.k)


def render(drawing, size, samples):
    """RGBA rows of `drawing` (in pixels), each pixel the mean of samples x
    samples points."""
    offsets = [(i + 0.5) / samples for i in range(samples)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            # Only the shapes whose box touches this pixel can colour it.
            here = [(shape, colour) for shape, colour in drawing
                    if shape.box[0] < px + 1 and shape.box[2] > px and shape.box[1] < py + 1 and shape.box[3] > py]
            for oy in offsets:
                for ox in offsets:
                    x, y = px + ox, py + oy
                    colour = None
                    for shape, paint in here:
                        if shape.contains(x, y):
                            colour = paint
                    if colour is not None:
                        cr, cg, cb = COLOURS[colour]
                        r, g, b, a = r + cr, g + cg, b + cb, a + 1
            n = samples * samples
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        rows.append(row)
    return rows


def application_drawing(grid):
    """The application icon: a page of text and a key in front of it."""
    g, s = grid, grid.stroke
    page = g.polygon([(4, 2), (16.5, 2), (23, 8.5), (23, 30), (4, 30)])
    fold = g.polygon([(16.5, 2), (23, 8.5), (16.5, 8.5)])
    lines = [g.line(7, 8, 14)] + [g.line(7, y, 20) for y in (11, 14, 17)]
    key = [g.rect(3, 20, 21, 25), g.rect(5, 23, 9, 29), g.rect(11, 23, 15, 28), g.circle(24.5, 22.5, 7)]
    hole = g.circle(24.5, 22.5, 2.2)
    return (outlined([page], 'W', 'K', s) + outlined([fold], 'L', 'K', s) + [(line, 'B') for line in lines] +
            outlined(key, 'Y', 'O', s) + [(hole.inset(-s), 'O'), (hole, None)])


def container_drawing(grid):
    """The container's document icon: a page of encoded text, a small key on it."""
    g, s = grid, grid.stroke
    page = g.polygon([(5, 1), (20, 1), (27, 8), (27, 31), (5, 31)])
    fold = g.polygon([(20, 1), (27, 8), (20, 8)])
    rows = {5: [(8, 11), (12.5, 17)], 9: [(8, 10), (11.5, 16.5), (18, 24)],
            13: [(8, 13), (14.5, 16), (17.5, 24)], 17: [(8, 9.5), (11, 18), (19.5, 24)]}
    blocks = [g.line(x0, y, x1) for y, spans in rows.items() for x0, x1 in spans]
    key = [g.rect(14, 22, 25, 25.5), g.rect(18, 24, 20.5, 28.5), g.rect(22, 24, 24.5, 27.5), g.circle(11.5, 23.75, 4.5)]
    hole = g.circle(11.5, 23.75, 1.5)
    return (outlined([page], 'W', 'K', s) + outlined([fold], 'L', 'K', s) + [(block, 'B') for block in blocks] +
            outlined(key, 'Y', 'O', s) + [(hole.inset(-s), 'O'), (hole, 'W')])


def source_file_drawing(grid):
    """The button beside the file field: a page of text."""
    g, s = grid, grid.stroke
    page = g.polygon([(2, 1), (9.5, 1), (13, 4.5), (13, 15), (2, 15)])
    fold = g.polygon([(9.5, 1), (13, 4.5), (9.5, 4.5)])
    lines = [g.line(4, 4, 8)] + [g.line(4, y, 11) for y in (6, 8, 10)] + [g.line(4, 12, 9)]
    return outlined([page], 'W', 'K', s) + outlined([fold], 'L', 'K', s) + [(line, 'B') for line in lines]


def target_folder_drawing(grid):
    """The button beside the folder field: an open folder."""
    g, s = grid, grid.stroke
    back = [g.rect(1, 4, 15, 14), g.polygon([(1, 3), (2, 2), (6, 2), (7, 3), (7, 5), (1, 5)])]
    front = g.polygon([(1, 7.5), (16, 7.5), (14.5, 15), (1, 15)])
    edge = g.rect(1, 7.5, 15, 8.5)
    highlight = Rect(edge.box[0] + s, edge.box[1] + s, edge.box[2] - s, edge.box[3] + s)
    return outlined(back, 'P', 'O', s) + outlined([front], 'Y', 'O', s) + [(highlight, 'P')]


def art_rgba(pixels):
    """The pixel art as RGBA rows, each pixel opaque or transparent."""
    return [[(0, 0, 0, 0) if p == '.' else COLOURS[p] + (255,) for p in row] for row in pixels]


# --- image formats ---------------------------------------------------------------


def dib32(rows):
    """A 32-bit icon image: header, BGRA bits bottom-up, and the AND mask
    (set where the alpha is 0, so old systems see the same shape)."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = b'', b''
    for row in reversed(rows):
        colour += b''.join(struct.pack('<BBBB', b, g, r, a) if a else b'\0\0\0\0' for r, g, b, a in row)
        bits = 0
        for pixel in row:
            bits = (bits << 1) | (pixel[3] == 0)
        # The first pixel is the top bit of the first byte.
        line = (bits << (-size % 8)).to_bytes((size + 7) // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    return header + colour + mask


def png(rows):
    """An RGBA PNG, as Windows reads 256 px icon images."""
    size = len(rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    raw = b''.join(b'\0' + bytes(v if pixel[3] else 0 for pixel in row for v in pixel) for row in rows)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_ico(name, images):
    """images: (size, bits, data) in the order they are to be stored."""
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, bits, blob in images:
        side = 0 if size == 256 else size  # 0 stands for 256
        entries += struct.pack('<BBBBHHII', side, side, 16 if bits == 4 else 0, 0, 1, bits, len(blob),
                               offset + len(blobs))
        blobs += blob
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + entries + blobs)


def icon_images(drawing, units, art16, art32, sizes):
    """32-bit images at `sizes`, largest first (16 px from the pixel art),
    then the 8-bit and the 4-bit images of the pixel art."""
    images = []
    for size in sorted(sizes, reverse=True):
        if size == 16:
            rows = art_rgba(art16)
        else:
            rows = render(drawing(Grid(units, size)), size, 3 if size > 64 else 4)
        images.append((size, 32, png(rows) if size == 256 else dib32(rows)))
    for bits in (8, 4):
        for art in (art32, art16):
            if art is not None:
                images.append((len(art), bits, dib(art, bits)))
    return images


# --- the installer's picture --------------------------------------------------------


def side_picture(width, height):
    """RGB rows of the installer's welcome and finish pages' picture: the
    application icon on a calm blue, lighter towards the bottom, with a soft
    glow behind the icon."""
    top, bottom = (0x1C, 0x3C, 0x78), (0x6E, 0x9A, 0xCE)
    size = 112
    # The drawing's key reaches further right than its page does on the left.
    left, upper = (width - size) // 2 - size // 28, 56
    icon = render(application_drawing(Grid(32, size)), size, 3)
    glow_x, glow_y, glow_r = width / 2, upper + size / 2, size * 0.85
    rows = []
    for y in range(height):
        t = y / (height - 1)
        base = [a + (b - a) * t for a, b in zip(top, bottom)]
        row = []
        for x in range(width):
            d = ((x + 0.5 - glow_x) ** 2 + (y + 0.5 - glow_y) ** 2) ** 0.5
            lift = 0.22 * max(0.0, 1 - d / glow_r) ** 2
            pixel = [c + (255 - c) * lift for c in base]
            if left <= x < left + size and upper <= y < upper + size:
                r, g, b, a = icon[y - upper][x - left]
                pixel = [c + (v - c) * a / 255 for c, v in zip(pixel, (r, g, b))]
            row.append(tuple(round(c) for c in pixel))
        rows.append(row)
    return rows


def write_bmp(name, rows):
    """A 24-bit bottom-up BMP, as the installer's pages take it."""
    width, height = len(rows[0]), len(rows)
    pad = b'\0' * (-3 * width % 4)
    bits = b''.join(bytes(v for r, g, b in row for v in (b, g, r)) + pad for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(bits), 0, 0, 14 + len(info)) + info + bits)


if __name__ == '__main__':
    write_ico('morvane.ico', icon_images(application_drawing, 32, SMALL_DOCUMENT_WITH_KEY, document_with_key(),
                                         [16, 20, 24, 32, 40, 48, 64, 256]))
    write_ico('browse_source.ico', icon_images(source_file_drawing, 16, SOURCE_FILE, None, [16, 20, 24, 32]))
    write_ico('browse_folder.ico', icon_images(target_folder_drawing, 16, TARGET_FOLDER, None, [16, 20, 24, 32]))
    write_ico('container.ico', icon_images(container_drawing, 32, SMALL_CONTAINER, None,
                                           [16, 20, 24, 32, 40, 48, 64, 256]))
    write_bmp('installer-side.bmp', side_picture(164, 314))
