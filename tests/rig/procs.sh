# Sourced by every test script before it starts anything: when the script ends, however it ends
# (its last check, a command that failed under -e, a signal, the end of whatever started it),
# every process it started that still runs is ended by its process id, and then the script's own
# clean-up runs (rig_at_exit). A test that fails or is killed halfway leaves no display, program
# or holder behind. The processes are found in the process table, below the script: that also
# takes the foreground command that a signal cut short, and what a program left running started.
# Processes that leave the tree on purpose (a wineserver, Wine's programs, which Wine starts
# detached) are the script's own to end, by rig_at_exit.
#   rig_at_exit COMMAND   runs COMMAND (shell text) when the script ends, after its processes
#   rig_wait PID SECONDS  waits for the child PID, SECONDS at most; ends it if it is still there

# ctest passes no signal on to its tests: killed, it leaves them running unseen. So the script
# runs under a parent-death signal, as does each script it starts in turn.
if [ "${RIG_PROCS_SCRIPT:-}" != "$$" ] && command -v setpriv >/dev/null; then
  RIG_PROCS_SCRIPT=$$ exec setpriv --pdeathsig TERM -- bash "$0" "$@"
fi

rig_exit_commands=()
rig_at_exit() { rig_exit_commands+=("$1"); }

# The processes below process $1, read from the process table (the reader's own left out).
rig_descendants() {
  ps -A -o pid=,ppid= | awk -v root="$1" -v self="$BASHPID" '
    { parent[$1] = $2 }
    END {
      below[root] = 1
      skip[self] = 1
      do {
        grown = 0
        for (p in parent) {
          if (p in below || p in skip) continue
          if (parent[p] in skip) { skip[p] = 1; grown = 1 }
          else if (parent[p] in below) { below[p] = 1; grown = 1 }
        }
      } while (grown)
      delete below[root]
      for (p in below) print p
    }'
}

# True while process $1 runs (a zombie has ended).
rig_alive() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ] && [ "${stat%% *}" != X ]
}

# Ends the processes given: TERM to all at once, so that a script among them ends what it started
# in turn, KILL to any still there after 10 seconds; the script's children among them are reaped.
rig_signal_all() { # PID...
  [ $# -gt 0 ] || return 0
  local pid i left=
  kill -TERM "$@" 2>/dev/null
  for i in $(seq 100); do
    left=
    for pid; do rig_alive "$pid" && { left=1; break; }; done
    [ -n "$left" ] || break
    sleep 0.1
  done
  [ -z "$left" ] || kill -KILL "$@" 2>/dev/null
  for pid; do wait "$pid" 2>/dev/null; done
  return 0
}

# Ends the processes and everything they started (the tree read before any of it is signalled,
# so that nothing is orphaned out of reach).
rig_end() { # PID...
  local pids=() pid
  for pid; do pids+=("$pid" $(rig_descendants "$pid")); done
  rig_signal_all "${pids[@]}"
}

# rig_wait PID SECONDS: waits for the script's child PID to end, SECONDS at most, and sets
# rig_status to its exit status; true when it ended by itself. One still running then is ended
# with what it started, rig_status is 124 (timeout's), and the answer is false: the caller fails
# the case.
rig_wait() {
  local pid=$1 i
  for i in $(seq $(($2 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    rig_end "$pid"
    rig_status=124
    return 1
  fi
  rig_status=0
  { wait "$pid"; } 2>/dev/null || rig_status=$? # (bash's own report of a killed job aside)
}

rig_exit() {
  local status=$? command
  set +eu
  # The clean-up is not cut short by a second signal, nor by a reader that has gone (a killed ctest).
  trap '' TERM INT HUP PIPE
  rig_signal_all $(rig_descendants $$)
  for command in "${rig_exit_commands[@]}"; do eval "$command"; done
  return "$status"
}
trap rig_exit EXIT
