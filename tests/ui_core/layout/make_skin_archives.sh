#!/bin/sh
# Packs the layout test skin into a zip and a 7z archive with the real tools, next to a staged
# copy of the folder.
#   make_skin_archives.sh <skin folder> <output folder>
set -eu
skin=$1
out=$2
stage="$out/stage"
rm -rf "$stage" "$out/skin.zip" "$out/skin.7z"
mkdir -p "$stage"
cp -R "$skin"/. "$stage"/
cd "$stage"
zip -q -r "$out/skin.zip" .
7zz a -bso0 -bsp0 -y "$out/skin.7z" . >/dev/null
