# Shared part of the JVM tests: the host run in a scratch directory with the runtime's and the
# bridge's directories put on PATH by the host itself (as the launcher does), -Xcheck:jni for
# every VM, and the checks of what each run printed and its exit status.
# Usage from a test: source lib.sh HOST BRIDGE_DIR TEST_JAR JDK_HOME
set -u
host=$1 bridge_dir=$2 test_jar=$3 jdk=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
last=
cwd=$work # the current directory of the next run
loaded="loaded $bridge_dir/liblanyard.so" # the host's first line

fail() {
  echo "FAIL [$last]: $*"
  failures=$((failures + 1))
}

# run NAME [ENV=VALUE...] -- STEPS...: runs the host in $work (no display unless the caller
# has one, no LD_LIBRARY_PATH) and keeps NAME.out, NAME.err and NAME.rc.
run() {
  last=$1
  shift
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  (cd "$cwd" && env -u LD_LIBRARY_PATH JAVA_TOOL_OPTIONS=-Xcheck:jni "${vars[@]}" \
     "$host" path "$bridge_dir" path "$jdk/lib/server" load "$@" \
     >"$work/$last.out" 2>"$work/$last.err" </dev/null)
  echo $? >"$work/$last.rc"
  no_jni_warnings
}

# start NAME [ENV=VALUE...] -- STEPS...: like run, in the background; then finish_run.
start() {
  last=$1
  shift
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  (cd "$cwd" && exec env -u LD_LIBRARY_PATH JAVA_TOOL_OPTIONS=-Xcheck:jni "${vars[@]}" \
     "$host" path "$bridge_dir" path "$jdk/lib/server" load "$@" \
     >"$work/$last.out" 2>"$work/$last.err" </dev/null) &
  started=$!
}

finish_run() {
  wait "$started"
  echo $? >"$work/$last.rc"
  no_jni_warnings
}

show() {
  echo "--- $last: exit $(cat "$work/$last.rc"); standard output:"
  cat "$work/$last.out"
  echo "--- standard error:"
  cat "$work/$last.err"
  echo "---"
}

expect_rc() {
  [ "$(cat "$work/$last.rc")" = "$1" ] || { fail "exit status $(cat "$work/$last.rc"), expected $1"; show; }
}

# The whole standard output, byte for byte: printf FORMAT ARGUMENTS... makes the expected text.
expect_out() {
  printf "$@" >"$work/expected"
  cmp -s "$work/expected" "$work/$last.out" || { fail "standard output differs"; echo "expected:"; cat "$work/expected"; echo "<<"; show; }
}

expect_line() {
  grep -qxF -- "$1" "$work/$last.out" || { fail "no line '$1' on standard output"; show; }
}

expect_no_line() {
  ! grep -qF -- "$1" "$work/$last.out" || { fail "unexpected '$1' on standard output"; show; }
}

expect_err_line() {
  grep -qxF -- "$1" "$work/$last.err" || { fail "no line '$1' on standard error"; show; }
}

expect_err_text() {
  grep -qF -- "$1" "$work/$last.err" || { fail "no '$1' on standard error"; show; }
}

# Line A comes before the line that starts with B on standard error.
expect_err_order() {
  local a b
  a=$(grep -nxF -- "$1" "$work/$last.err" | head -1 | cut -d: -f1)
  b=$(grep -nF -- "$2" "$work/$last.err" | head -1 | cut -d: -f1)
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || { fail "'$1' does not come before '$2' on standard error"; show; }
}

# -Xcheck:jni reports misuse as warnings (or fatal errors) on the VM's output streams.
no_jni_warnings() {
  if grep -qiE 'WARNING|FATAL ERROR' "$work/$last.err" "$work/$last.out"; then
    fail "the JVM reported JNI misuse"
    show
  fi
}

# The Java test classes unpacked in directory $1, where every tool's class path looks first.
unpack_classes() {
  (cd "$1" && "$jdk/bin/jar" xf "$test_jar")
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
