#!/usr/bin/env bash
# quillet as a person starts it: on Linux with the real OpenJDK, its dialogs on Xvfb and its
# no-display form; under Wine with the real registry, real message boxes and the jvm.dll
# stand-in. Every message of the start-up (title, icon, text, button), the display check at 800
# and 801 pixels, the switch, the bridge start-up, and the exit status of every end.
# Environment: QUILLET, LANYARD; on Linux JDK_HOME, VMPROBE_JAR (a Java agent that prints the
# process it runs in) and SKIP_VM=1 where no VM may be created (sanitizers); under Wine
# JVMSTUB_DIR and REG_VIEW (/reg:32 or /reg:64). (The program file itself: tests/pe_files.sh.)
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"
source_dir=$QUILLET_SOURCE_DIR
runs=0
vm_cases=1
[ "${SKIP_VM:-0}" = 1 ] && vm_cases=0

key='SOFTWARE\Obel\DornTools\Java2 Runtime Environment'
tessaran="Quillet - Tessaran"
box_lines() { # TITLE ICON TEXT...: what the box shows, with its one OK button
  local title=$1 icon=$2
  shift 2
  printf 'title: %s\nicon: %s\n' "$title" "$icon"
  printf 'text: %s\n' "$@"
  printf 'button: OK (default)'
}
not_installed_lines() { # the sentence after "system."
  box_lines Quillet error \
    "The Obel Java v6 environment has not yet been installed on your system.$1" \
    "Please refer to the Web site where you got Quillet from to find instructions on how" \
    " to obtain the Obel Java Runtime environment. This package is required by Quillet."
}
path_box=$(box_lines "$tessaran" error "Unable to aquire current Path information.")
bridge_box=$(box_lines "$tessaran" error "Unable to load Lanyard.DLL. Either missing or corrupt")
# The in-process start after a failed bridge start-up: the application cannot run.
start3_box=$(box_lines "Quillet Error - unable to start #3" error \
  "The Java application cannot be started: Lanyard.DLL is missing or corrupt.")
video_box=$(box_lines "$tessaran" warning \
  "Your video mode is set to 800x600 or less resolution. This is not supported by Quillet")

# --- installations: quillet with its catalog, and what stands beside it as the bridge ---------
if [ "$platform" = win ]; then
  bridge_file=lanyard.dll program=quillet.exe
else
  bridge_file=liblanyard.so program=quillet
fi
install() { # DIR BRIDGE ("-" for none)
  copy_quillet "$1"
  [ "$2" = - ] || cp "$2" "$1/$bridge_file"
}
install "$work/app" "$LANYARD"
install "$work/app-nobridge" -
install "$work/app-corrupt" -
echo "not a shared library" >"$work/app-corrupt/$bridge_file"
# A real library that loads but has no "DymInitializeJVM".
if [ "$platform" = win ]; then
  no_entry=$JVMSTUB_DIR/jvm.dll
else
  no_entry=$(awk '/libz\.so\.1 .*x86-64/ { print $NF; exit }' <<<"$(ldconfig -p)")
fi
[ -n "$no_entry" ] && install "$work/app-noentry" "$no_entry"
mkdir -p "$work/run"
# The application in the current directory: the tests' start class, whose main returns at once
# and which ends the process with 0 soon after (under Wine the jvm.dll stand-in plays it).
[ "$platform" = x11 ] && cp "$STARTER_JAR" "$work/run/dorn.quillet.jar"


# --- the registry ----------------------------------------------------------------------------
if [ "$platform" = win ]; then
  source "$rig/wine-env.sh"
  rig_wine_init "$QUILLET_RIG_DIR" "$QUILLET_WINE_BITS" # the prefix, and the wineserver for on_display
  runtime_dir=$(windows_path "$JVMSTUB_DIR")
  runtime_lib="$runtime_dir\\jvm.dll"
  java_home='C:\Obel\jre'
  default_path='C:\windows\system32;C:\windows'
  marker_path="$runtime_dir;C:\\Obel\\jre\\bin\\r5vm;$default_path"
  junk='C:\'
  sep=';'
else
  export IREGISTRY=$work/registry.reg
  runtime_dir=$JDK_HOME/lib/server
  runtime_lib=$runtime_dir/libjvm.so
  java_home=$JDK_HOME
  default_path=/usr/bin:/bin
  marker_path="$runtime_dir:/opt/obel/jre/bin/r5vm:$default_path"
  junk=/
fi
wine_reg() { "$rig/wine-run" reg "$@" >/dev/null 2>&1; }
reg_clear() {
  if [ "$platform" = win ]; then
    wine_reg delete 'HKLM\SOFTWARE\Obel' /f "$REG_VIEW" || true # (none there: nothing to clear)
  else
    printf 'Windows Registry Editor Version 5.00\n' >"$IREGISTRY"
  fi
}
reg_escape() { local s=${1//\\/\\\\}; printf '%s' "${s//\"/\\\"}"; }
reg_set() { # VERSION NAME VALUE
  if [ "$platform" = x11 ]; then
    printf '\n[HKEY_LOCAL_MACHINE\\%s\\%s]\n"%s"="%s"\n' "$key" "$1" "$2" "$(reg_escape "$3")" >>"$IREGISTRY"
  else
    wine_reg add "HKLM\\$key\\$1" /v "$2" /d "$3" /f "$REG_VIEW" || fail "reg add $2 failed"
  fi
}
# The runtime as its installer registers it: the project's own tool on Linux; on Windows the
# .reg template, filled in and imported.
reg_runtime() {
  reg_clear
  if [ "$platform" = x11 ]; then
    "$source_dir/tools/quillet-register" "$JDK_HOME" "$IREGISTRY" >/dev/null || fail "quillet-register failed"
  else
    local lib=${runtime_lib//\\/\\\\} home=${java_home//\\/\\\\} text
    text=$(<"$source_dir/launcher/install/quillet.reg.in")
    text=${text//@QUILLET_RUNTIME_LIB@/"$lib"}
    printf '%s\n' "${text//@QUILLET_JAVA_HOME@/"$home"}" >"$work/quillet.reg"
    wine_reg import "$(windows_path "$work/quillet.reg")" "$REG_VIEW" || fail "reg import of the template failed"
  fi
}

# --- running quillet ---------------------------------------------------------------------------
# start [--no-display] [--path VALUE | --no-path] [--cwd DIR] [--app DIR] [--gone] -- ARGS...
# starts quillet in the background as a person would, in $work/run by default.
start() {
  local nodisplay=0 path=$default_path unset=0 cwd=$work/run app=$work/app gone=0
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    case $1 in
      --no-display) nodisplay=1 ;;
      --path) path=$2; shift ;;
      --no-path) unset=1 ;;
      --cwd) cwd=$2; shift ;;
      --app) app=$2; shift ;;
      --gone) gone=1 ;; # the current directory is removed before quillet starts
    esac
    shift
  done
  shift
  runs=$((runs + 1))
  out=$work/run$runs.out err=$work/run$runs.err
  stub_log=$cwd/stub$runs.log
  if [ "$platform" = win ]; then
    # cmd sets (or with nothing after "=", removes) PATH and waits for the program.
    [ "$unset" = 1 ] && path=
    (cd "$cwd" && exec env JVMSTUB_LOG="stub$runs.log" "$rig/wine-run" cmd /c set "PATH=$path&&" \
       "$(windows_path "$app/$program")" "$@" >"$out" 2>"$err") &
  else
    local vars=(IREGISTRY="$IREGISTRY" JAVA_TOOL_OPTIONS="-javaagent:$VMPROBE_JAR")
    local unsets=(-u LD_LIBRARY_PATH)
    [ "$unset" = 1 ] && unsets+=(-u PATH) || vars+=(PATH="$path")
    [ "$nodisplay" = 1 ] && unsets+=(-u DISPLAY)
    if [ "$gone" = 1 ]; then
      mkdir -p "$cwd"
      (cd "$cwd" && rmdir "$cwd" && exec env "${unsets[@]}" "${vars[@]}" "$app/$program" "$@" >"$out" 2>"$err") &
    else
      (cd "$cwd" && exec env "${unsets[@]}" "${vars[@]}" "$app/$program" "$@" >"$out" 2>"$err") &
    fi
  fi
  pid=$!
}

# The box with that title shows exactly the expected lines; then its OK button is pressed.
expect_box() {
  local got
  got=$("$rig/boxdriver" wait --title "$1" --timeout 60) || true
  # A box that has just appeared may not show its icon yet: one more look.
  [ "$got" = "$2" ] || { sleep 1; got=$("$rig/boxdriver" wait --title "$1" --timeout 5) || true; }
  [ "$got" = "$2" ] || fail "box '$1' shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$2"
  if [ -z "$got" ]; then
    # No such box: whether quillet still runs, and what it shows, tell a lost start from a slow one.
    fail "quillet $(kill -0 "$pid" 2>/dev/null && echo "still runs" || echo "has ended");" \
         "windows: $("$rig/boxdriver" list 2>&1 | tr '\n' ' ')"
    return
  fi
  "$rig/boxdriver" press --title "$1" --button OK >/dev/null || fail "could not press OK"
}

# The exit status of each end that did not run the application (README: Exit status).
status_not_installed=3 status_path=4 status_environment=5 status_registry=6 status_bridge=7
status_no_display=8 status_small_display=9

# quillet ends by itself within 30 seconds, with exit status STATUS (default 0: the application
# ran and ended), showing nothing more. One that does not is failed with its windows, its boxes
# are answered, and 10 seconds later it is ended: under a minute in all, whatever it does.
expect_end() { # [STATUS]
  local expected=${1:-0} i
  for i in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "quillet did not end; windows: $("$rig/boxdriver" list 2>&1 | tr '\n' ' ')"
    for i in 1 2 3; do "$rig/boxdriver" press --button OK --timeout 2 >/dev/null 2>&1 || true; done
  fi
  await_quillet "$pid" 10 || fail "quillet did not end 10 s after its boxes were answered either (status 124: ended by the test)"
  [ "$status" = "$expected" ] || fail "exit status $status, expected $expected; stderr: $(head -c 2000 "$err")"
}

# Whether the virtual machine was created, and (Linux) in quillet's own process.
expect_vm() {
  if [ "$platform" = win ]; then
    if [ "$1" = yes ]; then
      grep -q '^JNI_CreateJavaVM' "$stub_log" 2>/dev/null || fail "no VM was created"
    elif grep -q '^JNI_CreateJavaVM' "$stub_log" 2>/dev/null; then
      fail "a VM was created"
    fi
  elif [ "$1" = yes ]; then
    local i
    for i in $(seq 100); do grep -q 'vm-probe:' "$err" && break; sleep 0.1; done
    grep -qx "vm-probe: created in process $pid" "$err" ||
      fail "no VM created in quillet's process $pid; stderr: $(head -c 2000 "$err")"
  elif grep -q 'vm-probe:' "$err"; then
    fail "a VM was created"
  fi
}

# The steps of the start, as QUILLET_TRACE told them on standard error, are the words given.
expect_steps() { # STEP... (words, in their order)
  local got expected="$*"
  got=$(trace_steps "$err")
  [ "$got" = "$expected" ] || fail "the start's steps were: $got"$'\n'"expected: $expected"
}

# No-display form: the boxes written to standard error are exactly the expected lines (the
# class library's exception records around them are not boxes).
expect_stderr_boxes() {
  local got
  got=$(awk '/^(Quillet|Quillet - Tessaran|Quillet - Tessaran Error|Quillet Error - unable to start #[34]): /
             /^(Please refer to the Web site where you got Quillet| to obtain the Obel Java Runtime)/' "$err")
  [ "$got" = "$1" ] || fail "standard error shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$1"
}

# Runs the commands on a display of the given size (WxH) of their own, held by a holder that
# ends when a line comes through the fifo.
on_display() {
  local size=$1 fifo=$work/display.fifo
  shift
  rm -f "$fifo" "$work/display"
  mkfifo "$fifo"
  "$rig/with-xvfb" -s "${size}x24" -- bash -c 'echo "$DISPLAY" >"$1"; read -r _ <"$2"' _ "$work/display" "$fifo" &
  local holder=$! i
  for i in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  if [ ! -s "$work/display" ]; then
    fail "no display of $size for: $*"
    rig_end "$holder"
    return 0
  fi
  local saved=${DISPLAY:-}
  if [ "$platform" = win ]; then
    # Wine keeps the screen its wineserver found: a new one for this display (persistent, as
    # the fixture's is), and after it a new one for the fixture's. Ended with the script, should
    # it end meanwhile.
    private_wineserver=1
    rig_wineserver_restart || fail "no wineserver for the display $size"
    export QUILLET_WINE_DISPLAY=$(cat "$work/display")
  else
    export DISPLAY=$(cat "$work/display")
  fi
  "$@"
  if [ "$platform" = win ]; then
    "$rig_wineserver" -k || true
    "$rig_wineserver" -w
    private_wineserver=
    unset QUILLET_WINE_DISPLAY
    "$rig/wine-fixture" start "$QUILLET_RIG_DIR" >/dev/null || fail "the fixture's wineserver did not start again"
  else
    export DISPLAY=$saved
  fi
  # Opened for reading too, the fifo takes the line even from a holder that has gone.
  echo 1<>"$fifo"
  rig_wait "$holder" 10 || fail "the display $size was still held 10 s after its release (ended by the test)"
}
# A test that ends on a display of its own leaves the fixture's wineserver and display as it
# found them, for the tests after it.
private_wineserver=
if [ "$platform" = win ]; then
  rig_at_exit '[ -z "$private_wineserver" ] || { "$rig_wineserver" -k; "$rig_wineserver" -w; "$rig/wine-fixture" start "$QUILLET_RIG_DIR" >/dev/null; }'
fi


# --- environment set-up ----------------------------------------------------------------------
reg_runtime

begin "PATH unset"
start --no-path --
expect_box "$tessaran" "$path_box"
expect_end $status_path
expect_vm no

if [ "$platform" = x11 ]; then
  # The one failure of the set-up that a person can cause: a current directory that is gone.
  begin "current directory removed"
  start --cwd "$work/gone" --gone --
  expect_box "$tessaran" "$(box_lines "$tessaran" error " unable to establish Quillet runtime environment")"
  expect_end $status_environment
  expect_vm no
fi

# --- not installed ---------------------------------------------------------------------------
begin "nothing installed"
reg_clear
start --
expect_box Quillet "$(not_installed_lines "No previous Obel Java version found.")"
expect_end $status_not_installed
expect_vm no

begin "1.5.0 installed"
reg_set 1.5.0 RuntimeLib "$runtime_lib"
start --
expect_box Quillet "$(not_installed_lines "The current Obel Java version found is 1.5.0.")"
expect_end $status_not_installed

# --- bridge start-up -------------------------------------------------------------------------
reg_runtime
for app in nobridge corrupt noentry; do
  [ -d "$work/app-$app" ] || continue
  begin "bridge: $app"
  QUILLET_TRACE=1 start --app "$work/app-$app" --
  expect_box "$tessaran" "$bridge_box"
  expect_box "Quillet Error - unable to start #3" "$start3_box"
  expect_end $status_bridge
  expect_vm no
  # The window is shown and busy while the start fails under it, as when it succeeds.
  loaded=runtime-loaded
  [ "$app" = noentry ] && loaded="runtime-loaded bridge-loaded"
  expect_steps main environment $loaded display window-members window-shown busy-painted
done

begin "bridge: its runtime library is not where the registry says"
reg_clear
if [ "$platform" = win ]; then
  reg_set 1.6 RuntimeLib 'C:\nowhere\jvm.dll'
else
  reg_set 1.6 RuntimeLib /nowhere/lib/server/libjvm.so
fi
start --
expect_box "$tessaran" "$bridge_box"
expect_box "Quillet Error - unable to start #3" "$start3_box"
expect_end $status_bridge
expect_vm no

# A relative "RuntimeLib" would be looked for from wherever quillet starts: it names no runtime.
begin "a relative RuntimeLib is no runtime"
reg_clear
if [ "$platform" = win ]; then reg_set 1.6 RuntimeLib 'jre\bin\jvm.dll'; else reg_set 1.6 RuntimeLib lib/server/libjvm.so; fi
start --
expect_box Quillet "$(not_installed_lines "No previous Obel Java version found.")"
expect_end $status_not_installed
expect_vm no

if [ "$platform" = x11 ]; then
  # The registry names the library quillet loads: a file that others may change is not used.
  begin "a registry file that others may write"
  reg_runtime
  chmod 666 "$IREGISTRY"
  start --
  expect_box "$tessaran" "$(box_lines "$tessaran" error \
    "Quillet cannot use the registration of its Java runtime: registry file \"$IREGISTRY\" is not used, no key is read from it: users other than its owner and root may write it (mode 0666)")"
  expect_end $status_registry
  expect_vm no
  chmod 644 "$IREGISTRY"
fi

# --- the switch --------------------------------------------------------------------------------
reg_runtime
begin "/ajs: the bridge is never loaded"
# Under Wine the registered home holds no java.exe: the external start fails, with its status.
ajs_status=0
[ "$platform" = win ] && ajs_status=10
start --app "$work/app-nobridge" -- /ajs
expect_end $ajs_status
expect_vm no
if [ "$vm_cases" = 1 ]; then
  start -- /ajs
  expect_end $ajs_status
  expect_vm no
  for args in "/AJS" "/ajsx" "/ajs/" "other /ajs"; do
    begin "switch '$args' is no switch: in-process route"
    # shellcheck disable=SC2086
    start -- $args
    expect_end
    expect_vm yes
  done

  begin "no arguments: in-process route, VM in quillet's process, the steps in their order"
  QUILLET_TRACE=1 start --
  expect_end
  expect_vm yes
  expect_steps "main environment runtime-loaded bridge-loaded vm-created display window-members" \
               "window-shown busy-painted main-returned"

  begin "runtime found through the marker on PATH"
  reg_clear
  start --path "$marker_path" --
  expect_end
  expect_vm yes
  reg_runtime
fi
begin "switch with a missing bridge: '/Ajs' loads it"
start --app "$work/app-nobridge" -- /Ajs
expect_box "$tessaran" "$bridge_box"
expect_box "Quillet Error - unable to start #3" "$start3_box"
expect_end $status_bridge

# --- the display ---------------------------------------------------------------------------------
display_800() {
  begin "desktop 800 pixels wide"
  if [ "$vm_cases" = 1 ]; then start --; else start --app "$work/app-nobridge" --; fi
  [ "$vm_cases" = 1 ] || expect_box "$tessaran" "$bridge_box"
  local got
  got=$("$rig/boxdriver" wait --title "$tessaran" --timeout 60) || true
  # The VM exists before the display is measured.
  [ "$vm_cases" = 1 ] && expect_vm yes
  [ "$got" = "$video_box" ] || fail "box shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$video_box"
  "$rig/boxdriver" press --title "$tessaran" --button OK >/dev/null || fail "could not press OK"
  # Without a bridge the application could not have run on any desktop: that is the cause.
  if [ "$vm_cases" = 1 ]; then expect_end $status_small_display; else expect_end $status_bridge; fi
}
display_801() {
  begin "desktop 801 pixels wide"
  if [ "$vm_cases" = 1 ]; then start --; else start --app "$work/app-nobridge" --; fi
  if [ "$vm_cases" = 0 ]; then
    expect_box "$tessaran" "$bridge_box"
    expect_box "Quillet Error - unable to start #3" "$start3_box"
    expect_end $status_bridge
  else
    expect_end
  fi
}
display_not_ready() {
  begin "not installed on a small desktop: the display is not measured"
  reg_clear
  start --
  expect_box Quillet "$(not_installed_lines "No previous Obel Java version found.")"
  expect_end $status_not_installed
  reg_runtime
}
on_display 800x600 display_800
on_display 800x600 display_not_ready
on_display 801x600 display_801

# --- the no-display form (Linux) -----------------------------------------------------------
if [ "$platform" = x11 ]; then
  begin "no display: each message on standard error"
  reg_runtime
  start --no-display --no-path --
  expect_end $status_path
  expect_stderr_boxes "$tessaran: Unable to aquire current Path information."

  start --no-display --cwd "$work/gone" --gone --
  expect_end $status_environment
  expect_stderr_boxes "$tessaran:  unable to establish Quillet runtime environment"

  reg_clear
  reg_set 1.5.0 RuntimeLib "$runtime_lib"
  start --no-display --
  expect_end $status_not_installed
  expect_stderr_boxes "Quillet: The Obel Java v6 environment has not yet been installed on your system.The current Obel Java version found is 1.5.0.
Please refer to the Web site where you got Quillet from to find instructions on how
 to obtain the Obel Java Runtime environment. This package is required by Quillet."

  reg_runtime
  no_display="$tessaran: Unable to open the display. Quillet needs a graphical desktop: check that DISPLAY names a running X server"
  start --no-display --app "$work/app-corrupt" --
  expect_end $status_bridge
  expect_stderr_boxes "$tessaran: Unable to load Lanyard.DLL. Either missing or corrupt
$no_display"

  if [ "$vm_cases" = 1 ]; then
    begin "no display: the VM is created, then the display check ends"
    start --no-display --
    expect_end $status_no_display
    expect_vm yes
    expect_stderr_boxes "$no_display"
  fi
fi

# --- the installer's tool keeps the other keys of the file ------------------------------------
if [ "$platform" = x11 ]; then
  begin "quillet-register rewrites only its own key"
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"Keep"="me"\n\n[hklm\\%s\\1.6]\n"RuntimeLib"="old"\n' "$key" >"$IREGISTRY"
  "$source_dir/tools/quillet-register" "$JDK_HOME" "$IREGISTRY" >/dev/null || fail "quillet-register failed"
  grep -qx '"Keep"="me"' "$IREGISTRY" || fail "another key was lost"
  [ "$(grep -c RuntimeLib "$IREGISTRY")" = 1 ] || fail "the old key was kept beside the new: $(cat "$IREGISTRY")"
  grep -qxF "\"RuntimeLib\"=\"$(reg_escape "$runtime_lib")\"" "$IREGISTRY" || fail "RuntimeLib not written"
  "$source_dir/tools/quillet-register" "$work/run" "$IREGISTRY" 2>/dev/null && fail "a directory without libjvm.so was taken"
  grep -qx '"Keep"="me"' "$IREGISTRY" || fail "a refused run changed the file"
fi

[ "$platform" = win ] && reg_clear
echo "$runs runs, $failures failures"
[ "$failures" = 0 ] || exit 1
