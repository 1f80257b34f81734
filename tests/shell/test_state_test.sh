#!/usr/bin/env bash
# The shell tests' shared clean-up (scripts/lib/test-state.sh): it waits for what a test started
# to end before removing the test's folder, so that a program still saving at SIGTERM cannot fail
# a passed test; it kills what does not end in time, ends processes the test only tracked and
# their children, keeps the test's exit status, and removes a socket folder a killed gadget left
# under /tmp only when no process listens there.
set -euo pipefail
lib=$(realpath "$(dirname "$0")/../../scripts/lib/test-state.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "[       OK ] $what"; else echo "[  FAILED  ] $what"; failures=$((failures + 1)); fi
}
# Ended: no process by that number, or one that has ended and waits to be reaped.
gone() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  [ "${stat:0:1}" = Z ]
}

# A test whose program saves into the test's home for half a second after SIGTERM, with a child
# of its own, and one that a launcher started (not the test's child), tracked.
cat >"$work/saving.sh" <<TEST
source "$lib"
make_test_state
echo "\$state" >"$work/state"
trap remove_test_state EXIT
( trap 'sleep 0.5; echo saved >"\$HOME/settings"; exit 0' TERM; sleep 1000 & wait ) &
echo \$! >"$work/saver"
( sleep 1000 & echo \$! >"$work/launched" )
track "\$(cat "$work/launched")"
sleep 0.3
exit 0
TEST
status=0
output=$(bash "$work/saving.sh" 2>&1) || status=$?
check "a passed test stays passed while its program saves at SIGTERM (status $status)" test "$status" -eq 0
check "  no message: $output" test -z "$output"
check "  its folder is gone" test ! -e "$(cat "$work/state")"
check "  the saving program ended before it went" gone "$(cat "$work/saver")"
check "  the tracked program a launcher started ended" gone "$(cat "$work/launched")"

# A failed test keeps its status; a program that ignores SIGTERM is killed after END_SECONDS.
cat >"$work/stubborn.sh" <<TEST
source "$lib"
make_test_state
trap remove_test_state EXIT
( trap '' TERM; exec sleep 1000 ) &
echo \$! >"$work/stubborn"
exit 3
TEST
status=0
started=$SECONDS
output=$(END_SECONDS=1 bash "$work/stubborn.sh" 2>&1) || status=$?
check "a failed test keeps its status (3: $status)" test "$status" -eq 3
check "  a program that ignores SIGTERM is killed within the bound ($((SECONDS - started)) s)" \
  test "$((SECONDS - started))" -le 4
check "  and the clean-up says so" grep -q 'did not end within 1 s: killed' <<<"$output"
check "  and it is gone" gone "$(cat "$work/stubborn")"

# Socket folders named in lock files: a stale one goes, one a process listens on stays.
source "$lib"
stale=$(mktemp -d /tmp/kestrival-XXXXXX)
live=$(mktemp -d /tmp/kestrival-XXXXXX)
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$stale/gadget.sock"
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(1)
open(sys.argv[2], "w").close(); time.sleep(60)' "$live/gadget.sock" "$work/listening" &
listener=$!
for _ in $(seq 50); do [ -e "$work/listening" ] && break; sleep 0.1; done
mkdir -p "$work/locks/a" "$work/locks/b"
printf '%s\n' "$stale/gadget.sock" >"$work/locks/a/kestrival_set.txt.lock"
printf '%s\n' "$live/gadget.sock" >"$work/locks/b/ZKQV_set.txt.lock"
printf '%s\n' "/tmp/elsewhere/gadget.sock" >"$work/locks/b/other.lock"
remove_left_sockets "$work/locks"
check "a socket folder a killed gadget left is removed" test ! -e "$stale"
check "  one a running gadget listens in stays" test -S "$live/gadget.sock"
kill "$listener"
wait "$listener" 2>/dev/null || true
rm -rf "$live"

if [ "$failures" -eq 0 ]; then echo "[  PASSED  ] all checks"; exit 0; fi
echo "[  FAILED  ] $failures check(s)"
exit 1
