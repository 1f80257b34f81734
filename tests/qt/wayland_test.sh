#!/usr/bin/env bash
# The Linux gadget on headless Wayland compositors (weston; sway, which refuses root, as an
# unprivileged user, without and with XWayland; KWin and GNOME Shell with XWayland, where the gadget
# stands at its anchors), each with a runtime folder and a D-Bus session of
# its own, and on an X display with a compositor (xfwm4's). The gadget is started as a user starts it
# (no QT_QPA_PLATFORM; DISPLAY only where XWayland runs): it must come up on Qt's Wayland plugin
# (through XWayland on its X11 plugin), frameless, translucent by its pixels, which must be its picture on a bare X display
# blended over the compositor's screen, at 100 % and at 200 %; it ends on SIGTERM keeping the file's
# anchors. Without any display it says why and ends with 1. Judged by the compositors' screenshots.
#   wayland_test.sh path/to/kestrival [compositor...]   (weston sway sway-xwayland kwin gnome; "none": X11)
set -euo pipefail
binary=$(realpath "$1")
shift
compositors=("$@")
[ ${#compositors[@]} -eq 0 ] && compositors=(weston sway sway-xwayland kwin gnome)
[ "${compositors[*]}" = none ] && compositors=()
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/test-state.sh"
source "$here/../../scripts/lib/xvfb.sh"
make_test_state
trap remove_test_state EXIT
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# sway, which refuses root, runs as nobody when the test runs as root, and must reach its runtime
# folder inside.
chmod 711 "$state"
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
wait_for() {  # wait_for SECONDS command...
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}
file=$HOME/Documents/ZKFILES/Kestrival/ZKQV_set.txt
# Anchored 40 pixels from the right and bottom edges, 60 % opaque, the black background see-through.
settings=$'HB=1\nDX=40\nVB=1\nDY=40\nTR=60\nTB=1\nTITLE=wayland'
alpha=153
write_settings() {  # write_settings [more lines]
  mkdir -p "$(dirname "$file")"
  { printf '\xff\xfe'; printf '%s%s' "$settings" "${1:-}" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}
read_settings() { iconv -f UTF-16LE -t UTF-8 "$file" | sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//'; }
ends_within() {  # ends_within SECONDS PID: true when the process ended with 0 in time
  local end=$((SECONDS + $1))
  while kill -0 "$2" 2>/dev/null; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
  wait "$2"
}

# Without an X server or a Wayland compositor: a line that says why, and 1.
mkdir -m 700 "$state/empty-run"
status=0
env -u DISPLAY XDG_RUNTIME_DIR="$state/empty-run" "$binary" >/dev/null 2>"$state/no-display.txt" || status=$?
check "without any display the gadget ends with 1 ($status)" test "$status" -eq 1
check "  saying why on standard error" grep -q 'cannot show the gadget: no X server (DISPLAY is not set) and no Wayland compositor' "$state/no-display.txt"
check "  without an abort's core" test "$status" -lt 128

# The pictures on a bare X display (no compositor: opaque, the key's pixels the black root).
start_xvfb
write_settings
for dpi in 96 192; do
  mkdir -m 700 -p "$state/x-run"
  XDG_RUNTIME_DIR=$state/x-run QT_FONT_DPI=$dpi "$binary" 2>/dev/null &
  gadget=$!
  wait_for 10 bash -c '[ -n "$(xdotool search --onlyvisible --name "^ - Kestrival -\$" 2>/dev/null)" ]' || true
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^ - Kestrival -$' | head -n 1)")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$state/x11-$dpi.png"
  if [ "$dpi" = 96 ]; then
    check "X11 without a compositor: an opaque window of 24 bits, whole-window opacity and a shape as before" \
      bash -c "xwininfo -id $WINDOW | grep -q 'Depth: 24' && xprop -id $WINDOW _NET_WM_WINDOW_OPACITY | grep -q '= 2576980377' &&
               xwininfo -shape -id $WINDOW | grep -q 'Window shape extents'"
  fi
  kill "$gadget"; wait "$gadget" || true
  echo "(the X11 picture at $dpi DPI: ${WIDTH}x$HEIGHT)"
done

# The screen shows the gadget's picture blended: waits for it (a loaded machine paints late), and
# says what the last screenshot showed.
picture_shown() {  # picture_shown X11_PICTURE BACKGROUND SHOT_COMMAND SHOT [IGNORE_TOP]
  local end=$((SECONDS + 20))
  while :; do
    sleep 1
    if "$3" "$4" && python3 "$here/translucent_pixels.py" "$1" "$2" "$4" $alpha 000000 "${5:-0}" >"$4.txt"; then
      cat "$4.txt"
      return 0
    fi
    [ "$SECONDS" -ge "$end" ] && break
  done
  cat "$4.txt"
  return 1
}
gadget_box() {  # gadget_box SHOT: "x y width height" of what differs from the background
  "shot_$comp" "$1" && python3 "$here/translucent_pixels.py" box "$run/background.png" "$1" "$ignore_top"
}
box_is() { [ "$(gadget_box "$1")" = "$2" ]; }  # box_is SHOT "x y width height"
box_size_is() { [ "$(gadget_box "$1" | cut -d' ' -f3-)" = "$2" ]; }  # box_size_is SHOT "width height"
shot_x11() { import -window root "$1"; }

# The same display with a compositor (xfwm4's): the gadget's pixels carry its alpha there too.
start_session_bus
xfwm4 --compositor=on --sm-client-disable >"$state/xfwm4.log" 2>&1 &
wait_for 30 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window' || true
sleep 1
import -window root "$state/x11-composited-background.png"
for dpi in 96 192; do
  XDG_RUNTIME_DIR=$state/x-run QT_FONT_DPI=$dpi "$binary" 2>/dev/null &
  gadget=$!
  wait_for 10 bash -c '[ -n "$(xdotool search --onlyvisible --name "^ - Kestrival -\$" 2>/dev/null)" ]' || true
  check "X11 with a compositor, $dpi DPI: translucent by its pixels, as its picture without one blended" \
    picture_shown "$state/x11-$dpi.png" "$state/x11-composited-background.png" shot_x11 "$state/x11-composited-$dpi.png"
  # Window opacity would blend the same; what mutter on XWayland honours is the window's alpha.
  check "  a window of 32 bits (alpha in its pixels)" \
    bash -c 'xwininfo -id "$(xdotool search --name "^ - Kestrival -\$" | head -n 1)" | grep -q "Depth: 32"'
  kill "$gadget"; wait "$gadget" || true
done
end_started
unset DISPLAY

# ---- the compositors: start_NAME sets WAYLAND_DISPLAY (a path) and shot_NAME FILE takes a screenshot
start_weston() {
  XDG_RUNTIME_DIR=$run weston --backend=headless-backend.so --use-pixman --width=1280 --height=1024 --debug \
    --socket=wayland-kestrival --log="$run/compositor.log" >/dev/null 2>&1 &
  export WAYLAND_DISPLAY=$run/wayland-kestrival
  wait_for 60 test -S "$WAYLAND_DISPLAY" || return 1
  # Its panel draws a clock at the top; the shell's background comes a moment after the socket.
  ignore_top=40
  sleep 2
}
shot_weston() {
  (cd "$run" && rm -f wayland-screenshot*.png && XDG_RUNTIME_DIR=$client_run weston-screenshooter >>"$run/shot.log" 2>&1 &&
    mv wayland-screenshot*.png "$1")
}
start_sway() {  # start_sway [enable]: with XWayland
  printf 'output HEADLESS-1 mode 1280x1024 position 0 0\nxwayland %s\nexec env >%s/env\n' "${1:-disable}" "$run" >"$run/sway.conf"
  as_sway_user=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$run"
    as_sway_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  HOME=$run XDG_RUNTIME_DIR=$run WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_sway_user[@]}" sway -c "$run/sway.conf" >"$run/compositor.log" 2>&1 &
  wait_for 60 bash -c "ls '$run' | grep -q '^wayland-[0-9]*\$'" || return 1
  export WAYLAND_DISPLAY=$run/$(ls "$run" | grep '^wayland-[0-9]*$' | head -n 1)
  ignore_top=0
  if [ "${1:-}" = enable ]; then
    wait_for 30 grep -q '^DISPLAY=' "$run/env" || return 1
    xdisplay=$(grep '^DISPLAY=' "$run/env" | cut -d= -f2)
    # The X server belongs to sway's user: the test's user is let in.
    DISPLAY=$xdisplay "${as_sway_user[@]}" xhost "+si:localuser:$(id -un)" >/dev/null
  fi
  sleep 1
}
shot_sway() { grim "$1" 2>>"$run/shot.log"; }
start_sway-xwayland() { start_sway enable; }
shot_sway-xwayland() { shot_sway "$@"; }

# KWin with its XWayland, on the test's session bus. kwin_wayland carries a file capability that a
# container may refuse to run (status 126): a copy without it then, under the same name (KWin loads
# its platform plugins only into a program of that name).
start_kwin() {
  local kwin=kwin_wayland status=0
  kwin_wayland --version >/dev/null 2>&1 || status=$?
  if [ "$status" -eq 126 ]; then
    mkdir -p "$state/nocap"
    cp "$(command -v kwin_wayland)" "$state/nocap/kwin_wayland"
    kwin=$state/nocap/kwin_wayland
  fi
  printf '#!/bin/sh\nenv >"%s/env.tmp" && mv "%s/env.tmp" "%s/env"\nexec sleep 100000\n' "$run" "$run" "$run" >"$run/session.sh"
  chmod +x "$run/session.sh"
  XDG_RUNTIME_DIR=$run KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
    "$kwin" --virtual --xwayland --width 1280 --height 1024 --socket wayland-kestrival \
    --exit-with-session "$run/session.sh" >"$run/compositor.log" 2>&1 &
  wait_for 120 test -s "$run/env" || return 1
  export WAYLAND_DISPLAY=$run/wayland-kestrival
  xdisplay=$(grep '^DISPLAY=' "$run/env" | cut -d= -f2)
  ignore_top=0
  sleep 2
}
shot_kwin() { /usr/bin/python3 "$here/kwin_screenshot.py" 1280 1024 "$1" 2>>"$run/shot.log"; }

# GNOME Shell, headless, with XWayland. It asks logind on the system bus: a bus of the test's own
# with python-dbusmock's logind on it. Its screenshots need unsafe mode, which a small extension of
# the test's home turns on (enabled through a keyfile settings backend).
start_gnome() {
  local extension=$XDG_DATA_HOME/gnome-shell/extensions/unsafe@kestrival.test
  mkdir -p "$extension" "$XDG_CONFIG_HOME/glib-2.0/settings"
  printf '{"uuid": "unsafe@kestrival.test", "name": "unsafe mode", "description": "screenshots for the tests", "shell-version": ["43"]}\n' \
    >"$extension/metadata.json"
  printf 'function init() {}\nfunction enable() { global.context.unsafe_mode = true; }\nfunction disable() {}\n' \
    >"$extension/extension.js"
  printf "[org/gnome/shell]\nenabled-extensions=['unsafe@kestrival.test']\nwelcome-dialog-last-shown-version='999'\n" \
    >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
  local reply system_bus
  reply=$(dbus-daemon --config-file=/usr/share/dbus-1/session.conf --address="unix:dir=$run" --fork --print-address=1 \
    --print-pid=1)
  system_bus=$(sed -n 1p <<<"$reply")
  SERVICE_PIDS+=("$(sed -n 2p <<<"$reply")")
  DBUS_SYSTEM_BUS_ADDRESS=$system_bus /usr/bin/python3 -m dbusmock --system --template logind >"$run/logind.log" 2>&1 &
  wait_for 30 bash -c "DBUS_SYSTEM_BUS_ADDRESS='$system_bus' gdbus introspect --system --dest org.freedesktop.login1 \
    --object-path /org/freedesktop/login1 >/dev/null 2>&1" || return 1
  XDG_RUNTIME_DIR=$run DBUS_SYSTEM_BUS_ADDRESS=$system_bus GSETTINGS_BACKEND=keyfile XDG_SESSION_TYPE=wayland \
    gnome-shell --headless --wayland --virtual-monitor 1280x1024 >"$run/compositor.log" 2>&1 &
  wait_for 120 test -S "$run/wayland-0" || return 1
  wait_for 60 grep -q 'public X11 display' "$run/compositor.log" || return 1
  export WAYLAND_DISPLAY=$run/wayland-0
  xdisplay=$(grep -o 'public X11 display :[0-9]*' "$run/compositor.log" | head -n 1 | awk '{ print $4 }')
  wait_for 30 bash -c "ls '$run'/.mutter-Xwaylandauth.* >/dev/null 2>&1" || return 1
  export XAUTHORITY
  XAUTHORITY=$(ls "$run"/.mutter-Xwaylandauth.* | head -n 1)
  # The shell opens on its overview; closed, the desktop shows. Its notice of unsafe mode stays at
  # the top of the screen, with the panel's clock.
  wait_for 60 bash -c "gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.gnome.Shell.Eval 'Main.layoutManager._startingUp || Main.overview.visible || Main.overview.animationInProgress' \
    2>/dev/null | grep -q false || { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.gnome.Shell.Eval 'Main.overview.hide()' >/dev/null 2>&1; false; }" || return 1
  ignore_top=120
  sleep 2
}
shot_gnome() {
  gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
    --method org.gnome.Shell.Screenshot.Screenshot false false "$1" >>"$run/shot.log" 2>&1 && test -s "$1"
}

start_gadget() {  # start_gadget DPI: as a user starts it on a Wayland session, with XWayland or without
  local display=(-u DISPLAY)
  [ -n "$xdisplay" ] && display=(DISPLAY="$xdisplay")
  env -u QT_QPA_PLATFORM "${display[@]}" QT_FONT_DPI="$1" XDG_RUNTIME_DIR="$client_run" "$binary" 2>>"$run/gadget.log" &
  gadget=$!
}
# Qt's Wayland plugin, or its X11 plugin where XWayland runs.
on_wayland_plugin() {
  local plugin=libqwayland
  [ -n "$xdisplay" ] && plugin=libqxcb
  grep -q "platforms/$plugin" "/proc/$gadget/maps" 2>/dev/null
}
shows_its_picture() {  # shows_its_picture DPI
  wait_for 20 on_wayland_plugin || return 1
  picture_shown "$state/x11-$1.png" "$run/background.png" "shot_$comp" "$run/gadget-$1.png" "$ignore_top"
}

for comp in "${compositors[@]}"; do
  echo "== $comp"
  run=$state/$comp-run client_run=$state/$comp-client xdisplay=
  unset XAUTHORITY
  mkdir -m 700 -p "$run" "$client_run"
  start_session_bus
  if ! "start_$comp"; then
    echo "[  FAILED  ] $comp did not start"; tail -n 20 "$run/compositor.log"; failures=$((failures + 1))
    end_started; continue
  fi
  "shot_$comp" "$run/background.png" || echo "(no screenshot: $(tail -n 2 "$run/shot.log"))"
  for dpi in 96 192; do
    write_settings
    start_gadget "$dpi"
    plugin_name="Wayland plugin"
    [ -n "$xdisplay" ] && plugin_name="X11 plugin through XWayland"
    check "$comp, $dpi DPI: the gadget runs on Qt's $plugin_name" wait_for 20 on_wayland_plugin
    check "  frameless and translucent by its pixels, as its X11 picture blended" shows_its_picture "$dpi"
    if [ "$comp" = kwin ] || [ "$comp" = gnome ]; then
      read -r x y w h < <(python3 "$here/translucent_pixels.py" box "$run/background.png" "$run/gadget-$dpi.png")
      # 40 pixels of 96 DPI from the right and bottom edges.
      check "  at its anchored place ($x,$y)" test "$x" -eq $((1280 - w - 40 * dpi / 96)) -a "$y" -eq $((1024 - h - 40 * dpi / 96))
    fi
    kill -TERM "$gadget"
    check "  SIGTERM ends it with 0" ends_within 10 "$gadget"
    check "  and the file keeps its anchors (the compositor's place is not the program's)" \
      grep -qx 'DX=40' <(read_settings)
  done
  # The band drags the gadget through the compositor in every stacking; weston's headless backend
  # has no pointer to drag with.
  # Through XWayland sway moves the ordinary and the on-top gadget; the dock ("デスクトップ"),
  # which X11 window managers do not move, the program moves itself, and sway does not let it.
  stackings=(0 1 2)
  [ -n "$xdisplay" ] && stackings=(0 1)
  if [[ $comp == sway* ]]; then
    for zo in "${stackings[@]}"; do
      write_settings $'\nZO='$zo
      start_gadget 96
      wait_for 20 on_wayland_plugin || true
      # Shown whole (168 x 97 at 96 DPI), then dragged; the compositor moves it a moment later.
      wait_for 20 box_size_is "$run/before-drag.png" "168 97" || true
      read -r x y _ < <(gadget_box "$run/before-drag.png")
      python3 "$here/wayland_pointer.py" $((x + 30)) $((y + 6)) -200 -150 1280 1024
      wait_for 10 box_is "$run/after-drag.png" "$((x - 200)) $((y - 150)) 168 97" || true
      read -r x2 y2 _ < <(gadget_box "$run/after-drag.png")
      check "$comp, ZO=$zo: the band drags the gadget ($x,$y -> $x2,$y2)" test "$x2" -eq $((x - 200)) -a "$y2" -eq $((y - 150))
      kill -TERM "$gadget"
      ends_within 10 "$gadget" || true
    done
  fi
  end_started
done

if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
echo "[  FAILED  ] $failures check(s)"
exit 1
