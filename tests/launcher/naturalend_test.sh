#!/usr/bin/env bash
# How long the application's natural end takes: from the moment the start class's main returns,
# leaving no thread, to the end of the process, for quillet running the class in its own process
# and for the runtime's java running the same class. HotSpot's exit waits up to 300 ms for
# threads that are attached to the VM and in native code; quillet's thread, waiting for its
# window's events, must not be one of them. Linux with the real JVM (under Wine there is only
# the stand-in, which has no such wait).
# Environment: QUILLET, LANYARD, JDK_HOME, STARTER_JAR; NATURALEND_RUNS runs of each (default 7).
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"

install_in_process
runs=${NATURALEND_RUNS:-7}
allowance=150 # milliseconds beyond java's median, for a loaded machine

# timed_end NAME COMMAND...: runs COMMAND in the run folder with the start class in its timed
# mode, 60 seconds at most, and adds to $work/NAME.ms the milliseconds from the moment main
# printed to the moment the process was seen to end; a run that did not end with 0 or whose
# main did not run and print its time counts as a failure instead.
timed_end() {
  local name=$1 status=0 returned ended
  shift
  (cd "$run" && exec env -u LD_LIBRARY_PATH QUILLET_TEST_MODE=timed PATH=/usr/bin:/bin \
     timeout -s KILL 60 "$@" >"$work/out" 2>"$work/err" </dev/null) || status=$?
  # (bash's own clock, with no program started between the end and the reading)
  ended=${EPOCHREALTIME//[.,]/}
  returned=$(sed -n 's/^StartQuillet main returns at \([0-9][0-9]*\)$/\1/p' "$work/out")
  if [ "$status" != 0 ] || ! grep -qxF 'StartQuillet main [~CVersion]' "$work/out" ||
     [ -z "$returned" ]; then
    fail "$name ended with $status; output: $(head -c 500 "$work/out"); errors: $(head -c 1500 "$work/err")"
    return
  fi
  awk -v a="$returned" -v b="$ended" 'BEGIN { printf "%.1f\n", (b - a) / 1000 }' >>"$work/$name.ms"
}

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

begin "main returns and leaves no thread: quillet ends within java's time plus ${allowance} ms"
: >"$work/java.ms"
: >"$work/quillet.ms"
for i in $(seq "$runs"); do
  # In turn, so that a busy moment of the machine falls on both.
  timed_end java "$JDK_HOME/bin/java" -Xms100M -cp dorn.quillet.jar \
    com.obel.dorntools.quillet.StartQuillet '~CVersion'
  timed_end quillet "$app/quillet"
done
echo "java, ms from main's return to the end:    $(tr '\n' ' ' <"$work/java.ms")"
echo "quillet, ms from main's return to the end: $(tr '\n' ' ' <"$work/quillet.ms")"
if [ "$(wc -l <"$work/java.ms")" = "$runs" ] && [ "$(wc -l <"$work/quillet.ms")" = "$runs" ]; then
  java_median=$(median "$work/java.ms") quillet_median=$(median "$work/quillet.ms")
  echo "medians of $runs runs: java $java_median ms, quillet $quillet_median ms"
  awk -v q="$quillet_median" -v j="$java_median" -v a="$allowance" 'BEGIN { exit !(q <= j + a) }' ||
    fail "quillet's end took $quillet_median ms, java's $java_median ms"
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
