# Sourced by the rig's display runners and by tests that make a display of their own:
# `rig_wm_start` starts the rig's window manager (openbox, a reparenting EWMH manager that
# decorates every frame) on $DISPLAY and returns once it manages windows; `rig_wm_stop` ends it.
# The manager reads only the system's default configuration, never the user's.
rig_wm_start() {
  rig_wm_home=$(mktemp -d)
  XDG_CONFIG_HOME=$rig_wm_home XDG_CACHE_HOME=$rig_wm_home XDG_DATA_HOME=$rig_wm_home \
    openbox --sm-disable >"$rig_wm_home/log" 2>&1 </dev/null &
  rig_wm_pid=$!
  # Ready once its check window names itself on the root window (EWMH).
  local check _
  for _ in $(seq 100); do
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
    if [ -n "$check" ] && xprop -id "$check" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "$check"; then
      return 0
    fi
    kill -0 "$rig_wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the window manager did not start:" >&2
  cat "$rig_wm_home/log" >&2
  rig_wm_stop
  return 1
}

rig_wm_stop() {
  [ -n "${rig_wm_pid:-}" ] || return 0
  kill "$rig_wm_pid" 2>/dev/null
  wait "$rig_wm_pid" 2>/dev/null
  rm -rf "$rig_wm_home"
  rig_wm_pid=
}
