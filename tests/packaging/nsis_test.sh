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
source "$QUILLET_SOURCE_DIR/tests/packaging/wine-install.sh"

begin "installer"
if ! (cd "$work" && cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/pack") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack made no installer"
  exit 1
fi
installer=$(ls "$work"/packages/quillet-*.exe 2>/dev/null | head -n 1) || true
[ -n "$installer" ] || { cat "$work/cpack.log"; echo "FAIL: no installer"; exit 1; }
echo "$(basename "$installer")"
new_prefix
snapshot before

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
  check_nothing_left before after
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
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
uninstall_string=$(wine reg query "$uninstall_key" /v UninstallString "$REG_VIEW" 2>/dev/null | tr -d '\r') || true
grep -qF "$win_dir\\Uninstall.exe" <<<"$uninstall_string" || fail "Add/Remove Programs does not know the uninstaller"
wine reg query "HKLM\\$runtime_key" "$REG_VIEW" >/dev/null 2>&1 && fail "the installer wrote the Java runtime's registry key"

begin "the program's icon is its first icon group, 1008"
groups=$("$OBJDUMP" -p "$dir/quillet.exe" | awk '
  /Type Table/ { inside = 1 }
  inside && /^[0-9a-f]+   Entry: ID:/ { type = $4 }
  inside && /^[0-9a-f]+     Entry: ID:/ && type == "0x00000e," { sub(",", "", $4); print $4 }')
[ "$(head -n 1 <<<"$groups")" = 0x0003f0 ] || fail "icon groups: $(echo $groups)"

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
check_application_runs
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
