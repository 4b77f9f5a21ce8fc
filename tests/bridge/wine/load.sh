# lanyard.dll loads only when jvm.dll's directory is on PATH, and loaded alone it creates no VM.
# (Its export table and imports: tests/pe_files.sh.)
source "$(dirname "$0")/lib.sh"

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
