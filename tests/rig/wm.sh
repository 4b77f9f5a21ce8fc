# Sourced by the rig's display runners and by tests that make a display of their own:
# `rig_wm_start` starts the rig's window manager (openbox, a reparenting EWMH manager that
# decorates every frame) on $DISPLAY and returns once it manages windows; `rig_wm_stop` ends it,
# as does the end of the script. The manager reads only the system's default configuration, never
# the user's. Needs tests/rig/procs.sh, which every script that starts a display has.
rig_wm_start() {
  rig_wm_home=$(mktemp -d)
  rig_at_exit rig_wm_stop
  XDG_CONFIG_HOME=$rig_wm_home XDG_CACHE_HOME=$rig_wm_home XDG_DATA_HOME=$rig_wm_home \
    "${rig_tied[@]}" openbox --sm-disable >"$rig_wm_home/log" 2>&1 </dev/null &
  rig_wm_pid=$!
  # Ready once it manages a window: its check window appears before it takes map requests, and
  # one that comes while it starts may be lost, so a probe window is mapped until one is taken.
  local _
  for _ in $(seq 20); do
    python3 - <<'PY' && return 0
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
V, U, I = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
x.XOpenDisplay.restype = V
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = U
x.XDefaultRootWindow.argtypes = [V]
x.XCreateSimpleWindow.restype = U
x.XCreateSimpleWindow.argtypes = [V, U, I, I, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, U, U]
x.XInternAtom.restype = U
x.XInternAtom.argtypes = [V, ctypes.c_char_p, I]
x.XGetWindowProperty.argtypes = [V, U, U, ctypes.c_long, ctypes.c_long, I, U, ctypes.POINTER(U),
                                 ctypes.POINTER(I), ctypes.POINTER(U), ctypes.POINTER(U), ctypes.POINTER(ctypes.c_void_p)]
for f in (x.XMapWindow, x.XDestroyWindow):
    f.argtypes = [V, U]
x.XSync.argtypes = [V, I]
x.XFree.argtypes = [V]
x.XCloseDisplay.argtypes = [V]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)
x.XMapWindow(d, w)
x.XSync(d, 0)
wm_state = x.XInternAtom(d, b"WM_STATE", 0)
managed = False
for _ in range(20):
    t, f, n, after, data = U(), I(), U(), U(), ctypes.c_void_p()
    x.XGetWindowProperty(d, w, wm_state, 0, 2, 0, 0, ctypes.byref(t), ctypes.byref(f),
                         ctypes.byref(n), ctypes.byref(after), ctypes.byref(data))
    if data.value:
        x.XFree(data)
    if t.value != 0:
        managed = True
        break
    time.sleep(0.05)
x.XDestroyWindow(d, w)
x.XSync(d, 0)
x.XCloseDisplay(d)
sys.exit(0 if managed else 1)
PY
    kill -0 "$rig_wm_pid" 2>/dev/null || break
  done
  echo "the window manager did not start:" >&2
  cat "$rig_wm_home/log" >&2
  rig_wm_stop
  return 1
}

rig_wm_stop() {
  [ -n "${rig_wm_pid:-}" ] || return 0
  rig_end "$rig_wm_pid"
  rm -rf "$rig_wm_home"
  rig_wm_pid=
}
