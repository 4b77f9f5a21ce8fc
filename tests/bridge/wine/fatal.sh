# The fatal paths under Windows: the box (read and pressed), then the text on standard output,
# then the VM destroyed with its pending error described, then exit code 1. Also DestroyJVM
# after a main that throws, and both after the hand-over to the application's end.
source "$(dirname "$0")/lib.sh"

# box TITLE TEXT: the single-OK error box of every fatal path.
error_box() {
  box "$1" "title: $1"$'\n'"icon: error"$'\n'"text: $2"$'\n'"button: OK (default)"
}
described=('ExceptionDescribe java/lang/NoClassDefFoundError' 'DestroyJavaVM')

start "creation failure" JVMSTUB_CREATE_RESULT=-1 -- load init QUILLET say "not reached"
error_box "JVM create failure" "Unable to create the Obel JVM"
finish_run
expect_rc 1
expect_out '%s\n%s' "$loaded" "Unable to create the Java VM"
[ -z "$(grep -E 'Destroy|^Exception' "$log")" ] || fail "a VM that was not created was destroyed"

start "MP, missing class" -- load init QUILLET mp stub/Missing "a" say "not reached"
error_box "JVM create" "Can't find class"
finish_run
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Can't find class stub/Missing"
expect_log 'Destroy|^Exception' "${described[@]}"
expect_err_line 'Exception in thread "main" java.lang.NoClassDefFoundError: stub/Missing'

start "CallJavaCode, missing class" -- load init QUILLET cjc stub/Missing "a,b" say "not reached"
error_box "JVM start failure" "Unable to find class stub/Missing"
finish_run
expect_rc 1
expect_out '%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "Can't find class stub/Missinga,b"
expect_log 'Destroy|^Exception' "${described[@]}"

# No box: main's exception stays pending until DestroyJVM describes it; afterwards there is
# no VM to destroy.
run "main throws, then DestroyJVM" -- load init QUILLET mp-plain stub/Throws "" destroy destroy
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "CallJavaCodeMP returned 1" \
  "DestroyJVM returned 0" "DestroyJVM returned -1" "host done"
expect_log 'Destroy|^Exception' 'ExceptionDescribe java/lang/RuntimeException' 'DestroyJavaVM'
expect_err_line 'Exception in thread "main" java.lang.RuntimeException: thrown by main'

# After the launcher's entry point has handed the VM to the application's end, which destroys it
# once the held thread is gone, nothing else may call DestroyJavaVM. A fatal path on the host's
# thread (attached again for the call) still shows its box, prints its text and the pending
# error, and ends the process with 1 at once; DestroyJVM answers -1 and the application's end
# still ends the process.
start "fatal path after the hand-over" JVMSTUB_HOLD=never -- load init QUILLET mp stub/Echo "" \
  cjc stub/Missing "a" say "not reached"
error_box "JVM start failure" "Unable to find class stub/Missing"
finish_run
expect_rc 1
expect_out '%s\n%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "DymCallJavaCodeMP returned 1" \
  "Can't find class stub/Missinga"
expect_log 'Thread|Destroy|^Exception|^MISUSE' 'DetachCurrentThread' 'AttachCurrentThread main' \
  'ExceptionDescribe java/lang/NoClassDefFoundError'
expect_err_line 'Exception in thread "main" java.lang.NoClassDefFoundError: stub/Missing'

run "DestroyJVM after the hand-over" JVMSTUB_HOLD=released -- load init QUILLET mp stub/Echo "" \
  destroy touch released wait 30 say "not reached"
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "DymCallJavaCodeMP returned 1" \
  "DestroyJVM returned -1"
expect_log 'Thread|Destroy|^MISUSE' 'DetachCurrentThread' 'DestroyJavaVM'

finish
