# Shared pieces of the Linux gadget's shell tests: a home, config, cache and runtime folder of their
# own (scripts/lib/test-state.sh), a D-Bus session bus and an X display of their own without a
# window manager, the check and finish lines, and the settings file. Sourced with the gadget's path
# as the first argument. At the end, whatever the test started is ended and waited for (the gadget
# saves at SIGTERM), then its folder is removed: a test that starts a process outside its own
# children (a launcher's) names it with `track PID`.
set -euo pipefail
binary=$(realpath "$1")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/test-state.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xvfb.sh"
make_test_state
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
gadget_pid=""
cleanup() {
  [ -n "$gadget_pid" ] && track "$gadget_pid"
  remove_test_state
}
trap cleanup EXIT
start_session_bus
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
