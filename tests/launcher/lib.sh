# Sourced by the launcher's end-to-end scripts after their own header: the staging (platform,
# private Xvfb, output to a file, what the script starts ended with it), a work folder removed at
# the end, the failure count, and the Windows name of a Unix path, quillet installed as a person
# installs it, and the bounded wait for its end. Sets platform, rig, work, failures and case.
rig=${QUILLET_SOURCE_DIR:?}/tests/rig
source "$rig/stage.sh"
rig_stage "$QUILLET" "$launcher_script" "$@"
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'
failures=0 case=
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }
begin() { case=$1; echo "--- $case ($SECONDS s)"; }
# Waits for quillet, the background job PID, to end, SECONDS at most, and sets status to its exit
# status. One still running then is ended with what it started (its boxes and all), status is
# 124, and the answer is false: a hang costs the case its bound, not the whole test's time.
await_quillet() { # PID SECONDS
  local ended=0
  rig_wait "$1" "$2" || ended=1
  status=$rig_status
  return $ended
}
# Wine's drive Z: is the root. (Not winepath: it would start Wine, and with it the desktop, on
# whatever display is current.)
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# quillet's program folder without the bridge, as an installer lays it out in DIR: the files the
# build lists in quillet.files (the program, its catalog, on Linux the shared class library).
copy_quillet() { # DIR
  mkdir -p "$1"
  local dest
  dest=$(cd "$1" && pwd)
  (cd "$(dirname "$QUILLET")" && xargs cp -t "$dest/" <quillet.files)
}

# quillet with its catalog in $app, and $run as the current folder it is started in; $key is the
# registry key of the runtime it uses.
install_quillet() {
  app=$work/app run=$work/run
  mkdir -p "$app" "$run"
  copy_quillet "$app"
  key='SOFTWARE\Obel\DornTools\Java2 Runtime Environment\1.6'
}

# quillet as install_quillet leaves it, with its bridge beside it, the application in the run
# folder and its runtime registered: the real JDK on Linux (registry file $IREGISTRY), the
# jvm.dll stand-in under Wine. Sets test_dir, the run folder as the application sees it.
install_in_process() {
  install_quillet
  if [ "$platform" = win ]; then
    cp "$LANYARD" "$app/lanyard.dll"
    export WINEPREFIX=$QUILLET_RIG_DIR/prefix WINEDEBUG=-all
    "$rig/wine-run" reg add "HKLM\\$key" /v RuntimeLib /d "$(windows_path "$JVMSTUB_DIR")\\jvm.dll" /f "$REG_VIEW" >/dev/null 2>&1
    "$rig/wine-run" reg add "HKLM\\$key" /v JavaHome /d 'C:\Obel\jre' /f "$REG_VIEW" >/dev/null 2>&1
    test_dir=$(windows_path "$run")
  else
    cp "$LANYARD" "$app/liblanyard.so"
    cp "$STARTER_JAR" "$run/dorn.quillet.jar"
    export IREGISTRY=$work/registry.reg
    "$QUILLET_SOURCE_DIR/tools/quillet-register" "$JDK_HOME" "$IREGISTRY" >/dev/null
    test_dir=$run
  fi
}

# The steps of a start with QUILLET_TRACE set, in their order, on one line: from quillet's
# standard error (or wherever it went) in FILE.
trace_steps() { tr -d '\r' <"$1" | sed -n 's/^quillet-trace: \([^ ]*\) .*/\1/p' | paste -sd' '; }
