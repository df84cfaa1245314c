#!/usr/bin/env python3
"""Turn a character-grid picture (see README.md) into a .bmp, .ico or .cur file.

    pixelart.py SOURCE.txt OUTPUT.{bmp,ico,cur} [--variant NAME]

Standard library only, so the cross build needs nothing beyond python3.
"""

import argparse
import struct
import sys


class ArtError(Exception):
    pass


class Image:
    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows  # list of strings, top row first


class Art:
    """A parsed source file: legend, optional variants and one or more grids."""

    def __init__(self):
        self.bits = None
        self.hotspot = (0, 0)
        self.colours = {}      # char -> (r, g, b) or None for transparent
        self.variants = {}     # name -> {char: colour}
        self.images = []

    def legend(self, variant=None):
        table = dict(self.colours)
        if variant is not None:
            if variant not in self.variants:
                raise ArtError("unknown variant %r" % variant)
            table.update(self.variants[variant])
        return table


def parse_colour(text, where):
    if text.lower() == "none":
        return None
    if len(text) != 6:
        raise ArtError("%s: colour must be RRGGBB or none, not %r" % (where, text))
    try:
        value = int(text, 16)
    except ValueError:
        raise ArtError("%s: bad colour %r" % (where, text))
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255)


def parse(text, name="<art>"):
    art = Art()
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        where = "%s:%d" % (name, i + 1)
        line = lines[i]
        i += 1
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        key = words[0]
        if key == "bits" and len(words) == 2:
            art.bits = int(words[1])
            if art.bits not in (1, 4, 8, 24):
                raise ArtError("%s: bits must be 1, 4, 8 or 24" % where)
        elif key == "hotspot" and len(words) == 3:
            art.hotspot = (int(words[1]), int(words[2]))
        elif key == "colour" and len(words) == 3 and len(words[1]) == 1:
            art.colours[words[1]] = parse_colour(words[2], where)
        elif key == "variant" and len(words) >= 2:
            table = {}
            for pair in words[2:]:
                if len(pair) < 3 or pair[1] != "=":
                    raise ArtError("%s: variant entries look like C=RRGGBB" % where)
                table[pair[0]] = parse_colour(pair[2:], where)
            art.variants[words[1]] = table
        elif key == "image" and len(words) == 3:
            width, height = int(words[1]), int(words[2])
            if not (0 < width <= 256 and 0 < height <= 256):
                raise ArtError("%s: image size out of range" % where)
            rows = lines[i:i + height]
            if len(rows) != height:
                raise ArtError("%s: image needs %d rows" % (where, height))
            for n, row in enumerate(rows):
                row = row.rstrip("\r\n")
                if len(row) != width:
                    raise ArtError("%s:%d: row is %d wide, expected %d"
                                   % (name, i + n + 1, len(row), width))
            art.images.append(Image(width, height, [r.rstrip("\r\n") for r in rows]))
            i += height
        else:
            raise ArtError("%s: cannot read %r" % (where, line))
    if not art.images:
        raise ArtError("%s: no image" % name)
    return art


def pixels(image, legend):
    """Rows of colours (or None), top row first."""
    out = []
    for y, row in enumerate(image.rows):
        line = []
        for x, ch in enumerate(row):
            if ch not in legend:
                raise ArtError("pixel %r at %d,%d has no colour" % (ch, x, y))
            line.append(legend[ch])
        out.append(line)
    return out


def build_palette(art, legend_list, first=()):
    """Every opaque colour used under any legend, in first-use order.

    Taking every variant into account gives all variants one palette, so
    the pictures differ only in their pixels.
    """
    palette = list(first)
    for legend in legend_list:
        for image in art.images:
            for row in pixels(image, legend):
                for colour in row:
                    if colour is not None and colour not in palette:
                        palette.append(colour)
    return palette


def choose_bits(art, count, allowed):
    if art.bits is not None:
        if art.bits not in allowed:
            raise ArtError("bits %d not allowed here" % art.bits)
        if art.bits < 24 and count > (1 << art.bits):
            raise ArtError("%d colours do not fit in %d bits" % (count, art.bits))
        return art.bits
    for bits in allowed:
        if bits == 24 or count <= (1 << bits):
            return bits
    raise ArtError("%d colours do not fit in %s bits" % (count, allowed))


def pack_row(values, bits):
    """Pack one row of palette indices (or RGB triples for 24 bits), padded to 4 bytes."""
    data = bytearray()
    if bits == 24:
        for r, g, b in values:
            data += bytes((b, g, r))
    else:
        per_byte = 8 // bits
        for start in range(0, len(values), per_byte):
            byte = 0
            chunk = values[start:start + per_byte]
            for n in range(per_byte):
                v = chunk[n] if n < len(chunk) else 0
                byte |= v << (8 - bits * (n + 1))
            data.append(byte)
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def info_header(width, height, bits, colours_used, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       image_size, 2835, 2835, colours_used, 0)


def palette_bytes(palette, entries):
    data = bytearray()
    for n in range(entries):
        r, g, b = palette[n] if n < len(palette) else (0, 0, 0)
        data += bytes((b, g, r, 0))
    return bytes(data)


def make_bmp(art, variant=None):
    if len(art.images) != 1:
        raise ArtError("a bitmap takes exactly one image")
    image = art.images[0]
    legend = art.legend(variant)
    grid = pixels(image, legend)
    if any(c is None for row in grid for c in row):
        raise ArtError("a bitmap has no transparent pixels; use a key colour")
    legends = [art.legend(v) for v in art.variants]
    if variant is None:
        legends.append(legend)
    palette = build_palette(art, legends)
    bits = choose_bits(art, len(palette), (4, 8, 24))
    entries = 0 if bits == 24 else (1 << bits)
    body = bytearray()
    for row in reversed(grid):  # bottom-up
        body += pack_row(row if bits == 24 else [palette.index(c) for c in row], bits)
    header = info_header(image.width, image.height, bits, 0, len(body))
    pal = palette_bytes(palette, entries)
    offset = 14 + len(header) + len(pal)
    filehdr = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return filehdr + header + pal + bytes(body)


def and_mask_rows(grid):
    """1 where the picture shows what is behind it."""
    return [pack_row([1 if c is None else 0 for c in row], 1) for row in reversed(grid)]


def make_icon_image(image, grid, palette, bits):
    # Transparent pixels must be black (index 0) in the colour bits so the
    # screen shows through unchanged.
    xor = bytearray()
    for row in reversed(grid):
        xor += pack_row([0 if c is None else palette.index(c) for c in row], bits)
    mask = b"".join(and_mask_rows(grid))
    entries = 1 << bits
    header = info_header(image.width, image.height * 2, bits, 0, len(xor) + len(mask))
    return header + palette_bytes(palette, entries) + bytes(xor) + mask


def make_ico(art, variant=None):
    legend = art.legend(variant)
    palette = build_palette(art, [legend], first=[(0, 0, 0)])
    bits = choose_bits(art, len(palette), (4, 8))
    blobs = [make_icon_image(img, pixels(img, legend), palette, bits) for img in art.images]
    return pack_directory(1, art.images, blobs,
                          lambda img: ((1 << bits) if bits < 8 else 0, 1, bits))


def make_cur(art, variant=None):
    if len(art.images) != 1:
        raise ArtError("a cursor takes exactly one image")
    image = art.images[0]
    grid = pixels(image, art.legend(variant))
    white, black = (255, 255, 255), (0, 0, 0)
    for row in grid:
        for c in row:
            if c not in (None, white, black):
                raise ArtError("a cursor pixel is black, white or none")
    xor = b"".join(pack_row([1 if c == white else 0 for c in row], 1) for row in reversed(grid))
    mask = b"".join(and_mask_rows(grid))
    header = info_header(image.width, image.height * 2, 1, 0, len(xor) + len(mask))
    blob = header + palette_bytes([black, white], 2) + xor + mask
    hx, hy = art.hotspot
    if not (0 <= hx < image.width and 0 <= hy < image.height):
        raise ArtError("hot spot outside the cursor")
    # In a cursor directory the planes and bit-count fields carry the hot spot.
    return pack_directory(2, [image], [blob], lambda img: (0, hx, hy))


def pack_directory(kind, images, blobs, fields):
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        colour_count, planes, bitcount = fields(image)
        out += struct.pack("<BBBBHHII", image.width % 256, image.height % 256,
                           colour_count, 0, planes, bitcount, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


WRITERS = {".bmp": make_bmp, ".ico": make_ico, ".cur": make_cur}


def convert(source, output, variant=None):
    with open(source, encoding="utf-8") as f:
        art = parse(f.read(), source)
    suffix = output[output.rfind("."):].lower() if "." in output else ""
    if suffix not in WRITERS:
        raise ArtError("output must end in .bmp, .ico or .cur")
    data = WRITERS[suffix](art, variant)
    with open(output, "wb") as f:
        f.write(data)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source")
    parser.add_argument("output")
    parser.add_argument("--variant", help="apply this variant's colours")
    args = parser.parse_args(argv)
    try:
        convert(args.source, args.output, args.variant)
    except (ArtError, OSError) as e:
        print("pixelart: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
