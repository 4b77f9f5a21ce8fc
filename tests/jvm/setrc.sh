# The return-code channel against a real window and event loop on a display of the test's own:
# setRC from one and from 16 Java threads, every event dispatched and counted by the window's
# command handler; no window registered; the window gone.
if [ -z "${LANYARD_TEST_DISPLAY:-}" ]; then
  LANYARD_TEST_DISPLAY=1 exec "$(dirname "$0")/../rig/with-xvfb" -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
unpack_classes "$work"

run "one call" -- window init QUILLET mp-plain lanyardtest/SetRC "1,1" events 1 10
expect_rc 0
expect_line "DymSetRTNPtr returned the window"
expect_line "setRC returned 1 times"
expect_line "commands 1104: 1, other commands: 0"

# A second registration replaces the first: the events go to the new window only.
run "second window" -- window init QUILLET window mp-plain lanyardtest/SetRC "1,5" events 5 10
expect_rc 0
expect_line "commands 1104: 5, other commands: 0"
expect_line "by window: 0 5"

# Posting from many threads at once: none lost, none doubled. The events wait in the queue
# while main runs (the loop is not running) and are all dispatched afterwards.
run "16 threads" -- window init QUILLET mp-plain lanyardtest/SetRC "16,250" events 4000 60
expect_rc 0
expect_line "setRC returned 4000 times"
expect_line "commands 1104: 4000, other commands: 0"

# No window registered (never, or registered and then replaced by null): nothing is posted
# and Java sees no error.
run "no window" -- init QUILLET mp-plain lanyardtest/SetRC "2,5" window register-null \
  mp-plain lanyardtest/SetRC "1,3" events 0 1
expect_rc 0
expect_line "setRC returned 10 times"
expect_line "DymSetRTNPtr returned null"
expect_line "setRC returned 3 times"
expect_line "commands 1104: 0, other commands: 0"
expect_no_line "setRC threw"

# The registered window's platform window is gone: the failure to post reaches the Java
# caller as an exception with the class library's text, and the process goes on.
run "window gone" -- window close-window init QUILLET mp-plain lanyardtest/SetRC "2,2" say "still running"
expect_rc 0
expect_out '%s\n' "$loaded" "$(sed -n 2p "$work/$last.out")" "DymSetRTNPtr returned the window" \
  "window closed" "DymInitializeJVM returned" \
  "setRC threw java.lang.IllegalStateException: WinPostMsg:No error text is available." \
  "setRC threw java.lang.IllegalStateException: WinPostMsg:No error text is available." \
  "setRC threw java.lang.IllegalStateException: WinPostMsg:No error text is available." \
  "setRC threw java.lang.IllegalStateException: WinPostMsg:No error text is available." \
  "setRC returned 0 times" "CallJavaCodeMP returned 1" "still running" "host done"

finish
