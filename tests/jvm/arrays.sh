# The String[] that main receives: cut at every comma by the MP entry points, one element (or
# null) by CallJavaCode, "0" by DymCallJavaCode; and each entry point's answer.
source "$(dirname "$0")/lib.sh"
unpack_classes "$work"

# The plain entry point may run main again and again; the launcher's ends the process as java
# would once the application is over: here when the host has said what the last call answered
# and releases Echo's hold.
run "comma fields" LANYARDTEST_HOLD=released -- init QUILLET \
  mp-plain lanyardtest/Echo "a,b,c" \
  mp-plain lanyardtest/Echo "" \
  mp-plain lanyardtest/Echo ",a" \
  mp-plain lanyardtest/Echo "a," \
  mp-plain lanyardtest/Echo "," \
  mp-plain lanyardtest/Echo " a , b " \
  mp-plain-null-args lanyardtest/Echo \
  mp lanyardtest/Echo "~CVersion" \
  touch released wait 30 say "not reached"
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" \
  "args: 3" "arg 0: [a]" "arg 1: [b]" "arg 2: [c]" "CallJavaCodeMP returned 1" \
  "args: 1" "arg 0: []" "CallJavaCodeMP returned 1" \
  "args: 2" "arg 0: []" "arg 1: [a]" "CallJavaCodeMP returned 1" \
  "args: 2" "arg 0: [a]" "arg 1: []" "CallJavaCodeMP returned 1" \
  "args: 2" "arg 0: []" "arg 1: []" "CallJavaCodeMP returned 1" \
  "args: 2" "arg 0: [ a ]" "arg 1: [ b ]" "CallJavaCodeMP returned 1" \
  "args: 1" "arg 0: []" "CallJavaCodeMP returned 1" \
  "args: 1" "arg 0: [~CVersion]" "DymCallJavaCodeMP returned 1"

run "one element" -- init QUILLET \
  cjc lanyardtest/Echo "a,b,c" \
  cjc lanyardtest/Echo "" \
  cjc lanyardtest/Echo " " \
  dcj lanyardtest/Echo
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" \
  "args: 1" "arg 0: [a,b,c]" "CallJavaCode returned 1" \
  "args: 1" "arg 0: null" "CallJavaCode returned 1" \
  "args: 1" "arg 0: [ ]" "CallJavaCode returned 1" \
  "args: 1" "arg 0: [0]" "DymCallJavaCode returned" \
  "host done"

# Many fields: each element's local reference must be released as the array is filled (the
# checked JNI reports a frame that outgrows its capacity). Element bytes are handed over as
# they are: UTF-8 text arrives as its characters.
many=$(seq -s, -f 'f%g' 0 999)
run "many fields" -- init QUILLET mp-plain lanyardtest/Echo "$many" mp-plain lanyardtest/Echo $'\xc3\xa9t\xc3\xa9,\xe2\x82\xac'
expect_rc 0
expect_line "args: 1000"
expect_line "arg 0: [f0]"
expect_line "arg 999: [f999]"
expect_line "arg 0: [été] U+00E9 U+00E9"
expect_line "arg 1: [€] U+20AC"

finish
