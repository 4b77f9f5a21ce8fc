# Sourced by every test script that starts programs, before it starts any: when the script ends,
# however it ends (its last check, a command that failed under -e, a signal, the end of whatever
# started it), every process it started that still runs is ended by its process id, and then the
# script's own clean-up runs (rig_at_exit). A test that fails or is killed halfway leaves no
# display, program or holder behind. Under -e a command that fails unexpectedly is named, with
# its place, before the script ends: such an end is never silent.
#   rig_at_exit COMMAND   runs COMMAND (shell text) when the script ends, after its processes
#   rig_end PID...        ends those processes and everything they started
#   rig_wait PID SECONDS  waits for the child PID, SECONDS at most; ends it if it is still there
#   "${rig_tied[@]}" PROGRAM ARGS...  runs PROGRAM so that it ends with its starter, even with
#                         one killed outright (a display server, a window manager)
# What the script started is read from the process table: the processes below it (which takes
# the foreground command that a signal cut short too, and what a program left running started),
# and the programs that Wine runs for it. Wine starts a Windows program's children detached, out
# of the tree; they carry the script's mark in their environment instead. Wine's own processes
# (its server, its services and desktop) are not the script's: they serve every test of the run.

# A ctest or a script killed outright signals nothing to what it started, which would run on
# unseen. So the script runs under a parent-death signal, as does each script it starts in turn.
if [ "${RIG_PROCS_SCRIPT:-}" != "$$" ] && command -v setpriv >/dev/null; then
  RIG_PROCS_SCRIPT=$$ exec setpriv --pdeathsig TERM -- bash "$0" "$@"
fi
# The script's mark: its process id and its start, which no later process with that id shares.
rig_mark=$$.${EPOCHREALTIME//[.,]/}
export RIG_PROCS_OWNERS="${RIG_PROCS_OWNERS:-} $rig_mark"
# A display, manager or holder started through "${rig_tied[@]}" ends even when its starter is
# killed outright (SIGKILL runs no trap): the kernel signals it once its parent is gone.
rig_tied=()
if command -v setpriv >/dev/null; then rig_tied=(setpriv --pdeathsig TERM --); fi

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
    }' || true
}

# The Windows programs that Wine runs for this script or a script it started: processes with the
# mark whose command line is a Windows program from the Unix file system (drive Z:), as every
# program of the tests is; Wine's own run from C:\windows.
rig_wine_programs() {
  local file pid command
  grep -lzsE "^RIG_PROCS_OWNERS=(.* )?$rig_mark( |\$)" /proc/[0-9]*/environ | while read -r file; do
    pid=${file#/proc/} pid=${pid%/environ}
    IFS= read -r -d '' command 2>/dev/null <"/proc/$pid/cmdline" || continue
    case $command in [Zz]:\\*) echo "$pid" ;; esac
  done
  return 0
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
  kill -TERM "$@" 2>/dev/null || true
  for i in $(seq 100); do
    left=
    for pid; do
      if rig_alive "$pid"; then left=1; break; fi
    done
    [ -n "$left" ] || break
    sleep 0.1
  done
  if [ -n "$left" ]; then kill -KILL "$@" 2>/dev/null || true; fi
  for pid; do wait "$pid" 2>/dev/null || true; done
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
# with what it started (and with the Windows programs Wine runs for the script, which a start
# through cmd leaves outside the tree), rig_status is 124 (timeout's), and the answer is false:
# the caller fails the case.
rig_wait() {
  local pid=$1 i
  for i in $(seq $(($2 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    rig_end "$pid" $(rig_wine_programs)
    rig_status=124
    return 1
  fi
  rig_status=0
  { wait "$pid"; } 2>/dev/null || rig_status=$? # (bash's own report of a killed job aside)
  return 0
}

# Under -e: the command that failed, and where, as the script's last word (a subshell's failure
# is the script's to judge).
rig_failed() { # STATUS LINE COMMAND
  [ "$BASHPID" = $$ ] || return 0
  case $- in
    *e*) echo "FAIL: ${BASH_SOURCE[1]:-$0}, line $2: '$3' failed with status $1; the script ends here" >&2 ;;
  esac
}
set -o errtrace
trap 'rig_failed $? $LINENO "$BASH_COMMAND"' ERR

rig_exit() {
  local status=$? i
  set +eu
  trap - ERR
  # The clean-up is not cut short by a second signal, nor by a reader that has gone (a killed ctest).
  trap '' TERM INT HUP PIPE
  rig_signal_all $(rig_descendants $$) $(rig_wine_programs)
  for (( i = ${#rig_exit_commands[@]} - 1; i >= 0; i-- )); do eval "${rig_exit_commands[i]}"; done
  return "$status"
}
trap rig_exit EXIT
