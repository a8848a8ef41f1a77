#!/usr/bin/env bash
# Takes a screenshot (ImageMagick import) of a skinned frame window with its shadow under Xvfb and
# checks it by regions: the background colour, a control's colour, the corners that the round
# window region cuts away (the magenta screen below shows through) and the shadow band.
# The magenta is the X root window's background, not a second window: two top-level windows
# would leave their stacking to the window manager, which maps a new window below the focused
# one while Windows keeps its own order, and the frame's place would then show neither.
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
# ImageMagick's display sets the root background and ends (with status 1 even when it worked).
root_background() { display -display "$DISPLAY" -window root -size 8x8 "xc:$1" || true; }

root_background magenta
"$TESSMARK_WINE" "$exe" "$(winpath "$ready")" "$(winpath "$done_file")" &
pid=$!
finish() { touch "$done_file"; wait "$pid" 2>/dev/null || true; root_background black; }
trap finish EXIT

for _ in $(seq 300); do
  [ -s "$ready" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "window_shot.exe ended early" >&2; exit 1; }
  sleep 0.1
done
[ -s "$ready" ] || { echo "window_shot.exe did not show its window" >&2; exit 1; }
read -r x y w h < <(tr -d '\r' < "$ready")
import -silent -display "$DISPLAY" -window root "$png"

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

# expect_below NAME X Y W H: the block shows what lies below the frame, not the frame: the
# magenta screen, or black where the window manager's own frame window does not take on the
# window's shape.
expect_below() {
  local got
  got=$(mean "$2" "$3" "$4" "$5")
  if near "$got" 255 0 255 30 || near "$got" 0 0 0 12; then
    echo "ok   $1: $got"
  else
    echo "FAIL $1: mean colour $got, expected what lies below the frame" >&2
    failures=$((failures + 1))
  fi
}

echo "frame at $x,$y size ${w}x$h; screenshot $png"
expect "body background" $((x + 40)) $((y + 100)) 200 150 232 224 208
expect "caption row" $((x + 40)) $((y + 8)) 150 20 32 32 32
expect "button in the caption" $((x + w - 70)) $((y + 8)) 60 20 32 192 64
expect "magenta screen beside the frame" $((x - 60)) $((y + 100)) 40 40 255 0 255
# Round corners of 16: the region leaves the outermost corner pixels to what lies below (the
# caption there would be 32 32 32).
expect_below "top-left corner cut away" "$x" "$y" 2 2
expect_below "top-right corner cut away" $((x + w - 2)) "$y" 2 2
expect_below "bottom-left corner cut away" "$x" $((y + h - 2)) 2 2
# The shadow (6 down and right) covers the band right of the frame and none of the frame
# itself; Wine draws it unblended, so it is an opaque band that hides the magenta below.
expect_not "shadow band right of the frame" $((x + w + 1)) $((y + 100)) 3 100 255 0 255
expect "no shadow above the frame" $((x + 50)) $((y - 4)) 100 3 255 0 255
exit $((failures > 0))
