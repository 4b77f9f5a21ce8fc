#!/usr/bin/env bash
# tests/rig/procs.sh as the test scripts rely on it: a script ended halfway (TERM, or its starter
# killed outright) leaves nothing it started running, its display and the programs that Wine runs
# detached for it included, nor any temporary file, runs its own clean-up, and leaves Wine's own
# processes alone;
# rig_wait ends a child that outlives its bound and says so; under -e a command that fails ends
# the script with its place named and a status that fails the test.
set -euo pipefail
rig=$(cd "$(dirname "$0")" && pwd)
source "$rig/procs.sh"
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'
failures=0 case=
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }
begin() { case=$1; echo "--- $case"; }

# The script under test, on a display of its own: a child, a grandchild, a foreground command,
# and two programs outside its tree with its mark, as Wine runs them: a test's program (from
# drive Z:) and one of Wine's services.
cat >"$work/script.sh" <<'EOF'
set -euo pipefail
source "$1/procs.sh"
work=$2
rig_at_exit 'touch "$work/cleaned"'
sleep 300 &
( sleep 301 & wait ) &
( (exec -a 'Z:\tests\program.exe' sleep 302 >/dev/null 2>&1) & echo $! >"$2/program.pid" )
( (exec -a 'C:\windows\system32\services.exe' sleep 303 >/dev/null 2>&1) & echo $! >"$2/service.pid" )
echo "$DISPLAY" >"$2/ready"
sleep 304
EOF
# The processes given that still run, with their command lines.
running() { # PID...
  local pid
  for pid; do
    if rig_alive "$pid"; then echo "$pid $(tr '\0' ' ' <"/proc/$pid/cmdline")"; fi
  done
}
below() { # the processes below $1
  ps -A -o pid=,ppid= | awk -v root="$1" '{ p[$1] = $2 } END {
    b[root] = 1; do { g = 0; for (x in p) if (!(x in b) && (p[x] in b)) { b[x] = 1; g = 1 } } while (g)
    delete b[root]; for (x in b) print x }'
}
# Ends the script with SIGNAL once it runs; checks that what it started is gone and what it did
# not start is not.
end_script() { # SIGNAL
  rm -f "$work"/ready "$work"/cleaned "$work"/*.pid
  mkdir -p "$work/tmp"
  TMPDIR=$work/tmp "$rig/with-xvfb" -- bash "$work/script.sh" "$rig" "$work" &
  local top=$! i started program service
  for i in $(seq 100); do [ -s "$work/ready" ] && [ -s "$work/service.pid" ] && break; sleep 0.1; done
  started=$(below "$top") program=$(cat "$work/program.pid") service=$(cat "$work/service.pid")
  rig_at_exit "kill $program $service 2>/dev/null"
  # (Xvfb, the script, its child, its grandchild and the subshell between, its foreground command)
  [ "$(wc -w <<<"$started")" -ge 6 ] || fail "the script did not start: $(running $started)"
  grep -q ' Xvfb ' <<<"$(running $started)" || fail "no display below the script"
  grep -q ' Z:.tests.program.exe ' <<<"$(running "$program")" || fail "no program outside the tree"
  kill "-$1" "$top"
  rig_wait "$top" 30 || fail "the script did not end within 30 s of $1"
  local left
  for i in $(seq 150); do # (after KILL: the kernel's parent-death signals, and their ends)
    left=$(running $started "$program")
    [ -n "$left" ] || [ ! -e "$work/cleaned" ] || break
    sleep 0.1
  done
  [ -z "$left" ] || fail "left running after $1: $left"
  [ -e "$work/cleaned" ] || fail "the script's own clean-up did not run"
  [ -z "$(ls -A "$work/tmp")" ] || fail "left in the temporary folder: $(ls -A "$work/tmp")"
  rig_alive "$service" || fail "Wine's own process was ended with the script"
  kill "$service" 2>/dev/null || true
}

begin "a script ended by TERM"
end_script TERM

begin "a script whose starter is killed outright"
end_script KILL

begin "rig_wait: a child that outlives its bound is ended, status 124; one that ends, its status"
sleep 60 &
pid=$! start=$SECONDS
if rig_wait "$pid" 1; then fail "the wait did not see the child outlive it"; fi
[ "$rig_status" = 124 ] || fail "status $rig_status, not 124"
(( SECONDS - start <= 5 )) || fail "the wait of 1 s took $((SECONDS - start)) s"
if rig_alive "$pid"; then fail "the child was left running"; fi
(sleep 0.2; exit 3) &
rig_wait "$!" 10 || fail "a child that ended was taken for one that did not"
[ "$rig_status" = 3 ] || fail "status $rig_status, not the child's 3"

begin "under -e a failing command ends the script, named with its line"
printf '%s\n' 'set -euo pipefail' "source '$rig/procs.sh'" 'check() {' '  grep -q absent /dev/null' \
  '  echo "went on"' '}' 'check' >"$work/failing.sh"
status=0
bash "$work/failing.sh" >"$work/failing.out" 2>&1 || status=$?
[ "$status" = 1 ] || fail "status $status, not 1"
grep -qxF "FAIL: $work/failing.sh, line 4: 'grep -q absent /dev/null' failed with status 1; the script ends here" \
  "$work/failing.out" || fail "the failure is not named: $(cat "$work/failing.out")"
if grep -q "went on" "$work/failing.out"; then fail "the script went on"; fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
