#!/usr/bin/env python3
"""Writes the window manager tests' images as real PNG files and packs them with the real zip
and 7z tools.

  make_manager_fixtures.py <output folder>

skin/blue.png       2 x 2, opaque blue
skin/half_red.png   4 x 4, red at alpha 128
skin/shape.png      64 x 32, white; the left half opaque, the right half at alpha 64
skin.zip, skin.7z   the skin folder's images
skin/ReDeclare.xml  a layout whose Include declares blue.png again (with a mask that clears it)
"""
import os
import shutil
import struct
import subprocess
import sys
import zlib


def png(width, height, pixel):
    """PNG bytes of an RGBA image; pixel(x, y) gives (r, g, b, a)."""
    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1]
    skin = os.path.join(out, "skin")
    shutil.rmtree(skin, ignore_errors=True)
    os.makedirs(skin)
    images = {
        "blue.png": png(2, 2, lambda x, y: (0, 0, 255, 255)),
        "half_red.png": png(4, 4, lambda x, y: (255, 0, 0, 128)),
        "shape.png": png(64, 32, lambda x, y: (255, 255, 255, 255 if x < 32 else 64)),
    }
    for name, data in images.items():
        with open(os.path.join(skin, name), "wb") as f:
            f.write(data)
    layouts = {
        "ReDeclare.xml":
            '<Window>\n'
            '  <Image name="blue.png" />\n'
            '  <VerticalLayout name="page">\n'
            '    <Control name="early" float="true" pos="0,0,20,20" bkimage="blue.png" />\n'
            '    <Include source="ReDeclarePart.xml" />\n'
            '  </VerticalLayout>\n'
            '</Window>\n',
        "ReDeclarePart.xml":
            '<Include>\n'
            '  <Image name="blue.png" mask="#FF0000FF" />\n'
            '  <Control name="late" float="true" pos="20,0,40,20" bkimage="blue.png" />\n'
            '</Include>\n',
    }
    for name, text in layouts.items():
        with open(os.path.join(skin, name), "w", encoding="utf-8") as f:
            f.write(text)
    for archive in ("skin.zip", "skin.7z"):
        path = os.path.join(out, archive)
        if os.path.exists(path):
            os.remove(path)
    names = sorted(images)
    subprocess.run(["zip", "-q", "-X", os.path.join(out, "skin.zip")] + names, cwd=skin, check=True)
    subprocess.run(["7zz", "a", "-bso0", "-bsp0", "-y", os.path.join(out, "skin.7z")] + names,
                   cwd=skin, check=True, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
