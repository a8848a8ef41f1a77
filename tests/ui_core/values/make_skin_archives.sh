#!/bin/sh
# Packs the test skin into a zip and a 7z archive with the real tools, together with two generated
# layouts at the size limit of a skin file: Exact.xml (4 MiB, loads) and Big.xml (one byte more),
# and corrupt.zip, whose one stored item has a byte changed after its checksum was taken.
#   make_skin_archives.sh <skin folder> <output folder>
set -eu
skin=$1
out=$2
stage="$out/stage"
rm -rf "$stage" "$out/skin.zip" "$out/skin.7z" "$out/corrupt.zip"
mkdir -p "$stage"
cp -R "$skin"/. "$stage"/
{ printf '<Window>'; head -c 4194287 /dev/zero | tr '\0' ' '; printf '</Window>'; } > "$stage/Exact.xml"
{ cat "$stage/Exact.xml"; printf ' '; } > "$stage/Big.xml"
cd "$stage"
zip -q -r "$out/skin.zip" .
7zz a -bso0 -bsp0 -y "$out/skin.7z" . >/dev/null
zip -q -X -0 "$out/corrupt.zip" MainWnd.xml
# Local header (30 bytes) and the name (11 bytes; -X leaves no extra field), then the stored
# bytes of the item.
printf 'X' | dd of="$out/corrupt.zip" bs=1 seek=60 conv=notrunc 2>/dev/null
