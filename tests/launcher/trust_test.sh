#!/usr/bin/env bash
# quillet among what a hostile user leaves lying about: a runtime library and a bridge planted in
# the folder quillet is started from and on PATH are never loaded, whether the registry's runtime
# and quillet's own bridge are there or not; a relative "RuntimeLib" names no runtime; a PATH of
# 6,000 characters is taken; and (Linux) the application and the programs it starts find nothing
# in the current folder by a bare name. On Linux with the real OpenJDK, under Wine with the
# jvm.dll stand-in as the registry's runtime.
# Environment: QUILLET, LANYARD, PLANTED; on Linux JDK_HOME, STARTER_JAR; under Wine
# JVMSTUB_DIR and REG_VIEW.
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"
source "$rig/boxes.sh"

install_in_process
if [ "$platform" = win ]; then
  runtime_file=jvm.dll bridge_file=lanyard.dll program=quillet.exe sep=';'
  system_path='C:\windows\system32;C:\windows'
  planted_path="$(windows_path "$work/onpath");$system_path"
else
  runtime_file=libjvm.so bridge_file=liblanyard.so program=quillet sep=:
  system_path=/usr/bin:/bin
  planted_path="$work/onpath:$system_path"
fi
# The planted library under both names, in the run folder and in a folder on PATH.
for dir in "$run" "$work/onpath"; do
  mkdir -p "$dir"
  cp "$PLANTED" "$dir/$runtime_file"
  cp "$PLANTED" "$dir/$bridge_file"
done
copy_quillet "$work/app-nobridge"

planted_log=$work/planted.log
registry_runtime() { # FILE: "RuntimeLib" names FILE, the home stays as installed
  if [ "$platform" = win ]; then
    "$rig/wine-run" reg add "HKLM\\$key" /v RuntimeLib /d "$1" /f "$REG_VIEW" >/dev/null 2>&1 || fail "reg add failed"
  else
    "$QUILLET_SOURCE_DIR/tools/quillet-register" "$JDK_HOME" "$IREGISTRY" >/dev/null
    local escaped=${1//\\/\\\\}
    sed -i "s|^\"RuntimeLib\"=.*|\"RuntimeLib\"=\"$escaped\"|" "$IREGISTRY"
  fi
}
if [ "$platform" = win ]; then
  registered_runtime="$(windows_path "$JVMSTUB_DIR")\\jvm.dll"
else
  registered_runtime=$JDK_HOME/lib/server/libjvm.so
fi

# start [--app DIR] [--path VALUE] [VAR=VALUE...]: quillet in the run folder, in the background,
# with PATH (default: the planted folder first) and the variables given; sets pid.
start() {
  local app_dir=$app path=$planted_path
  while [ $# -gt 0 ]; do
    case $1 in
      --app) app_dir=$2; shift 2 ;;
      --path) path=$2; shift 2 ;;
      *) break ;;
    esac
  done
  rm -f "$planted_log" "$work/out" "$work/err" "$run/stub.log"
  local log=$planted_log
  if [ "$platform" = win ]; then
    log=$(windows_path "$planted_log")
    (cd "$run" && exec env PLANTED_LOG="$log" JVMSTUB_LOG=stub.log "$@" "$rig/wine-run" cmd /c set "PATH=$path&&" \
       "$(windows_path "$app_dir/$program")" >"$work/out" 2>"$work/err") &
  else
    (cd "$run" && exec env -u LD_LIBRARY_PATH PLANTED_LOG="$log" PATH="$path" "$@" "$app_dir/$program" \
       >"$work/out" 2>"$work/err") &
  fi
  pid=$!
}

# The box with that title shows exactly these lines; OK is pressed. False when there is no such
# box, so that a start gone wrong is not waited for box after box.
expect_box() { # TITLE LINES
  local got
  got=$("$rig/boxdriver" wait --title "$1" --timeout 30) || true
  [ "$got" = "$2" ] || { sleep 1; got=$("$rig/boxdriver" wait --title "$1" --timeout 5) || true; }
  if [ -z "$got" ]; then
    fail "no box '$1'; windows: $("$rig/boxdriver" list 2>&1 | tr '\n' ' ')"
    return 1
  fi
  [ "$got" = "$2" ] || fail "box '$1' shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$2"
  "$rig/boxdriver" press --title "$1" --button OK >/dev/null 2>&1 || fail "could not press OK on '$1'"
}
bridge_boxes() { # (a box that is missing is failed; what is left, expect_end answers)
  expect_box "Quillet - Tessaran" "title: Quillet - Tessaran
icon: error
text: Unable to load Lanyard.DLL. Either missing or corrupt
button: OK (default)" || return 0
  expect_box "Quillet Error - unable to start #3" "title: Quillet Error - unable to start #3
icon: error
text: The Java application cannot be started: Lanyard.DLL is missing or corrupt.
button: OK (default)" || true
}

# quillet ends within 30 seconds with STATUS, and the planted library was never loaded. A box
# that was not expected is answered, and 2 seconds later quillet is ended, so that the next case
# starts clean.
expect_end() { # STATUS
  local i status
  for i in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "quillet did not end; windows: $("$rig/boxdriver" list 2>&1 | tr '\n' ' ')"
    for i in 1 2 3; do "$rig/boxdriver" press --button OK --timeout 2 >/dev/null 2>&1 || true; done
  fi
  await_quillet "$pid" 2 || true # (failed above)
  [ "$status" = "$1" ] || fail "exit status $status, expected $1; stderr: $(head -c 1500 "$work/err")"
  if [ -s "$planted_log" ]; then fail "the planted library was loaded: $(cat "$planted_log")"; fi
}
# The registry's runtime ran the application in quillet's process.
expect_application() {
  if [ "$platform" = win ]; then
    grep -q '^JNI_CreateJavaVM' "$run/stub.log" 2>/dev/null || fail "the registry's runtime made no VM"
  else
    grep -qF 'StartQuillet main [~CVersion]' "$work/out" || fail "the application did not run: $(head -c 500 "$work/out")"
  fi
}

begin "a runtime and a bridge planted in the current folder and on PATH: the registry's runtime runs"
registry_runtime "$registered_runtime"
start
expect_end 0
expect_application

begin "the registry's runtime is not there: nothing is loaded in its place"
if [ "$platform" = win ]; then registry_runtime 'C:\nowhere\jvm.dll'; else registry_runtime /nowhere/lib/server/libjvm.so; fi
start
bridge_boxes
expect_end 7

begin "the registry's runtime is no library: nothing is loaded in its place"
echo "not a library" >"$work/$runtime_file"
if [ "$platform" = win ]; then registry_runtime "$(windows_path "$work/$runtime_file")"; else registry_runtime "$work/$runtime_file"; fi
start
bridge_boxes
expect_end 7

begin "quillet's folder has no bridge: none is loaded from the current folder or PATH"
registry_runtime "$registered_runtime"
start --app "$work/app-nobridge"
bridge_boxes
expect_end 7

begin "a relative RuntimeLib, with the runtime's name in the current folder: no runtime"
registry_runtime "$runtime_file"
start
expect_box Quillet "$not_installed_box" || true # (missing: failed, and expect_end answers the rest)
expect_end 3
registry_runtime "$registered_runtime"

begin "a PATH of 6,000 characters"
long_path=
while [ ${#long_path} -lt 6000 ]; do long_path+="$system_path$sep"; done
long_path+=$system_path
start --path "$long_path"
expect_end 0
expect_application

if [ "$platform" = x11 ]; then
  # Started by its bare name, as applications start their tools: the shell's and execvp's
  # search, along the PATH quillet composed. And what the runtime reads its libraries along.
  begin "the application's children find nothing in the current folder"
  printf '#!/bin/sh\necho ran >"%s"\n' "$work/program.ran" >"$run/quillet-planted-program"
  chmod +x "$run/quillet-planted-program"
  mkdir -p "$work/userlibs"
  start --path "/usr/bin::.:bin:/bin" QUILLET_TEST_MODE=environment QUILLET_TEST_PROGRAM=quillet-planted-program \
    LD_LIBRARY_PATH=":.:$work/userlibs:lib"
  expect_end 0
  grep -qx "program not found" "$work/out" || fail "the program in the current folder: $(grep '^program' "$work/out")"
  [ -f "$work/program.ran" ] && fail "the program in the current folder ran"
  runtime_dir=$JDK_HOME/lib/server
  grep -qxF "env PATH=$runtime_dir:$JDK_HOME:/usr/bin:/bin" "$work/out" || fail "$(grep '^env PATH' "$work/out")"
  grep -qxF "env LD_LIBRARY_PATH=$app:$runtime_dir:$work/userlibs" "$work/out" ||
    fail "$(grep '^env LD_LIBRARY_PATH' "$work/out")"
  grep -qF "prop java.library.path=$app:$runtime_dir:$work/userlibs:" "$work/out" ||
    fail "$(grep '^prop java.library.path' "$work/out")"
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
