#!/usr/bin/env bash
# quillet on a bad day, started as a person or a parent program starts it: with standard
# streams closed, with an application that throws out of main, returns at once, leaves a thread
# behind or calls System.exit, and with a flood of return-code events. Each start must end, by
# itself, with the status java would end with, and nothing may be lost: the application's
# exception described, the flood's failures counted in one report. On Linux with the real JVM
# and the tests' start class; under Wine with the jvm.dll stand-in playing the application.
# Environment: QUILLET, LANYARD, FAKEJAVA; on Linux JDK_HOME and STARTER_JAR; under Wine
# JVMSTUB_DIR and REG_VIEW.
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"

install_in_process

# A program's command line run with standard error a pipe whose reader has gone, and with
# SIGPIPE at its default (python ignores it, and exec would hand that on).
broken_err=(python3 -c 'import os, signal, sys
r, w = os.pipe()
os.close(r)
os.dup2(w, 2)
signal.signal(signal.SIGPIPE, signal.SIG_DFL)
os.execvp(sys.argv[1], sys.argv[1:])')

# quillet MODE [--close-in|--close-out|--close-err|--broken-err|--no-display...] [ARG...]:
# starts quillet in the run folder with the application ending as MODE says (QUILLET_TEST_MODE
# on Linux, JVMSTUB_START under Wine) and waits for its end, 60 seconds at most; sets status
# (124 when it had to be killed) and seconds. Standard output and standard error go to
# $work/out and $work/err unless an option closes them (or, --broken-err, makes standard error
# a pipe that nobody reads any more). Without a display (Linux) the boxes go to standard error.
quillet() {
  local mode=$1 start end close=() launch=() unset=(-u LD_LIBRARY_PATH)
  shift
  while [ $# -gt 0 ]; do
    case $1 in
      --close-*) close+=("${1#--close-}"); shift ;;
      --broken-err) launch=("${broken_err[@]}"); shift ;;
      --no-display) unset+=(-u DISPLAY); shift ;;
      *) break ;;
    esac
  done
  rm -f "$work/out" "$work/err" "$run/stub.log"
  start=$(date +%s.%N)
  (
    cd "$run" || exit 126
    exec >"$work/out" 2>"$work/err"
    for stream in "${close[@]}"; do
      case $stream in in) exec <&- ;; out) exec >&- ;; err) exec 2>&- ;; esac
    done
    if [ "$platform" = win ]; then
      exec env JVMSTUB_START="$mode" JVMSTUB_LOG=stub.log "$rig/wine-run" "$(windows_path "$app/quillet.exe")" "$@"
    else
      exec "${launch[@]}" env "${unset[@]}" QUILLET_TEST_MODE="$mode" PATH=/usr/bin:/bin "$app/quillet" "$@"
    fi
  ) &
  await_quillet "$!" 60 || true # (its status, 124, fails the case)
  end=$(date +%s.%N)
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
}
expect_status() {
  [ "$status" = "$1" ] ||
    fail "status $status after ${seconds}s, expected $1; stderr: $(head -c 1500 "$work/err" 2>/dev/null)"
}
expect_in() { # FILE TEXT: a line of FILE holds TEXT
  grep -qF -- "$2" "$1" 2>/dev/null || fail "no '$2' in $(basename "$1"): $(head -c 1500 "$1" 2>/dev/null)"
}

# --- the application's end: java's statuses --------------------------------------------------
begin "main throws: the exception is described and the process ends with 1"
quillet throw
expect_status 1
if [ "$platform" = win ]; then
  expect_in "$run/stub.log" "ExceptionDescribe java/lang/IllegalStateException"
  expect_in "$work/err" 'Exception in thread "main" java.lang.IllegalStateException: thrown by the start class'
else
  expect_in "$work/err" 'Exception in thread "main" java.lang.IllegalStateException: thrown by the start class'
  expect_in "$work/err" "at com.obel.dorntools.quillet.Ending.play"
fi

begin "main returns and leaves no thread: the process ends with 0"
quillet return
expect_status 0
awk -v s="$seconds" 'BEGIN { exit !(s < 20) }' || fail "it took ${seconds}s to end"

begin "main returns, a thread lives on for 3 seconds: the process ends after it, with 0"
if [ "$platform" = win ]; then
  JVMSTUB_OUTLIVE_MS=3000 quillet outlive
  expect_status 0
  expect_in "$run/stub.log" "StartQuillet thread ends"
  [ "$(grep -n -e 'StartQuillet thread ends' -e '^DestroyJavaVM' "$run/stub.log" | head -1 | cut -d: -f2)" = "StartQuillet thread ends" ] ||
    fail "the VM was destroyed before the thread ended: $(cat "$run/stub.log")"
else
  QUILLET_TEST_OUTLIVE_MS=3000 quillet outlive
  expect_status 0
  expect_in "$work/out" "StartQuillet thread ends"
fi
awk -v s="$seconds" 'BEGIN { exit !(s >= 3) }' || fail "the process ended after ${seconds}s, before the thread"

if [ "$platform" = x11 ]; then
  begin "main calls System.exit(7): the process ends with 7"
  quillet exit
  expect_status 7

  # --- a flood of return-code events --------------------------------------------------------
  begin "50 threads call setRC 1000 times each: one report of the failures, with their count"
  quillet flood
  expect_status 0
  refused=$(sed -n 's/^setRC refused \([0-9]*\) of 50000$/\1/p' "$work/out")
  [ -n "$refused" ] && [ "$refused" -gt 0 ] || fail "the flood was not refused: $(head -c 500 "$work/out")"
  expect_in "$work/out" "setRC taken again"
  records=$(grep -c 'exception thrown\.' "$work/err" || true)
  [ "$records" = 1 ] || fail "$records exception records for the flood, expected 1"
  expect_in "$work/err" "WinPostMsg failed $refused times in a row"
  size=$(stat -c %s "$work/err")
  [ "$size" -lt 4096 ] || fail "standard error holds $size bytes"

  # --- closed standard streams ----------------------------------------------------------------
  # Whatever opened first (the display's connection) would take a closed stream's number, and
  # the trace or the application's output would then go into it. Each start must end as usual.
  begin "standard output closed, trace on, an application that prints"
  QUILLET_TRACE=1 quillet print --close-out
  expect_status 0
  expect_in "$work/err" "StartQuillet error line 1999"
  grep -q 'X Error\|XIO\|Broken pipe' "$work/err" && fail "the display's connection was hurt: $(grep -m3 'X Error\|XIO\|Broken pipe' "$work/err")"

  begin "standard error closed, trace on, an application that prints"
  QUILLET_TRACE=1 quillet print --close-err
  expect_status 0
  expect_in "$work/out" "StartQuillet output line 1999"

  begin "standard input closed"
  quillet return --close-in
  expect_status 0

  begin "all three closed, trace on, an application that prints and throws"
  QUILLET_TRACE=1 quillet print --close-in --close-out --close-err
  expect_status 0
  QUILLET_TRACE=1 quillet throw --close-in --close-out --close-err
  expect_status 1

  # --- standard error a pipe whose reader has gone -------------------------------------------
  # Each write to it raises SIGPIPE, whose default would end quillet before anything starts.
  begin "standard error a broken pipe, trace on: the application runs"
  QUILLET_TRACE=1 quillet print --broken-err
  expect_status 0
  expect_in "$work/out" "StartQuillet output line 1999"

  begin "standard error a broken pipe, no display, a malformed registry line, no bridge: the failure's status"
  printf 'Windows Registry Editor Version 5.00\n"orphan"="a value before any key"\n' >"$work/malformed.reg"
  "$QUILLET_SOURCE_DIR/tools/quillet-register" "$JDK_HOME" "$work/malformed.reg" >/dev/null
  mv "$app/liblanyard.so" "$work/liblanyard.so"
  IREGISTRY=$work/malformed.reg quillet return --broken-err --no-display
  mv "$work/liblanyard.so" "$app/liblanyard.so"
  expect_status 7

  begin "/ajs with standard output closed: java is started all the same"
  mkdir -p "$work/jre/bin"
  cp "$FAKEJAVA" "$work/jre/bin/java"
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\%s]\n"RuntimeLib"="%s"\n"JavaHome"="%s"\n' \
    "$key" "$work/jre/lib/server/libjvm.so" "$work/jre" >"$work/ajs.reg"
  IREGISTRY=$work/ajs.reg FAKEJAVA_LOG=$work/java.log FAKEJAVA_STATUS=5 quillet return --close-out /ajs
  expect_status 5
  expect_in "$work/java.log" "arg: dorn.quillet.jar"
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
