#!/usr/bin/env bash
# quillet /ajs: the runtime's java in quillet's place, with exactly the arguments java.exe gets
# on Windows, from the current directory, with the composed PATH and with standard streams that
# are not quillet's, ending with java's status; Java homes with blanks and the characters a
# command line reads differently (on Linux quotes and backslashes too: java starts from exactly
# that path and gets it as its own name). Only <home>/bin/java(.exe) is ever started: not with
# no home or a relative one, and not a java.com or java.bat beside it (Windows); a java that
# cannot be started ends quillet with a status of its own. A stand-in java records what it
# receives. On Linux the process is replaced (same process id), and java gets SIGPIPE as the
# shell gave it.
# Environment: QUILLET, FAKEJAVA; under Wine REG_VIEW.
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"

install_quillet
if [ "$platform" = win ]; then
  export WINEPREFIX=$QUILLET_RIG_DIR/prefix WINEDEBUG=-all
  exe=.exe sep=';' dirsep='\'
else
  export IREGISTRY=$work/registry.reg
  exe= sep=: dirsep=/
fi

# A Java home (the stand-in as its bin/java) recorded as the runtime; the library is never loaded.
register() { # HOME
  local home=$1 native lib
  if [ "$platform" = win ]; then
    native=$(windows_path "$home"); lib="$native\\bin\\server\\jvm.dll"
    "$rig/wine-run" reg add "HKLM\\$key" /v RuntimeLib /d "$lib" /f "$REG_VIEW" >/dev/null 2>&1
    "$rig/wine-run" reg add "HKLM\\$key" /v JavaHome /d "$native" /f "$REG_VIEW" >/dev/null 2>&1
  else
    # Written as the registry editor exports it (and tools/quillet-register writes it):
    # backslashes and quotes escaped.
    native=$home; lib=$home/lib/server/libjvm.so
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\%s]\n"RuntimeLib"="%s"\n"JavaHome"="%s"\n' \
      "$key" "$(reg_escape "$lib")" "$(reg_escape "$home")" >"$IREGISTRY"
  fi
  runtime_dir=${lib%"$dirsep"*} java_home=$native  # quoted: a bare \ in the pattern escapes the *
}
reg_escape() { local s=${1//\\/\\\\}; printf '%s' "${s//\"/\\\"}"; }
install_java() { mkdir -p "$1/bin"; cp "$FAKEJAVA" "$1/bin/java$exe"; }

run_ajs() { # [--ignore-sigpipe]: runs quillet /ajs in the run folder, 60 s at most; sets status and pid
  rm -f "$work/java.log"
  local log=$work/java.log ignore=
  [ "${1:-}" = --ignore-sigpipe ] && ignore=PIPE
  [ "$platform" = win ] && log=$(windows_path "$log")
  if [ "$platform" = win ]; then
    (cd "$run" && exec env FAKEJAVA_LOG="$log" FAKEJAVA_STATUS=5 "$rig/wine-run" cmd /c set "PATH=C:\\windows\\system32;C:\\windows&&" \
       "$(windows_path "$app/quillet.exe")" /ajs >"$work/out" 2>&1) &
  else
    (cd "$run" && { [ -z "$ignore" ] || trap '' PIPE; } && exec env FAKEJAVA_LOG="$log" FAKEJAVA_STATUS=5 PATH=/usr/bin:/bin "$app/quillet" /ajs >"$work/out" 2>&1) &
  fi
  pid=$!
  await_quillet "$pid" 60 || fail "quillet /ajs did not end within 60 s (ended by the test)"
}

# Homes whose names a shell or a command line would read differently: '$' and what a Windows
# shell treats specially on both platforms; on Linux also quotes and backslashes (a Windows
# path cannot hold a quote, and its backslashes are separators), one home with all of them,
# one before a quote, one at the end.
homes=("$work/jre" "$work/java home" "$work/odd \$HOME \$(x) 'q' %PATH% (1)&!^,=")
if [ "$platform" = x11 ]; then
  homes+=("$work/all \"q\" b\\c \\\" \$HOME \`x\` 'y'\\" "$work/q\"uote" "$work/back\\slash\\"
          "$work/dollar\$HOME")
fi
for home in "${homes[@]}"; do
  begin "/ajs with the Java home '${home#$work/}'"
  install_java "$home"
  register "$home"
  run_ajs
  [ -f "$work/java.log" ] || { fail "java was not started; quillet: status $status, $(head -c 1000 "$work/out")"; continue; }
  log=$(tr -d '\r' <"$work/java.log")
  [ "$platform" = win ] && java_path="$java_home\\bin\\java.exe" || java_path="$home/bin/java"
  args=$(grep '^arg: ' <<<"$log" || true)
  expected="arg: $java_path
arg: -cp
arg: dorn.quillet.jar
arg: com/obel/dorntools/quillet/StartQuillet"
  [ "$args" = "$expected" ] || fail "java got:"$'\n'"$args"$'\n'"expected:"$'\n'"$expected"
  grep -qxF "exe: $java_path" <<<"$log" || fail "java was started from $(grep '^exe' <<<"$log")"
  [ "$status" = 5 ] || fail "quillet's status is $status, not java's 5"
  run_native=$run
  [ "$platform" = win ] && run_native=$(windows_path "$run")
  grep -qxF "cwd: $run_native" <<<"$log" || fail "java's current directory: $(grep '^cwd' <<<"$log")"
  java_path_var=$(grep '^path: ' <<<"$log" || true)
  if [ "$platform" = win ]; then
    [[ "$java_path_var" == "path: $runtime_dir$sep$java_home$sep$run_native$sep"* ]] ||
      fail "java's PATH is not the composed one: $java_path_var"
  else
    # No entry leads to the current folder: java and what it starts find nothing there.
    [ "$java_path_var" = "path: $runtime_dir$sep$java_home$sep/usr/bin:/bin" ] ||
      fail "java's PATH is not the composed one: $java_path_var"
  fi
  grep -qx 'stdout: null' <<<"$log" || fail "java's standard output: $(grep '^stdout' <<<"$log")"
  grep -qx 'stderr: null' <<<"$log" || fail "java's standard error: $(grep '^stderr' <<<"$log")"
  [ "$platform" = x11 ] && { grep -qx "pid: $pid" <<<"$log" || fail "not the same process: $(grep '^pid' <<<"$log"), quillet $pid"; }
  [ "$platform" = x11 ] && { grep -qx "sigpipe: default" <<<"$log" || fail "java's SIGPIPE: $(grep '^sigpipe' <<<"$log")"; }
done

if [ "$platform" = x11 ]; then
  begin "/ajs started with SIGPIPE ignored: java gets it ignored too"
  register "$work/jre"
  run_ajs --ignore-sigpipe
  grep -qx "sigpipe: ignored" "$work/java.log" || fail "java's SIGPIPE: $(grep '^sigpipe' "$work/java.log")"
fi

begin "/ajs: the window is built and shown, and then java takes quillet's place"
register "$work/jre"
QUILLET_TRACE=1 run_ajs
steps=$(trace_steps "$work/out")
[ "$steps" = "main environment display window-members window-shown external-start" ] ||
  fail "the start's steps were: $steps"
[ "$status" = 5 ] || fail "quillet's status is $status, not java's 5"

# A failed start: no message (its streams are gone), no window, the external start's status.
expect_failed_start() {
  [ "$status" = 10 ] || fail "status $status, not 10"
  [ -f "$work/java.log" ] && fail "something was started: $(cat "$work/java.log")"
  if [ "$platform" = x11 ]; then
    [ -s "$work/out" ] && fail "quillet wrote: $(head -c 1000 "$work/out")"
  fi
  local windows
  windows=$("$rig/boxdriver" list) || fail "the windows could not be listed"
  [ -z "$windows" ] || fail "a window is left: $windows"
}

begin "/ajs with no java in the Java home"
register "$work/empty"
mkdir -p "$work/empty"
run_ajs
expect_failed_start

# Without a home that names one place there is no runtime: nothing is started from the
# current folder or the current drive's root.
source "$rig/boxes.sh"
expect_not_installed() {
  local got
  got=$("$rig/boxdriver" wait --title Quillet --timeout 60) || true
  [ "$got" = "$not_installed_box" ] || fail "box shows:"$'\n'"$got"
  "$rig/boxdriver" press --title Quillet --button OK >/dev/null || fail "could not press OK"
  await_quillet "$pid" 30 || fail "quillet did not end within 30 s of OK (ended by the test)"
  [ "$status" = 3 ] || fail "status $status, not 3"
  if [ -f "$work/java.log" ]; then fail "something was started: $(cat "$work/java.log")"; fi
}

for home in none relative; do
  begin "/ajs with the Java home $home: the not-installed message"
  install_java "$run/jre" # what a relative home would find
  if [ "$platform" = win ]; then
    "$rig/wine-run" reg delete "HKLM\\$key" /f "$REG_VIEW" >/dev/null 2>&1 || true # (may be gone)
    "$rig/wine-run" reg add "HKLM\\$key" /v RuntimeLib /d 'C:\jre\bin\server\jvm.dll' /f "$REG_VIEW" >/dev/null 2>&1
    [ "$home" = relative ] && "$rig/wine-run" reg add "HKLM\\$key" /v JavaHome /d jre /f "$REG_VIEW" >/dev/null 2>&1
  else
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\%s]\n"RuntimeLib"="/jre/lib/server/libjvm.so"\n' "$key" >"$IREGISTRY"
    [ "$home" = relative ] && printf '"JavaHome"="jre"\n' >>"$IREGISTRY"
  fi
  rm -f "$work/java.log"
  log_file=$work/java.log
  [ "$platform" = win ] && log_file=$(windows_path "$log_file")
  if [ "$platform" = win ]; then
    (cd "$run" && exec env FAKEJAVA_LOG="$log_file" "$rig/wine-run" "$(windows_path "$app/quillet.exe")" /ajs >"$work/out" 2>&1) &
  else
    (cd "$run" && exec env FAKEJAVA_LOG="$log_file" PATH=/usr/bin:/bin "$app/quillet" /ajs >"$work/out" 2>&1) &
  fi
  pid=$!
  expect_not_installed
  rm -rf "$run/jre"
done

if [ "$platform" = win ]; then
  begin "/ajs starts java.exe, not a java.com beside it"
  install_java "$work/jre"
  cp "$FAKEJAVA" "$work/jre/bin/java.com"
  register "$work/jre"
  run_ajs
  grep -qxF "exe: $java_home\\bin\\java.exe" "$work/java.log" || fail "started: $(grep '^exe' "$work/java.log")"
  [ "$status" = 5 ] || fail "status $status, not java's 5"

  begin "/ajs with only a java.bat in the home: nothing runs"
  mkdir -p "$work/batonly/bin"
  printf '@echo ran>"%s"\r\n' "$(windows_path "$work/bat.ran")" >"$work/batonly/bin/java.bat"
  register "$work/batonly"
  run_ajs
  expect_failed_start
  [ -f "$work/bat.ran" ] && fail "java.bat ran"
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
