#!/usr/bin/env bash
# Builds the language-table fixtures with the real 7zz and zip tools:
#   make_language_archives.sh <output folder> <shipped skin archive>
# One archive per case; each holds a "language.json" (or none) beside a layout file.
set -euo pipefail
out=$1
shipped=$2
export LC_ALL=C.UTF-8 TZ=UTC
rm -rf "$out"
mkdir -p "$out"
cd "$out"

pack() {  # pack <name> <language.json content, or - for none>
  local name=$1 content=$2
  rm -rf "work-$name"
  mkdir "work-$name"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<Window size="10,10"><Label name="a" /></Window>\n' \
    > "work-$name/mainWnd.xml"
  if [ "$content" != "-" ]; then printf '%s' "$content" > "work-$name/language.json"; fi
  (cd "work-$name" && 7zz a -t7z -bso0 -bsp0 "../$name.7z" .)
  rm -rf "work-$name"
}

pack good '[{"id": 1, "en-US": "Install now", "ko-KR": "지금 설치", "zh-CN": "立即安装"},
 {"id": 2, "en-US": "Browse", "zh-CN": "浏览"},
 {"id": 1000, "en-US": "Folder %{1}"}]'
pack object '{"first": {"id": 7, "de-DE": "Durchsuchen"}, "second": {"id": 8, "de-DE": "Weiter"}}'
pack missing -
pack empty ''
pack not_json 'this is not { json'
pack entry_not_object '[{"id": 1, "en-US": "a"}, 5]'
pack id_is_text '[{"id": "1", "en-US": "a"}]'
pack id_is_fraction '[{"id": 1.5, "en-US": "a"}]'
pack id_missing '[{"en-US": "a"}]'
pack text_not_string '[{"id": 1, "en-US": "a"}, {"id": 2, "en-US": ["b"]}]'
pack root_is_text '"just text"'
pack deep_nesting "$(python3 -c 'print("[" * 100000 + "]" * 100000)')"

# One byte over the limit, and exactly at it (4 MiB): the first is refused unread.
python3 - <<'PY'
limit = 0x400000
head = b'[{"id": 3, "en-US": "big"}]'
for name, size in (("oversized", limit + 1), ("at_limit", limit)):
    import os
    os.makedirs("work-" + name, exist_ok=True)
    with open("work-%s/language.json" % name, "wb") as f:
        f.write(head + b" " * (size - len(head)))
PY
for name in oversized at_limit; do
  (cd "work-$name" && 7zz a -t7z -bso0 -bsp0 "../$name.7z" .)
  rm -rf "work-$name"
done

# The same good table in a zip archive.
mkdir work-zip
printf '[{"id": 5, "ja-JP": "参照"}]' > work-zip/language.json
(cd work-zip && zip -q -X ../good.zip language.json)
rm -rf work-zip

cp "$shipped" shipped_skin.7z
touch stamp
