#!/usr/bin/env bash
# Compares the installer's file digest with Linux md5sum on the same 512 MiB file.
#   tools/md5_bench/run.sh BUILD_DIR [FILE]
# BUILD_DIR is an x86_64 build folder in which md5_bench was built (this script builds nothing),
# e.g. build/dev-foundation-x86_64. Without FILE a 512 MiB file is made under BUILD_DIR and
# removed at the end. Both sides read the file from the page cache (it is read once first).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR [FILE]}" && pwd)
exe="$build/tools/md5_bench/md5_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the md5_bench target first" >&2; exit 2; }

file=${2:-}
cleanup=
if [ -z "$file" ]; then
  file="$build/md5_bench_512MiB.bin"
  head -c $((512 * 1024 * 1024)) /dev/urandom > "$file"
  cleanup=$file
fi
trap '[ -n "$cleanup" ] && rm -f "$cleanup"' EXIT
bytes=$(stat -c %s "$file")
cat "$file" > /dev/null

# md5sum: the fastest of three runs.
best=
for _ in 1 2 3; do
  start=$(date +%s.%N)
  linux_md5=$(md5sum "$file" | cut -d' ' -f1)
  end=$(date +%s.%N)
  best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
done
linux_rate=$(awk -v n="$bytes" -v t="$best" 'BEGIN { printf "%.1f", n / 1048576 / t }')

export TESSMARK_BUILD_ROOT="$build"
source "$root/scripts/wine-env.sh"
winpath="Z:$(echo "$file" | tr / '\\')"
out=$("$TESSMARK_WINE" "$exe" "$winpath" --runs 3 2>/dev/null | tr -d '\r')
exe_md5=$(echo "$out" | sed -n 's/^md5=//p')
exe_rate=$(echo "$out" | sed -n 's/.*MiB\/s=//p')

printf 'file:            %s (%d bytes)\n' "$file" "$bytes"
printf 'md5sum:          %s  %s MiB/s\n' "$linux_md5" "$linux_rate"
printf 'GetFileMd5:      %s  %s MiB/s (under Wine)\n' "$exe_md5" "$exe_rate"
printf 'ratio:           %s (GetFileMd5 / md5sum)\n' \
  "$(awk -v a="$exe_rate" -v b="$linux_rate" 'BEGIN { printf "%.3f", a / b }')"
if [ "$linux_md5" != "$exe_md5" ]; then
  echo "DIGESTS DIFFER" >&2
  exit 1
fi
