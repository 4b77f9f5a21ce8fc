# The String[] that main receives: cut at every comma by the MP entry points, one element (or
# null) by CallJavaCode, "0" by DymCallJavaCode; and each entry point's answer.
source "$(dirname "$0")/lib.sh"
unpack_classes "$work"

run "comma fields" -- init QUILLET \
  mp lanyardtest/Echo "~CVersion" \
  mp lanyardtest/Echo "a,b,c" \
  mp lanyardtest/Echo "" \
  mp lanyardtest/Echo ",a" \
  mp lanyardtest/Echo "a," \
  mp lanyardtest/Echo "," \
  mp lanyardtest/Echo " a , b " \
  mp-null-args lanyardtest/Echo \
  mp-plain lanyardtest/Echo "x,y"
expect_rc 0
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" \
  "args: 1" "arg 0: [~CVersion]" "DymCallJavaCodeMP returned 1" \
  "args: 3" "arg 0: [a]" "arg 1: [b]" "arg 2: [c]" "DymCallJavaCodeMP returned 1" \
  "args: 1" "arg 0: []" "DymCallJavaCodeMP returned 1" \
  "args: 2" "arg 0: []" "arg 1: [a]" "DymCallJavaCodeMP returned 1" \
  "args: 2" "arg 0: [a]" "arg 1: []" "DymCallJavaCodeMP returned 1" \
  "args: 2" "arg 0: []" "arg 1: []" "DymCallJavaCodeMP returned 1" \
  "args: 2" "arg 0: [ a ]" "arg 1: [ b ]" "DymCallJavaCodeMP returned 1" \
  "args: 1" "arg 0: []" "DymCallJavaCodeMP returned 1" \
  "args: 2" "arg 0: [x]" "arg 1: [y]" "CallJavaCodeMP returned 1" \
  "host done"

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
run "many fields" -- init QUILLET mp lanyardtest/Echo "$many" mp lanyardtest/Echo $'\xc3\xa9t\xc3\xa9,\xe2\x82\xac'
expect_rc 0
expect_line "args: 1000"
expect_line "arg 0: [f0]"
expect_line "arg 999: [f999]"
expect_line "arg 0: [été] U+00E9 U+00E9"
expect_line "arg 1: [€] U+20AC"

finish
