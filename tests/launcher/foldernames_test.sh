#!/usr/bin/env bash
# quillet with folder names outside the system's ANSI code page ("漢字" on a Western system,
# whose ANSI code page is 1252): installed and started in such a folder, and a Java runtime
# registered in one, on both routes. The names go through the registry (written by `reg add`,
# and by the installer's template imported as the registry editor's Unicode file), the runtime
# library loaded by its full path, PATH and the java that /ajs starts, the current directory and
# the program's own folder (the bridge beside it).
# Environment: QUILLET, LANYARD, JVMSTUB_DIR, FAKEJAVA, REG_VIEW. Windows only.
set -euo pipefail
# Wine turns the command line, the environment and Unix file names into Windows text by the
# Unix locale: the names below reach Windows whole only from a UTF-8 one.
export LC_ALL=C.UTF-8
launcher_script=$0
source "$(dirname "$0")/lib.sh"
export WINEPREFIX=$QUILLET_RIG_DIR/prefix WINEDEBUG=-all

name=漢字
key='SOFTWARE\Obel\DornTools\Java2 Runtime Environment\1.6'
stub_dir=$(windows_path "$JVMSTUB_DIR")
system_path='C:\windows\system32;C:\windows'
wine_reg() { "$rig/wine-run" reg "$@" >/dev/null 2>&1; }

# register add|import HOME RUNTIME_DIR: the runtime recorded by `reg add`, or as the installer's
# template records it, filled in, saved as Unicode and imported.
register() {
  local how=$1 home=$2 lib="$3\\jvm.dll" text
  wine_reg delete 'HKLM\SOFTWARE\Obel' /f "$REG_VIEW" || true # (none there: nothing to clear)
  if [ "$how" = add ]; then
    wine_reg add "HKLM\\$key" /v RuntimeLib /d "$lib" /f "$REG_VIEW" || fail "reg add failed"
    wine_reg add "HKLM\\$key" /v JavaHome /d "$home" /f "$REG_VIEW" || fail "reg add failed"
  else
    text=$(<"$QUILLET_SOURCE_DIR/launcher/install/quillet.reg.in")
    text=${text//@QUILLET_RUNTIME_LIB@/"${lib//\\/\\\\}"}
    text=${text//@QUILLET_JAVA_HOME@/"${home//\\/\\\\}"}
    { printf '\xff\xfe'; printf '%s\n' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$work/quillet.reg"
    wine_reg import "$(windows_path "$work/quillet.reg")" "$REG_VIEW" || fail "reg import failed"
  fi
  # What the registry holds, read back as the registry editor writes it (UTF-16): without a
  # UTF-8 locale the name would already be lost here, and quillet not to blame.
  rm -f "$work/export.reg"
  wine_reg export "HKLM\\$key" "$(windows_path "$work/export.reg")" "$REG_VIEW" /y
  local held
  held=$(iconv -f UTF-16 -t UTF-8 "$work/export.reg" 2>/dev/null | tr -d '\r') || true
  grep -qxF "\"JavaHome\"=\"${home//\\/\\\\}\"" <<<"$held" &&
    grep -qxF "\"RuntimeLib\"=\"${lib//\\/\\\\}\"" <<<"$held" ||
    fail "the registry holds:"$'\n'"$held"
}

# start APP CWD PATH ARGS...: quillet from APP in the folder CWD with that PATH; waits for its end
# (60 looks for a box, a second each, and 5 seconds more at most; then it is ended), pressing OK on
# any box it shows meanwhile. Sets status, and boxes to the titles of the boxes it showed.
start() {
  local app=$1 cwd=$2 path=$3 i
  shift 3
  rm -f "$cwd/stub.log" "$work/java.log"
  (cd "$cwd" && exec env JVMSTUB_LOG=stub.log FAKEJAVA_LOG="$(windows_path "$work/java.log")" \
     "$rig/wine-run" cmd /c set "PATH=$path&&" "$(windows_path "$app/quillet.exe")" "$@" \
     >"$work/out" 2>&1) &
  pid=$! boxes=
  local title
  for i in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || break
    title=$("$rig/boxdriver" wait --timeout 1 2>/dev/null | sed -n 's/^title: //p') || true
    if [ -n "$title" ]; then
      boxes+="$title; "
      "$rig/boxdriver" press --title "$title" --button OK >/dev/null 2>&1 || true
    fi
  done
  await_quillet "$pid" 5 || fail "quillet did not end (ended by the test)"
}
# The in-process start went through: no box, the VM created by the stand-in, status 0.
expect_in_process() { # CWD
  [ -z "$boxes" ] || fail "quillet showed: $boxes"
  [ "$status" = 0 ] || fail "exit status $status"
  grep -q '^JNI_CreateJavaVM' "$1/stub.log" 2>/dev/null || fail "no VM was created"
}
# The java that /ajs started recorded what it got; quillet waited for it and ended with its 0.
java_log() {
  [ "$status" = 0 ] || fail "exit status $status"
  tr -d '\r' <"$work/java.log" 2>/dev/null || true
}
expect_line() { # LOG LINE
  grep -qxF "$2" <<<"$1" || fail "java did not record '$2':"$'\n'"$1"
}

# --- quillet installed in a folder of that name, started there ---------------------------------
begin "installed in '$name', started there: in-process start"
app=$work/$name
mkdir -p "$app"
cp "$QUILLET" "$(dirname "$QUILLET")/KORBMSGS.MSG" "$app/"
cp "$LANYARD" "$app/lanyard.dll"
register add 'C:\Obel\jre' "$stub_dir"
start "$app" "$app" "$system_path"
expect_in_process "$app"

begin "installed in '$name', started there: /ajs"
home=$work/jre
mkdir -p "$home/bin"
cp "$FAKEJAVA" "$home/bin/java.exe"
register add "$(windows_path "$home")" "$stub_dir"
start "$app" "$app" "$system_path" /ajs
log=$(java_log)
expect_line "$log" "cwd: $(windows_path "$app")"
expect_line "$log" "path: $stub_dir;$(windows_path "$home");$(windows_path "$app");$system_path"

# --- a Java runtime in a folder of that name ---------------------------------------------------
home=$work/java/$name
mkdir -p "$home/bin/server" "$work/app" "$work/run"
cp "$JVMSTUB_DIR/jvm.dll" "$home/bin/server/"
cp "$FAKEJAVA" "$home/bin/java.exe"
cp "$QUILLET" "$(dirname "$QUILLET")/KORBMSGS.MSG" "$work/app/"
cp "$LANYARD" "$work/app/lanyard.dll"
native_home=$(windows_path "$home")

begin "Java home '$name' (reg add): in-process start, jvm.dll loaded by its full path"
register add "$native_home" "$native_home\\bin\\server"
start "$work/app" "$work/run" "$system_path"
expect_in_process "$work/run"

begin "Java home '$name' (the installer's template): /ajs, a PATH that names such a folder already"
register import "$native_home" "$native_home\\bin\\server"
old_path="$system_path;C:\\$name\\bin"
start "$work/app" "$work/run" "$old_path" /ajs
log=$(java_log)
expect_line "$log" "arg: $native_home\\bin\\java.exe"
args=$(grep -c '^arg: ' <<<"$log" || true)
[ "$args" = 4 ] || fail "java got $args arguments:"$'\n'"$log"
expect_line "$log" "arg: com/obel/dorntools/quillet/StartQuillet"
run_dir=$(windows_path "$work/run")
expect_line "$log" "path: $native_home\\bin\\server;$native_home;$run_dir;$old_path"

wine_reg delete 'HKLM\SOFTWARE\Obel' /f "$REG_VIEW" || true
echo "$failures failures"
[ "$failures" = 0 ] || exit 1
