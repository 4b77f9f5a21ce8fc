#!/usr/bin/env bash
# The Windows files as they ship, read with objdump (no Wine, so these run on every machine):
# both of the tree's word size; quillet.exe a GUI program; lanyard.dll exporting the nine names
# undecorated; neither needing any DLL but the system's (and lanyard.dll jvm.dll).
# Usage: pe_files.sh OBJDUMP FORMAT QUILLET_EXE LANYARD_DLL   (FORMAT: pei-i386 or pei-x86-64)
set -u
objdump=$1 format=$2 quillet=$3 lanyard=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL [$file]: $*"; failures=$((failures + 1)); }
system_dlls='kernel32|user32|gdi32|advapi32|msvcrt'

# Leaves the file's private headers in $work/headers and its imported DLLs, lower case, sorted,
# in $work/imports.
read_file() {
  file=$(basename "$1")
  "$objdump" -p "$1" >"$work/headers" 2>"$work/err" || { fail "objdump failed: $(cat "$work/err")"; return 1; }
  grep -q "file format $format\$" "$work/headers" ||
    fail "not $format: $(grep -o 'file format .*' "$work/headers")"
  sed -n 's/^\s*DLL Name: //p' "$work/headers" | tr 'A-Z' 'a-z' | sort >"$work/imports"
}

if read_file "$quillet"; then
  grep -q 'Subsystem.*(Windows GUI)' "$work/headers" || fail "not a GUI program (a console window would open)"
  others=$(grep -vxE "($system_dlls)\.dll" "$work/imports")
  [ -z "$others" ] || fail "needs DLLs beyond the system's: $others"
fi

if read_file "$lanyard"; then
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/headers" |
    sed -n 's/^\s*\[ *[0-9]*\] //p' >"$work/exports"
  printf '%s\n' CallJavaCode CallJavaCodeMP DestroyJVM DymCallJavaCode DymCallJavaCodeMP \
    DymInitializeJVM DymSetRTNPtr InitializeJVM Java_com_obel_dorntools_quillet_CReturn_setRC \
    >"$work/expected"
  cmp -s "$work/expected" "$work/exports" || { fail "exports differ:"; cat "$work/exports"; }
  grep -qx jvm.dll "$work/imports" || fail "jvm.dll is not imported"
  others=$(grep -vxE "jvm\.dll|($system_dlls)\.dll" "$work/imports")
  [ -z "$others" ] || fail "needs DLLs beyond the system's and jvm.dll: $others"
fi

[ "$failures" = 0 ] && echo "all checks passed"
[ "$failures" = 0 ]
