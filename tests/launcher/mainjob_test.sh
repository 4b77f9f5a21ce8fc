#!/usr/bin/env bash
# The README's main job as CI runs it, with no display: tools/run-sample installs quillet with
# the sample, photographs the splash and the sample's window, presses Done and ends with quillet's
# status; in-process and with /ajs, from this test's own build tree. The pictures must show what
# they claim.
set -euo pipefail
root=${QUILLET_SOURCE_DIR:?} build=${QUILLET_BUILD_DIR:?}
source "$root/tests/rig/procs.sh"
shots=$build/sample-run/screenshots
log=$(mktemp)
rig_at_exit 'rm -f "$log"'
failures=0
fail() { echo "FAIL [$route]: $*"; failures=$((failures + 1)); }
# How many pixels of the picture have the colour (ImageMagick's histogram).
pixels() { convert "$1" -format %c histogram:info:- | awk -v c="$2" '$0 ~ c { sub(":", "", $1); n += $1 } END { print n + 0 }'; }
for route in in-process /ajs; do
  echo "--- $route"
  args=()
  [ "$route" = /ajs ] && args=(/ajs)
  status=0
  env -u DISPLAY RUN_SAMPLE_BUILD_DIR="$build" timeout 240 "$root/tools/run-sample" "${args[@]}" >"$log" 2>&1 || status=$?
  [ "$status" = 0 ] || { fail "run-sample ended with $status: $(tail -5 "$log")"; continue; }
  for picture in splash sample; do
    [ -s "$shots/$picture.png" ] || fail "no $picture.png"
  done
  # The splash's status line is red while the application starts.
  (( $(pixels "$shots/splash.png" '#FF0000') > 1000 )) || fail "splash.png shows no red status line"
  # The sample's window is the light gray of its toolkit's panel on the black of the screen.
  (( $(pixels "$shots/sample.png" '#EEEEEE') > 1000 )) || fail "sample.png shows no window"
done
echo "$failures failures"
[ "$failures" = 0 ] || exit 1
