#!/usr/bin/env bash
# Takes a screenshot (xwd | convert) of a skinned frame window with its shadow under Xvfb and
# checks it by regions: the background colour, a control's colour, the corners that the round
# window region cuts away and the shadow band.
# Wine under Xvfb shows layered windows without blending: the shadow window, which lies above
# the frame it belongs to, hides the part of the frame it overlaps, and its pixels appear with
# their premultiplied colour, opaque. The checks of the frame look where the shadow window is
# not (its top rows and left columns: the shadow starts 20 pixels right and down).
# The desktop (the root window's background) is made magenta first, so that the shadow can be
# told from what lies around it. (A window of the program below the frame would not do: Wine
# with the window manager then leaves the frame black.)
#   screenshot_test.sh <window_shot.exe> <output folder>
# The PNG stays in the output folder (window_shot.png) for a person to look at.
set -euo pipefail
exe=$1
out=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/scripts/wine-env.sh"
mkdir -p "$out"
ready="$out/window_shot.ready"
done_file="$out/window_shot.done"
png="$out/window_shot.png"
rm -f "$ready" "$done_file" "$png"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
convert -size 8x8 xc:magenta "$out/desktop.png"
display -display "$DISPLAY" -window root "$out/desktop.png" || true

"$TESSMARK_WINE" "$exe" "$(winpath "$ready")" "$(winpath "$done_file")" &
pid=$!
finish() { touch "$done_file"; wait "$pid" 2>/dev/null || true; }
trap finish EXIT

for _ in $(seq 300); do
  [ -s "$ready" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "window_shot.exe ended early" >&2; exit 1; }
  sleep 0.1
done
[ -s "$ready" ] || { echo "window_shot.exe did not show its window" >&2; exit 1; }
read -r x y w h < <(tr -d '\r' < "$ready")
xwd -root -silent -display "$DISPLAY" | convert xwd:- "$png"

failures=0
# Mean colour of a w x h block at (bx, by) of the screen, as "r g b" (0-255).
mean() {
  convert "$png" -crop "$3x$4+$1+$2" +repage -scale '1x1!' \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}
# near GOT R G B TOL: each channel of GOT ("r g b") within TOL of (R, G, B).
near() {
  awk -v got="$1" -v r="$2" -v g="$3" -v b="$4" -v t="$5" 'BEGIN {
    split(got, c, " "); d[1] = c[1] - r; d[2] = c[2] - g; d[3] = c[3] - b
    for (i = 1; i <= 3; i++) if (d[i] > t || -d[i] > t) exit 1
  }'
}
# expect NAME X Y W H R G B [TOL]: the block's mean colour is near (R, G, B).
expect() {
  local got
  got=$(mean "$2" "$3" "$4" "$5")
  if near "$got" "$6" "$7" "$8" "${9:-12}"; then
    echo "ok   $1: $got"
  else
    echo "FAIL $1: mean colour $got, expected $6 $7 $8" >&2
    failures=$((failures + 1))
  fi
}

# expect_not NAME X Y W H R G B: the block's mean colour is far from (R, G, B).
expect_not() {
  local got
  got=$(mean "$2" "$3" "$4" "$5")
  if near "$got" "$6" "$7" "$8" 60; then
    echo "FAIL $1: mean colour $got, too close to $6 $7 $8" >&2
    failures=$((failures + 1))
  else
    echo "ok   $1: $got"
  fi
}

echo "frame at $x,$y size ${w}x$h; screenshot $png"
expect "body background" $((x + 3)) $((y + 100)) 14 100 232 224 208
expect "caption row" $((x + 40)) $((y + 4)) 150 12 96 144 192
expect "button in the caption" $((x + w - 70)) $((y + 4)) 40 12 32 192 64
expect "desktop beside the frame" $((x - 60)) $((y + 100)) 40 40 255 0 255
# Round corners of 16: the region cuts the outermost corner pixels away, while a pixel 6 in
# from the corner is the window's. What shows in the cut depends on the window manager (its
# frame around the window, or the desktop), never the window's colour.
expect "caption inside the top-left corner" $((x + 6)) $((y + 6)) 2 2 96 144 192
expect_not "top-left corner cut away" "$x" "$y" 2 2 96 144 192
expect "button inside the top-right corner" $((x + w - 8)) $((y + 6)) 2 2 32 192 64
expect_not "top-right corner cut away" $((x + w - 2)) "$y" 2 2 32 192 64
expect "body inside the bottom-left corner" $((x + 6)) $((y + h - 8)) 2 2 232 224 208
expect_not "bottom-left corner cut away" "$x" $((y + h - 2)) 2 2 232 224 208
# The solid part of the shadow right of the frame: red 0xFF at darkness 200, premultiplied.
expect "shadow band right of the frame" $((x + w + 2)) $((y + 100)) 6 100 200 0 0
expect "no shadow above the frame" $((x + 50)) $((y - 4)) 100 3 255 0 255
expect "no shadow left of the frame" $((x - 6)) $((y + 100)) 4 100 255 0 255
exit $((failures > 0))
