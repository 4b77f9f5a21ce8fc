# Shared part of the JVM tests: the host run in a scratch directory with the runtime's and the
# bridge's directories put on PATH by the host itself (as the launcher does), -Xcheck:jni for
# every VM, and the checks of what each run printed and its exit status.
# Usage from a test: source lib.sh HOST BRIDGE_DIR TEST_JAR JDK_HOME
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../rig/procs.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../bridge/checks.sh"
host=$1 bridge_dir=$2 test_jar=$3 jdk=$4
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'
cwd=$work # the current directory of the next run
loaded="loaded $bridge_dir/liblanyard.so" # the host's first line

# start NAME [ENV=VALUE...] -- STEPS...: starts the host in $cwd in the background (no display
# unless the test has one, no LD_LIBRARY_PATH); finish_run waits for it, two minutes at most,
# and keeps its exit status. run: both.
start() {
  last=$1
  shift
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  (cd "$cwd" && exec env -u LD_LIBRARY_PATH JAVA_TOOL_OPTIONS=-Xcheck:jni "${vars[@]}" \
     "$host" path "$bridge_dir" path "$jdk/lib/server" load "$@" \
     >"$work/$last.out" 2>"$work/$last.err" </dev/null) &
  started=$!
}

finish_run() {
  finish_run_within 120
}

run() {
  start "$@"
  finish_run
}

# finish_run for a run that must end by itself: a host still running after $1 seconds is ended,
# and its status is then 124.
finish_run_within() {
  if ! rig_wait "$started" "$1"; then
    echo 124 >"$work/$last.rc"
    return 0
  fi
  echo "$rig_status" >"$work/$last.rc"
  no_jni_warnings
  set_signal_report_aside
}

# -Xcheck:jni reports misuse as warnings (or fatal errors) on the VM's output streams. The same
# option also has the VM's watcher thread compare its signal handlers now and then; while the
# process exits that check can catch the handlers mid-teardown and print "SIGSEGV handler
# modified!", which says nothing about JNI use and is left out here.
no_jni_warnings() {
  # (The last grep reads to the end: one that stopped at the first match would cut the pipe
  # before the others are done, and pipefail would take that for no match.)
  if cat "$work/$last.err" "$work/$last.out" | grep -v -E 'handler modified!$' |
       grep -iE 'WARNING|FATAL ERROR' >/dev/null; then
    fail "the JVM reported JNI misuse"
    show
  fi
}

# That check writes its report on standard output, and a host that ends with the VM still alive
# can have it cut in after its last line: the report and what follows it are the VM's, not the
# run's, and are kept beside the output ($last.vmreport) instead of in it. A report in the middle
# of a run takes the run's later lines with it, so the checks of those lines still fail.
set_signal_report_aside() {
  local out=$work/$last.out at
  at=$(grep -n -m1 -E '^Warning: SIG[A-Z0-9]+ handler modified!$' "$out" | cut -d: -f1) || true
  [ -n "$at" ] || return 0
  tail -n +"$at" "$out" >"$work/$last.vmreport"
  head -n $((at - 1)) "$out" >"$out.kept" && mv "$out.kept" "$out"
}

# The Java test classes unpacked in directory $1, where every tool's class path looks first.
unpack_classes() {
  (cd "$1" && "$jdk/bin/jar" xf "$test_jar")
}

