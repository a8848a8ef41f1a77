# Sourced: prepares the Wine prefix, a display and a persistent wineserver for one run, and stops
# what it started when the sourcing script exits, on the sourcing script's one exit path
# (scripts/exit-path.sh): a session that cannot start, or a TERM while it starts, ends whatever
# else that script started too.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/exit-path.sh"

_tessmark_started_xvfb=""
_tessmark_started_wm=""
_tessmark_started_server=""
tessmark_session_end() {
  # Only a server that this session started: another session on the same prefix (run.sh beside
  # test.sh, a benchmark) keeps its own, whose programs would end with it (exit code 1 while they
  # wait in the server, 0 while they run).
  if [ -n "$_tessmark_started_server" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$_tessmark_started_wm" ]; then kill "$_tessmark_started_wm" 2>/dev/null || true; fi
  if [ -n "$_tessmark_started_xvfb" ]; then kill "$_tessmark_started_xvfb" 2>/dev/null || true; fi
}
tessmark_at_exit tessmark_session_end

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  # Xvfb takes a free display number itself and writes it once it listens: two sessions that start
  # together never pick the same number (the one whose Xvfb lost would run on the other's display
  # and lose it when that session ends), and the session waits until the display is up.
  _tessmark_display=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$_tessmark_display" >/dev/null 2>&1 &
  _tessmark_started_xvfb=$!
  for _ in $(seq 600); do
    [ -s "$_tessmark_display" ] && break
    kill -0 "$_tessmark_started_xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$_tessmark_display" ]; then
    echo "[wine] Xvfb did not start" >&2
    rm -f "$_tessmark_display"
    exit 1
  fi
  export DISPLAY=":$(head -n 1 "$_tessmark_display")"
  rm -f "$_tessmark_display"
  # Without a window manager Wine windows never take the keyboard focus.
  if command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    _tessmark_started_wm=$!
  fi
fi

# What the prefix set-up below gives a prefix. A prefix made by an older set-up gets what it lacks
# when this number grows.
_tessmark_prefix_version=2

if [ ! -f "$WINEPREFIX/.tessmark-ready" ]; then
  echo "[wine] creating prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  tessmark_waited "$TESSMARK_WINE" wineboot --init >/dev/null 2>&1 || true
  tessmark_waited wineserver -w
  touch "$WINEPREFIX/.tessmark-ready"
fi

if [ "$(cat "$WINEPREFIX/.tessmark-version" 2>/dev/null)" != "$_tessmark_prefix_version" ]; then
  echo "[wine] setting up prefix $WINEPREFIX (version $_tessmark_prefix_version)" >&2
  # No crash dialog: a crashing test must end, not wait for a click.
  tessmark_waited "$TESSMARK_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # The skin names Chinese font faces that Wine does not have; drawn in a face without CJK
  # glyphs every Chinese text would show as boxes.
  for face in "Microsoft YaHei" "微软雅黑"; do
    tessmark_waited "$TESSMARK_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
      /d "Noto Sans CJK SC" /f >/dev/null 2>&1
  done
  tessmark_waited wineserver -w
  echo "$_tessmark_prefix_version" > "$WINEPREFIX/.tessmark-version"
fi

# One server for the whole run: every process start would otherwise pay for a new one. It answers
# 2 when a server already runs for this prefix (another session's).
wineserver -p && _tessmark_started_server=1
# Start Wine's own background processes (services, explorer) here, with their output going
# nowhere: started by a test instead, they would inherit CTest's pipes and keep it waiting.
tessmark_waited "$TESSMARK_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
