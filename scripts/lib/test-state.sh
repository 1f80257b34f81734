# A shell test's own folders and the processes it starts, for tests/qt/lib.sh, tests/wine/lib.sh and
# any test that sources it. Nothing here touches the user's home, settings, session bus or the
# system's temporary folder: the test command points TMPDIR into the build folder (build/tmp).
#
#   make_test_state       makes $state (under TMPDIR) with a home, config, cache, data and runtime
#                         folder and a temporary folder of its own, and exports HOME, XDG_*, TMPDIR
#                         for them; the user's session bus is forgotten (start_session_bus makes one)
#   start_session_bus     a D-Bus session bus of the test's own, its socket in the runtime folder
#   track PID...          processes the test started that are not its children (a daemon, a
#                         program a launcher started), so that the clean-up ends them too
#   end_started           ends everything the test started, by pid: its children and theirs, the
#                         tracked processes and theirs (SIGTERM, up to END_SECONDS, then SIGKILL),
#                         then the X servers and buses (SERVICE_PIDS) the same way
#   remove_test_state     end_started, then removes $state; never fails
# The clean-up waits for what it ended: a gadget saving at SIGTERM writes into the test's folder.

END_SECONDS=${END_SECONDS:-10}
TRACKED_PIDS=()
SERVICE_PIDS=()

make_test_state() {
  local root=${TMPDIR:-/tmp}
  mkdir -p "$root"
  state=$(mktemp -d "$root/kestrival-test.XXXXXX")
  export HOME=$state/home XDG_CONFIG_HOME=$state/home/.config XDG_CACHE_HOME=$state/home/.cache \
    XDG_DATA_HOME=$state/home/.local/share XDG_STATE_HOME=$state/home/.local/state TMPDIR=$state/tmp
  # A socket's path has at most 107 bytes: where the build folder lies deep, the runtime folder is
  # made under /tmp instead (removed with the state), so that the program finds a usable one.
  XDG_RUNTIME_DIR=$state/runtime
  if [ ${#XDG_RUNTIME_DIR} -gt 60 ]; then
    XDG_RUNTIME_DIR=$(mktemp -d /tmp/kestrival-test-runtime.XXXXXX)
    ln -s "$XDG_RUNTIME_DIR" "$state/runtime"
  fi
  export XDG_RUNTIME_DIR
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID SESSION_MANAGER
}

start_session_bus() {
  local reply
  reply=$(dbus-daemon --session --address="unix:dir=$XDG_RUNTIME_DIR" --fork --print-address=1 --print-pid=1)
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$reply")
  DBUS_SESSION_BUS_PID=$(sed -n 2p <<<"$reply")
  export DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID
  SERVICE_PIDS+=("$DBUS_SESSION_BUS_PID")
}

track() { TRACKED_PIDS+=("$@"); }

# True while the process runs (a zombie has ended).
process_runs() {
  local stat
  { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 1
  stat=${stat##*) }
  [ "${stat:0:1}" != Z ]
}

# DESCENDANTS: every process below the given ones, read from /proc without starting a process.
find_descendants() {  # pid...
  local -A children=()
  local stat_file stat pid parent
  for stat_file in /proc/[0-9]*/stat; do
    { read -r stat <"$stat_file"; } 2>/dev/null || continue
    pid=${stat%% *}
    stat=${stat##*) }
    parent=${stat#* }
    parent=${parent%% *}
    children[$parent]+=" $pid"
  done
  DESCENDANTS=()
  local queue=("$@") next
  while [ ${#queue[@]} -gt 0 ]; do
    next=${queue[0]}
    queue=("${queue[@]:1}")
    for pid in ${children[$next]:-}; do
      [ "$pid" = "$BASHPID" ] || { DESCENDANTS+=("$pid"); queue+=("$pid"); }
    done
  done
}

end_processes() {  # pid...: SIGTERM, up to END_SECONDS for all to end, then SIGKILL, and reaped
  [ $# -gt 0 ] || return 0
  kill -TERM "$@" 2>/dev/null || true
  local deadline=$((SECONDS + END_SECONDS)) pid left killed=""
  while :; do
    left=()
    for pid in "$@"; do process_runs "$pid" && left+=("$pid"); done
    [ ${#left[@]} -eq 0 ] && break
    if [ -z "$killed" ] && [ "$SECONDS" -ge "$deadline" ]; then
      echo "(clean-up: $(for pid in "${left[@]}"; do tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null; echo -n "[$pid] "; done)did not end within ${END_SECONDS} s: killed)"
      kill -KILL "${left[@]}" 2>/dev/null || true
      killed=1 deadline=$((SECONDS + 5))
    elif [ -n "$killed" ] && [ "$SECONDS" -ge "$deadline" ]; then
      break
    fi
    sleep 0.1
  done
  for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}

end_started() {
  local services=() pid wanted service
  for pid in "${SERVICE_PIDS[@]}" ${XVFB_PID:-}; do services+=("$pid"); done
  find_descendants $$ "${TRACKED_PIDS[@]}" "${services[@]}"
  local first=()
  for pid in "${TRACKED_PIDS[@]}" "${DESCENDANTS[@]}"; do
    wanted=1
    for service in "${services[@]}"; do [ "$pid" = "$service" ] && wanted=""; done
    [ -n "$wanted" ] && first+=("$pid")
  done
  end_processes "${first[@]}"
  end_processes "${services[@]}"
  TRACKED_PIDS=() SERVICE_PIDS=() XVFB_PID=""
}

# A gadget started without a runtime folder listens in a folder of its own under /tmp and removes
# it when it ends; one that was killed leaves it behind. The lock files under the given folder name
# each such socket: those no process listens on any more go, each named on standard output.
remove_left_sockets() {  # folder
  local lock socket
  while IFS= read -r -d '' lock; do
    { IFS= read -r socket <"$lock"; } 2>/dev/null || continue
    [[ $socket =~ ^/tmp/kestrival-[A-Za-z0-9]{6}/gadget\.sock$ ]] || continue
    [ -O "${socket%/*}" ] || continue
    grep -qF " $socket" /proc/net/unix 2>/dev/null && continue
    rm -f "$socket"
    rmdir "${socket%/*}" 2>/dev/null && echo "removed ${socket%/*}, left by a gadget that was killed"
  done < <(find "$1" -name '*.lock' -type f -print0 2>/dev/null)
  return 0
}

remove_test_state() {
  set +e
  end_started
  if [ -n "${state:-}" ] && [ -d "$state" ]; then
    remove_left_sockets "$state"
    local runtime
    runtime=$(readlink "$state/runtime" 2>/dev/null) && [[ $runtime == /tmp/kestrival-test-runtime.* ]] &&
      rm -rf "$runtime"
    rm -rf "$state" 2>/dev/null || { sleep 1; rm -rf "$state"; } ||
      echo "(clean-up: $state could not be removed entirely)"
  fi
  return 0
}
