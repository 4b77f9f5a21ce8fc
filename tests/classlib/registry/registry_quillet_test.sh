#!/usr/bin/env bash
# quillet started on registry files as a careless administrator or an attacker leaves them: it
# finds the runtime in every file that holds it, says once why it reads nothing from a file it
# cannot use, refuses a file that others may change, and neither aborts nor hangs nor takes
# long. Then quillet-register with a Java home it must refuse, and with the registry editor's
# own UTF-16LE file.
# Environment: QUILLET, JDK_HOME, REGISTER; SLOWDOWN (how much slower this build runs).
set -euo pipefail
source "${QUILLET_SOURCE_DIR:?}/tests/rig/procs.sh"
work=$(mktemp -d)
rig_at_exit 'rm -rf "$work"'
failures=0 case=
limit=$(awk -v s="${SLOWDOWN:-1}" 'BEGIN { print 1.0 * s }')

fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }
begin() { case=$1; }

# quillet with its catalog and without a bridge, and without a display: with the runtime found
# it goes on to load the bridge and says it cannot; without, it says the runtime is not
# installed. Both messages go to standard error.
app=$work/app
mkdir -p "$app" "$work/run"
(cd "$(dirname "$QUILLET")" && xargs cp -t "$app/" <quillet.files)
found_line="Quillet - Tessaran: Unable to load Lanyard.DLL. Either missing or corrupt"
missing_line="Quillet: The Obel Java v6 environment has not yet been installed on your system.No previous Obel Java version found."

key='HKEY_LOCAL_MACHINE\SOFTWARE\Obel\DornTools\Java2 Runtime Environment\1.6'
runtime_section() {
  printf '\n[%s]\n"RuntimeLib"="%s"\n"JavaHome"="%s"\n' "$key" "$JDK_HOME/lib/server/libjvm.so" "$JDK_HOME"
}

# run FILE: starts quillet on that registry file; sets status (or "timeout"), seconds and rss
# (the largest resident size in KB), its standard error in $err.
err=$work/err
run() {
  local measured
  measured=$(cd "$work/run" && python3 - "$err" env -u DISPLAY -u LD_LIBRARY_PATH IREGISTRY="$1" \
             PATH=/usr/bin:/bin "$app/quillet" <<'EOF'
import resource, subprocess, sys, time
start = time.monotonic()
try:
    with open(sys.argv[1], "wb") as err:
        status = subprocess.run(sys.argv[2:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=err, timeout=60).returncode
except subprocess.TimeoutExpired:
    status = "timeout"
print(status, "%.3f" % (time.monotonic() - start), resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
)
  read -r status seconds rss <<<"$measured"
  echo "--- $case: exit status $status, $seconds s, largest resident size $((rss / 1024)) MB"
}

# The end every start here must have: by itself, soon, with the status of its cause (the
# bridge that is missing, the runtime that is not installed, the registry that is refused; an
# abort is 134, a signal more than 128), showing the one message.
found_status=7 missing_status=3 refused_status=6
expect_end() { # STATUS MESSAGE
  [ "$status" = "$1" ] || fail "exit status $status, not $1; standard error: $(head -c 2000 "$err")"
  awk -v s="$seconds" -v l="$limit" 'BEGIN { exit !(s < l) }' || fail "took $seconds s (limit $limit s)"
  grep -qxF "$2" "$err" || fail "standard error does not show '$2':"$'\n'"$(head -c 2000 "$err")"
}
expect_found() { run "$1"; expect_end "$found_status" "$found_line"; }
expect_reason() { # FILE REASON: the reason once in the exception log (not counting a box)
  local n
  n=$(grep -F "registry file \"$1\" is not used, no key is read from it: $2" "$err" | grep -vc '^Quillet') || true
  [ "$n" = 1 ] || fail "the reason is shown $n times, not once:"$'\n'"$(head -c 2000 "$err")"
}
expect_refused() { # FILE REASON: no key, and the reason once in the exception log
  run "$1"
  expect_end "$missing_status" "$missing_line"
  expect_reason "$@"
}
# A file that others may change: quillet says which and why, and starts nothing.
expect_untrusted() { # FILE REASON
  run "$1"
  expect_end "$refused_status" "Quillet - Tessaran: Quillet cannot use the registration of its Java runtime: registry file \"$1\" is not used, no key is read from it: $2"
  expect_reason "$@"
  if grep -qF "$found_line" "$err"; then fail "the runtime was taken from it"; fi
}

# n keys of other products, as installers write them, before the runtime's.
keys_file() { # N
  awk -v n="$1" 'BEGIN {
    print "Windows Registry Editor Version 5.00"
    for (k = 0; k < n; k++)
      printf "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor %d\\Product %d]\n\"InstallDir\"=\"/opt/product/%d\"\n", k % 97, k, k
  }'
  runtime_section
}

# --- large files holding the runtime --------------------------------------------------------
begin "40,000 keys"
keys_file 40000 >"$work/keys.reg"
expect_found "$work/keys.reg"

begin "40,000 values in one key"
{ printf 'REGEDIT4\n'; runtime_section
  awk 'BEGIN { for (k = 0; k < 40000; k++) printf "\"Value %d\"=dword:%x\n", k, k }'; } >"$work/values.reg"
expect_found "$work/values.reg"

begin "the largest file read (just under 8 MB)"
keys_file 90000 >"$work/largest.reg"
size=$(stat -c %s "$work/largest.reg")
[ "$size" -gt 7000000 ] && [ "$size" -lt 8388608 ] || fail "the file has $size bytes, not just under 8 MB"
expect_found "$work/largest.reg"

# --- files it cannot use ----------------------------------------------------------------------
begin "100 MB"
{ printf 'REGEDIT4\n'; runtime_section; } >"$work/large.reg"
truncate -s 100M "$work/large.reg"
expect_refused "$work/large.reg" "it is larger than 8 MB"

for device in /dev/zero /dev/urandom; do
  begin "$device"
  expect_refused "$device" "it is a character device"
done

begin "FIFO"
mkfifo "$work/fifo.reg"
expect_refused "$work/fifo.reg" "it is a FIFO"

begin "directory"
mkdir "$work/directory.reg"
expect_refused "$work/directory.reg" "it is a directory"

# --- files that others may change --------------------------------------------------------------
# Whoever may write the file, or replace it in its folder, chooses the library quillet loads.
# (Modes decide, not who runs the test: root's own file is refused as anyone's is.)
begin "a file others may write"
mkdir -p "$work/safe"
{ printf 'REGEDIT4\n'; runtime_section; } >"$work/safe/open.reg"
chmod 666 "$work/safe/open.reg"
expect_untrusted "$work/safe/open.reg" "users other than its owner and root may write it (mode 0666)"

begin "a file others may replace: its folder may be written by all, without sticky bit"
mkdir -p "$work/open"
chmod 777 "$work/open"
{ printf 'REGEDIT4\n'; runtime_section; } >"$work/open/registry.reg"
chmod 644 "$work/open/registry.reg"
expect_untrusted "$work/open/registry.reg" "users other than its owner and root may replace it: they may write the folder \"$work/open\", which has no sticky bit (mode 0777)"

begin "a link to a good file, from a folder others may write"
ln -s "$work/safe/good.reg" "$work/open/link.reg"
{ printf 'REGEDIT4\n'; runtime_section; } >"$work/safe/good.reg"
expect_untrusted "$work/open/link.reg" "users other than its owner and root may replace it: they may write the folder \"$work/open\", which has no sticky bit (mode 0777)"

begin "the good file itself, and one in a sticky folder such as /tmp: used"
expect_found "$work/safe/good.reg"
mkdir -p "$work/sticky"
chmod 1777 "$work/sticky"
cp "$work/safe/good.reg" "$work/sticky/registry.reg"
expect_found "$work/sticky/registry.reg"

# --- malformed lines among good ones ------------------------------------------------------------
begin "malformed lines"
{ printf 'REGEDIT4\n# by hand\n[%s]\n' "$key"
  printf '"RuntimeLib"="%s" ; the server VM\n' "$JDK_HOME/lib/server/libjvm.so"
  printf '"big"=dword:123456789\n"bytes"=hex:2f,123\n"stray"=hex:41,\\\n'
  printf '"JavaHome"="%s"\n' "$JDK_HOME"; } | tr '\n' '\r' >"$work/malformed.reg"
expect_found "$work/malformed.reg"
for fault in 'line 5: dword value of more than 8 hex digits: "123456789"' \
             'line 6: hex value with more than two digits in a byte: "123"' \
             'line 7: hex value whose next line holds no bytes'; do
  [ "$(grep -cF "registry file \"$work/malformed.reg\", $fault; the line is skipped" "$err" || true)" = 1 ] ||
    fail "not reported once: $fault"$'\n'"$(head -c 3000 "$err")"
done

# --- quillet-register -------------------------------------------------------------------------
begin "quillet-register refuses a home with a control character"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"Keep"="me"\n' >"$work/kept.reg"
cp "$work/kept.reg" "$work/kept.before"
for name in $'jdk\nline' $'jdk\ttab' $'jdk\033escape'; do
  # A real runtime behind the name: only the name is wrong.
  mkdir -p "$work/$name" && ln -sfn "$JDK_HOME/lib" "$work/$name/lib" && ln -sfn "$JDK_HOME/bin" "$work/$name/bin"
  if "$REGISTER" "$work/$name" "$work/kept.reg" >"$work/register.out" 2>&1; then
    fail "$(printf %q "$name") was taken"
  fi
  grep -q "contains a control character" "$work/register.out" || fail "no clear message: $(cat "$work/register.out")"
  cmp -s "$work/kept.reg" "$work/kept.before" || fail "the file was changed"
done

begin "quillet-register keeps the registry editor's UTF-16LE file in its form"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n"Keep"="m\xc3\xa9"\r\n\r\n[%s]\r\n"RuntimeLib"="old"\r\n' "$key" |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/editor.reg"
"$REGISTER" "$JDK_HOME" "$work/editor.reg" >/dev/null || fail "quillet-register failed"
[ "$(head -c 2 "$work/editor.reg" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "the byte order mark is gone"
text=$(iconv -f UTF-16LE -t UTF-8 "$work/editor.reg") || fail "no longer UTF-16LE"
[ "$(grep -c $'\r$' <<<"$text")" = "$(wc -l <<<"$text")" ] || fail "not every line ends in CR LF"
grep -qF $'"Keep"="m\xc3\xa9"\r' <<<"$text" || fail "another key was lost: $text"
[ "$(grep -c RuntimeLib <<<"$text")" = 1 ] || fail "the old value was kept beside the new: $text"
expect_found "$work/editor.reg"

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
