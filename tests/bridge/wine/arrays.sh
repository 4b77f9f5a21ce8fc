# The String[] that main receives, as the stand-in's main records it: cut at every comma by the
# MP entry points, one element (null for an empty string) by CallJavaCode, "0" by
# DymCallJavaCode; and each entry point's answer.
source "$(dirname "$0")/lib.sh"

run "arrays" -- load init QUILLET \
  mp stub/Echo "~CVersion" mp stub/Echo "a,b,c" mp stub/Echo "" mp stub/Echo ",a" \
  mp stub/Echo "a," mp stub/Echo "," mp stub/Echo " a , b " mp-null-args stub/Echo \
  mp-plain stub/Echo "x,y" \
  cjc stub/Echo "a,b,c" cjc stub/Echo "" dcj stub/Echo
expect_rc 0
expect_log '^main ' \
  'main stub/Echo [1] "~CVersion"' \
  'main stub/Echo [3] "a" "b" "c"' \
  'main stub/Echo [1] ""' \
  'main stub/Echo [2] "" "a"' \
  'main stub/Echo [2] "a" ""' \
  'main stub/Echo [2] "" ""' \
  'main stub/Echo [2] " a " " b "' \
  'main stub/Echo [1] ""' \
  'main stub/Echo [2] "x" "y"' \
  'main stub/Echo [1] "a,b,c"' \
  'main stub/Echo [1] null' \
  'main stub/Echo [1] "0"'
expect_out '%s\n' "$loaded" "DymInitializeJVM returned" \
  "DymCallJavaCodeMP returned 1" "DymCallJavaCodeMP returned 1" "DymCallJavaCodeMP returned 1" \
  "DymCallJavaCodeMP returned 1" "DymCallJavaCodeMP returned 1" "DymCallJavaCodeMP returned 1" \
  "DymCallJavaCodeMP returned 1" "DymCallJavaCodeMP returned 1" "CallJavaCodeMP returned 1" \
  "CallJavaCode returned 1" "CallJavaCode returned 1" "DymCallJavaCode returned" "host done"

# The array is made with every element set to the first field, then the others are stored.
run "array steps" -- load init QUILLET mp stub/Echo "a,b,c"
expect_log '^(Find|Get|New|Set|Call)' \
  'FindClass stub/Echo' 'GetStaticMethodID stub/Echo main ([Ljava/lang/String;)V' \
  'FindClass java/lang/String' 'NewStringUTF "a"' 'NewObjectArray 3 <java/lang/String> "a"' \
  'NewStringUTF "b"' 'SetObjectArrayElement 1 "b"' 'NewStringUTF "c"' \
  'SetObjectArrayElement 2 "c"' 'CallStaticVoidMethod stub/Echo'

finish
