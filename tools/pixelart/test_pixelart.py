#!/usr/bin/env python3
"""Checks the converter's files by decoding them independently, and checks
that velora's drawings have the sizes and properties its code relies on."""

import os
import struct
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import pixelart  # noqa: E402

ART = os.path.join(HERE, "..", "..", "velora", "resources", "art")


def load(name):
    with open(os.path.join(ART, name), encoding="utf-8") as f:
        return pixelart.parse(f.read(), name)


def decode_dib(data, offset):
    """Decode a DIB at offset: returns (header fields, palette, rows of RGB or index, top first)."""
    (size, width, height, planes, bits, compression, image_size,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    entries = used or (0 if bits == 24 else 1 << bits)
    pal_at = offset + size
    palette = [tuple(data[pal_at + 4 * n + 2 - k] for k in range(3)) for n in range(entries)]
    return dict(width=width, height=height, planes=planes, bits=bits,
                compression=compression, image_size=image_size), palette, pal_at + 4 * entries


def read_rows(data, at, width, height, bits):
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height):
        line = data[at + y * stride: at + (y + 1) * stride]
        if bits == 24:
            rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(width)])
        else:
            per = 8 // bits
            rows.append([(line[x // per] >> (8 - bits * (x % per + 1))) & ((1 << bits) - 1)
                         for x in range(width)])
    return rows[::-1], at + stride * height


def decode_bmp(data):
    magic, file_size, _, _, off_bits = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and file_size == len(data)
    info, palette, pixels_at = decode_dib(data, 14)
    assert off_bits == pixels_at
    rows, end = read_rows(data, off_bits, info["width"], info["height"], info["bits"])
    assert end == len(data) and info["image_size"] == end - off_bits
    if info["bits"] != 24:
        rows = [[palette[i] for i in row] for row in rows]
    return info, palette, rows


def decode_directory(data, kind):
    reserved, found_kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and found_kind == kind
    entries = []
    for n in range(count):
        w, h, colours, _, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        info, palette, at = decode_dib(data, offset)
        assert info["width"] == w and info["height"] == 2 * h and offset + size <= len(data)
        colour, at = read_rows(data, at, w, h, info["bits"])
        mask, end = read_rows(data, at, w, h, 1)
        assert end == offset + size
        entries.append(dict(w=w, h=h, colours=colours, f1=f1, f2=f2, info=info,
                            palette=palette, colour=colour, mask=mask))
    return entries


SMALL = """# odd width, so every row needs padding
colour . 000000
colour r ff0000
colour g 00ff00
colour b 0000ff
image 5 3
r.g.b
.....
bbgrr
"""


class BitmapTest(unittest.TestCase):
    def test_pixels_survive_every_depth(self):
        expected = [[{".": (0, 0, 0), "r": (255, 0, 0), "g": (0, 255, 0), "b": (0, 0, 255)}[c]
                     for c in row] for row in ["r.g.b", ".....", "bbgrr"]]
        for bits in (4, 8, 24):
            info, _, rows = decode_bmp(pixelart.make_bmp(pixelart.parse("bits %d\n" % bits + SMALL)))
            self.assertEqual((info["bits"], info["width"], info["height"]), (bits, 5, 3))
            self.assertEqual(rows, expected, "bits %d" % bits)

    def test_marquee_frames_differ_only_in_the_lights(self):
        art = load("marquee.txt")
        a_info, a_pal, a = decode_bmp(pixelart.make_bmp(art, "a"))
        b_info, b_pal, b = decode_bmp(pixelart.make_bmp(art, "b"))
        self.assertEqual((a_info["width"], a_info["height"], a_info["bits"]), (121, 40, 4))
        self.assertEqual(a_pal, b_pal)
        lights = set("".join(art.variants["a"]))
        changed = 0
        for y, row in enumerate(art.images[0].rows):
            for x, ch in enumerate(row):
                if ch not in lights:
                    self.assertEqual(a[y][x], b[y][x], (x, y))
                elif a[y][x] != b[y][x]:
                    changed += 1
        self.assertGreater(changed, 0)

    def test_tree_images_are_four_16_pixel_pictures_on_magenta(self):
        info, _, rows = decode_bmp(pixelart.make_bmp(load("tree_images.txt")))
        self.assertEqual((info["width"], info["height"]), (64, 16))
        self.assertLessEqual(info["bits"], 4)
        for n in range(4):
            self.assertEqual(rows[0][16 * n], (255, 0, 255))

    def test_faults_in_a_drawing_are_reported(self):
        for text in ["colour . 000000\nimage 3 2\n...\n..\n",      # ragged row
                     "colour . 000000\nimage 2 1\n.x\n",           # no colour for x
                     "colour . 000000\nimage 2 2\n..\n",           # missing row
                     "bits 4\n" + "".join("colour %s %06x\n" % (chr(65 + n), n) for n in range(17))
                     + "image 17 1\n" + "".join(chr(65 + n) for n in range(17)) + "\n"]:
            with self.assertRaises(pixelart.ArtError):
                pixelart.make_bmp(pixelart.parse(text))


class IconAndCursorTest(unittest.TestCase):
    def test_app_icon_has_32_and_16_pixel_images_with_matching_masks(self):
        art = load("app_icon.txt")
        entries = decode_directory(pixelart.make_ico(art), 1)
        self.assertEqual([(e["w"], e["h"]) for e in entries], [(32, 32), (16, 16)])
        for entry, image in zip(entries, art.images):
            self.assertEqual((entry["f1"], entry["f2"]), (1, entry["info"]["bits"]))
            self.assertGreaterEqual(entry["info"]["bits"], 4)
            for y, row in enumerate(image.rows):
                for x, ch in enumerate(row):
                    clear = art.colours[ch] is None
                    self.assertEqual(entry["mask"][y][x], 1 if clear else 0, (x, y))
                    shown = entry["palette"][entry["colour"][y][x]]
                    self.assertEqual(shown, (0, 0, 0) if clear else art.colours[ch], (x, y))

    def test_invisible_cursor(self):
        (entry,) = decode_directory(pixelart.make_cur(load("invisible_cursor.txt")), 2)
        self.assertEqual((entry["w"], entry["h"], entry["info"]["bits"]), (32, 32, 1))
        self.assertEqual((entry["f1"], entry["f2"]), (0, 0))  # hot spot
        self.assertTrue(all(v == 0 for row in entry["colour"] for v in row))
        self.assertTrue(all(v == 1 for row in entry["mask"] for v in row))

    def test_cursor_hot_spot_is_written(self):
        (entry,) = decode_directory(pixelart.make_cur(pixelart.parse(
            "hotspot 3 1\ncolour . none\ncolour K 000000\nimage 4 2\n....\n...K\n")), 2)
        self.assertEqual((entry["f1"], entry["f2"]), (3, 1))
        self.assertEqual(entry["mask"], [[1, 1, 1, 1], [1, 1, 1, 0]])


if __name__ == "__main__":
    unittest.main()
