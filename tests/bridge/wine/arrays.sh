# The String[] that main receives, as the stand-in's main records it: cut at every comma by the
# MP entry points, one element (null for an empty string) by CallJavaCode, "0" by
# DymCallJavaCode; and each entry point's answer. The last call's end of the process waits for
# Echo's hold, which the host releases once it has said what that call answered.
source "$(dirname "$0")/lib.sh"

run "arrays" JVMSTUB_HOLD=released -- load init QUILLET \
  mp-plain stub/Echo "a,b,c" mp-plain stub/Echo "" mp-plain stub/Echo ",a" \
  mp-plain stub/Echo "a," mp-plain stub/Echo "," mp-plain stub/Echo " a , b " mp-plain-null-args stub/Echo \
  cjc stub/Echo "a,b,c" cjc stub/Echo "" dcj stub/Echo \
  mp stub/Echo "~CVersion" touch released wait 30 say "not reached"
expect_rc 0
expect_log '^main ' \
  'main stub/Echo [3] "a" "b" "c"' \
  'main stub/Echo [1] ""' \
  'main stub/Echo [2] "" "a"' \
  'main stub/Echo [2] "a" ""' \
  'main stub/Echo [2] "" ""' \
  'main stub/Echo [2] " a " " b "' \
  'main stub/Echo [1] ""' \
  'main stub/Echo [1] "a,b,c"' \
  'main stub/Echo [1] null' \
  'main stub/Echo [1] "0"' \
  'main stub/Echo [1] "~CVersion"'
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" \
  "CallJavaCodeMP returned 1" "CallJavaCodeMP returned 1" "CallJavaCodeMP returned 1" \
  "CallJavaCodeMP returned 1" "CallJavaCodeMP returned 1" "CallJavaCodeMP returned 1" \
  "CallJavaCodeMP returned 1" \
  "CallJavaCode returned 1" "CallJavaCode returned 1" "DymCallJavaCode returned" \
  "DymCallJavaCodeMP returned 1"
# The launcher's entry point detaches the host's thread and leaves the VM to end the process.
expect_log 'Thread|^DestroyJavaVM' 'DetachCurrentThread' 'DestroyJavaVM'

finish
