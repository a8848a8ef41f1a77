#!/bin/sh
# Writes the benchmark's skin, a 600 x 400 window of 100 controls (ten rows of ten) with colours
# and borders, and packs it with the real 7zz into bench.7z.
#   make_bench_skin.sh <output folder>
set -eu
out=$1
rm -rf "$out/skin" "$out/bench.7z"
mkdir -p "$out/skin"
{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Window size="600,400" caption="0,0,0,30" roundcorner="6,6">'
  echo '  <VerticalLayout bkcolor="#FF203040" inset="10,10,10,10" childpadding="4">'
  row=0
  while [ $row -lt 10 ]; do
    echo '    <HorizontalLayout childpadding="4">'
    col=0
    while [ $col -lt 10 ]; do
      shade=$(( (row * 10 + col) * 2 + 40 ))
      printf '      <Control name="c%d_%d" bkcolor="#FF%02X%02X%02X" bordersize="1" bordercolor="#FF000000" />\n' \
        "$row" "$col" "$shade" "$(( 255 - shade ))" 128
      col=$((col + 1))
    done
    echo '    </HorizontalLayout>'
    row=$((row + 1))
  done
  echo '  </VerticalLayout>'
  echo '</Window>'
} > "$out/skin/BenchWnd.xml"
cd "$out/skin"
7zz a -bso0 -bsp0 -y "$out/bench.7z" . >/dev/null
