#!/usr/bin/env bash
# Renders the README's pictures: under Wine the gadget with the program's own GDI canvas (default,
# a 3 x 2 grid, the same grid in the classic look), the running gadget with its menu open, a notice
# and the settings dialog; natively the Linux gadget and its settings dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-win -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win --target kestrival_render_pictures Kestrival kestrival_probe
export KESTRIVAL_WINE_STATE=$PWD/build-win/pictures-wine
tests/wine/harness.sh setup >/dev/null
trap "$PWD/tests/wine/harness.sh cleanup" EXIT
cd build-win
../tests/wine/harness.sh run ../tests/wine/run_exe.sh kestrival_render_pictures.exe default.bmp grid.bmp classic.bmp default-150.bmp choices.bmp
convert default.bmp -strip ../docs/gadget-default.png
convert grid.bmp -strip ../docs/gadget-grid.png
convert classic.bmp -strip ../docs/gadget-classic.png
convert default-150.bmp -strip ../docs/gadget-default-150.png
convert choices.bmp -strip ../docs/gadget-choices.png

# The settings dialog, opened from the gadget's menu, over goals that count in different ways, one
# of them with reminders.
../tests/wine/harness.sh run bash -c '
  file=$("$WINE" winepath -u "$("$WINE" kestrival_probe.exe settings-path | tr -d "\r")" | tr -d "\r")
  mkdir -p "$(dirname "$file")"
  { printf "\xff\xfe"; printf "%s\r\n" "ITEM1=入学試験,2027/01/17,2027/02/25" "CNT1=T" "RMD1=0,7" "ITEM2=提出期限,2026/11/01,2027/01/29" \
      "CNT2=W" "ITEM3=誕生日,2000/05/10,2000/05/10" "CNT3=Y" "ITEM4=年度末の決算報告書の提出,2026/04/01,2027/03/31" "CNT4=TWY" \
      | iconv -f UTF-8 -t UTF-16LE; } >"$file"
  "$WINE" Kestrival.exe & gadget=$!
  read -r left top right bottom < <("$WINE" kestrival_probe.exe wait | tr -d "\r")
  sleep 1
  xdotool mousemove $((left + 30)) $((top + 6)) click 3; sleep 1; xdotool key s; sleep 2
  dialog=$(xdotool search --onlyvisible --name "Kestrival 1\.10" | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ../docs/settings-dialog.png
  # The counting menu of a goal row, opened by a right click.
  xdotool mousemove $((X + 40)) $((Y + 20 + 2 * 20 + 8)) click 3; sleep 0.8
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ../docs/settings-dialog-choices.png
  xdotool key Escape; sleep 0.3
  # Closed with its cancel button, then the running gadget at its true size, its menu open on the
  # title band.
  for _ in $(seq 30); do
    xdotool search --onlyvisible --name "Kestrival 1\.10" >/dev/null 2>&1 || break
    xdotool mousemove $((X + WIDTH - 40)) $((Y + HEIGHT - 16)) click 1; sleep 0.5
  done
  xdotool mousemove $((left + 30)) $((top + 6)) click 3; sleep 1
  import -window root -crop "$((right - left + 70))x$((bottom - top + 30))+${left}+${top}" +repage ../docs/running-gadget.png
  xdotool key Escape; sleep 0.5
  "$WINE" kestrival_probe.exe close >/dev/null; wait $gadget
  # The notice of a settings file that cannot be read: here a folder stands where the file should be.
  rm -f "$file"; mkdir -p "$file"
  "$WINE" Kestrival.exe & gadget=$!
  for _ in $(seq 100); do notice=$(xdotool search --onlyvisible --name "^Kestrival\$" | head -n 1 || true); [ -n "$notice" ] && break; sleep 0.1; done
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$notice")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ../docs/notice.png
  xdotool key Return; sleep 0.5
  "$WINE" kestrival_probe.exe close >/dev/null; wait $gadget
  rmdir "$file"'
cd ..

# The Linux gadget and its dialog, natively on a display of their own.
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIVAL_TESTS=OFF -DKESTRIVAL_BENCH=OFF >/dev/null
cmake --build build-run --target kestrival
home=$(mktemp -d)
(
  export HOME=$home XDG_RUNTIME_DIR=$home XDG_CONFIG_HOME=$home/.config
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  source scripts/lib/xvfb.sh
  start_xvfb
  trap 'kill $XVFB_PID 2>/dev/null || true; rm -rf "$home"' EXIT
  build-run/kestrival 2>/dev/null & gadget=$!
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name '^ - Kestrival -$' | head -n 1)")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/linux-gadget.png
  xdotool mousemove $((X + 30)) $((Y + 40)) click 3; sleep 0.5; xdotool key s; sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^ Kestrival .* 設定$' | head -n 1)")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/linux-settings-dialog.png
  xdotool key Escape; sleep 0.3
  kill -TERM $gadget; wait $gadget || true
)
echo "wrote docs/gadget-default.png docs/gadget-grid.png docs/gadget-classic.png docs/gadget-default-150.png"
echo "      docs/gadget-choices.png docs/settings-dialog.png docs/settings-dialog-choices.png"
echo "      docs/running-gadget.png docs/notice.png"
echo "      docs/linux-gadget.png docs/linux-settings-dialog.png"
