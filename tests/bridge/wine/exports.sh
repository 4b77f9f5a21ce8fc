# lanyard.dll's export table (the nine names, undecorated), the DLLs it needs (system DLLs and
# jvm.dll alone), and that it loads only when jvm.dll's directory is on PATH.
source "$(dirname "$0")/lib.sh"

last="export table"
"$OBJDUMP" -p "$LANYARD_DLL" >"$work/objdump" || fail "objdump failed"
sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/objdump" | sed -n 's/^\s*\[ *[0-9]*\] //p' >"$work/exports"
printf '%s\n' CallJavaCode CallJavaCodeMP DestroyJVM DymCallJavaCode DymCallJavaCodeMP \
  DymInitializeJVM DymSetRTNPtr InitializeJVM Java_com_obel_dorntools_quillet_CReturn_setRC \
  >"$work/expected"
cmp -s "$work/expected" "$work/exports" || { fail "exports differ:"; cat "$work/exports"; }

last="imported DLLs"
sed -n 's/^\s*DLL Name: //p' "$work/objdump" | tr 'A-Z' 'a-z' | sort >"$work/imports"
grep -qx jvm.dll "$work/imports" || fail "jvm.dll is not imported"
unexpected=$(grep -vxE 'jvm.dll|kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll' "$work/imports")
[ -z "$unexpected" ] || fail "needs DLLs beyond the system's: $unexpected"

stub_on_path=0
run "without jvm.dll on PATH" -- load say "not reached"
expect_rc 2
grep -q "^host failed: " "$work/$last.out" || { fail "the load did not fail"; show; }
[ ! -e "$log" ] || fail "the stand-in was reached"

# Loaded and left: no VM is created and nothing is shown.
stub_on_path=1
run "with jvm.dll on PATH" -- load
expect_rc 0
expect_out '%s\n' "$loaded" "host done"
[ ! -e "$log" ] || { fail "a VM was created:"; cat "$log"; }

finish
