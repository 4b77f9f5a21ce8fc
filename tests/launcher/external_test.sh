#!/usr/bin/env bash
# quillet /ajs: the runtime's java in quillet's place, with exactly the arguments java.exe gets
# on Windows, from the current directory, with the composed PATH and with standard streams that
# are not quillet's; Java homes with blanks and the characters a command line reads differently
# (on Linux quotes and backslashes too: java starts from exactly that path and gets it as its
# own name); a java that cannot be started. A stand-in java records what it receives. On Linux
# the process is replaced (same process id).
# Environment: QUILLET, FAKEJAVA; under Wine REG_VIEW.
set -u
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

run_ajs() { # runs quillet /ajs in the run folder; sets status and pid
  rm -f "$work/java.log"
  local log=$work/java.log
  [ "$platform" = win ] && log=$(windows_path "$log")
  if [ "$platform" = win ]; then
    (cd "$run" && exec env FAKEJAVA_LOG="$log" FAKEJAVA_STATUS=5 "$rig/wine-run" cmd /c set "PATH=C:\\windows\\system32;C:\\windows&&" \
       "$(windows_path "$app/quillet.exe")" /ajs >"$work/out" 2>&1) &
  else
    (cd "$run" && exec env FAKEJAVA_LOG="$log" FAKEJAVA_STATUS=5 PATH=/usr/bin:/bin "$app/quillet" /ajs >"$work/out" 2>&1) &
  fi
  pid=$!
  status=0
  wait "$pid" || status=$?
  # Windows has no exec: the C runtime starts the program and ends quillet with 0 at once, so
  # the stand-in may still be writing.
  if [ "$platform" = win ]; then
    local i
    for i in $(seq 100); do grep -q '^stderr' "$work/java.log" 2>/dev/null && break; sleep 0.1; done
  fi
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
  [ "$platform" = win ] && java_path="$java_home\\bin\\java" || java_path="$home/bin/java"
  args=$(grep '^arg: ' <<<"$log")
  expected="arg: $java_path
arg: -cp
arg: dorn.quillet.jar
arg: com/obel/dorntools/quillet/StartQuillet"
  [ "$args" = "$expected" ] || fail "java got:"$'\n'"$args"$'\n'"expected:"$'\n'"$expected"
  grep -qxF "exe: $java_path$exe" <<<"$log" || fail "java was started from $(grep '^exe' <<<"$log")"
  if [ "$platform" = x11 ]; then
    [ "$status" = 5 ] || fail "quillet's status is $status, not java's 5"
  else
    [ "$status" = 0 ] || fail "quillet's status is $status"
  fi
  run_native=$run
  [ "$platform" = win ] && run_native=$(windows_path "$run")
  grep -qxF "cwd: $run_native" <<<"$log" || fail "java's current directory: $(grep '^cwd' <<<"$log")"
  java_path_var=$(grep '^path: ' <<<"$log")
  [[ "$java_path_var" == "path: $runtime_dir$sep$java_home$sep$run_native$sep"* ]] ||
    fail "java's PATH is not the composed one: $java_path_var"
  grep -qx 'stdout: null' <<<"$log" || fail "java's standard output: $(grep '^stdout' <<<"$log")"
  grep -qx 'stderr: null' <<<"$log" || fail "java's standard error: $(grep '^stderr' <<<"$log")"
  [ "$platform" = x11 ] && { grep -qx "pid: $pid" <<<"$log" || fail "not the same process: $(grep '^pid' <<<"$log"), quillet $pid"; }
done

begin "/ajs with no java in the Java home: status 0, no message"
register "$work/empty"
mkdir -p "$work/empty"
run_ajs
[ "$status" = 0 ] || fail "status $status"
[ -f "$work/java.log" ] && fail "something was started"
if [ "$platform" = x11 ]; then
  [ -s "$work/out" ] && fail "quillet wrote: $(head -c 1000 "$work/out")"
fi
"$rig/boxdriver" list | grep -q . && fail "a window is left: $("$rig/boxdriver" list)"

echo "$failures failures"
[ "$failures" = 0 ]
