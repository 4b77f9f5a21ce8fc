# Sourced by the tests of the Windows installers (nsis_test.sh, msi_test.sh), after rig_stage: a
# Wine prefix of the test's own (the fixture's prefix holds the other tests' runtime
# registrations, and an uninstallation is judged by what it leaves there), and what both judge
# an installation by. Sets work (the test's folder, removed at its end), fail, begin, failures.
# Environment: JVMSTUB_DIR, REG_VIEW; ctest's QUILLET_RIG_DIR and QUILLET_WINE_BITS.
source "$rig/wine-env.sh"
work=$(mktemp -d)

# A rig directory of the test's own: a new prefix, the fixture's display and its answer on
# whether this machine runs the tree's Wine. wine-run and boxdriver follow it.
mkdir -p "$work/rig" "$work/home"
cp "$QUILLET_RIG_DIR/display" "$QUILLET_RIG_DIR/wine-skip" "$work/rig/"
export QUILLET_RIG_DIR=$work/rig
# Wine links the prefix's user folders into the home, and would add menu entries for shortcuts
# to the desktop's menus there: a home of the test's own, and no menu entries.
export HOME=$work/home
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rig_wine_init "$QUILLET_RIG_DIR" "$QUILLET_WINE_BITS"
export DISPLAY=":$(cat "$QUILLET_RIG_DIR/display")"
rig_at_exit '"$rig_wineserver" -k 2>/dev/null; rm -rf "$work"'

failures=0 case=
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }
begin() { case=$1; echo "--- $case"; }
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
# Every process of the prefix ended, the registry on disk; two minutes at most (a program that
# hangs ends the test there, and the prefix's server with it).
settle() { timeout 120 "$rig_wineserver" -w; }
# The prefix has no persistent server (settle waits for it to end), and a program that starts
# just as the last one's server ends can be lost with it: each of these programs waits for that
# end first. (quillet does not: its windows need Wine's desktop, which a fresh server starts
# only with the first window, and the installer's or reg's server is still up for it.) Each runs
# five minutes at most.
wine() { settle; timeout 300 "$rig_wine" "$@" </dev/null; }

# The Java runtime's registration, which the runtime's installer writes, never quillet's.
runtime_key='SOFTWARE\Obel\DornTools\Java2 Runtime Environment\1.6'

# Makes the prefix (ends the test when it cannot) and sets drive, programs (the Program Files of
# the tree's word size), menu (the all-users Start menu's programs) and user_temp.
new_prefix() {
  if ! timeout 240 "$rig_wine" wineboot -i </dev/null >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log"
    echo "FAIL: no Wine prefix"
    exit 1
  fi
  settle
  drive=$WINEPREFIX/drive_c
  if [ "$QUILLET_WINE_BITS" = 64 ]; then programs='Program Files'; else programs='Program Files (x86)'; fi
  menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs"
  user_temp=$(cd "$drive/users" && ls -d */Temp | head -n 1)
}

# What the prefix holds: its files (the user's temporary folder aside) and its registry keys.
# Wine's font tables aside: Wine writes them afresh whenever a program starts with another ANSI
# code page than the one before (quillet declares UTF-8), which is Wine's bookkeeping, not the
# installer's.
# Wine's debugger's keys aside too: its console and its settings, written when a program of the
# prefix crashes. Wine's own driver host now and then does, at a start of Wine's services.
snapshot() { # NAME
  (cd "$drive" && find . -path "./users/$user_temp" -prune -o -printf '%y %p\n' | sort) >"$work/$1.files"
  cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | sed -n 's/^\(\[[^]]*\]\).*/\1/p' |
    grep -v -e '\\\\CurrentVersion\\\\Fonts\]$' -e '^\[Console\]$' -e '^\[Software\\\\Wine\\\\WineDbg\]$' |
    sort -u >"$work/$1.keys"
}
# What is in snapshot AFTER and was not in BEFORE, judged as left behind.
check_nothing_left() { # BEFORE AFTER
  local files keys
  files=$(comm -13 "$work/$1.files" "$work/$2.files")
  keys=$(comm -13 "$work/$1.keys" "$work/$2.keys")
  [ -z "$files" ] || fail "files left behind: $files"
  [ -z "$keys" ] || fail "registry keys left behind: $keys"
}

# The shortcut's target, working folder, icon file and icon index, one per line (the link file's
# format: a header, an item list, the link information with the target's path, then counted
# UTF-16 strings).
read_shortcut() { # FILE
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
flags, = struct.unpack_from('<I', data, 0x14)
icon_index, = struct.unpack_from('<i', data, 0x38)
pos = 0x4c
if flags & 0x01:  # item list
    pos += 2 + struct.unpack_from('<H', data, pos)[0]
target = ''
if flags & 0x02:  # link information
    size, = struct.unpack_from('<I', data, pos)
    base, = struct.unpack_from('<I', data, pos + 0x10)
    target = data[pos + base:data.index(b'\0', pos + base)].decode('latin-1')
    pos += size
strings = {}
for bit, name in ((0x04, 'name'), (0x08, 'relative'), (0x10, 'workdir'), (0x20, 'arguments'), (0x40, 'icon')):
    if flags & bit:
        count, = struct.unpack_from('<H', data, pos)
        # (Some writers count the terminating NUL.)
        strings[name] = data[pos + 2:pos + 2 + 2 * count].decode('utf-16-le').rstrip('\0')
        pos += 2 + 2 * count
print(target)
print(strings.get('workdir', ''))
print(strings.get('icon', ''))
print(icon_index)
EOF
}

# quillet.exe in the install folder $dir ($win_dir) started as its shortcut starts it: the
# target, in the working folder. Sets pid.
start_quillet() { # ENV...
  (cd "$dir" && exec env "$@" "$rig_wine" "$win_dir\\quillet.exe" >"$work/out" 2>&1 </dev/null) &
  pid=$!
}

# With the jvm.dll stand-in registered as the Java runtime, the installed quillet.exe shows its
# splash and runs the application, whose exit status is quillet's.
check_application_runs() {
  local run=$work/run got rc
  rm -rf "$run"
  mkdir -p "$run"
  wine reg add "HKLM\\$runtime_key" /v RuntimeLib /d "$(windows_path "$JVMSTUB_DIR")\\jvm.dll" /f "$REG_VIEW" >/dev/null 2>&1
  wine reg add "HKLM\\$runtime_key" /v JavaHome /d 'C:\Obel\jre' /f "$REG_VIEW" >/dev/null 2>&1
  [ -f "$dir/quillet.exe" ] || return 0
  start_quillet QUILLET_TEST_DIR="$(windows_path "$run")" QUILLET_TEST_EXIT_CODE=42 \
                JVMSTUB_LOG="$(windows_path "$run")\\stub.log"
  for _ in $(seq 600); do [ -e "$run/main-started" ] && break; kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if [ -e "$run/main-started" ]; then
    got=$("$rig/boxdriver" list) || true
    grep -q '^window: Tessaran ' <<<"$got" || fail "the splash is not shown; the windows are:"$'\n'"$got"
  else
    fail "the application's main did not start: $(head -c 2000 "$work/out")"
  fi
  grep -qF 'option 0 -Djava.class.path=.;DORN.QUILLET.JAR' "$run/stub.log" 2>/dev/null ||
    fail "the class path is not the tool table's: $(grep option "$run/stub.log" 2>&1)"
  touch "$run/release-main" "$run/release-setrc" "$run/release-exit"
  rig_wait "$pid" 60 || fail "quillet did not end with the application within 60 s (ended by the test)"
  rc=$rig_status
  [ "$rc" = 42 ] || fail "exit status $rc, not the application's 42: $(head -c 2000 "$work/out")"
}
