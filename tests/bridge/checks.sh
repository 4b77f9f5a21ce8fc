# Checks shared by the bridge's process tests: what a run printed and its exit status. A test
# sets $work (its scratch directory) and names each run with $last; a run leaves $last.out,
# $last.err and $last.rc in $work.
failures=0
last=

fail() {
  echo "FAIL [$last]: $*"
  failures=$((failures + 1))
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
  a=$(grep -m1 -nxF -- "$1" "$work/$last.err" | cut -d: -f1) || true
  b=$(grep -m1 -nF -- "$2" "$work/$last.err" | cut -d: -f1) || true
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || { fail "'$1' does not come before '$2' on standard error"; show; }
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
