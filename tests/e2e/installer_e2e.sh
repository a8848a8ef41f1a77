#!/usr/bin/env bash
# The installer end to end: the built installer under Wine on an X display with openbox, against
# the project's package server and the fake package installer, driven only through the mouse and
# the keyboard (xdotool). Each case checks the pages on the screen (by regions), the boxes (from
# the installer's log of what it asked), the server's request log, the files, the INI files, the
# registry values and the exit code.
#   installer_e2e.sh BUILD_DIR [CASE...]    (CASE: the name of a case function, without "case_")
# One Wine prefix (WINEPREFIX, or the build root's), one display (DISPLAY) for the whole suite.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd); shift
source "$root/scripts/wine-env.sh"
# A limit the caller gave, before drive.sh sets its own default.
asked_limit=${E2E_LIMIT:-}
source "$here/drive.sh"

# Where a failed case leaves its log. Inside the emulated machine the clone is mounted through
# its page cache, all but the machine's own folder: the logs go there, and the host moves them.
logs=${E2E_LOG_DIR:-$build/e2e-logs}
case "$build" in
  *i686*)
    # The installer that users get. Where the kernel runs no 32-bit code, the suite runs inside
    # the emulated machine of scripts/i686-machine, when one was started (scripts/test.sh starts
    # it there).
    tessmark_i686_road
    case "$TESSMARK_I686_ROAD" in
      machine)
        if tessmark_i686_machine_started; then
          # Under emulation a window takes far longer to show than the 40 s a wait has natively.
          export E2E_LIMIT=${asked_limit:-300}
          inside_logs="$root/build/i686-machine/e2e-logs"
          rm -rf "$inside_logs"
          status=0
          E2E_LOG_DIR=$inside_logs bash "$root/scripts/i686-machine/run-in.sh" \
            bash "$here/installer_e2e.sh" "$build" "$@" || status=$?
          if [ -d "$inside_logs" ]; then
            mkdir -p "$logs"
            mv "$inside_logs"/* "$logs"/ 2>/dev/null || true
            rm -rf "$inside_logs"
          fi
          exit $status
        fi
        echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON}) and its emulated machine was not started"
        exit 77 ;;
      none)
        echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON}) and TESSMARK_I686_MACHINE=0 leaves the emulated machine out"
        exit 77 ;;
      emulator)
        # Under QEMU's user-mode emulator each start takes a minute.
        echo "not run: 32-bit programs run only under an emulator here; the x86_64 suite runs instead"
        exit 77 ;;
    esac ;;
esac
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display: scripts/test.sh starts one"; exit 1
fi

installer="$build/src/app/tessmark_installer.exe"
fake="$build/tests/engine/fake_installer.exe"
server_exe="$build/tools/package_server/package_server.exe"
idle_product="$build/tests/app/app_idle_product.exe"
fake_uninstaller="$build/tests/engine/fake_uninstaller.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/tessmark-e2e.XXXXXX")
winpath() { echo "Z:${1//\//\\}"; }
drive_c="$WINEPREFIX/drive_c"
default_dir_unix="$drive_c/Program Files (x86)/Tessmark"
default_dir='C:\Program Files (x86)\Tessmark'
reg_key='HKCU\Software\ZorViSoft\Tessmark'

servers=()
# Ends every installer that a case started and that still runs.
end_installers() {
  local f
  for f in "$work"/*.installer.log.pid; do
    [ -e "$f" ] || continue
    # Only while it is the installer that the case started: its number may be another's by now.
    [ -e "${f%.pid}.rc" ] || kill "$(recorded_process "$f")" 2>/dev/null || true
  done
}
cleanup() {
  local pid
  end_installers
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$TESSMARK_WINE" reg delete "$reg_key" /f >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/s:"
  umount "$work/small" 2>/dev/null || true
  rm -rf "$default_dir_unix" "$drive_c/E2E Custom" "$work"
}
trap cleanup EXIT

# --- the package servers ------------------------------------------------------------------------

mkdir -p "$work/packages"
cp "$fake" "$work/packages/BrisolanSetup.exe"
truncate -s 1572864 "$work/packages/BrisolanSetup.exe"

# start_server NAME [package_server options]: sets URL_<NAME>; its requests go to $work/NAME.log.
# The servers are ended when the suite ends; their own lifetime only ends one left behind, and it
# is the suite's time-out: a fixed 15 minutes ran out before the last cases in the emulated machine.
server_seconds=${TESSMARK_TEST_TIMEOUT:-900}
start_server() {
  local name=$1; shift
  "$TESSMARK_WINE" "$server_exe" "$(winpath "$work/packages")" --port 0 --seconds "$server_seconds" \
    --log "$(winpath "$work/$name.log")" "$@" >"$work/$name.out" 2>&1 &
  servers+=($!)
}
server_url() {
  grep -o 'http://127.0.0.1:[0-9]*/[0-9a-f]\{32\}/BrisolanSetup.exe' "$work/$1.out" 2>/dev/null | head -n 1
}
_has_url() { [ -n "$(server_url "$1")" ]; }

# A paced server, so that the progress page shows long enough to be seen; a plain one; and one
# per fault that the cases need once.
start_server paced --fault slow:1048576@GET
start_server plain
# A failed download: six attempts of three requests each (the length, the real address), all
# answered 404; the retry that the box starts then gets the package.
start_server failing --fault 404 --fault-count 18
start_server wrong --fault wrongbytes@GET --fault-count 1
for s in paced plain failing wrong; do
  e2e_wait _has_url $s || { echo "package server $s did not start"; cat "$work/$s.out"; exit 1; }
done

# --- helpers of the cases -------------------------------------------------------------------------

failures=()
skips=()
current=""
# skip REASON: the current case could not be exercised here; it counts as skipped, not passed.
skip() {
  echo "  SKIPPED: $*"
  skips+=("$current: $*")
}
check() {  # check DESCRIPTION COMMAND...: records a failure of the current case
  local what=$1; shift
  if "$@"; then return 0; fi
  echo "  FAILED: $what" >&2
  failures+=("$current: $what")
  return 1
}

fresh_machine() {
  "$TESSMARK_WINE" reg delete "$reg_key" /f >/dev/null 2>&1 || true
  rm -rf "$default_dir_unix" "$drive_c/E2E Custom"
}

# run_installer CASE [options]: starts the installer with the fake installer's record in
# $work/CASE.cmd and waits for its main window (E2E_MAIN).
run_installer() {
  local name=$1; shift
  E2E_LOG="$work/$name.installer.log"
  export TESSMARK_FAKE_INSTALLER_RECORD
  TESSMARK_FAKE_INSTALLER_RECORD=$(winpath "$work/$name.cmd")
  e2e_start_installer "$installer" "$@"
}

main_window() {
  E2E_MAIN=$(e2e_wait_settled_window "$E2E_MAIN_TITLE")
}

box_window() {
  E2E_BOX=$(e2e_wait_settled_window "$E2E_BOX_TITLE")
}

# The box that the installer says it showed last ("box <skin>: <text>" in its log).
asked() {  # asked SKIN [TEXT]: waits for that box in the log
  local pattern="box $1"
  [ $# -gt 1 ] && pattern+=": $2"
  e2e_wait_line "$E2E_LOG" "$pattern"
}

# The command line that the fake installer was started with (UTF-16LE in the record).
installer_command() { iconv -f UTF-16LE -t UTF-8 "$work/$1.cmd" 2>/dev/null; }

# How many log lines of the installer match (Wine writes each line once more as an exception).
log_count() { grep -a 'OutputDebugString' "$E2E_LOG" | grep -ac "$1"; }

reg_value() {
  "$TESSMARK_WINE" reg query "$reg_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}

count_requests() { grep -c "^$2 " "$work/$1.log" 2>/dev/null || true; }

exits_with() {
  e2e_wait_exit || return 1
  [ "$E2E_RC" = "$1" ] || { echo "  exit code $E2E_RC, not $1" >&2; return 1; }
}

contains() { case "$1" in *"$2"*) return 0 ;; *) echo "  \"$1\" lacks \"$2\"" >&2; return 1 ;; esac; }
lacks() { case "$1" in *"$2"*) echo "  \"$1\" has \"$2\"" >&2; return 1 ;; *) return 0 ;; esac; }

# --- the cases, most important first ----------------------------------------------------------------

case_fresh_default_installation() {
  fresh_machine
  run_installer fresh "-downloadurl=$(server_url paced)"
  main_window
  check "start page" e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "progress page" e2e_wait_page "$E2E_MAIN" progress
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "one HEAD, one GET" [ "$(count_requests paced HEAD)/$(count_requests paced GET)" = 1/1 ]
  local cmd; cmd=$(installer_command fresh)
  check "both shortcuts" contains "$cmd" "-dsc=true"
  check "quick launch" contains "$cmd" "-ssc=true"
  check "folder" contains "$cmd" "/D=$default_dir"
  check "registry InstallPath" [ "$(reg_value InstallPath)" = "$default_dir" ]
  # The fake package installs no uninstaller: its entry is not recorded.
  check "no registry UnInstallEp" [ -z "$(reg_value UnInstallEp)" ]
  check "set.ini" grep -aq "AppName" "$default_dir_unix/set.ini"
  check "analytics ini" test -f "$drive_c/users/$(id -un)/AppData/Roaming/ZorViData/Tessmark/ZVSensorsAnalytics.ini"
  check "package deleted" test ! -e "$default_dir_unix/__Package_Tessmark.exe"
  e2e_click "$E2E_MAIN" openProduceBtn
  check "exit code 0" exits_with 0
}

case_custom_folder_without_shortcuts() {
  fresh_machine
  run_installer custom "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" customeBtn
  check "custom page" e2e_wait_page "$E2E_MAIN" custom
  e2e_click "$E2E_MAIN" installDirEdit
  e2e_keys ctrl+a BackSpace
  e2e_type 'C:\E2E Custom\Tessmark'
  e2e_click "$E2E_MAIN" createDSCb
  e2e_click "$E2E_MAIN" createQSCb
  e2e_click "$E2E_MAIN" customeInstallBtn
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  local cmd; cmd=$(installer_command custom)
  check "no desktop shortcut" contains "$cmd" "-dsc=false"
  check "no quick launch" contains "$cmd" "-ssc=false"
  check "custom folder" contains "$cmd" '/D=C:\E2E Custom\Tessmark'
  check "set.ini in the custom folder" test -f "$drive_c/E2E Custom/Tessmark/set.ini"
  check "registry InstallPath" [ "$(reg_value InstallPath)" = 'C:\E2E Custom\Tessmark' ]
  # On the finish page the close button closes at once.
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

case_terms_not_accepted() {
  fresh_machine
  run_installer terms "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  local before; before=$(count_requests plain HEAD)
  e2e_click "$E2E_MAIN" treatyCb
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "hint shown" e2e_wait _shows_terms_hint
  check "nothing requested" [ "$(count_requests plain HEAD)" = "$before" ]
  check "nothing begun" lacks "$(cat "$E2E_LOG")" "installation begins"
  # Closing asks first: "no" keeps the window, "yes" closes it.
  e2e_click "$E2E_MAIN" closebtn
  check "exit box" asked ExitTipWnd.xml
  box_window
  e2e_click "$E2E_BOX" box.right
  e2e_wait_window_gone "$E2E_BOX"
  # Asked more than once: a search of the windows while the box's window goes can fail once.
  check "window kept" e2e_wait --limit 10 _e2e_has_window "$E2E_MAIN_TITLE"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
}

# Unticked terms disable the custom button: a click on it leaves the start page (the install
# click after it shows the hint there); ticked again, it opens the custom page.
case_unticked_terms_disable_the_custom_button() {
  fresh_machine
  run_installer terms_custom "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" treatyCb
  e2e_click "$E2E_MAIN" customeBtn
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "hint shown on the start page" e2e_wait _shows_terms_hint
  check "not the custom page" [ "$(e2e_page_now "$E2E_MAIN")" != custom ]
  e2e_click "$E2E_MAIN" treatyCb
  e2e_click "$E2E_MAIN" customeBtn
  check "custom page once ticked again" e2e_wait_page "$E2E_MAIN" custom
  check "nothing requested" lacks "$(cat "$E2E_LOG")" "requested"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
}

# The hint under the install button ("tipLbl") is blue text on white.
_shows_terms_hint() {
  e2e_shot "$E2E_MAIN" "$work/hint.png"
  convert "$work/hint.png" -crop 200x20+200+314 +repage -fuzz 25% -fill black -opaque "rgb(43,101,236)" \
    -format '%[fx:int(1000*(1-mean))]' info: | awk '{ exit !($1 > 5) }'
}

case_invalid_path() {
  fresh_machine
  run_installer badpath "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" customeBtn
  e2e_wait_page "$E2E_MAIN" custom
  e2e_click "$E2E_MAIN" installDirEdit
  e2e_keys ctrl+a BackSpace
  e2e_type 'Q:\no drive\Tessmark'
  e2e_click "$E2E_MAIN" customeInstallBtn
  check "invalid path box" asked MessageBox2Wnd.xml
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  e2e_wait_window_gone "$E2E_BOX"
  check "custom page again, its button enabled" e2e_wait_page "$E2E_MAIN" custom
  check "nothing begun" lacks "$(cat "$E2E_LOG")" "installation begins"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
}

# A drive with less than 1 GB free: a small tmpfs mapped as drive S: (where the machine lets
# this run mount one; elsewhere the case says so and checks nothing).
# A folder on a file system with less than 1 GiB free and room for a folder: a tmpfs of its own
# where one can be mounted, else a writable one that the machine already has (in a container
# /dev/shm often is such); empty when there is none.
small_drive_folder() {
  local small="$work/small" avail target
  mkdir -p "$small"
  if mount -t tmpfs -o size=16m tmpfs "$small" 2>/dev/null; then
    echo "$small"
    return
  fi
  while read -r avail target; do
    [ "$avail" -gt 1048576 ] && [ "$avail" -lt 1073741824 ] || continue
    small=$(mktemp -d "$target/tessmark-e2e-small.XXXXXX" 2>/dev/null) || continue
    echo "$small"
    return
  done < <(df -B1 --output=avail,target -x proc -x sysfs 2>/dev/null | tail -n +2)
}

case_too_little_free_space() {
  local small
  small=$(small_drive_folder)
  if [ -z "$small" ]; then
    skip "no file system with less than 1 GiB free can be mounted or found here"
    return 0
  fi
  ln -sfn "$small" "$WINEPREFIX/dosdevices/s:"
  fresh_machine
  run_installer space "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" customeBtn
  e2e_wait_page "$E2E_MAIN" custom
  e2e_click "$E2E_MAIN" installDirEdit
  e2e_keys ctrl+a BackSpace
  e2e_type 'S:\Tessmark'
  e2e_click "$E2E_MAIN" customeInstallBtn
  check "free-space box" asked MessageBox2Wnd.xml
  # The folder could be made: the refusal is the free space's, not the path's.
  check "folder made on the small drive" test -d "$small/Tessmark"
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  e2e_wait_window_gone "$E2E_BOX"
  check "custom page again" e2e_wait_page "$E2E_MAIN" custom
  check "nothing begun" lacks "$(cat "$E2E_LOG")" "installation begins"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
  rm -f "$WINEPREFIX/dosdevices/s:"
  if [ "$small" = "$work/small" ]; then umount "$small" 2>/dev/null || true; else rm -rf "$small"; fi
}

case_download_failure_then_retry() {
  fresh_machine
  run_installer retry "-downloadurl=$(server_url failing)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  # From the custom page with one option off: the retry must repeat exactly this attempt.
  e2e_click "$E2E_MAIN" customeBtn
  e2e_wait_page "$E2E_MAIN" custom
  e2e_click "$E2E_MAIN" installDirEdit
  e2e_keys ctrl+a BackSpace
  e2e_type 'C:\E2E Custom\Tessmark'
  e2e_click "$E2E_MAIN" createQSCb
  e2e_click "$E2E_MAIN" customeInstallBtn
  check "network box" asked NetworkTipWnd.xml
  box_window
  e2e_click "$E2E_BOX" box.right   # "重新安装"
  check "finish page after the retry" e2e_wait_page "$E2E_MAIN" finish
  check "two starts" [ "$(log_count 'installation begins')" = 2 ]
  local cmd; cmd=$(installer_command retry)
  check "retry keeps the folder" contains "$cmd" '/D=C:\E2E Custom\Tessmark'
  check "retry keeps the desktop shortcut" contains "$cmd" "-dsc=true"
  check "retry keeps quick launch off" contains "$cmd" "-ssc=false"
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

case_installer_failure() {
  fresh_machine
  printf 'line Encode=UTF8\nline Progress=0.5\nline Error=E2E broken package\nexit 1\n' >"$work/fail.script"
  TESSMARK_FAKE_INSTALLER_SCRIPT=$(winpath "$work/fail.script") \
    run_installer failure "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "failure box with the installer's text" asked MessageBox2Wnd.xml "E2E broken package"
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  e2e_wait_window_gone "$E2E_BOX"
  check "start page again" e2e_wait_page "$E2E_MAIN" start
  check "no registry value" [ -z "$(reg_value InstallPath)" ]
  check "package deleted" test ! -e "$default_dir_unix/__Package_Tessmark.exe"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
}

case_digest_mismatch_recovers() {
  fresh_machine
  run_installer digest "-downloadurl=$(server_url wrong)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "the package fetched twice" [ "$(count_requests wrong GET)" = 2 ]
  check "no box" lacks "$(cat "$E2E_LOG")" "box "
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

# An earlier installation in the registry, with its folder.
earlier_installation() {
  fresh_machine
  mkdir -p "$default_dir_unix"
  "$TESSMARK_WINE" reg add "$reg_key" /v InstallPath /t REG_SZ /d "$default_dir" /f >/dev/null 2>&1
}

case_earlier_installation_install_newest() {
  earlier_installation
  run_installer newest "-downloadurl=$(server_url plain)"
  check "earlier-installation box" asked InstalledPathTipWnd.xml
  box_window
  e2e_click "$E2E_BOX" wide.right   # "安装最新版本"
  main_window
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "into the earlier folder" contains "$(installer_command newest)" "/D=$default_dir"
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

case_earlier_installation_open_software() {
  earlier_installation
  cp "$idle_product" "$default_dir_unix/tessmark.exe"
  run_installer open "-downloadurl=$(server_url plain)"
  check "earlier-installation box" asked InstalledPathTipWnd.xml
  box_window
  e2e_click "$E2E_BOX" wide.left   # "打开软件"
  check "exit code 0" exits_with 0
  check "the product runs" e2e_wait _product_runs
  end_products
  check "nothing downloaded" [ ! -e "$work/open.cmd" ]
}
# The stand-in product of this suite's prefix that runs (started by the installer or by a case);
# products of other prefixes on this machine are none of its business.
product_pids() {
  local file dir
  for file in $(grep -las 'Tessmark.tessmark\.exe' /proc/[0-9]*/cmdline); do
    dir=${file%/cmdline}
    grep -qszx "WINEPREFIX=$WINEPREFIX" "$dir/environ" && echo "${dir#/proc/}"
  done 2>/dev/null  # a process may end while it is looked at
}
_product_runs() { [ -n "$(product_pids)" ]; }
end_products() {
  local pid
  for pid in $(product_pids); do kill "$pid" 2>/dev/null || true; done
}

case_reinstall_option_starts_at_once() {
  earlier_installation
  run_installer insnew "-downloadurl=$(server_url plain)" -insnew=true
  main_window
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "no box" lacks "$(cat "$E2E_LOG")" "box "
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

case_closing_on_each_page() {
  fresh_machine
  run_installer closing "-downloadurl=$(server_url paced)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" customeBtn
  e2e_wait_page "$E2E_MAIN" custom
  # The custom page asks too; "no" stays.
  e2e_click "$E2E_MAIN" closebtn
  check "exit box on the custom page" asked ExitTipWnd.xml
  box_window
  e2e_click "$E2E_BOX" box.right
  e2e_wait_window_gone "$E2E_BOX"
  e2e_click "$E2E_MAIN" customeInstallBtn
  check "progress page" e2e_wait_page "$E2E_MAIN" progress
  # Alt+F4 on the progress page is ignored: the installation goes on to its finish page.
  xdotool windowactivate "$E2E_MAIN" 2>/dev/null || true
  e2e_keys alt+F4
  check "finish page despite Alt+F4" e2e_wait_page "$E2E_MAIN" finish
  check "one exit box only" [ "$(log_count 'box ExitTipWnd.xml')" = 1 ]
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

case_second_instance() {
  fresh_machine
  run_installer first "-downloadurl=$(server_url plain)"
  main_window
  local first=$E2E_MAIN first_log=$E2E_LOG
  run_installer second "-downloadurl=$(server_url plain)"
  check "the second copy returns -1" exits_with 255
  check "one main window" [ "$(xdotool search --onlyvisible --name "^$E2E_MAIN_TITLE\$" | wc -l)" = 1 ]
  E2E_LOG=$first_log
  e2e_click "$first" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "the first copy ends normally" exits_with 0
}

case_product_running_at_start() {
  earlier_installation
  cp "$idle_product" "$default_dir_unix/tessmark.exe"
  ( "$TESSMARK_WINE" "$default_dir_unix/tessmark.exe" >/dev/null 2>&1 & record_process "$work/product.pid" $! )
  e2e_wait _product_runs
  run_installer running "-downloadurl=$(server_url plain)"
  check "product-running box" asked MessageBox1Wnd.xml
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  check "the window closes" exits_with 0
  kill "$(recorded_process "$work/product.pid")" 2>/dev/null || true
  end_products
}

# --- the finish step, the engine's reports and the earlier uninstaller --------------------------

# installer_script NAME LINE...: the fake package installer's script for a case, one directive a
# line; the installer of the next run_installer plays it.
installer_script() {
  local name=$1; shift
  printf '%s\n' "$@" >"$work/$name.script"
  export TESSMARK_FAKE_INSTALLER_SCRIPT
  TESSMARK_FAKE_INSTALLER_SCRIPT=$(winpath "$work/$name.script")
}
uninstaller_script() {
  local name=$1; shift
  printf '%s\n' "$@" >"$work/$name.unscript"
  export TESSMARK_FAKE_UNINSTALLER_SCRIPT TESSMARK_FAKE_UNINSTALLER_RECORD
  TESSMARK_FAKE_UNINSTALLER_SCRIPT=$(winpath "$work/$name.unscript")
  TESSMARK_FAKE_UNINSTALLER_RECORD=$(winpath "$work/$name.uncmd")
}
plain_scripts() {
  unset TESSMARK_FAKE_INSTALLER_SCRIPT TESSMARK_FAKE_UNINSTALLER_SCRIPT TESSMARK_FAKE_UNINSTALLER_RECORD
}

# The pointer away from every window: nothing that it does can wake the installer.
park_pointer() { xdotool mousemove 0 0; }

# Nobody touches the mouse after the install click: the product must start and the window close
# by themselves, as the package's installer asked.
case_auto_startup_closes_by_itself() {
  fresh_machine
  mkdir -p "$default_dir_unix"
  cp "$idle_product" "$default_dir_unix/tessmark.exe"
  installer_script auto 'line Encode=UTF8' 'line Progress=0.5' \
    "line ExePath=$default_dir\\tessmark.exe" 'line StartupStyle=AutoStartup' \
    'line FinsihCloseDetention=4000' 'line State=Success'
  run_installer auto "-downloadurl=$(server_url paced)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  park_pointer
  check "the product started by itself" e2e_wait _product_runs
  check "the window closed by itself" exits_with 0
  check "installed" [ "$(reg_value InstallPath)" = "$default_dir" ]
  end_products
  plain_scripts
}

# The package's installer reports the style "UserStartup": nothing starts until the finish button.
case_user_startup_through_the_finish_button() {
  fresh_machine
  mkdir -p "$default_dir_unix"
  cp "$idle_product" "$default_dir_unix/tessmark.exe"
  installer_script user 'line Encode=UTF8' "line ExePath=$default_dir\\tessmark.exe" \
    'line StartupStyle=UserStartup' 'line State=Success'
  run_installer user "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "finish step done" e2e_wait_line "$E2E_LOG" "finish step done"
  check "not started before the click" [ -z "$(product_pids)" ]
  e2e_click "$E2E_MAIN" openProduceBtn
  check "exit code 0" exits_with 0
  check "started by the finish button" e2e_wait _product_runs
  end_products
  plain_scripts
}

# The package installer's message shows in its box while the installation goes on behind it.
case_installer_message() {
  fresh_machine
  installer_script message 'line Encode=UTF8' 'line Message=E2E hello from the package' \
    'line State=Success'
  run_installer message "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  check "its box" asked MessageBox1Wnd.xml "E2E hello from the package"
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  e2e_wait_window_gone "$E2E_BOX"
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
  plain_scripts
}

# A bring-to-front delay of 0 arms nothing; a close delay of 300 ms closes the window by itself.
case_finish_delays() {
  fresh_machine
  installer_script delays 'line Encode=UTF8' 'line TopShowDetention=0' \
    'line FinsihCloseDetention=300' 'line State=Success'
  run_installer delays "-downloadurl=$(server_url plain)"
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  park_pointer
  check "the window closed by itself" exits_with 0
  check "the delays as reported" e2e_wait_line "$E2E_LOG" "to the front after 0 ms, closing after 300 ms"
  plain_scripts
}

# An older version whose uninstaller cannot run (its entry is no program) or reports failure:
# the box that says the product runs, and the window closes, because an earlier installation was
# found; nothing is downloaded.
case_earlier_uninstaller_fails() {
  local kind
  for kind in not_a_program fails; do
    earlier_installation
    if [ $kind = not_a_program ]; then
      echo "not a program" >"$default_dir_unix/uninst.ep"
      plain_scripts
    else
      cp "$fake_uninstaller" "$default_dir_unix/uninst.exe"
      "$TESSMARK_WINE" reg add "$reg_key" /v UnInstallEp /t REG_SZ /d "$default_dir\\uninst.exe" /f >/dev/null 2>&1
      uninstaller_script "un_$kind" 'line Encode=UTF8' 'line Progress=0.5' 'line State=Fail'
    fi
    local gets; gets=$(count_requests plain GET)
    run_installer "un_$kind" "-downloadurl=$(server_url plain)"
    check "$kind: earlier-installation box" asked InstalledPathTipWnd.xml
    box_window
    e2e_click "$E2E_BOX" wide.right   # "安装最新版本"
    # (The log holds the boxes' texts in the ANSI code page: Chinese texts are not in it.)
    check "$kind: the uninstaller's failure box" asked MessageBox1Wnd.xml
    check "$kind: reported as $([ $kind = fails ] && echo 5005 || echo 5004)" \
      e2e_wait_line "$E2E_LOG" "status $([ $kind = fails ] && echo 5005 || echo 5004)"
    box_window
    e2e_click "$E2E_BOX" box.closebtn
    check "$kind: the window closes" exits_with 0
    check "$kind: nothing downloaded" [ "$(count_requests plain GET)" = "$gets" ]
    check "$kind: no package installer" [ ! -e "$work/un_$kind.cmd" ]
    [ $kind = fails ] && check "$kind: the uninstaller ran" test -s "$work/un_$kind.uncmd"
  done
  plain_scripts
}

# Reinstalling into the earlier folder: its set.ini saying IsOverride=false leaves the earlier
# uninstaller alone; "False" is not that word, and the uninstaller runs first.
case_is_override_skips_the_uninstaller() {
  local word ran name
  for word in false False; do
    # Wine finds files ignoring case: each word's records need names of their own.
    name=override_$([ $word = false ] && echo lower || echo capital)
    earlier_installation
    cp "$fake_uninstaller" "$default_dir_unix/uninst.exe"
    "$TESSMARK_WINE" reg add "$reg_key" /v UnInstallEp /t REG_SZ /d "$default_dir\\uninst.exe" /f >/dev/null 2>&1
    printf '[Uninstall]\r\nIsOverride=%s\r\n' "$word" >"$default_dir_unix/set.ini"
    uninstaller_script "$name" 'line Encode=UTF8' 'line State=Success'
    run_installer "$name" "-downloadurl=$(server_url plain)"
    check "$word: earlier-installation box" asked InstalledPathTipWnd.xml
    box_window
    e2e_click "$E2E_BOX" wide.right   # "安装最新版本"
    main_window
    check "$word: finish page" e2e_wait_page "$E2E_MAIN" finish
    check "$word: installed into the earlier folder" contains "$(installer_command "$name")" "/D=$default_dir"
    ran=no
    [ -s "$work/$name.uncmd" ] && ran=yes
    check "$word: the earlier uninstaller ran: $ran" [ "$ran" = "$([ $word = false ] && echo no || echo yes)" ]
    e2e_click "$E2E_MAIN" closebtn
    check "$word: exit code 0" exits_with 0
  done
  plain_scripts
}

# --- the network check ------------------------------------------------------------------------------

# With the check on and this machine's network (a default route): the check passes and the
# installation runs; a second click while the first check runs starts nothing more.
case_network_check_passes() {
  # Wine calls a machine connected when it has a default route; one with only its loopback (the
  # emulated machine of the i686 tests) can show the poor-network case, not this one.
  if ! awk 'NR > 1 && $2 == "00000000" { found = 1 } END { exit !found }' /proc/net/route; then
    skip "no default route here: Wine reports no connection"
    return 0
  fi
  fresh_machine
  local gets; gets=$(count_requests plain GET)
  run_installer checknet "-downloadurl=$(server_url plain)" -ischecknet=true
  main_window
  e2e_wait_page "$E2E_MAIN" start
  e2e_click "$E2E_MAIN" defaultInstallBtn
  xdotool click 1   # again, at once: the check of the first click runs
  check "checked on its thread" e2e_wait_line "$E2E_LOG" "network check: status 0"
  check "finish page" e2e_wait_page "$E2E_MAIN" finish
  check "one installation" [ "$(log_count 'installation begins')" = 1 ]
  check "one check" [ "$(log_count 'network check: status')" = 1 ]
  check "one download" [ "$(count_requests plain GET)" = $((gets + 1)) ]
  check "no box" lacks "$(cat "$E2E_LOG")" "box "
  e2e_click "$E2E_MAIN" closebtn
  check "exit code 0" exits_with 0
}

# A machine without a network: the installer in a network namespace of its own that has only
# the loopback, with a Wine prefix of its own (the prefix's server and its network driver must
# see the same namespace). The check finds no connection to the internet and shows its box;
# closing it either way (its close button, Alt+F4) leaves the start page, and a second click
# checks again. Inside the emulated machine the prefix is a copy of the machine's own, made when
# it starts (TESSMARK_OFFLINE_WINEPREFIX): one made there from nothing takes a quarter of an hour,
# and one made on the host has no 32-bit half.
offline_prefix=${TESSMARK_OFFLINE_WINEPREFIX:-$build/../wineprefix-offline}
offline_wine() {
  WINEPREFIX=$offline_prefix unshare -n -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
}
case_network_check_finds_no_network() {
  if ! unshare -n -- sh -c 'ip link set lo up' >/dev/null 2>&1; then
    skip "no network namespace with its loopback up can be made here (unshare, ip)"
    return 0
  fi
  if [ ! -f "$offline_prefix/.tessmark-ready" ]; then
    mkdir -p "$offline_prefix"
    offline_wine "$TESSMARK_WINE" wineboot --init >/dev/null 2>&1
    WINEPREFIX=$offline_prefix wineserver -w
    touch "$offline_prefix/.tessmark-ready"
  fi
  E2E_LOG="$work/offline.installer.log"
  rm -f "$E2E_LOG.rc" "$E2E_LOG.pid"
  (
    WINEDEBUG=warn+seh offline_wine "$TESSMARK_WINE" "$installer" -ischecknet=true \
      "-downloadurl=$(server_url plain)" >"$E2E_LOG" 2>&1 &
    record_process "$E2E_LOG.pid" $!
    wait $!
    echo $? >"$E2E_LOG.rc"
  ) &
  main_window
  e2e_wait_page "$E2E_MAIN" start
  local way n=0
  for way in closebtn alt+F4; do
    n=$((n + 1))
    e2e_click "$E2E_MAIN" defaultInstallBtn
    # Only the loopback: no connection (1) or none to the internet (2), as Wine tells it.
    check "$way: no usable connection found" e2e_wait_line "$E2E_LOG" "network check: status [12],"
    check "$way: the poor-network box" asked MessageBox2Wnd.xml
    check "$way: box $n" e2e_wait _log_count_is 'box MessageBox2Wnd.xml' $n
    box_window
    if [ $way = closebtn ]; then
      e2e_click "$E2E_BOX" box.closebtn
    else
      xdotool windowactivate "$E2E_BOX" 2>/dev/null || true
      e2e_keys alt+F4
    fi
    e2e_wait_window_gone "$E2E_BOX"
    check "$way: start page again" e2e_wait_page "$E2E_MAIN" start
  done
  check "two checks" [ "$(log_count 'network check: status [12],')" = 2 ]
  check "checked off the window's thread" \
    [ "$(log_thread 'Utils::CheckNetwork')" != "$(log_thread 'OnNetworkChecked')" ]
  check "nothing begun" lacks "$(cat "$E2E_LOG")" "installation begins"
  e2e_click "$E2E_MAIN" closebtn
  box_window
  e2e_click "$E2E_BOX" box.left
  check "exit code 0" exits_with 0
  WINEPREFIX=$offline_prefix wineserver -k 2>/dev/null || true
}
_log_count_is() { [ "$(log_count "$1")" = "$2" ]; }
# The thread id of the first log line that matches.
log_thread() {
  grep -a 'OutputDebugString' "$E2E_LOG" | grep -a "$1" | head -n 1 | sed -n 's/.*<T\([0-9]*\)>.*/\1/p'
}

# --- running them ---------------------------------------------------------------------------------

all_cases=(fresh_default_installation custom_folder_without_shortcuts terms_not_accepted
  invalid_path too_little_free_space download_failure_then_retry installer_failure digest_mismatch_recovers
  earlier_installation_install_newest earlier_installation_open_software
  reinstall_option_starts_at_once closing_on_each_page second_instance product_running_at_start
  unticked_terms_disable_the_custom_button
  auto_startup_closes_by_itself user_startup_through_the_finish_button installer_message finish_delays
  earlier_uninstaller_fails
  is_override_skips_the_uninstaller network_check_passes network_check_finds_no_network)
[ $# -gt 0 ] && all_cases=("$@")

start=$SECONDS
passed_cases=0 failed_cases=0 skipped_cases=0
for c in "${all_cases[@]}"; do
  current=$c
  t=$SECONDS
  echo "[ RUN  ] $c"
  before=${#failures[@]}
  skipped_before=${#skips[@]}
  "case_$c"
  # Whatever the case left running ends here, so that the next one starts alone.
  end_installers
  if [ ${#failures[@]} -eq "$before" ] && [ ${#skips[@]} -gt "$skipped_before" ]; then
    echo "[ SKIP ] $c ($((SECONDS - t)) s)"
    skipped_cases=$((skipped_cases + 1))
  elif [ ${#failures[@]} -eq "$before" ]; then
    echo "[  OK  ] $c ($((SECONDS - t)) s)"
    passed_cases=$((passed_cases + 1))
  else
    failed_cases=$((failed_cases + 1))
    mkdir -p "$logs"
    cp "$E2E_LOG" "$logs/$c.log" 2>/dev/null || true
    echo "[FAILED] $c ($((SECONDS - t)) s); its log: $logs/$c.log"
  fi
done
echo "${#all_cases[@]} cases in $((SECONDS - start)) s, ${#failures[@]} failed checks"
for f in "${failures[@]}"; do echo "  $f"; done
# A skipped case is told as such, in the closing line too; it does not fail the suite.
for f in "${skips[@]}"; do echo "  skipped: $f"; done
echo "e2e: $passed_cases passed, $failed_cases failed, $skipped_cases skipped"
[ ${#failures[@]} -eq 0 ]
