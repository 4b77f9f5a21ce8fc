# Sourced by process-level test scripts that show windows: `rig_stage PROGRAM "$0" "$@"` picks
# the platform from the program under test (an .exe runs under Wine, anything else on X11),
# re-runs the script on a private Xvfb for X11 (with RIG_WM=1 in the environment: with the rig's
# window manager running on it), and re-runs it with a file as its output, then sets `platform`
# and exports BOXDRIVER_PLATFORM for tests/rig/boxdriver. Sourcing it brings tests/rig/procs.sh
# too: what the script starts is ended with it.
source "$(dirname "${BASH_SOURCE[0]}")/procs.sh"
rig_stage() {
  local program=$1 script=$2
  shift 2
  case $program in *.exe) platform=win ;; *) platform=x11 ;; esac
  if [ "$platform" = x11 ] && [ -z "${RIG_STAGE_XVFB:-}" ]; then
    RIG_STAGE_XVFB=1 exec "$QUILLET_SOURCE_DIR/tests/rig/with-xvfb" ${RIG_WM:+--wm} -- bash "$script" "$@"
  fi
  # Wine may start its services and desktop from a program of the script, and they keep the
  # standard output they inherit: with a file as the script's output, ctest's pipe closes when
  # the script ends.
  if [ -z "${RIG_STAGE_INNER:-}" ]; then
    local log status=0
    log=$(mktemp)
    # Shown when this run ends, however it ends: a run cut short still says how far it got.
    rig_at_exit "cat $(printf %q "$log"); rm -f $(printf %q "$log")"
    RIG_STAGE_INNER=1 bash "$script" "$@" >"$log" 2>&1 </dev/null || status=$?
    exit $status
  fi
  export BOXDRIVER_PLATFORM=$platform
}
