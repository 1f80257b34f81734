#!/usr/bin/env bash
# One gadget per settings file on Linux, with the real gadget on an X display of its own: starts
# with and without a runtime folder meet at one lock and the second brings the first forward; two
# starts a few milliseconds apart leave exactly one gadget; copies whose names differ only in
# letter case are two programs with two files; the settings folder holds no lock file, so a sync
# client that replaces its files takes nothing away, and an earlier version's lock file there is
# removed; another user of the machine (an account made for the test) can neither keep the
# gadget from starting, reach its lock, nor be reached or signalled by it; and that user's own
# starts meet at one lock when their runtime folder appears between them.
#   linux_one_gadget_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
runtime=$XDG_RUNTIME_DIR
unset XDG_RUNTIME_DIR
folder=$state/copies
mkdir -p "$folder"
cp "$binary" "$folder/kestrival"
cp "$binary" "$folder/Kestrival"

write_local() {  # program-name settings-lines: the LOCAL file of that copy
  { printf '\xff\xfe'; printf '%s' "$2" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$folder/$1_set.txt"
}
gadget_window() {  # pid: the gadget window of that process
  xdotool search --all --pid "$1" --name '^ - Kestrival -$' 2>/dev/null | head -n 1
}
gadget_count() { xdotool search --name '^ - Kestrival -$' 2>/dev/null | wc -l; }
start() {  # pid-variable program [env assignments...]: starts a copy with LOCAL and waits for its window
  local variable=$1 program=$2; shift 2
  env "$@" "$folder/$program" LOCAL 2>/dev/null &
  local pid=$!
  printf -v "$variable" '%s' "$pid"
  for _ in $(seq 100); do [ -n "$(gadget_window "$pid")" ] && break; sleep 0.1; done
  sleep 0.3
}
lock_of() {  # pid: the lock file the gadget holds open
  local fd
  for fd in /proc/"$1"/fd/*; do readlink "$fd"; done 2>/dev/null | grep '\.lock$' | head -n 1
}
stop() {  # pid
  kill -TERM "$1" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  wait "$1" 2>/dev/null || true
}
# Whether window $1 is stacked above window $2 (xwininfo lists the root's children from the top down).
above() {
  xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+' | tr -d ' ' |
    awk -v a="$(printf '0x%x' "$1")" -v b="$(printf '0x%x' "$2")" '$1 == a { pa = NR } $1 == b { pb = NR } END { exit !(pa && pa < pb) }'
}
second_start() {  # program [env assignments...]: a start that must end with 0 while a gadget runs
  local program=$1; shift
  timeout 20 env "$@" "$folder/$program" LOCAL 2>/dev/null
}

# Two copies whose names differ in letter case, placed one over the other.
write_local kestrival $'HB=0\nDX=100\nVB=0\nDY=100\nTITLE=lower'
write_local Kestrival $'HB=0\nDX=110\nVB=0\nDY=110\nTITLE=upper'
start lower kestrival XDG_RUNTIME_DIR="$runtime"
start upper Kestrival
check "copies named kestrival and Kestrival are two programs: two gadgets" test "$(gadget_count)" -eq 2
check "  with a settings file each" grep -q upper <(iconv -f UTF-16LE -t UTF-8 "$folder/Kestrival_set.txt")
lower_window=$(gadget_window "$lower")
upper_window=$(gadget_window "$upper")

# The first started with a runtime folder, the second without (ssh, su, cron), and the other way round.
for round in "without" "with"; do
  xdotool windowraise "$upper_window"
  sleep 0.3
  if [ "$round" = without ]; then env=(); else env=(XDG_RUNTIME_DIR="$runtime"); fi
  check "a start $round a runtime folder finds the running gadget and ends with 0" second_start kestrival "${env[@]}"
  check "  the running gadget is still the only one on its file" test "$(gadget_count)" -eq 2
  sleep 0.3
  check "  and came forward above the other gadget" above "$lower_window" "$upper_window"
  if [ "$round" = without ]; then
    stop "$lower"
    start lower kestrival  # now the first has no runtime folder
    lower_window=$(gadget_window "$lower")
  fi
done
stop "$upper"

# The settings folder is a synced one: the gadget puts no lock file there, and a sync client that
# replaces every file in it with a copy (or deletes them) takes no lock away.
check "the settings folder holds no lock file" test -z "$(find "$folder" -name '*.lock')"
for name in "$folder"/*_set.txt; do cp -p "$name" "$state/copy" && mv "$state/copy" "$name"; done
check "after a sync client replaced its files a second start still finds the gadget" second_start kestrival
check "  leaving one gadget on the file" test "$(gadget_count)" -eq 1
lock_file=$(lock_of "$lower")
check "the lock stands in a folder of this user's alone ($lock_file)" \
  test -n "$lock_file" -a "$(stat -c '%u %a' "$(dirname "$lock_file")")" = "$(id -u) 700"
stop "$lower"
check "  and goes when the gadget ends" test ! -e "$lock_file"

# A lock file an earlier version left beside the settings file: removed at the next start when
# nobody holds it.
printf '%s\n' "$runtime/kestrival-0-0.sock" >"$folder/kestrival_set.txt.lock"
chmod 600 "$folder/kestrival_set.txt.lock"
start lower kestrival
check "an earlier version's lock file nobody holds is removed" test ! -e "$folder/kestrival_set.txt.lock"
stop "$lower"
start lower kestrival

# Double clicks: two starts 0 to 10 ms apart, twenty times. Exactly one gadget each time.
double_ok=0
for round in $(seq 0 19); do
  stop "$lower"
  "$folder/kestrival" LOCAL 2>/dev/null &
  first=$!
  sleep "0.$(printf '%03d' $((round % 11)))"
  "$folder/kestrival" LOCAL 2>/dev/null &
  second=$!
  ended=""
  for _ in $(seq 150); do
    if ! kill -0 "$first" 2>/dev/null; then ended=$first; break; fi
    if ! kill -0 "$second" 2>/dev/null; then ended=$second; break; fi
    sleep 0.05
  done
  if [ "$ended" = "$first" ]; then lower=$second; else lower=$first; fi
  rc=0
  [ -n "$ended" ] && { wait "$ended" || rc=$?; }
  sleep 0.5
  if [ -n "$ended" ] && [ "$rc" -eq 0 ] && kill -0 "$lower" 2>/dev/null && [ "$(gadget_count)" -eq 1 ] &&
    [ -n "$(gadget_window "$lower")" ]; then
    double_ok=$((double_ok + 1))
  else
    echo "round $round: ended=${ended:-none} rc=$rc gadgets=$(gadget_count)"
  fi
done
check "twenty double starts 0-10 ms apart each left exactly one gadget ($double_ok/20)" test "$double_ok" -eq 20
stop "$lower"

# Another user of the machine.
if [ "$(id -u)" -ne 0 ]; then
  echo "[  SKIPPED ] another user's names: making an account needs root"
  finish
fi
other=kvother$$
useradd -M -s /usr/sbin/nologin "$other"
shared=$(mktemp -d /tmp/kestrival-shared.XXXXXX)
chmod 1777 "$shared"
# Their processes end (the shared clean-up waits for them) before their account and folder go.
trap 'cleanup; userdel "$other" 2>/dev/null || true; rm -rf "$shared"' EXIT
# Straight into the command as the other user (no shell function between), so that $! is their process.
as_other=(setpriv --reuid="$other" --regid="$(id -g "$other")" --clear-groups --)
not_as_other() { ! "${as_other[@]}" "$@" >/dev/null 2>&1; }

# A copy in a folder everyone may write to: the other user makes its lock name first, holds it
# and writes the number of a process of theirs into it.
cp "$binary" "$shared/kestrival"
lock_name=$shared/kestrival_set.txt.lock
"${as_other[@]}" sh -c 'echo $$ >"$1" && exec 9<"$1" && flock -x 9 && exec sleep 300' sh "$lock_name" &
their_holder=$!
for _ in $(seq 50); do [ -s "$lock_name" ] && break; sleep 0.1; done
sleep 0.3
their_pid=$(cat "$lock_name")
before=$(md5sum <"$lock_name")
"$shared/kestrival" LOCAL 2>/dev/null &
victim=$!
for _ in $(seq 100); do [ -n "$(gadget_window "$victim")" ] && break; sleep 0.1; done
check "another user's lock name, held by them, does not keep the gadget from starting" \
  test -n "$(gadget_window "$victim")"
check "  the process they named was not signalled" kill -0 "$their_pid"
check "  their file was not written" test "$(md5sum <"$lock_name")" = "$before"
stop "$victim"
check "  it is the process that holds their lock" test "$their_pid" = "$their_holder"
kill "$their_holder" 2>/dev/null || true
wait "$their_holder" 2>/dev/null || true

# A runtime folder that belongs to the other user (as after su), with their listener in it, and
# a lock file whose record was changed to lead there: the gadget never uses the folder and a
# second start never connects to their listener.
their_runtime=$shared/their-runtime
"${as_other[@]}" mkdir -m 777 "$their_runtime"
"${as_other[@]}" /usr/bin/python3 -c '
import os, socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1]); os.chmod(sys.argv[1], 0o777); s.listen(4); s.settimeout(60)
try:
    s.accept(); open(sys.argv[2], "w").write("connected")
except socket.timeout:
    pass
' "$their_runtime/listener.sock" "$their_runtime/log" &
their_listener=$!
for _ in $(seq 50); do [ -S "$their_runtime/listener.sock" ] && break; sleep 0.1; done
start lower kestrival XDG_RUNTIME_DIR="$their_runtime"
check "a runtime folder others may enter holds nothing of the gadget's" \
  test -z "$(find "$their_runtime" -user "$(id -u)")"
check "  and a second start there still brings the gadget forward" second_start kestrival \
  XDG_RUNTIME_DIR="$their_runtime"
check "  leaving one gadget" test "$(gadget_count)" -eq 1
lock_file=$(lock_of "$lower")
check "  they cannot enter the lock's folder" not_as_other ls "$(dirname "$lock_file")"
check "  nor open the lock to hold it" not_as_other flock -n "$lock_file" true
printf '%s\n' "$their_runtime/listener.sock" >"$lock_file"
check "a start whose lock file leads to another user's socket ends with 0" second_start kestrival
check "  without connecting to it" test ! -e "$their_runtime/log"
check "  leaving one gadget" test "$(gadget_count)" -eq 1
stop "$lower"
kill "$their_listener" 2>/dev/null || true
wait "$their_listener" 2>/dev/null || true

# The other user's own gadget, started outside any login session (cron, ssh without a session):
# no runtime folder yet. Their next start comes after logind made it, and still meets the first
# one, also when someone else took their name in the shared temporary folder first (root here).
their_uid=$(id -u "$other")
their_run=/run/user/$their_uid
their_tmp=/tmp/kestrival-$their_uid
made_run_user=""
[ -d /run/user ] || { mkdir -m 755 /run/user; made_run_user=1; }
trap 'cleanup; rm -rf "$their_run" "$their_tmp"; [ -z "$made_run_user" ] || rmdir /run/user 2>/dev/null;
  userdel "$other" 2>/dev/null || true; rm -rf "$shared"' EXIT
their_home=$shared/their-home
mkdir -p "$their_home/copy"
cp "$binary" "$their_home/copy/kestrival"
chown -R "$other:$(id -g "$other")" "$their_home"
chmod 700 "$their_home"
usermod -d "$their_home" "$other"  # the gadget finds the home from the user database
as_them=("${as_other[@]}" env HOME="$their_home" "$their_home/copy/kestrival" LOCAL)
for taken in "" "taken by root"; do
  rm -rf "$their_run" "$their_tmp"
  [ -z "$taken" ] || mkdir -m 700 "$their_tmp"
  "${as_them[@]}" 2>/dev/null &
  theirs=$!
  for _ in $(seq 100); do [ -n "$(gadget_window "$theirs")" ] && break; sleep 0.1; done
  sleep 0.3
  mkdir -m 700 "$their_run"
  chown "$other" "$their_run"
  "${as_them[@]}" 2>/dev/null &
  second=$!
  rc=running
  for _ in $(seq 150); do kill -0 "$second" 2>/dev/null || { rc=0; wait "$second" || rc=$?; break; }; sleep 0.1; done
  check "their start after logind made their runtime folder ends with 0 (their shared temporary name ${taken:-free}): $rc" \
    test "$rc" = 0
  check "  leaving one gadget" test "$(gadget_count)" -eq 1
  stop "$second"
  stop "$theirs"
done
finish
