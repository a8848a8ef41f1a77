#!/bin/sh
# Makes the skin archives of the drawing tests: images/archive.png (2 x 1 RGBA: opaque
# 0x112233, then 0x4080C0 at alpha 0x80) and images/notimage.png (text), packed by the real zip
# and 7zz.
#   make_drawing_skin.sh <output folder>
set -eu
out=$1
stage="$out/stage"
rm -rf "$stage" "$out/skin.zip" "$out/skin.7z"
mkdir -p "$stage/images"
python3 - "$stage/images/archive.png" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
rows = b"\x00" + bytes([0x11, 0x22, 0x33, 0xFF, 0x40, 0x80, 0xC0, 0x80])
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 1, 8, 6, 0, 0, 0)) \
    + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
printf 'not an image' > "$stage/images/notimage.png"
cd "$stage"
zip -q -r "$out/skin.zip" .
7zz a -bso0 -bsp0 -y "$out/skin.7z" . >/dev/null
