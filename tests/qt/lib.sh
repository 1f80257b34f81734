# Shared pieces of the Linux gadget's shell tests: a home, runtime and config folder of their own,
# an X display of their own without a window manager, the check and finish lines, and the settings
# file. Sourced with the gadget's path as the first argument.
set -euo pipefail
binary=$(realpath "$1")
state=$(mktemp -d)
export HOME=$state/home XDG_RUNTIME_DIR=$state/runtime XDG_CONFIG_HOME=$state/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"
gadget_pid=""
cleanup() {
  [ -n "$gadget_pid" ] && kill "$gadget_pid" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT
start_xvfb
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
finish() {
  if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
  echo "[  FAILED  ] $failures check(s)"
  exit 1
}
file=$HOME/Documents/ZKFILES/Kestrival/ZKQV_set.txt
read_settings() { iconv -f UTF-16LE -t UTF-8 "$file" | sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//'; }
