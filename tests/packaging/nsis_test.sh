#!/usr/bin/env bash
# The Windows installer as an administrator uses it: made by CPack from this build tree and run
# silently under Wine, in a fresh prefix of the test's own (the fixture's prefix holds the other
# tests' runtime registrations, and an uninstaller is judged by what it leaves there). Installed
# into Program Files: its files, stripped; its Start-menu shortcut (target, working folder,
# icon); quillet.exe started as that shortcut starts it, first with no Java runtime registered
# (the not-installed message), then with the jvm.dll stand-in registered (the splash, the
# application's exit status); no runtime registry values written. The uninstaller then leaves
# nothing behind. Once more into a folder chosen with /D=, and uninstalled.
# Environment: JVMSTUB_DIR, REG_VIEW, OBJDUMP; ctest's QUILLET_RIG_DIR and QUILLET_WINE_BITS.
set -euo pipefail
rig=${QUILLET_SOURCE_DIR:?}/tests/rig
build=${QUILLET_BUILD_DIR:?}
source "$rig/stage.sh"
rig_stage installer.exe "$0" "$@"
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

begin "installer"
if ! (cd "$work" && cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/pack") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack made no installer"
  exit 1
fi
installer=$(ls "$work"/packages/quillet-*.exe 2>/dev/null | head -n 1) || true
[ -n "$installer" ] || { cat "$work/cpack.log"; echo "FAIL: no installer"; exit 1; }
echo "$(basename "$installer")"
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
snapshot before

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
        strings[name] = data[pos + 2:pos + 2 + 2 * count].decode('utf-16-le')
        pos += 2 + 2 * count
print(target)
print(strings.get('workdir', ''))
print(strings.get('icon', ''))
print(icon_index)
EOF
}

# Checks an installation in the Windows folder WIN_DIR (Unix DIR): its files and its shortcut.
check_installation() { # DIR WIN_DIR
  local dir=$1 win_dir=$2 got
  got=$(cd "$dir" 2>/dev/null && ls | sort) || true # (none: judged below)
  [ "$got" = "$(printf '%s\n' KORBMSGS.MSG Uninstall.exe dorn.quillet.jar lanyard.dll quillet.exe quillet.reg.in | sort)" ] ||
    fail "the install folder holds: $(echo $got)"
  [ -f "$dir/quillet.exe" ] || return 0
  local f
  for f in quillet.exe lanyard.dll; do
    grep -q '\.debug_' <<<"$("$OBJDUMP" -h "$dir/$f")" && fail "$f is not stripped"
  done
  local link="$menu/Quillet/Quillet.lnk"
  if [ -f "$link" ]; then
    local target workdir icon index
    { read -r target; read -r workdir; read -r icon; read -r index; } < <(read_shortcut "$link") || true # (judged below)
    [ "$target" = "$win_dir\\quillet.exe" ] || fail "the shortcut starts '$target'"
    # The class path is relative to the current folder: the shortcut starts in the install folder.
    [ "$workdir" = "$win_dir" ] || fail "the shortcut starts in '$workdir', not in the install folder"
    [ "$icon,$index" = "$win_dir\\quillet.exe,0" ] || fail "the shortcut's icon is '$icon,$index'"
  else
    fail "no Start-menu shortcut Quillet\\Quillet.lnk: $(cd "$menu" && find . | tr '\n' ' ')"
  fi
}

# Uninstalls silently, as Add/Remove Programs does (the uninstaller copies itself to the
# temporary folder and goes on from there), and checks that nothing installed is left.
uninstall_and_check() { # DIR WIN_DIR
  local dir=$1 win_dir=$2
  local status=0
  wine "$win_dir\\Uninstall.exe" /S >"$work/uninstall.log" 2>&1 || status=$?
  [ "$status" = 0 ] || fail "the uninstaller failed with status $status: $(cat "$work/uninstall.log")"
  settle
  [ -e "$dir" ] && fail "the install folder is left: $(cd "$dir" && ls | tr '\n' ' ')"
  [ -e "$menu/Quillet" ] && fail "the Start-menu folder is left"
  snapshot after
  local files keys
  files=$(comm -13 "$work/before.files" "$work/after.files")
  keys=$(comm -13 "$work/before.keys" "$work/after.keys")
  [ -z "$files" ] || fail "files left behind: $files"
  [ -z "$keys" ] || fail "registry keys left behind: $keys"
  # A crash in the prefix is reported, not judged here: one of the installer's, the uninstaller's
  # or quillet's shows in its status and in what it leaves, which the checks above judge.
  { grep -sh '^wine: Unhandled' "$work/install.log" "$work/uninstall.log" || true; } | sed 's/^/note: /'
  # The uninstaller's own copy waits in the temporary folder for the next start of Windows,
  # which deletes it.
  local pending left
  pending=$(grep -A2 '"PendingFileRenameOperations"' "$WINEPREFIX/system.reg" | tr -d '\n') || true
  while IFS= read -r left; do
    [ -n "$left" ] || continue
    grep -qF "C:\\\\users\\\\${user_temp%/Temp}\\\\Temp\\\\${left//\//\\\\}" <<<"$pending" ||
      fail "left in the temporary folder, not to be deleted: $left"
  done < <(cd "$drive/users/$user_temp" && find . -type f | sed 's|^\./||')
}

# --- the default folder --------------------------------------------------------------------------
begin "silent installation into Program Files"
dir="$drive/$programs/Quillet" win_dir="C:\\$programs\\Quillet"
wine "$(windows_path "$installer")" /S >"$work/install.log" 2>&1 || fail "the installer failed: $(cat "$work/install.log")"
check_installation "$dir" "$win_dir"
key='SOFTWARE\Obel\DornTools\Java2 Runtime Environment\1.6'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
uninstall_string=$(wine reg query "$uninstall_key" /v UninstallString "$REG_VIEW" 2>/dev/null | tr -d '\r') || true
grep -qF "$win_dir\\Uninstall.exe" <<<"$uninstall_string" || fail "Add/Remove Programs does not know the uninstaller"
wine reg query "HKLM\\$key" "$REG_VIEW" >/dev/null 2>&1 && fail "the installer wrote the Java runtime's registry key"

begin "the program's icon is its first icon group, 1008"
groups=$("$OBJDUMP" -p "$dir/quillet.exe" | awk '
  /Type Table/ { inside = 1 }
  inside && /^[0-9a-f]+   Entry: ID:/ { type = $4 }
  inside && /^[0-9a-f]+     Entry: ID:/ && type == "0x00000e," { sub(",", "", $4); print $4 }')
[ "$(head -n 1 <<<"$groups")" = 0x0003f0 ] || fail "icon groups: $(echo $groups)"

# quillet.exe started as its shortcut starts it: the target, in the working folder.
start_quillet() { # ENV...
  (cd "$dir" && exec env "$@" "$rig_wine" "$win_dir\\quillet.exe" >"$work/out" 2>&1 </dev/null) &
  pid=$!
}

begin "no Java runtime: the not-installed message"
source "$rig/boxes.sh"
expected=$not_installed_box
if [ -f "$dir/quillet.exe" ]; then
  start_quillet
  got=$("$rig/boxdriver" wait --title Quillet --timeout 60) || true
  [ "$got" = "$expected" ] || fail "the box shows:"$'\n'"$got"
  "$rig/boxdriver" press --title Quillet --button OK >/dev/null || fail "could not press OK"
  rig_wait "$pid" 30 || fail "quillet did not end within 30 s of OK (ended by the test)"
fi

begin "the jvm.dll stand-in registered: the splash, then the application"
run=$work/run
mkdir -p "$run"
wine reg add "HKLM\\$key" /v RuntimeLib /d "$(windows_path "$JVMSTUB_DIR")\\jvm.dll" /f "$REG_VIEW" >/dev/null 2>&1
wine reg add "HKLM\\$key" /v JavaHome /d 'C:\Obel\jre' /f "$REG_VIEW" >/dev/null 2>&1
if [ -f "$dir/quillet.exe" ]; then
  start_quillet QUILLET_TEST_DIR="$(windows_path "$run")" QUILLET_TEST_EXIT_CODE=7 \
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
  [ "$rc" = 7 ] || fail "exit status $rc, not the application's 7: $(head -c 2000 "$work/out")"
fi
# The runtime's key is the runtime installer's: gone again before the uninstaller is judged.
wine reg delete 'HKLM\SOFTWARE\Obel\DornTools' /f "$REG_VIEW" >/dev/null 2>&1 || true # (may not be there)

begin "uninstall"
uninstall_and_check "$dir" "$win_dir"

# --- a folder of the administrator's choice --------------------------------------------------------
begin "silent installation with /D="
dir="$drive/Obel Quillet" win_dir='C:\Obel Quillet'
# The installer takes the rest of its command line, blanks and all, as the folder, and no quotes:
# Wine quotes an argument with a blank, so the folder goes in as two.
wine "$(windows_path "$installer")" /S '/D=C:\Obel' Quillet >"$work/install.log" 2>&1 ||
  fail "the installer failed: $(cat "$work/install.log")"
check_installation "$dir" "$win_dir"
begin "uninstall from the chosen folder"
uninstall_and_check "$dir" "$win_dir"

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
