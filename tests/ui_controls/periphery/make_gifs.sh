#!/bin/sh
# Makes the animated GIF fixtures with ImageMagick's convert (packed by zip and 7zz): frames of known colours and delays
# (in hundredths of a second), a single-frame GIF, a two-page TIFF without delays, and a zip
# skin and a 7z skin holding the animation.
#   make_gifs.sh <convert> <output folder>
set -eu
convert=$1
out=$2
mkdir -p "$out"
# Four 16 x 16 frames: red 100 ms, green 300 ms, blue with delay 0 (plays as 100 ms), yellow 50 ms.
"$convert" -size 16x16 -delay 10 xc:'#FF0000' -delay 30 xc:'#00FF00' -delay 0 xc:'#0000FF' \
  -delay 5 xc:'#FFFF00' -loop 0 "$out/animated.gif"
# One magenta frame that still carries a delay.
"$convert" -size 16x16 -delay 20 xc:'#FF00FF' "$out/single.gif"
# Two pages (cyan, then white) without any frame delay: a multi-frame image that is no animation.
"$convert" -size 16x16 xc:'#00FFFF' xc:'#FFFFFF' "$out/pages.tif"
rm -f "$out/gifskin.zip"
mkdir -p "$out/skin"
cp "$out/animated.gif" "$out/skin/anim.gif"
(cd "$out/skin" && zip -q -X ../gifskin.zip anim.gif)
rm -f "$out/gifskin.7z"
(cd "$out/skin" && 7zz a -bd -bso0 -bsp0 -t7z ../gifskin.7z anim.gif)
