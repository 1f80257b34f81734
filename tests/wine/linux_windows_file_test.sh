#!/usr/bin/env bash
# The Windows gadget (under Wine) and the Linux gadget share one settings file: each reads what the
# other wrote, and a run that changes nothing leaves the other's bytes exactly as they were. The
# Linux gadget is pointed at the Wine prefix's documents folder through XDG user-dirs.
source "$(dirname "$0")/lib.sh"
linux=${KESTRIVAL_LINUX_BINARY:?}
config=$test_folder
reset_settings
file=$(settings_file)
documents=$(dirname "$(dirname "$(dirname "$file")")")
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$documents" >"$config/user-dirs.dirs"
run_linux() {  # runs the Linux gadget until it shows, drags it by (dx, dy) if asked, ends it with SIGTERM
  XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$config QT_QPA_PLATFORM=xcb "$linux" >/dev/null 2>&1 &
  local pid=$! id=""
  for _ in $(seq 100); do id=$(xdotool search --name '^ - Kestrival -$' 2>/dev/null | head -n 1 || true); [ -n "$id" ] && break; sleep 0.1; done
  sleep 0.5
  if [ "${1:-0}" != 0 ]; then
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + 30)) $((Y + 6)) mousedown 1 mousemove_relative -- "$1" "$2" mouseup 1
    sleep 0.3
  fi
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
}

start_gadget
probe wait >/dev/null
probe close >/dev/null
wait_gadget_exit
windows_bytes=$(md5sum <"$file")
check "the Windows gadget wrote its first file" grep -qx 'HB=2' <(read_settings)

run_linux
check "the Linux gadget read it and, changing nothing, left its bytes" test "$(md5sum <"$file")" = "$windows_bytes"
run_linux 60 40
linux_bytes=$(md5sum <"$file")
saved=$(read_settings)
check "the Linux gadget saved a dragged place" grep -qx 'HB=0' <<<"$saved"
dx=$(sed -n 's/^DX=//p' <<<"$saved")
dy=$(sed -n 's/^DY=//p' <<<"$saved")

start_gadget
read -r left top _ _ < <(probe wait)
check "the Windows gadget stands where the Linux one was left ($left,$top = $dx,$dy)" test "$left" -eq "$dx" -a "$top" -eq "$dy"
probe close >/dev/null
wait_gadget_exit
check "  and, changing nothing, left the Linux gadget's bytes" test "$(md5sum <"$file")" = "$linux_bytes"
finish
