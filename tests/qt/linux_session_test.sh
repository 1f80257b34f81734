#!/usr/bin/env bash
# A session manager brings the gadget back as it was started: a gadget started with LOCAL, through
# a relative path from its own folder, saves itself at a logout; the restart command it leaves,
# run from another working folder, starts it again on the file beside it.
#   linux_session_test.sh path/to/kestrival path/to/kestrival_session_manager
source "$(dirname "$0")/lib.sh"
manager=$(realpath "$2")
window() { xdotool search --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
wait_window() { for _ in $(seq 100); do [ -n "$(window)" ] && return 0; sleep 0.1; done; return 1; }
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# ASCII only: Qt hands the session manager each part's UTF-8 bytes cut to its length in UTF-16
# units, so a folder named in Japanese would reach the manager cut short.
dir=$state/'a\b c'
mkdir -p "$dir" "$state/work"
cp "$binary" "$dir/kestrival"
"$manager" "$state/address" >"$state/manager.out" &
manager_pid=$!
for _ in $(seq 50); do [ -s "$state/address" ] && break; sleep 0.1; done
(cd "$dir" && SESSION_MANAGER=$(cat "$state/address") exec ./kestrival LOCAL 2>/dev/null) &
gadget_pid=$!
manager_status=0
wait "$manager_pid" || manager_status=$?
check "the gadget saved itself at the logout and closed its session (status $manager_status)" test "$manager_status" -eq 0
check "  and ended" wait_exit "$gadget_pid"
gadget_pid=""
IFS=$'\t' read -r -a restart < <(grep '^restart' "$state/manager.out" || true)
restart=("${restart[@]:1}")
echo "restart command: ${restart[*]}"
check "the restart command names the program by its full path" test "${restart[0]:-}" = "$dir/kestrival"
check "  with the session's option" test "${restart[1]:-}" = -session -a -n "${restart[2]:-}"
check "  and LOCAL" test "${restart[*]:3}" = LOCAL

rm -f "$dir/kestrival_set.txt"
if [ ${#restart[@]} -gt 0 ]; then
  (cd "$state/work" && exec "${restart[@]}" 2>/dev/null) &
  gadget_pid=$!
fi
wait_window || true
check "the restart command brings the gadget back" test -n "$(window)"
check "  on the file beside the program" test -s "$dir/kestrival_set.txt"
check "  not on the shared one" test ! -e "$HOME/Documents/ZKFILES"
check "  nor in the working folder" test -z "$(ls -A "$state/work")"
finish
