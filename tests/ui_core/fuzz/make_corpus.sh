#!/usr/bin/env bash
# Remakes the committed seed archives of the fuzz targets with the real tools:
#   tests/ui_core/fuzz/make_corpus.sh
# Keep them small: the mutation loop works best on inputs of a few hundred bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export LC_ALL=C.UTF-8 TZ=UTC
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p skin/res/img skin/empty_dir
printf '<Window size="300,200"><Label name="a" text="x &amp; y" /></Window>\n' > skin/MainWnd.xml
printf '\x89PNG\r\n\x1a\n\xe8\x00\x00\x00\x00\xe8\x10\x00\x00\x00\x0b\xeb\x00\x94' > skin/res/img/bg.png
: > skin/empty.txt
touch -d @1600000001 skin/MainWnd.xml

mkdir -p "$here/corpus/zip" "$here/corpus/7z"
rm -f "$here"/corpus/zip/*.zip "$here"/corpus/7z/*.7z
(cd skin && zip -q -X -r -0 "$here/corpus/zip/stored.zip" .)
(cd skin && zip -q -r -9 "$here/corpus/zip/deflated_ut.zip" .)
(cd skin && zip -q -k "$here/corpus/zip/dos.zip" MainWnd.xml)

seven() { local name=$1; shift; (cd skin && 7zz a -bd -bso0 -bsp0 -t7z "$@" "$here/corpus/7z/$name" .); }
seven lzma_plain_header.7z -m0=LZMA -mhc=off
seven lzma2_solid.7z -m0=LZMA2 -ms=on
seven copy_plain_header.7z -m0=Copy -mhc=off
seven bcj_lzma.7z -mf=BCJ -m0=LZMA -mhc=off
seven bcj2.7z -mf=BCJ2 -m0=LZMA2 -mhc=off
seven arm64.7z -mf=ARM64 -m0=LZMA2
seven armt.7z -mf=ARMT -m0=LZMA -mhc=off
ls -l "$here"/corpus/zip "$here"/corpus/7z
