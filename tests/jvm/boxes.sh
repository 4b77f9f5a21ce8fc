# The fatal paths' boxes on a display: read and pressed with the test driver. Nothing reaches
# standard output and the process does not end before the box is closed.
if [ -z "${LANYARD_TEST_DISPLAY:-}" ]; then
  LANYARD_TEST_DISPLAY=1 exec "$(dirname "$0")/../rig/with-xvfb" -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
unpack_classes "$work"
driver=$(dirname "$0")/../rig/boxdriver
export BOXDRIVER_PLATFORM=x11

# box TITLE EXPECTED: the box shows exactly EXPECTED while the host waits; then OK is pressed.
box() {
  local got
  got=$("$driver" wait --title "$1" --timeout 30)
  [ "$got" = "$2" ] || fail "box shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$2"
  sleep 0.3
  kill -0 "$started" 2>/dev/null || fail "the host ended while its box was open"
  grep -q "Can't\|Unable" "$work/$last.out" && fail "standard output written before the box was closed"
  "$driver" press --title "$1" --button OK || fail "could not press OK"
}

start "creation failure" JAVA_TOOL_OPTIONS="-Xcheck:jni -XX:+NoSuchQuilletFlag" -- init QUILLET
box "JVM create failure" $'title: JVM create failure\nicon: error\ntext: Unable to create the Obel JVM\nbutton: OK (default)'
finish_run
expect_rc 1
expect_out '%s\n%s' "$loaded" "Unable to create the Java VM"

start "MP, missing class" -- init QUILLET mp lanyardtest/Missing ""
box "JVM create" $'title: JVM create\nicon: error\ntext: Can\'t find class\nbutton: OK (default)'
finish_run
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Can't find class lanyardtest/Missing"

start "CallJavaCode, no main" -- init QUILLET cjc lanyardtest/NoMain "x"
box "JVM start failure" $'title: JVM start failure\nicon: error\ntext: Unable to find static method\nbutton: OK (default)'
finish_run
expect_rc 1
expect_out '%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "Can't find static method main"

finish
