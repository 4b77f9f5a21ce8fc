# setRC posting the return-code event to a real Win32 window: WM_COMMAND with 1104 and 0 as the
# window's thread takes it from its queue, from one and from 16 threads of the stand-in's main;
# a Java exception when the window is gone.
source "$(dirname "$0")/lib.sh"

handle_of() { sed -n "s/^window $1 handle //p" "$work/$last.out"; }

run "one call" -- load window init QUILLET mp-plain stub/SetRC "" events 1 20
expect_rc 0
expect_line "commands 1104: 1, other commands: 0"
expect_log '^WM_COMMAND' "WM_COMMAND hwnd=$(handle_of 1) wParam=0x450 lParam=0x0"

run "16 threads" JVMSTUB_SETRC_THREADS=16 JVMSTUB_SETRC_CALLS=50 -- \
  load window init QUILLET mp-plain stub/SetRC "" events 800 60
expect_rc 0
expect_line "commands 1104: 800, other commands: 0"
{ grep '^WM_COMMAND' "$log" || true; } | sort | uniq -c | sed 's/^ *//' >"$work/got"
[ "$(cat "$work/got")" = "800 WM_COMMAND hwnd=$(handle_of 1) wParam=0x450 lParam=0x0" ] ||
  { fail "the window did not take 800 identical events:"; cat "$work/got"; }
expect_log '^setRC threw'

# The failure to post reaches the caller as a Java exception with the class library's text;
# nothing unwinds through the stand-in, and the process goes on.
text="WinPostMsg:No error text is available."
run "window gone" JVMSTUB_SETRC_CALLS=2 -- load window close-window init QUILLET mp-plain stub/SetRC "" say alive
expect_rc 0
expect_line "window closed"
expect_line "alive"
expect_log '^(ThrowNew|setRC threw)' "ThrowNew java/lang/IllegalStateException $text" \
  "setRC threw java/lang/IllegalStateException: $text" "ThrowNew java/lang/IllegalStateException $text" \
  "setRC threw java/lang/IllegalStateException: $text"

finish
