# Sourced by the end-to-end suite and by scripts/run.sh: drives the installer under Wine on an X
# display only as a user would (xdotool moves the mouse and clicks at the controls' places), reads
# the screen by regions, and waits on windows, files and log lines, never for a fixed time.
#
# Needs: DISPLAY, TESSMARK_WINE and WINEPREFIX (scripts/wine-env.sh), xdotool, ImageMagick.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/processes.sh"

# Every wait polls at this period and gives up after its limit (seconds).
E2E_POLL=0.05
E2E_LIMIT=${E2E_LIMIT:-40}

# Places of the controls, in window coordinates: the main window's pages start below its 36-pixel
# title bar, so a control at "x,y" of a page is at "x,y+36" of the window.
E2E_MAIN_TITLE="Brisolan"
E2E_BOX_TITLE="消息框"
declare -A E2E_AT=(
  [closebtn]="582,18" [minbtn]="546,18" [backBtn]="18,18"
  [defaultInstallBtn]="300,284" [treatyCb]="32,362" [treatyBtn]="140,362"
  [customeBtn]="540,362"
  [installDirEdit]="250,162" [chDirBtn]="534,162" [createDSCb]="32,214" [createQSCb]="32,244"
  [customeInstallBtn]="300,322"
  [openProduceBtn]="300,284"
  # the boxes: 360 pixels wide (two buttons: left "cancel" or "yes", right "ok" or "no")
  [box.left]="204,144" [box.right]="300,144" [box.closebtn]="343,17"
  # the 400-pixel earlier-installation box
  [wide.left]="218,144" [wide.right]="330,144" [wide.closebtn]="383,17"
)

e2e_fail() {
  echo "FAILED: $*" >&2
  return 1
}

# Polls the command until it succeeds or the limit passes.
e2e_wait() {
  local limit=$E2E_LIMIT
  if [ "$1" = "--limit" ]; then limit=$2; shift 2; fi
  local end=$((SECONDS + limit)) begin=$EPOCHREALTIME
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep $E2E_POLL
  done
  # E2E_VERBOSE=1 tells how long each wait took.
  [ -z "${E2E_VERBOSE:-}" ] || echo "    waited $(awk "BEGIN { print $EPOCHREALTIME - $begin }") s: $*" >&2
}

# The id of the visible window with exactly that title (the newest when there are several).
e2e_window_now() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1
}

_e2e_has_window() {
  E2E_FOUND=$(e2e_window_now "$1")
  [ -n "$E2E_FOUND" ]
}

# Waits for a visible window with that title and prints its id.
e2e_wait_window() {
  E2E_FOUND=""
  e2e_wait _e2e_has_window "$1" || { e2e_fail "no window \"$1\" within ${E2E_LIMIT}s"; return 1; }
  echo "$E2E_FOUND"
}

# A window that was just created is centred right after it shows: its place counts once it has
# stayed the same over a few polls.
_e2e_settled() {
  local now
  now=$(xdotool getwindowgeometry "$1" 2>/dev/null | tr '\n' ' ')
  if [ "$now" = "${_e2e_last_geometry:-}" ]; then
    _e2e_same=$((_e2e_same + 1))
  else
    _e2e_same=0
    _e2e_last_geometry=$now
  fi
  [ -n "$now" ] && [ $_e2e_same -ge 3 ]
}

# Waits for a visible window with that title that stays in its place, and prints its id.
e2e_wait_settled_window() {
  local id
  id=$(e2e_wait_window "$1") || return 1
  _e2e_last_geometry=""
  _e2e_same=0
  e2e_wait _e2e_settled "$id" || { e2e_fail "window $id keeps moving"; return 1; }
  echo "$id"
}

_e2e_window_gone() {
  ! xdotool getwindowname "$1" >/dev/null 2>&1 || [ -z "$(xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -x "$1")" ]
}

# Waits until the window is gone or hidden.
e2e_wait_window_gone() {
  e2e_wait _e2e_window_gone "$1" || e2e_fail "window $1 still shown"
}

# Sets E2E_X E2E_Y E2E_W E2E_H to the window's place on the screen.
e2e_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | sed 's/^/E2E_/')"
  # No such window (it never showed, or went): a place of nothing, not an unset variable that
  # ends the whole suite under set -u.
  E2E_W=${E2E_WIDTH:-0}
  E2E_H=${E2E_HEIGHT:-0}
  E2E_X=${E2E_X:-0}
  E2E_Y=${E2E_Y:-0}
}

# Clicks a named control of the main window (or "box.left" etc. of a box window).
e2e_click() {
  local window=$1 name=$2
  local at=${E2E_AT[$name]:-}
  [ -n "$at" ] || { e2e_fail "no place known for $name"; return 1; }
  e2e_click_at "$window" "${at%,*}" "${at#*,}"
}

e2e_click_at() {
  e2e_geometry "$1"
  # No --sync: with the pointer already there it would wait for a move that never comes.
  xdotool mousemove $((E2E_X + $2)) $((E2E_Y + $3)) click 1
}

# Keys to the window that has the focus (xdotool key syntax: "ctrl+a", "alt+F4").
e2e_keys() {
  xdotool key --clearmodifiers "$@"
}

e2e_type() {
  xdotool type --delay 5 "$1"
}

# The whole screen as one image (MIFF on standard output), read in one request. xwd reads the
# windows of other visuals (the layered shadow bands) one by one: a window that goes meanwhile
# fails the whole capture, and it showed the installer's boxes as black rectangles.
e2e_screen() {
  import -silent -window root miff:-
}

# A PNG of the window as the screen shows it.
e2e_shot() {
  local window=$1 file=$2
  e2e_geometry "$window"
  e2e_screen | convert miff:- -crop "${E2E_W}x${E2E_H}+${E2E_X}+${E2E_Y}" +repage "$file"
}

# "R G B" of each pixel "x,y" of an image (a file, or "miff:-" for standard input), one line each,
# read in one go.
e2e_pixels() {
  local file=$1 format="" p; shift
  for p in "$@"; do
    format+="%[fx:int(255*p{$p}.r)] %[fx:int(255*p{$p}.g)] %[fx:int(255*p{$p}.b)]\n"
  done
  convert "$file" -format "$format" info:
}

# The same pixels of a window as the screen shows it now (without writing a file).
e2e_window_pixels() {
  local window=$1; shift
  e2e_geometry "$window"
  local format="" p
  for p in "$@"; do
    format+="%[fx:int(255*p{$p}.r)] %[fx:int(255*p{$p}.g)] %[fx:int(255*p{$p}.b)]\n"
  done
  e2e_screen | convert miff:- -crop "${E2E_W}x${E2E_H}+${E2E_X}+${E2E_Y}" +repage \
    -format "$format" info:
}

# True when "R G B" is within 40 of the colour "R G B" in every channel.
e2e_near() {
  local got=($1) want=($2) i d
  [ ${#got[@]} -ge 3 ] || return 1
  for i in 0 1 2; do
    d=$((got[i] - want[i]))
    [ ${d#-} -le 40 ] || return 1
  done
}

# Which page of the main window a screenshot shows, by samples of its regions: "start",
# "custom", "progress", "finish" or "unknown". The samples: the bar of the progress page (kept
# for the checks of its fill), the close button of the title bar (hidden on the progress page), the terms check box, the left end of the install button of the
# start and finish pages, and that of the custom page's.
E2E_BLUE="43 101 236"
E2E_WHITE="255 255 255"
E2E_TITLE_BLUE="87 145 247"   # the title bar's background where the close button was
E2E_PAGE_SAMPLES=(560,312 582,18 30,362 210,284 210,322)
e2e_page_of_shot() {
  e2e_page_of_samples "$(e2e_pixels "$1" "${E2E_PAGE_SAMPLES[@]}")"
}
e2e_page_now() {
  e2e_page_of_samples "$(e2e_window_pixels "$1" "${E2E_PAGE_SAMPLES[@]}")"
}
e2e_page_of_samples() {
  local s=()
  mapfile -t s <<<"$1"
  # Fewer samples than asked (no window to read): the missing ones match nothing.
  while [ ${#s[@]} -lt ${#E2E_PAGE_SAMPLES[@]} ]; do s+=(""); done
  if e2e_near "${s[1]}" "$E2E_TITLE_BLUE" && ! e2e_near "${s[3]}" "$E2E_BLUE"; then
    echo progress
  elif e2e_near "${s[2]}" "$E2E_BLUE" && e2e_near "${s[3]}" "$E2E_BLUE"; then
    echo start
  elif e2e_near "${s[4]}" "$E2E_BLUE" && e2e_near "${s[3]}" "$E2E_WHITE"; then
    echo custom
  elif e2e_near "${s[3]}" "$E2E_BLUE"; then
    echo finish
  else
    echo unknown
  fi
}

_e2e_shows_page() {
  [ "$(e2e_page_now "$1")" = "$2" ]
}

e2e_wait_page() {
  e2e_wait _e2e_shows_page "$1" "$2" || e2e_fail "window $1 does not show the $2 page"
}

# Waits until a file holds a line matching the extended regular expression.
_e2e_grep() { grep -aqE "$2" "$1" 2>/dev/null; }
e2e_wait_line() {
  e2e_wait _e2e_grep "$1" "$2" || e2e_fail "no line /$2/ in $1"
}

_e2e_exists() { [ -e "$1" ]; }
e2e_wait_file() {
  e2e_wait _e2e_exists "$1" || e2e_fail "no file $1"
}

# Starts the installer in the background with its log (the debugger output, which Wine writes
# to standard error on its "seh" channel) in E2E_LOG; its process (number and start time,
# scripts/processes.sh) lands in E2E_LOG.pid and its exit code, once it ends, in E2E_LOG.rc.
e2e_start_installer() {
  local exe=$1; shift
  rm -f "$E2E_LOG.rc" "$E2E_LOG.pid"
  (
    WINEDEBUG=warn+seh "$TESSMARK_WINE" "$exe" "$@" >"$E2E_LOG" 2>&1 &
    record_process "$E2E_LOG.pid" $! || true
    wait $!
    echo $? >"$E2E_LOG.rc"
  ) &
}

# Waits until the installer ends and sets E2E_RC to its exit code.
e2e_wait_exit() {
  e2e_wait _e2e_exists "$E2E_LOG.rc" || { e2e_fail "the installer still runs"; return 1; }
  E2E_RC=$(cat "$E2E_LOG.rc")
}
