# Sourced: prepares the Wine prefix, a display and a persistent wineserver for one run, and stops
# what it started when the sourcing script exits.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

_tessmark_started_xvfb=""
_tessmark_started_wm=""
tessmark_session_end() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$_tessmark_started_wm" ]; then kill "$_tessmark_started_wm" 2>/dev/null || true; fi
  if [ -n "$_tessmark_started_xvfb" ]; then kill "$_tessmark_started_xvfb" 2>/dev/null || true; fi
}
trap tessmark_session_end EXIT

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _tessmark_started_xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    # Without a window manager Wine windows never take the keyboard focus.
    if command -v openbox >/dev/null 2>&1; then
      openbox >/dev/null 2>&1 &
      _tessmark_started_wm=$!
    fi
    break
  done
fi

# What the prefix set-up below gives a prefix. A prefix made by an older set-up gets what it lacks
# when this number grows.
_tessmark_prefix_version=2

if [ ! -f "$WINEPREFIX/.tessmark-ready" ]; then
  echo "[wine] creating prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  "$TESSMARK_WINE" wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.tessmark-ready"
fi

if [ "$(cat "$WINEPREFIX/.tessmark-version" 2>/dev/null)" != "$_tessmark_prefix_version" ]; then
  echo "[wine] setting up prefix $WINEPREFIX (version $_tessmark_prefix_version)" >&2
  # No crash dialog: a crashing test must end, not wait for a click.
  "$TESSMARK_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # The skin names Chinese font faces that Wine does not have; drawn in a face without CJK
  # glyphs every Chinese text would show as boxes.
  for face in "Microsoft YaHei" "微软雅黑"; do
    "$TESSMARK_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
      /d "Noto Sans CJK SC" /f >/dev/null 2>&1
  done
  wineserver -w
  echo "$_tessmark_prefix_version" > "$WINEPREFIX/.tessmark-version"
fi

# One server for the whole run: every process start would otherwise pay for a new one.
wineserver -p
# Start Wine's own background processes (services, explorer) here, with their output going
# nowhere: started by a test instead, they would inherit CTest's pipes and keep it waiting.
"$TESSMARK_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
