#!/usr/bin/env bash
# Builds the archive fixtures with the real 7zz and zip tools:
#   make_archives.sh <output folder>
# The folder receives src/ (the files that every archive holds, compared byte for byte by the
# tests) and one archive per method set. Runs at build time on Linux; the tests read it under Wine.
set -euo pipefail
out=$1
export LC_ALL=C.UTF-8 TZ=UTC
rm -rf "$out"
mkdir -p "$out/src"
cd "$out/src"

# Deterministic bytes: some compress well, some do not, and the x86 / ARM filters see plenty of
# call and branch patterns to rewrite.
python3 - <<'PY'
import os, random
rnd = random.Random(20240611)
def write(path, data):
    d = os.path.dirname(path)
    if d: os.makedirs(d, exist_ok=True)
    with open(path, 'wb') as f: f.write(data)
write('mainWnd.xml', b'<?xml version="1.0" encoding="UTF-8"?>\n<Window size="600,400">\n' +
      b''.join(b'  <Label name="l%d" text="line %d" />\n' % (i, i) for i in range(200)) + b'</Window>\n')
write('res/mainWnd/bg1.png', bytes(rnd.getrandbits(8) for _ in range(20000)))
write('res/Common/Button.PNG', bytes(rnd.choice(b'\x00\x01\x02\xff') for _ in range(5000)))
code = bytearray()
while len(code) < 150000:
    op = rnd.choice([b'\xe8', b'\xe9', b'\x0f\x85', b'\x00\x00\x00\xeb', b'\x00\x00\x00\x94', b'\x90\x90'])
    code += op + rnd.getrandbits(32).to_bytes(4, 'little')
write('bin/code.bin', bytes(code))
write('empty.txt', b'')
write('\u4e2d\u6587/\u754c\u9762.xml', '<Window text="\u4e2d\u6587" />\n'.encode('utf-8'))
PY
mkdir -p EmptyDir
cd ..

sevenzip() {   # name, switches...
  local name=$1; shift
  (cd src && 7zz a -bd -bso0 -bsp0 -t7z "$@" "../$name" mainWnd.xml res bin empty.txt EmptyDir "中文")
}
sevenzip lzma_solid.7z -m0=LZMA -ms=on
sevenzip lzma_nonsolid.7z -m0=LZMA -ms=off
sevenzip lzma2_solid.7z -m0=LZMA2 -ms=on
sevenzip lzma2_nonsolid.7z -m0=LZMA2 -ms=off -mhc=off
sevenzip copy.7z -m0=Copy
sevenzip bcj_lzma.7z -mf=BCJ -m0=LZMA
sevenzip bcj_lzma2.7z -mf=BCJ -m0=LZMA2 -ms=off
sevenzip bcj2.7z -mf=BCJ2 -m0=LZMA2
sevenzip arm.7z -mf=ARM -m0=LZMA2
sevenzip armt.7z -mf=ARMT -m0=LZMA
sevenzip arm64.7z -mf=ARM64 -m0=LZMA2

(cd src && zip -q -r -X -0 ../stored.zip mainWnd.xml res bin empty.txt EmptyDir "中文")
(cd src && zip -q -r -X -9 ../deflated.zip mainWnd.xml res bin empty.txt EmptyDir "中文")

# Attributes and times, kept apart from src/ so that the byte-for-byte lists stay simple.
mkdir -p attr && cd attr
echo "read only" > readonly.txt && chmod 444 readonly.txt
echo "writable" > writable.txt
echo "odd second" > odd.txt && touch -d @1600000001 odd.txt
echo "before 1970" > old.txt && touch -d @-31536000 old.txt
mkdir -p folder && echo x > folder/inner.txt
zip -q -r ../attributes.zip readonly.txt writable.txt odd.txt old.txt folder
# -k marks the items as made on MS-DOS and keeps only the DOS read-only bit.
zip -q -k ../dos.zip readonly.txt writable.txt
chmod 644 readonly.txt
cd ..

# A skin that claims more than may be decoded; the source is dropped again.
head -c $((65 * 1024 * 1024)) /dev/zero > huge.bin
7zz a -bd -bso0 -bsp0 -t7z -m0=LZMA2 huge.7z huge.bin
zip -q huge.zip huge.bin
rm -f huge.bin

# A file that is no archive at all.
printf 'this is not an archive\n' > not_an_archive.7z
touch stamp
