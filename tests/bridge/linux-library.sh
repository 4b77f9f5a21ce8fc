# liblanyard.so as the launcher finds it: exactly the nine entry points exported and no copy of
# the class library inside (it uses the shared one beside it, found through $ORIGIN alone),
# libjvm.so needed without any search path into this machine's JDK, so that it loads only when
# the runtime's directory is on PATH; loaded and left, it creates no VM and shows nothing;
# without a VM the entry points refuse or end the process, and never touch a null environment.
# No VM is created here, so this also runs with the sanitizers.
# Usage: linux-library.sh HOST BRIDGE_DIR JDK_HOME
set -euo pipefail
source "$(dirname "$0")/../rig/procs.sh"
source "$(dirname "$0")/checks.sh"
host=$1 bridge_dir=$2 jdk=$3
library=$bridge_dir/liblanyard.so
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'

last="exported symbols"
nm -D --defined-only "$library" | awk '{print $3}' | sort >"$work/exports"
printf '%s\n' CallJavaCode CallJavaCodeMP DestroyJVM DymCallJavaCode DymCallJavaCodeMP \
  DymInitializeJVM DymSetRTNPtr InitializeJVM Java_com_obel_dorntools_quillet_CReturn_setRC \
  >"$work/expected"
cmp -s "$work/expected" "$work/exports" || { fail "exports differ:"; cat "$work/exports"; }

last="dynamic section"
readelf -d "$library" >"$work/dynamic"
grep -q 'NEEDED.*\[libjvm.so\]' "$work/dynamic" || fail "libjvm.so is not needed"
grep -q 'NEEDED.*\[libclasslib.so\]' "$work/dynamic" || fail "the shared class library is not needed"
paths=$(grep -E 'RPATH|RUNPATH' "$work/dynamic" | sed 's/.*\[\(.*\)\]$/\1/') || true # (none: judged below)
[ "$paths" = '$ORIGIN' ] || fail "the library's search path is '$paths', not \$ORIGIN alone"
# The class library's code lives in libclasslib.so only, once in the process: a few of its
# functions that no header defines must not be in the bridge.
nm -C --defined-only "$library" >"$work/defined"
for f in 'IString::IString(char const\*)' 'IMessageBox::show(' 'IX11::awaitPreparation()' \
         'IEnvironment::setVariable('; do
  grep -q " $f" "$work/defined" && fail "the bridge has its own copy of $f"
done

# Sanitizer builds: loading libjvm.so runs the JVM's static initialisers, whose allocations the
# leak checker would report; a sanitizer's own finding exits with 23, not with the bridge's 1.
# A host that has not ended after two minutes is ended, with timeout's status 124.
run() {
  last=$1
  shift
  local rc=0
  (cd "$work" && env -u LD_LIBRARY_PATH -u JAVA_TOOL_OPTIONS -u _JAVA_OPTIONS -u DISPLAY \
     ASAN_OPTIONS=detect_leaks=0:exitcode=23 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=23 \
     timeout -k 10 120 "$host" "$@" \
     >"$work/$last.out" 2>"$work/$last.err" </dev/null) || rc=$?
  echo "$rc" >"$work/$last.rc"
}

run "runtime not on PATH" path "$bridge_dir" load say "not reached"
expect_rc 2
grep -q '^host failed: ' "$work/$last.out" || { fail "the library loaded"; show; }

run "runtime on PATH" path "$bridge_dir" path "$jdk/lib/server" load
expect_rc 0
expect_out '%s\n' "loaded $library" "host done"
[ ! -s "$work/$last.err" ] || { fail "something was shown"; show; }

# No VM: DestroyJVM refuses, a window can be registered and unregistered, running a class ends
# the process with the box (on standard error without a display) and the text.
run "no VM" path "$bridge_dir" path "$jdk/lib/server" load destroy register-null \
  mp lanyardtest/Echo "a" say "not reached"
expect_rc 1
expect_out '%s\n' "loaded $library" "DestroyJVM returned -1" "DymSetRTNPtr returned null" \
  "No Java VM to run class lanyardtest/Echo"
[ "$(cat "$work/$last.err")" = "JVM create: The Java VM has not been created" ] || { fail "standard error"; show; }

run "no VM, CallJavaCode" path "$bridge_dir" path "$jdk/lib/server" load dcj lanyardtest/Echo
expect_rc 1
expect_out '%s\n%s' "loaded $library" "No Java VM to run class lanyardtest/Echo"
[ "$(cat "$work/$last.err")" = "JVM start failure: The Java VM has not been created" ] || { fail "standard error"; show; }

finish
