#!/usr/bin/env bash
# The gadget started with LOCAL from a folder a group shares with another user of the machine (an
# account made for the test, in a group made for it): that user's link at the settings name leads
# nowhere, a pipe there hangs neither the start nor --print, and names that user made in advance
# for the gadget's saves do not stop a save.
#   linux_shared_folder_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "[  SKIPPED ] another user's names in a shared folder: making an account needs root"
  finish
fi
other=kvshare$$
group=kvgroup$$
groupadd "$group"
useradd -M -s /usr/sbin/nologin -g "$group" "$other"
# Under /tmp, as the test's own folder is closed to others; the setgid and sticky bits as a group's
# shared folder has them, and no rights for anyone outside the group (so the kernel's protection of
# links in folders everyone may write to does not apply).
shared=$(mktemp -d /tmp/kestrival-shared.XXXXXX)
chgrp "$group" "$shared"
chmod 3770 "$shared"
trap 'userdel "$other" 2>/dev/null || true; groupdel "$group" 2>/dev/null || true; rm -rf "$shared"; cleanup' EXIT
as_other=(setpriv --reuid="$other" --regid="$group" --clear-groups --)
cp "$binary" "$shared/kestrival"
file=$shared/kestrival_set.txt

window_count() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
wait_windows() {  # pid count: true once the process shows that many windows
  for _ in $(seq 100); do [ "$(window_count "$1")" -ge "$2" ] && return 0; sleep 0.1; done
  return 1
}
wait_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
start() {
  "$shared/kestrival" LOCAL 2>/dev/null &
  gadget_pid=$!
}
stop() {
  kill -TERM "$gadget_pid" 2>/dev/null || true
  wait_exit "$gadget_pid" || kill -KILL "$gadget_pid" 2>/dev/null || true
  wait "$gadget_pid" 2>/dev/null || true
  gadget_pid=""
}
print_fails_at_once() {  # true when --print ends within 10 s with 1 and says why on standard error
  local rc=0
  timeout 10 "$shared/kestrival" --print LOCAL >"$state/printed" 2>"$state/print-error" || rc=$?
  [ "$rc" -eq 1 ] && [ ! -s "$state/printed" ] && [ -s "$state/print-error" ]
}

# Their link at the settings name, to a private file of the user's.
printf 'my own notes\n' >"$HOME/notes.txt"
cp "$HOME/notes.txt" "$state/notes"
"${as_other[@]}" ln -s "$HOME/notes.txt" "$file"
check "another user's link: --print says it cannot read and ends with 1" print_fails_at_once
start
check "  the gadget starts and says once that it cannot read the file" wait_windows "$gadget_pid" 2
stop
check "  the private file it leads to is as it was" cmp -s "$HOME/notes.txt" "$state/notes"
check "  nothing was made beside it" test -z "$(find "$HOME" -maxdepth 1 -name 'notes.txt?*')"
check "  the link is still theirs" test "$(stat -c %U "$file")" = "$other" -a -L "$file"
"${as_other[@]}" rm -f "$file"

# A pipe at the settings name that nobody writes to.
"${as_other[@]}" mkfifo -m 666 "$file"
check "a pipe: --print ends with 1 at once" print_fails_at_once
start
check "  the gadget starts and says it cannot read the file" wait_windows "$gadget_pid" 2
stop
check "  the pipe is still there" test -p "$file"
"${as_other[@]}" rm -f "$file"

# Names made in advance for every save the running gadget could derive from its process number.
{ printf '\xff\xfe'; printf 'TITLE=shared\nHB=0\nDX=100\nVB=0\nDY=100\n' | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$file"
start
wait_windows "$gadget_pid" 1 || true
sleep 0.3
planted=0
for k in $(seq 0 300); do
  n=$(((gadget_pid << 24) + k))
  "${as_other[@]}" touch "$file.$n.part" "$file.$n.tmp" && planted=$((planted + 2))
done
id=$(xdotool search --onlyvisible --pid "$gadget_pid" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$id")"
xdotool mousemove $((X + 30)) $((Y + 6)) mousedown 1 mousemove_relative -- 40 30 mouseup 1
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$id")"
stop
saved=$(iconv -f UTF-16LE -t UTF-8 "$file" | sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//')
check "names made in advance ($planted of them): the dragged place is saved (DX=$X)" grep -qx "DX=$X" <<<"$saved"
check "  and their names are as they made them" \
  test "$(find "$shared" -user "$other" \( -name '*.part' -o -name '*.tmp' \) | wc -l)" -eq "$planted"
check "  and no name of the gadget's saves is left" \
  test -z "$(find "$shared" -user root \( -name '*.part' -o -name '*.tmp' \))"
finish
