#!/usr/bin/env bash
# The Linux gadget under real window managers (openbox, xfwm4, KWin with compositing, mutter), each
# on an X display and in a D-Bus session of its own, with a full-screen desktop window behind
# everything as a desktop shell maps one and an ordinary window beside the gadget. Compositors keep
# hidden windows mapped, so every check reads the screen's pixels; each waits for the effect it
# checks (a window shown or hidden) rather than for a fixed time. Prints the table of results.
# Each window manager runs with a home, config, cache and runtime folder of its own (they write
# their settings there: kwinrc, xfwm4's channels), never the user's.
#   window_managers_test.sh path/to/kestrival path/to/kestrival_test_window [wm...]
set -euo pipefail
binary=$(realpath "$1")
helper=$(realpath "$2")
shift 2
managers=("$@")
[ ${#managers[@]} -eq 0 ] && managers=(openbox xfwm4 kwin mutter)
source "$(dirname "$0")/../../scripts/lib/test-state.sh"
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
make_test_state
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
desktop_colour=206020 ordinary_colour=c03030
root_state=$state
failures=0
declare -A table
rows=(start showdesk bare_showdesk second_desk below_click below_drag restack restack_showdesk ontop)
declare -A row_names=(
  [start]='no task-list entry at start'
  [showdesk]='"デスクトップ" still painted after "show desktop"'
  [bare_showdesk]='  the same without a desktop window'
  [second_desk]='"デスクトップ" on the second virtual desktop'
  [below_click]='"デスクトップ" below an ordinary window after a click on it'
  [below_drag]='"デスクトップ" dragged by its band, still below'
  [restack]='no task-list entry after "重ね順" is changed from the menu'
  [restack_showdesk]='  and "デスクトップ" again through "show desktop", on desktop 2'
  [ontop]='"常に手前" over an ordinary window that was clicked'
)

pids=()
# Ends the window manager, its bus and X display and whatever they started, and waits for them.
stop_all() {
  track "${pids[@]}"
  end_started
  pids=()
}
trap remove_test_state EXIT

record() {  # record ROW "what" command...: the command's 2 means the check could not be made
  local row=$1 what=$2 status=0; shift 2
  "$@" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "[       OK ] $wm: $what"
    table[$wm,$row]=${table[$wm,$row]:-yes}
  elif [ "$status" -eq 2 ]; then
    echo "[  SKIPPED ] $wm: $what"
    table[$wm,$row]=${table[$wm,$row]:-n/a}
  else
    echo "[  FAILED  ] $wm: $what"
    # KESTRIVAL_SHOTS=folder keeps the screen of each failed check.
    [ -n "${KESTRIVAL_SHOTS:-}" ] && import -window root "$KESTRIVAL_SHOTS/$wm-$row-$failures.png"
    table[$wm,$row]=no
    failures=$((failures + 1))
  fi
}
wait_for() {  # wait_for SECONDS command...: true once the command is
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | awk 'NR == 2 { print tolower(substr($3, 2, 6)) }'; }
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
pixel_is_not() { local p; p=$(pixel "$1" "$2"); [ -n "$p" ] && [ "$p" != "$3" ]; }
gadget() { xdotool search --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
helper_window() { xdotool search --name "^kestrival-test-$1\$" 2>/dev/null | head -n 1; }
# STICKY, or the desktop number "all" where the window manager knows no STICKY.
on_every_desktop() {
  states | grep -q STICKY || xprop -id "$(gadget)" _NET_WM_DESKTOP | grep -q 4294967295
}
states() { xprop -id "$(gadget)" _NET_WM_STATE 2>/dev/null; }
skips_taskbar() { states | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
geometry() {
  xdotool getwindowgeometry --shell "$(gadget)" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ { printf "%s ", $2 } END { print "" }'
}
root_value() { xprop -root "$1" 2>/dev/null | awk -F' = ' '{ print $2 }'; }
menu_stacking() {  # menu_stacking KEY: picks a stacking from the gadget's menu
  local before; before=$(gadget)
  xdotool mousemove "$px" "$py" click 3
  sleep 0.4
  xdotool key z
  sleep 0.3
  xdotool key "$1"
  # A new stacking makes a new window: wait for it to be shown.
  wait_for 5 bash -c "[ -n \"\$(xdotool search --onlyvisible --name '^ - Kestrival -\$' 2>/dev/null)\" ]" || true
  sleep 0.5
}

start_manager() {
  case $wm in
    openbox) openbox --sm-disable ;;
    xfwm4) xfwm4 --compositor=on --sm-client-disable ;;
    kwin) KWIN_COMPOSE=O2 kwin_x11 ;;
    mutter) mutter --x11 --replace --sm-disable ;;
  esac >"$root_state/$wm.log" 2>&1 &
  pids+=($!)
  wait_for 30 wmctrl -m >/dev/null 2>&1
}
start_gadget() {
  "$binary" 2>/dev/null &
  pids+=($!)
  wait_for 10 bash -c '[ -n "$(xdotool search --onlyvisible --name "^ - Kestrival -\$" 2>/dev/null)" ]'
  sleep 0.5
}
# "Show desktop" on: true once the ordinary window is gone from the screen and the gadget's pixel
# still shows; 2 when the window manager left the ordinary window in place (KWin shows no desktop
# where there is no desktop window).
shows_through_show_desktop() {
  wmctrl -k on
  if ! wait_for 5 pixel_is_not "$rx" "$ry" "$ordinary_colour"; then
    echo "(\"show desktop\" left the ordinary window in place; _NET_SHOWING_DESKTOP =$(root_value _NET_SHOWING_DESKTOP))"
    return 2
  fi
  # A compositor may still be fading windows: the gadget must be in sight once it settles.
  wait_for 5 pixel_is "$px" "$py" "$gadget_colour"
}
hide_show_desktop() {
  wmctrl -k off
  wait_for 5 pixel_is "$rx" "$ry" "$ordinary_colour" || true
}
shows_on_second_desktop() {
  wmctrl -n 2
  wait_for 5 bash -c '[ "$(xprop -root _NET_NUMBER_OF_DESKTOPS | awk "{ print \$3 }")" -ge 2 ]' || return 1
  wmctrl -s 1
  wait_for 5 bash -c '[ "$(xprop -root _NET_CURRENT_DESKTOP | awk "{ print \$3 }")" = 1 ]' ||
    { echo "(the window manager stayed on desktop 1)"; return 1; }
  wait_for 5 pixel_is_not "$rx" "$ry" "$ordinary_colour" || { echo "(the ordinary window stayed in sight)"; return 1; }
  # The switch may still be sliding: the gadget must be in sight once it settles.
  local seen=0
  wait_for 5 pixel_is "$px" "$py" "$gadget_colour" && seen=1
  wmctrl -s 0
  wait_for 5 pixel_is "$rx" "$ry" "$ordinary_colour" || true
  [ "$seen" -eq 1 ]
}

run_manager() {
  home=$root_state/$wm/home
  export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache XDG_DATA_HOME=$home/.local/share \
    XDG_STATE_HOME=$home/.local/state XDG_RUNTIME_DIR=$root_state/$wm/runtime
  local file=$home/Documents/ZKFILES/Kestrival/ZKQV_set.txt
  mkdir -p "$(dirname "$file")" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  { printf '\xff\xfe'; printf 'HB=0\nDX=100\nVB=0\nDY=100\nZO=2\nTITLE=wm\n' | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
  start_xvfb
  pids+=("$XVFB_PID")
  start_session_bus
  # A window manager that dies while it starts (seen once with xfwm4 on a loaded machine) is
  # started once more; the log says what happened.
  if ! start_manager; then
    echo "($wm did not start; again. Its log:)"; tail -n 20 "$root_state/$wm.log"
    kill "${pids[-1]}" 2>/dev/null || true
    if ! start_manager; then
      echo "[  FAILED  ] $wm did not start"; tail -n 20 "$root_state/$wm.log"; failures=$((failures + 1))
      stop_all; return
    fi
  fi

  # The ordinary window, mapped first, covers the gadget's right half; R is a point of it away
  # from the gadget. The gadget (168 pixels wide at 100, 100) comes after it.
  "$helper" normal "#$ordinary_colour" 184 40 500 420 2>/dev/null &
  pids+=($!)
  rx=600 ry=300
  wait_for 10 pixel_is "$rx" "$ry" "$ordinary_colour" || echo "(the ordinary window did not show)"
  start_gadget
  local gx gy gw gh
  read -r gx gy gw gh < <(geometry)
  # P: a point of the title band left of the ordinary window, Q one under it.
  px=$((gx + gw / 3)) py=$((gy + 5))
  qx=$((gx + gw * 3 / 4)) qy=$py
  gadget_colour=$(pixel "$px" "$py")
  record start "placed at $gx,$gy ${gw}x$gh, no task-list entry at start" skips_taskbar
  record below_click "below the ordinary window at the start" pixel_is "$qx" "$qy" "$ordinary_colour"
  record bare_showdesk "without a desktop window, painted through show desktop" shows_through_show_desktop
  hide_show_desktop

  "$helper" desktop "#$desktop_colour" 2>/dev/null &
  pids+=($!)
  wait_for 10 pixel_is 1270 1015 "$desktop_colour" || echo "(the desktop window did not show)"
  record below_click "  and after the desktop window came" pixel_is "$qx" "$qy" "$ordinary_colour"
  xdotool mousemove "$px" "$py" click 1
  sleep 0.5
  record below_click "  still below after a click on the gadget" pixel_is "$qx" "$qy" "$ordinary_colour"
  xdotool mousemove $((gx + 10)) $((gy + 4)) mousedown 1
  for _ in $(seq 6); do xdotool mousemove_relative -- 0 10; sleep 0.05; done
  xdotool mouseup 1
  sleep 0.5
  local x2 y2
  read -r x2 y2 _ _ < <(geometry)
  record below_drag "the band drags it ($gx,$gy -> $x2,$y2)" test "$x2" -eq "$gx" -a "$y2" -eq $((gy + 60))
  record below_drag "  still below the ordinary window after the drag" pixel_is "$qx" $((qy + 60)) "$ordinary_colour"
  xdotool mousemove $((gx + 10)) $((gy + 64)) mousedown 1
  for _ in $(seq 6); do xdotool mousemove_relative -- 0 -10; sleep 0.05; done
  xdotool mouseup 1
  sleep 0.5
  record showdesk "painted through show desktop" shows_through_show_desktop
  hide_show_desktop
  record second_desk "painted on the second virtual desktop" shows_on_second_desktop
  record second_desk "  on every desktop" on_every_desktop

  menu_stacking n
  record restack "no task-list entry after the menu chose 通常" skips_taskbar
  menu_stacking d
  record restack "no task-list entry after the menu chose デスクトップ again" skips_taskbar
  record restack "  and on every desktop again" on_every_desktop
  record restack_showdesk "  painted through show desktop again" shows_through_show_desktop
  hide_show_desktop
  record restack_showdesk "  painted on the second virtual desktop again" shows_on_second_desktop

  menu_stacking t
  xdotool mousemove "$rx" "$ry" click 1
  sleep 0.5
  record ontop "常に手前 stays over the ordinary window that was clicked" pixel_is "$qx" "$qy" "$gadget_colour"
  record ontop "  with no task-list entry" skips_taskbar

  stop_all
}

for wm in "${managers[@]}"; do
  echo "== $wm"
  run_manager
done

printf '\n| |'; for wm in "${managers[@]}"; do printf ' %s |' "$wm"; done
printf '\n|---|'; for _ in "${managers[@]}"; do printf -- '---|'; done
for row in "${rows[@]}"; do
  printf '\n| %s |' "${row_names[$row]}"
  for wm in "${managers[@]}"; do printf ' %s |' "${table[$wm,$row]:-?}"; done
done
echo
if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
echo "[  FAILED  ] $failures check(s)"
exit 1
