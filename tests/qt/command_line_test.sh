#!/usr/bin/env bash
# The Linux command's options without any display: --help, --version and --print answer on standard
# output and exit 0, an unknown option prints the usage on standard error and exits 2; none of them creates
# the settings file, the file beside the program or the lock, nor a folder for them.
#   command_line_test.sh path/to/kestrival
set -euo pipefail
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
# A copy of the program in a folder of its own shows whether LOCAL made a file beside it.
mkdir -p "$state/bin" "$state/home" "$state/runtime"
cp "$1" "$state/bin/kestrival"
export HOME=$state/home XDG_RUNTIME_DIR=$state/runtime XDG_CONFIG_HOME=$state/home/.config
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
run() {  # run arguments...: sets status, out and err
  status=0
  timeout 10 "$state/bin/kestrival" "$@" >"$state/out" 2>"$state/err" || status=$?
  out=$(cat "$state/out") err=$(cat "$state/err")
}
untouched() {  # nothing made in the home, the runtime folder or beside the program
  [ -z "$(find "$HOME" "$XDG_RUNTIME_DIR" -mindepth 1)" ] && [ "$(ls -A "$state/bin")" = kestrival ]
}
version=$(sed -n 's/^project(Kestrival VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")

for help in "--help" "LOCAL --help" "--help --bogus"; do
  run $help
  check "$help: exit 0" test "$status" -eq 0
  check "  the usage on standard output" grep -q '^Usage: kestrival \[LOCAL\]$' "$state/out"
  check "  lists LOCAL, --help and --version" grep -q -e '^  LOCAL ' "$state/out"
  check "  nothing on standard error" test -z "$err"
  check "  nothing made" untouched
done
run LOCAL --help
check "LOCAL --help: the usage" grep -q -e '^  --version ' "$state/out"

run --version
check "--version: exit 0, \"kestrival $version\"" test "$status" -eq 0 -a "$out" = "kestrival $version" -a -z "$err"
check "  nothing made" untouched

# --print reads the settings file without a display and makes nothing: without a file, the goal a
# first start would show; with LOCAL, the file beside the program.
run --print
check "--print: exit 0, one line of five tab-separated fields" \
  test "$status" -eq 0 -a "$(awk -F'\t' 'NF == 5' <<<"$out" | wc -l)" -eq 1 -a -z "$err"
check "  nothing made" untouched
printf '\xff\xfeI\0T\0E\0M\0001\0=\0g\0,\0,\0\r\0\n\0' >"$state/bin/kestrival_set.txt"
before=$(md5sum <"$state/bin/kestrival_set.txt")
run --print LOCAL
check "--print LOCAL: the goal of the file beside the program" test "$status" -eq 0 -a "$(cut -f1 <<<"$out")" = g
check "  left as it was" test "$(md5sum <"$state/bin/kestrival_set.txt")" = "$before"
rm "$state/bin/kestrival_set.txt"

# The arguments, then the option the error names.
for bad in "-x|-x" "--bogus --help|--bogus" "-local|-local" "LOCAL --Help|--Help"; do
  run ${bad%|*}
  check "${bad%|*}: exit 2" test "$status" -eq 2
  check "  names ${bad#*|} on the first line of standard error" \
    test "$(head -n 1 "$state/err")" = "kestrival: unknown option '${bad#*|}'"
  check "  then the usage" test "$(sed -n 2p "$state/err")" = "Usage: kestrival [LOCAL]"
  check "  nothing on standard output" test -z "$out"
  check "  nothing made" untouched
done

# A usage that cannot be written is a failure, not a silent success.
status=0
"$state/bin/kestrival" --help >/dev/full 2>/dev/null || status=$?
check "--help to a full disk: exit 1" test "$status" -eq 1

# Without an option the command runs the gadget: with no display it fails in the toolkit, which
# shows the options were not what stopped it.
run LOCAL plain-argument
check "LOCAL and a plain argument run the gadget (no display: the toolkit's error)" \
  grep -q "could not connect to display" "$state/err"

if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
echo "[  FAILED  ] $failures check(s)"
exit 1
