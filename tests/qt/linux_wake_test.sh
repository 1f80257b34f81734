#!/usr/bin/env bash
# After the machine sleeps the gadget repaints as soon as logind says it woke, not when its minute
# timer (which does not count the sleep) comes round. The wall clock is moved ten days on with
# libfaketime (timers keep the real monotonic clock), and logind's PrepareForSleep(false) comes on
# the test's own session bus (lib.sh), given to the gadget as its system bus.
#   linux_wake_test.sh path/to/kestrival
source "$(dirname "$0")/lib.sh"
preload=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 | head -n 1)
clock=$state/clock
echo '@2026-12-10 12:00:00' >"$clock"
FAKETIME_TIMESTAMP_FILE=$clock FAKETIME_NO_CACHE=1 DONT_FAKE_MONOTONIC=1 LD_PRELOAD=$preload \
  DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS "$binary" 2>/dev/null &
gadget_pid=$!
window() { xdotool search --onlyvisible --name '^ - Kestrival -$' 2>/dev/null | head -n 1; }
for _ in $(seq 100); do [ -n "$(window)" ] && break; sleep 0.1; done
sleep 0.5
shot() { import -window "$(window)" -depth 8 rgb:- 2>/dev/null | md5sum; }
before=$(shot)
echo '@2026-12-20 12:00:00' >"$clock"
sleep 1.5
check "the wall clock's jump alone does not repaint (the timer is a minute away)" test "$(shot)" = "$before"
dbus-send --bus="$DBUS_SESSION_BUS_ADDRESS" --type=signal /org/freedesktop/login1 \
  org.freedesktop.login1.Manager.PrepareForSleep boolean:false
changed=no
for _ in $(seq 30); do [ "$(shot)" != "$before" ] && { changed=yes; break; }; sleep 0.1; done
check "the wake-up signal repaints it at once with the new day's counts" test "$changed" = yes
kill -TERM "$gadget_pid"
wait "$gadget_pid" || true
finish
