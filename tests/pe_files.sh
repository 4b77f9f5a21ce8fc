#!/usr/bin/env bash
# The Windows files as they ship, read with objdump (no Wine, so these run on every machine):
# both of the tree's word size; quillet.exe a GUI program, no larger than its budget; lanyard.dll
# exporting the nine names undecorated; neither needing any DLL but the system's (and
# lanyard.dll jvm.dll).
# Usage: pe_files.sh OBJDUMP FORMAT QUILLET_EXE LANYARD_DLL [QUILLET_LIMIT_KIB]
#   FORMAT: pei-i386 or pei-x86-64. QUILLET_LIMIT_KIB: the most code and data quillet.exe may
#   have, in KiB (1024 bytes), as code_size measures it; none: the size is printed, not checked.
set -euo pipefail
objdump=$1 format=$2 quillet=$3 lanyard=$4 limit_kib=${5:-}
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

# The code and data that the program brings into memory, in bytes: the virtual sizes of the
# sections the loader maps (every section but the debugger's, so a stripped file measures the
# same), less the splash's picture (bitmap 1004), whose size the picture decides, not the code.
# Sets code, image and bitmap.
code_size() {
  image=$("$objdump" -h "$1" | awk '
    function hex(h,   i, v) { v = 0; h = tolower(h)
      for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
      return v }
    /^ *[0-9]+ [^ ]/ { size = hex($3); next }
    size != "" { if (/ALLOC/ && !/DEBUGGING/) total += size; size = "" }
    END { print total + 0 }')
  # The resource directory as objdump prints it: a type entry (RT_BITMAP is 2), its names (1004
  # is 0x3ec) each with a language, and the leaf with the data's size. The depth shows in the
  # indentation after the entry's offset.
  bitmap=$("$objdump" -p "$1" | awk '
    function hex(h,   i, v) { v = 0; h = tolower(h); sub(/^0x/, "", h); sub(/,$/, "", h)
      for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
      return v }
    /Resource Directory section/ { on = 1; next }
    !on { next }
    /^[0-9a-f]+   Entry: ID:/ { type = hex($4) }
    /^[0-9a-f]+     Entry: ID:/ { name = hex($4) }
    /^[0-9a-f]+        Leaf:/ { if (type == 2 && name == 1004) print hex($6) }')
  [ -n "$bitmap" ] || { fail "no bitmap resource 1004 (the splash's picture)"; return 1; }
  code=$((image - bitmap))
}

if read_file "$quillet"; then
  grep -q 'Subsystem.*(Windows GUI)' "$work/headers" || fail "not a GUI program (a console window would open)"
  others=$(grep -vxE "($system_dlls)\.dll" "$work/imports") || true # (none: the answer wanted)
  [ -z "$others" ] || fail "needs DLLs beyond the system's: $others"
  if code_size "$quillet"; then
    figure="$code bytes of code and data ($((code * 10 / 1024 / 10)).$((code * 10 / 1024 % 10)) KiB; the sections $image bytes, the splash's bitmap $bitmap)"
    if [ -z "$limit_kib" ]; then
      echo "$file: $figure"
    elif [ "$code" -gt $((limit_kib * 1024)) ]; then
      fail "$figure: over the limit of $limit_kib KiB"
    else
      echo "$file: $figure, within $limit_kib KiB"
    fi
  fi
fi

if read_file "$lanyard"; then
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/headers" |
    sed -n 's/^\s*\[ *[0-9]*\] //p' >"$work/exports"
  printf '%s\n' CallJavaCode CallJavaCodeMP DestroyJVM DymCallJavaCode DymCallJavaCodeMP \
    DymInitializeJVM DymSetRTNPtr InitializeJVM Java_com_obel_dorntools_quillet_CReturn_setRC \
    >"$work/expected"
  cmp -s "$work/expected" "$work/exports" || { fail "exports differ:"; cat "$work/exports"; }
  grep -qx jvm.dll "$work/imports" || fail "jvm.dll is not imported"
  others=$(grep -vxE "jvm\.dll|($system_dlls)\.dll" "$work/imports") || true
  [ -z "$others" ] || fail "needs DLLs beyond the system's and jvm.dll: $others"
fi

[ "$failures" = 0 ] && echo "all checks passed"
[ "$failures" = 0 ] || exit 1
