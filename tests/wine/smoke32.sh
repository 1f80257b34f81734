#!/usr/bin/env bash
# Smoke run of the 32-bit release exe under Wine's 32-bit loader, with the Windows version set to
# XP and to 10: it starts, shows the gadget, opens the settings dialog from its menu, quits with
# exit code 0 and leaves the defaults file byte for byte.
#   smoke32.sh path/to/Kestrival.exe
set -euo pipefail
exe=$(realpath "$1")
state=$(mktemp -d)
export WINEPREFIX=$state/prefix WINEARCH=win32 HOME=$state/home WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" XDG_CONFIG_HOME=$state/home/.config \
  XDG_CACHE_HOME=$state/home/.cache XDG_DATA_HOME=$state/home/.local/share
WINE=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
source "$(dirname "$0")/../../scripts/lib/test-state.sh"
gadget_pid=""
# The server saves the prefix as it ends, and the display goes last: both waited for before the
# folder is removed.
cleanup() {
  set +e
  [ -n "$gadget_pid" ] && track "$gadget_pid"
  "$WINESERVER" -k >/dev/null 2>&1
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1
  end_started
  rm -rf "$state"
  return 0
}
trap cleanup EXIT
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
wait_for() {  # wait_for seconds command...
  local tries=$(($1 * 10)); shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
visible() { xdotool search --onlyvisible --name "$1"; }

mkdir -p "$state/home"
# A kernel without 32-bit execution cannot run the loader at all: said, and counted as skipped.
if ! "$WINE" --version >/dev/null 2>&1; then
  echo "this machine cannot run Wine's 32-bit loader ($WINE): skipped"
  exit 77
fi
start_xvfb
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w
mkdir -p "$WINEPREFIX/drive_c/Kestrival"
cp "$exe" "$WINEPREFIX/drive_c/Kestrival/Kestrival.exe"

# The defaults file of a first run, as the running year makes it.
expected_defaults() {
  local year; year=$(date +%Y)
  {
    printf '\xff\xfe'
    printf '%s\n' "Kestrival Setup File" "VERSION=110" "" "TITLE=Kestrival" "BIRTH=" "DVIEW=2" "" \
      HB=2 DX=0 VB=2 DY=0 CL=1 RW=1 SR=0 TR=100 TB=0 FM=1111 "" \
      BFCOLOR=EEEEEE BBCOLOR=000000 TBCOLOR=EE9999 TTCOLOR=111111 PFCOLOR=EEEEEE CBCOLOR=EEEEEE \
      CTCOLOR=111111 SDCOLOR=00DD00 EDCOLOR=00DDDD PNCOLOR=00DD00 RNCOLOR=00DDDD GFCOLOR=EEEEEE \
      GBCOLOR=775577 "" "ITEM1=$((year + 1))年まで,$year/01/01,$((year + 1))/01/01" |
      sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
  }
}

for version in winxp win10; do
  echo "== Windows version $version"
  "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  "$WINESERVER" -w
  find -L "$WINEPREFIX/drive_c" -name ZKQV_set.txt -exec rm -f {} + 2>/dev/null || true
  reported=$("$WINE" cmd /c ver 2>/dev/null | tr -d '\r')
  case $version in winxp) want='5.1' ;; win10) want='10.0' ;; esac
  check "$version: Wine reports Windows $want" grep -q "Windows $want\." <<<"$reported"
  (cd "$WINEPREFIX/drive_c/Kestrival" && exec "$WINE" Kestrival.exe) &
  gadget_pid=$!
  check "$version: the gadget is shown" wait_for 30 visible '^ - Kestrival -$'
  window=$(visible '^ - Kestrival -$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The menu of the title band, then its settings item (&S).
  xdotool mousemove $((X + 30)) $((Y + 6)) click 3
  sleep 1
  xdotool key s
  check "$version: the settings dialog opens" wait_for 20 visible 'Kestrival 1\.10'
  xdotool key Escape
  check "$version: Esc closes the dialog" wait_for 10 bash -c "! xdotool search --onlyvisible --name 'Kestrival 1\.10'"
  xdotool mousemove $((X + 30)) $((Y + 6)) click 3
  sleep 1
  xdotool key x
  status=0
  wait "$gadget_pid" || status=$?
  gadget_pid=""
  check "$version: the gadget quits with exit code 0" test "$status" -eq 0
  file=$(find -L "$WINEPREFIX/drive_c" -name ZKQV_set.txt | head -n 1)
  check "$version: the defaults file is saved byte for byte" cmp "$file" <(expected_defaults)
done
if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] 32-bit smoke run"; exit 0; fi
echo "[  FAILED  ] $failures check(s) of the 32-bit smoke run"
exit 1
