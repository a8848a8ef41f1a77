#!/bin/sh
# Makes the skins of the window tests: the skin folder with a generated nine-grid shadow image,
# the same skin packed by the real 7zz into skin.7z (embedded as the "ZIPRES" resource), and the
# icon of the icon test; and other.7z (the "ZIPRES" resource 148), a second archive whose
# PlainWnd.xml asks for another size, so that a window can tell which archive it was built from.
#   make_window_skin.sh <skin sources> <output folder>
set -eu
src=$1
out=$2
rm -rf "$out/skin" "$out/skin.7z" "$out/icon.ico" "$out/other" "$out/other.7z"
mkdir -p "$out/skin"
cp "$src"/*.xml "$out/skin/"
# A 40 x 40 image of black at half alpha: its nine-grid border is what the shadow shows.
convert -size 40x40 xc:"rgba(0,0,0,0.5)" "PNG32:$out/skin/shadow.png"
# The shape of the layered window: opaque but for its top-left pixel. Only an image with
# transparency lends the window its alpha (what the tree paints has none).
convert -size 30x20 xc:"rgba(240,240,240,1)" -alpha set -channel A -fx "i==0&&j==0?0:1" \
  +channel "PNG32:$out/skin/layered.png"
convert -size 32x32 xc:"#D02020" "$out/icon.ico"
cd "$out/skin"
7zz a -bso0 -bsp0 -y "$out/skin.7z" . >/dev/null
mkdir -p "$out/other"
sed 's/size="300,200"/size="321,123"/' "$src/PlainWnd.xml" >"$out/other/PlainWnd.xml"
grep -q 'size="321,123"' "$out/other/PlainWnd.xml"
cd "$out/other"
7zz a -bso0 -bsp0 -y "$out/other.7z" . >/dev/null
