# Shared pieces of the shell-driven end-to-end tests. Run inside `harness.sh run`, with the
# Windows build's folder in KESTRIVAL_WINDOWS_BUILD. $test_folder is a folder of the test's own
# (under TMPDIR, in the build folder); at the end whatever the test started that still runs (a
# gadget, a Linux gadget beside it) is ended and waited for, then that folder is removed. The
# prefix's home and folders are the harness's.
set -euo pipefail
build=${KESTRIVAL_WINDOWS_BUILD:?}
failures=0
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/test-state.sh"
mkdir -p "${TMPDIR:-/tmp}"
test_folder=$(mktemp -d "${TMPDIR:-/tmp}/kestrival-test.XXXXXX")
gadget_pid=""
end_test() {
  set +e
  [ -n "$gadget_pid" ] && track "$gadget_pid"
  end_started
  remove_left_sockets "$test_folder"
  rm -rf "$test_folder"
  return 0
}
trap end_test EXIT

probe() { "$WINE" "$build/kestrival_probe.exe" "$@" | tr -d '\r'; }

settings_file() { "$WINE" winepath -u "$(probe settings-path)" 2>/dev/null | tr -d '\r'; }

# Writes the settings file from UTF-8 lines (LF), as UTF-16LE with BOM and CR LF.
write_settings() {
  local file; file=$(settings_file)
  mkdir -p "$(dirname "$file")"
  { printf '\xff\xfe'; printf '%s' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}

# The file as UTF-8 text without its byte-order mark and CRs (sed works on whole characters, where
# tr would delete every byte 357, 273 or 277 inside Japanese text too).
read_settings() { iconv -f UTF-16LE -t UTF-8 "$(settings_file)" | sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//'; }

reset_settings() { rm -rf "$(dirname "$(dirname "$(settings_file)")")"; }

start_gadget() {
  "$WINE" "$build/Kestrival.exe" "$@" &
  gadget_pid=$!
}

wait_gadget_exit() {
  for _ in $(seq 100); do kill -0 "$gadget_pid" 2>/dev/null || return 0; sleep 0.1; done
  echo "gadget did not exit"; return 1
}

check() {  # check "what" test-expression...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}

finish() {
  if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
  echo "[  FAILED  ] $failures check(s)"; exit 1
}
