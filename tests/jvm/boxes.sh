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
  got=$("$driver" wait --title "$1" --timeout 30) || true
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

start "CallJavaCode, no main" -- init QUILLET cjc lanyardtest/NoMain "x"
box "JVM start failure" $'title: JVM start failure\nicon: error\ntext: Unable to find static method\nbutton: OK (default)'
finish_run
expect_rc 1
expect_out '%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "Can't find static method main"

# Class names of 5,000 and 300,000 characters: the box shows the whole name (the second used to
# end the process inside Xlib, losing the output and the exit code that follow the box).
for count in 5000 300000; do
  start "CallJavaCode, a class name of $count characters" -- init QUILLET cjc-long "$count" ""
  name=$(head -c "$count" /dev/zero | tr '\0' x)
  box "JVM start failure" "title: JVM start failure"$'\n'"icon: error"$'\n'"text: Unable to find class $name"$'\n'"button: OK (default)"
  finish_run
  expect_rc 1
  expect_out '%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "Can't find class $name"
done

finish
