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
source "$here/drive.sh"

case "$build" in
  *i686*)
    # The installer that users get. Where the kernel runs no 32-bit code, the suite runs inside
    # the emulated machine of scripts/i686-machine, when one was started (TESSMARK_I686_MACHINE=1
    # scripts/test.sh does).
    if ! tessmark_runs_32bit; then
      if tessmark_i686_machine_started; then
        # Under emulation a window takes far longer to show than the 40 s a wait has natively.
        export E2E_LIMIT=${E2E_LIMIT:-300}
        exec bash "$root/scripts/i686-machine/run-in.sh" bash "$here/installer_e2e.sh" "$build" "$@"
      fi
      echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON})"; exit 77
    fi
    if tessmark_32bit_emulated; then
      # Under QEMU's user-mode emulator each start takes a minute.
      echo "not run: 32-bit programs run only under an emulator here; the x86_64 suite runs instead"
      exit 77
    fi ;;
esac
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display: scripts/test.sh starts one"; exit 1
fi

installer="$build/src/app/tessmark_installer.exe"
fake="$build/tests/engine/fake_installer.exe"
server_exe="$build/tools/package_server/package_server.exe"
idle_product="$build/tests/app/app_idle_product.exe"
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
    [ -e "${f%.pid}.rc" ] || kill "$(cat "$f")" 2>/dev/null || true
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
start_server() {
  local name=$1; shift
  "$TESSMARK_WINE" "$server_exe" "$(winpath "$work/packages")" --port 0 --seconds 900 \
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
current=""
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
  check "window kept" [ -n "$(e2e_window_now "$E2E_MAIN_TITLE")" ]
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
case_too_little_free_space() {
  local small="$work/small"
  mkdir -p "$small"
  if ! mount -t tmpfs -o size=16m tmpfs "$small" 2>/dev/null; then
    echo "  not checked: no small file system can be mounted here"
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
  umount "$small" 2>/dev/null || true
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
  ( "$TESSMARK_WINE" "$default_dir_unix/tessmark.exe" >/dev/null 2>&1 & echo $! >"$work/product.pid" )
  e2e_wait _product_runs
  run_installer running "-downloadurl=$(server_url plain)"
  check "product-running box" asked MessageBox1Wnd.xml
  box_window
  e2e_click "$E2E_BOX" box.closebtn
  check "the window closes" exits_with 0
  kill "$(cat "$work/product.pid")" 2>/dev/null || true
  end_products
}

# --- running them ---------------------------------------------------------------------------------

all_cases=(fresh_default_installation custom_folder_without_shortcuts terms_not_accepted
  invalid_path too_little_free_space download_failure_then_retry installer_failure digest_mismatch_recovers
  earlier_installation_install_newest earlier_installation_open_software
  reinstall_option_starts_at_once closing_on_each_page second_instance product_running_at_start)
[ $# -gt 0 ] && all_cases=("$@")

start=$SECONDS
for c in "${all_cases[@]}"; do
  current=$c
  t=$SECONDS
  echo "[ RUN  ] $c"
  before=${#failures[@]}
  "case_$c"
  # Whatever the case left running ends here, so that the next one starts alone.
  end_installers
  if [ ${#failures[@]} -eq "$before" ]; then
    echo "[  OK  ] $c ($((SECONDS - t)) s)"
  else
    echo "[FAILED] $c ($((SECONDS - t)) s); its log: $E2E_LOG"
    cp "$E2E_LOG" "${TMPDIR:-/tmp}/tessmark-e2e-$c.log" 2>/dev/null || true
  fi
done
echo "${#all_cases[@]} cases in $((SECONDS - start)) s, ${#failures[@]} failed checks"
for f in "${failures[@]}"; do echo "  $f"; done
[ ${#failures[@]} -eq 0 ]
