# The fatal paths without a display (the box goes to standard error): box, then the text on
# standard output, then the VM destroyed (describing the runtime's pending error), exit code 1.
# Also DestroyJVM after a main that throws, and the entry points after it.
source "$(dirname "$0")/lib.sh"
unpack_classes "$work"
picked="Picked up JAVA_TOOL_OPTIONS: -Xcheck:jni"

# CallJavaCodeMP: line ends, and the box's own texts (two blanks in the second).
run "MP, missing class" -- init QUILLET mp lanyardtest/Missing "a,b" say "not reached"
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Can't find class lanyardtest/Missing"
expect_err_line "JVM create: Can't find class"
expect_err_order "JVM create: Can't find class" 'Exception in thread "main" java.lang.NoClassDefFoundError: lanyardtest/Missing'

for class in NoMain InstanceMain OtherMain; do
  run "MP, $class" -- init QUILLET mp lanyardtest/$class "" say "not reached"
  expect_rc 1
  expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Can't find static method main"
  expect_err_order "JVM create: Can't find static  method" 'Exception in thread "main" java.lang.NoSuchMethodError'
  expect_no_line "must not be called"
done

# CallJavaCode: no line ends; the class name runs straight into the argument string.
run "CallJavaCode, missing class" -- init QUILLET cjc lanyardtest/Missing "a,b" say "not reached"
expect_rc 1
expect_out "%s\n%s\n%s" "$loaded" "DymInitializeJVM returned" "Can't find class lanyardtest/Missinga,b"
expect_err_order "JVM start failure: Unable to find class lanyardtest/Missing" 'Exception in thread "main" java.lang.NoClassDefFoundError'

run "CallJavaCode, no main" -- init QUILLET cjc lanyardtest/InstanceMain "" say "not reached"
expect_rc 1
expect_out "%s\n%s\n%s" "$loaded" "DymInitializeJVM returned" "Can't find static method main"
expect_err_order "JVM start failure: Unable to find static method" 'Exception in thread "main" java.lang.NoSuchMethodError'

run "DymCallJavaCode, missing class" -- init QUILLET dcj lanyardtest/Missing say "not reached"
expect_rc 1
expect_out "%s\n%s\n%s" "$loaded" "DymInitializeJVM returned" "Can't find class lanyardtest/Missing0"
expect_err_line "JVM start failure: Unable to find class lanyardtest/Missing"

# A null class name names no class; it is not handed to the runtime.
run "MP, null class" -- init QUILLET mp-null-class "a" say "not reached"
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Can't find class "
expect_err_line "JVM create: Can't find class"
run "DymCallJavaCode, null class" -- init QUILLET dcj-null say "not reached"
expect_rc 1
expect_out "%s\n%s\n%s" "$loaded" "DymInitializeJVM returned" "Can't find class 0"

# A main that throws: the call still answers 1; DestroyJVM describes the exception, and after
# it the VM is gone for every entry point.
run "main throws, then DestroyJVM" -- init QUILLET mp-plain lanyardtest/Throws "" destroy destroy \
  mp lanyardtest/Echo "" say "not reached"
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Throws.main runs" \
  "CallJavaCodeMP returned 1" "DestroyJVM returned 0" "DestroyJVM returned -1" \
  "No Java VM to run class lanyardtest/Echo"
expect_err_text 'Exception in thread "main" java.lang.IllegalStateException: thrown by main'

# A later run first describes the exception that the earlier main left pending.
run "main throws, then another main" -- init QUILLET mp-plain lanyardtest/Throws "" mp-plain lanyardtest/Echo "x"
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Throws.main runs" \
  "CallJavaCodeMP returned 1" "args: 1" "arg 0: [x]" "CallJavaCodeMP returned 1" "host done"
expect_err_text 'Exception in thread "main" java.lang.IllegalStateException: thrown by main'

# The launcher's entry point ends the process as java does: the exception described at once,
# and the status 1 once nothing of the application is left.
run "main throws through the launcher's entry point" LANYARDTEST_HOLD=released -- init QUILLET \
  mp lanyardtest/Throws "" touch released wait 30 say "not reached"
expect_rc 1
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "Throws.main runs" "DymCallJavaCodeMP returned 1"
expect_err_text 'Exception in thread "main" java.lang.IllegalStateException: thrown by main'

# After the launcher's entry point has handed the VM to the application's end, which destroys it
# once the application's held thread is gone, nothing else may destroy it. A fatal path still
# shows its box, prints its text and the pending error, and ends the process with 1 at once,
# without waiting for the application.
start "fatal path after the hand-over" LANYARDTEST_HOLD=$work/never -- init QUILLET \
  mp lanyardtest/Echo "" cjc lanyardtest/Missing "" say "not reached"
finish_run_within 30
expect_rc 1
expect_out '%s\n%s\n%s\n%s\n%s\n%s' "$loaded" "DymInitializeJVM returned" "args: 1" "arg 0: []" \
  "DymCallJavaCodeMP returned 1" "Can't find class lanyardtest/Missing"
expect_err_order "JVM start failure: Unable to find class lanyardtest/Missing" \
  'Exception in thread "main" java.lang.NoClassDefFoundError: lanyardtest/Missing'
# DestroyJVM answers that there is no VM for it to destroy, and the application's end still ends
# the process with java's status once the held thread is released.
start "DestroyJVM after the hand-over" LANYARDTEST_HOLD=released -- init QUILLET \
  mp lanyardtest/Echo "" destroy touch released wait 30 say "not reached"
finish_run_within 30
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" "args: 1" "arg 0: []" \
  "DymCallJavaCodeMP returned 1" "DestroyJVM returned -1"

# With nothing pending DestroyJVM prints nothing.
run "DestroyJVM, nothing pending" -- init QUILLET mp-plain lanyardtest/Echo "" destroy
expect_rc 0
expect_line "DestroyJVM returned 0"
[ "$(cat "$work/$last.err")" = "$picked" ] || { fail "DestroyJVM printed something"; show; }

finish
