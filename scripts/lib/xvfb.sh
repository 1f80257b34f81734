# Starts Xvfb on a display the server picks itself (-displayfd), so that runs sharing a machine
# never race for one. Sets XVFB_PID and exports DISPLAY. -noreset: by default the server resets
# whenever its last client leaves (dbus-launch and the accessibility bus launcher each connect and
# leave at start-up); a program connecting during that reset is refused, and the reset also wipes
# the root window's properties, the accessibility bus's address among them.
start_xvfb() {
  local number_file; number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  DISPLAY=:$(head -n 1 "$number_file")
  export DISPLAY
  rm -f "$number_file"
}
