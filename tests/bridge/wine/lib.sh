# Shared part of the bridge's tests under Wine: the host run in a scratch directory with
# lanyard's and the jvm.dll stand-in's directories put on PATH by the host itself, the
# stand-in's record of calls in $log, and the boxes read and pressed with the test driver.
# The environment names the programs (LANYARD_DLL, JVMSTUB_DIR, BRIDGEHOST).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../checks.sh"
rig=$here/../../rig
source "$rig/procs.sh"
export WINEPREFIX=${QUILLET_RIG_DIR:?}/prefix WINEDEBUG=-all BOXDRIVER_PLATFORM=win
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'
# The Windows form of a path: Wine's default prefix maps drive Z: onto the root. (No Wine
# program is started for it: the first one of a fresh wineserver starts Wine's desktop process,
# which must get the rig's display, as wine-run gives it.)
windows_path() {
  local path=$1
  printf 'Z:%s\n' "${path//\//\\}"
}
bridge_dir=$(windows_path "$(dirname "$LANYARD_DLL")")
stub_dir=$(windows_path "$JVMSTUB_DIR")
loaded="loaded $bridge_dir\\lanyard.dll" # the host's first line
stub_on_path=1
runs=0
log= # the stand-in's record of the last run (by number: Wine's file names ignore case)

# start NAME [ENV=VALUE...] -- STEPS...: starts the host in $work in the background, the
# stand-in recording into $log, for 120 seconds at most; finish_run waits for it (and ends it
# should it outlive that, status 124). run: both. Wine's CR LF line ends become LF.
start() {
  last=$1
  shift
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  local paths=(path "$bridge_dir")
  [ "$stub_on_path" = 1 ] && paths+=(path "$stub_dir")
  runs=$((runs + 1))
  log=$work/run$runs.log
  (cd "$work" && exec env JVMSTUB_LOG="run$runs.log" "${vars[@]}" \
     timeout 120 "$rig/wine-run" "$BRIDGEHOST" "${paths[@]}" "$@" \
     >"$work/$last.raw" 2>"$work/$last.rawerr" </dev/null) &
  started=$!
}

finish_run() {
  rig_wait "$started" 130 || true
  echo "$rig_status" >"$work/$last.rc"
  tr -d '\r' <"$work/$last.raw" >"$work/$last.out"
  tr -d '\r' <"$work/$last.rawerr" >"$work/$last.err"
}

run() {
  start "$@"
  finish_run
}

# The lines of the stand-in's record that match the extended regular expression $1 are
# exactly the remaining arguments, in order (none: no such line).
expect_log() {
  local pattern=$1
  shift
  : >"$work/expected"
  [ $# -eq 0 ] || printf '%s\n' "$@" >"$work/expected"
  grep -E -- "$pattern" "$log" 2>/dev/null >"$work/got" || true # (none: compared below)
  cmp -s "$work/expected" "$work/got" || {
    fail "record lines /$pattern/ differ"; echo "expected:"; cat "$work/expected"; echo "got:"; cat "$work/got"; }
}

# The box titled $1 shows exactly $2 while the host waits with nothing on standard output and
# without having destroyed the VM; then OK is pressed.
box() {
  local got
  local expected=$2
  got=$("$rig/boxdriver" wait --title "$1" --timeout 60) || true
  # Wine: the driver cannot always read another process's icon and then says "unknown"; the
  # icon is left out of the comparison only then.
  if grep -qx "icon: unknown" <<<"$got"; then
    got=$(grep -vx "icon: unknown" <<<"$got") || true
    expected=$(grep -v "^icon: " <<<"$expected")
  fi
  [ "$got" = "$expected" ] || fail "box shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$expected"
  kill -0 "$started" 2>/dev/null || fail "the host ended while its box was open"
  grep -q "Can't\|Unable\|No Java" "$work/$last.raw" && fail "standard output written before the box was closed"
  grep -q DestroyJavaVM "$log" 2>/dev/null && fail "the VM was destroyed before the box was closed"
  "$rig/boxdriver" press --title "$1" --button OK || fail "could not press OK"
}
