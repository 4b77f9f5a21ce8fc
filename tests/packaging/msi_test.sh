#!/usr/bin/env bash
# The Windows Installer package as an administrator deploys it: made by CPack from this build
# tree (twice, to the same bytes), and a package of a lower version from the same files;
# installed with msiexec silently under Wine, in a fresh prefix of the test's own. The launcher
# alone first (the sample feature left out), removed again. The lower version next, then the
# package upgrades it in place: one product registered, one set of files in Program Files, each
# the staged one; the Start-menu shortcut (target, working folder, the program's icon);
# quillet.exe started as the shortcut starts it, with the jvm.dll stand-in registered, runs the
# application. A repair puts back a deleted program. The lower version does not install over it.
# msiexec /x then removes everything the package made, and leaves the Java runtime's
# registration alone.
# Environment: JVMSTUB_DIR, REG_VIEW, ICON; ctest's QUILLET_RIG_DIR and QUILLET_WINE_BITS.
set -euo pipefail
rig=${QUILLET_SOURCE_DIR:?}/tests/rig
build=${QUILLET_BUILD_DIR:?}
source "$rig/stage.sh"
rig_stage installer.exe "$0" "$@"
source "$QUILLET_SOURCE_DIR/tests/packaging/wine-install.sh"
export SOURCE_DATE_EPOCH=1700000000

# pack NAME [CPACK ARGS...]: the packages made from the build tree into $work/NAME; sets msi.
pack() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  if ! (cd "$work/$name" && cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/$name/pack" "$@") \
    >"$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    echo "FAIL: cpack failed ($name)"
    exit 1
  fi
  msi=$(ls "$work/$name"/packages/quillet-*.msi 2>/dev/null | head -n 1) || true
  [ -n "$msi" ] || { cat "$work/$name.log"; echo "FAIL: no MSI ($name)"; exit 1; }
}

begin "packages"
pack new
new_msi=$msi
echo "$(basename "$new_msi")"
sleep 1 # (a time taken from the clock would differ)
pack again
cmp "$new_msi" "$msi" >/dev/null || fail "two builds of one tree give different MSIs: $(cmp "$new_msi" "$msi" 2>&1)"
pack old -D CPACK_PACKAGE_VERSION=3.3
old_msi=$msi
staged=$(ls -d "$work/new/pack/_CPack_Packages"/*/NSIS/quillet-*/) # (a folder per component)

new_prefix
snapshot before

msiexec() { # LOG ARGS...: msiexec, its verbose log in $work/LOG; msiexec's status
  local log=$1 status=0
  shift
  wine msiexec "$@" /qn /l*v "$(windows_path "$work/$log")" >"$work/$log.out" 2>&1 || status=$?
  return $status
}
# A failed msiexec's log, the property dump at its end aside (the actions run and what each
# said), then what Wine wrote on its standard streams.
log_tail() {
  if [ -s "$work/$1" ]; then
    tr -d '\0\r' <"$work/$1" | { grep -v '^Property(' || true; } | tail -n 100
  else
    echo "(msiexec wrote no log)"
  fi
  echo "Wine's output:"
  tail -n 30 "$work/$1.out" 2>/dev/null || true
}
must_msiexec() { # LOG ARGS...: msiexec, whose failure is judged and shown with its log
  msiexec "$@" || fail "msiexec ${*:2} failed: $(log_tail "$1")"
}

# The products that Add/Remove Programs lists as Quillet: one line each, version and key.
products() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "$REG_VIEW" 2>/dev/null |
    tr -d '\r' | awk '
      /^HKEY_/ { key = $0; name = ""; version = "" }
      $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name = $0 }
      $1 == "DisplayVersion" { version = $3 }
      /^$/ && name == "Quillet" { print version, key; name = "" }
      END { if (name == "Quillet") print version, key }'
}

dir="$drive/$programs/Quillet" win_dir="C:\\$programs\\Quillet"
unix_path() { printf '%s/%s' "$drive" "$(sed 's/^C://; s/^\\//; s/\\/\//g' <<<"$1")"; } # (a path on C:)
# The Start menu that the installation (its log LOG) used. Windows takes the all-users menu for a
# per-machine installation; Wine 8 takes the user's own even then.
menu_of() { # LOG
  unix_path "$(tr -d '\0\r' <"$work/$1" | sed -n 's/^Property(S): ProgramMenuFolder = //p' | tail -n 1)"
}

# The install folder holds the staged files, each as staged, and the shortcut starts the
# program there with its icon.
# VERSION: the one product expected; LOG: the installation's log; FEATURES: those installed
# (both by default).
check_installation() { # VERSION LOG [FEATURES]
  local got expected list menu
  menu=$(menu_of "$2")
  case $menu in
    "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/"|"$drive/users/${user_temp%/Temp}/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/") ;;
    *) fail "the installation's Start menu is '$menu'" ;;
  esac
  got=$(products)
  [ "$(cut -d' ' -f1 <<<"$got")" = "$1" ] || fail "the products registered as Quillet: ${got:-none}"
  list=$(cd "$dir" 2>/dev/null && ls | sort) || true # (none: judged below)
  expected=$(cd "$staged" && ls ${3:-quillet sample} | grep -v ':$' | grep . | sort)
  [ "$list" = "$expected" ] || fail "the install folder holds: $(echo $list), not $(echo $expected)"
  local f
  for f in $expected; do
    [ -f "$dir/$f" ] && ! cmp -s "$dir/$f" "$staged"/*/"$f" && fail "$f is not the staged file"
  done
  local link="${menu}Quillet/Quillet.lnk" target workdir icon index
  if [ -f "$link" ]; then
    { read -r target; read -r workdir; read -r icon; read -r index; } < <(read_shortcut "$link") || true # (judged below)
    [ "$target" = "$win_dir\\quillet.exe" ] || fail "the shortcut starts '$target'"
    # The class path is relative to the current folder: the shortcut starts in the install folder.
    [ "${workdir%\\}" = "$win_dir" ] || fail "the shortcut starts in '$workdir', not in the install folder"
    # Windows Installer keeps the package's icons in its own folder.
    local icon_file
    icon_file=$(unix_path "$icon")
    if [ "$index" != 0 ] || [ ! -f "$icon_file" ] || ! cmp -s "$icon_file" "$ICON"; then
      fail "the shortcut's icon '$icon',$index is not the program's"
    fi
  else
    fail "no Start-menu shortcut Quillet\\Quillet.lnk: $(cd "$menu" && find . | tr '\n' ' ')"
  fi
}

begin "the launcher alone, without the sample application"
# As an administrator installs it for an application of their own.
must_msiexec bare.log /i "$(windows_path "$new_msi")" ADDLOCAL=quillet
check_installation 3.4.1 bare.log quillet
must_msiexec bare-remove.log /x "$(windows_path "$new_msi")"
[ -z "$(products)" ] || fail "still registered: $(products)"

begin "a lower version, installed silently"
must_msiexec old.log /i "$(windows_path "$old_msi")"
check_installation 3.3.0 old.log

begin "the package upgrades it in place"
# Wine's msiexec once failed this upgrade in a full run, and not in some thirty runs since (cause
# not found): its log is shown, and the upgrade tried a second time before it counts.
if ! msiexec new.log /i "$(windows_path "$new_msi")"; then
  echo "msiexec failed the upgrade once; trying again. Its log:"
  log_tail new.log
  must_msiexec new.log /i "$(windows_path "$new_msi")"
fi
check_installation 3.4.1 new.log
wine reg query "HKLM\\$runtime_key" "$REG_VIEW" >/dev/null 2>&1 && fail "the package wrote the Java runtime's registry key"

begin "the jvm.dll stand-in registered: the splash, then the application"
check_application_runs

begin "a repair puts back a deleted program"
# (Wine's msiexec does not carry out /f; a repair is also the package run again with REINSTALL.)
rm "$dir/quillet.exe"
must_msiexec repair.log /i "$(windows_path "$new_msi")" REINSTALL=ALL REINSTALLMODE=pus
check_installation 3.4.1 new.log

begin "the lower version does not install over the newer one"
status=0
msiexec down.log /i "$(windows_path "$old_msi")" || status=$?
[ "$status" != 0 ] || fail "msiexec installed the lower version"
check_installation 3.4.1 new.log

begin "uninstall"
must_msiexec remove.log /x "$(windows_path "$new_msi")"
settle
[ -e "$dir" ] && fail "the install folder is left: $(cd "$dir" && ls | tr '\n' ' ')"
[ -e "$(menu_of new.log)Quillet" ] && fail "the Start-menu folder is left"
[ -z "$(products)" ] || fail "still registered: $(products)"
# The runtime's registration is the runtime installer's: still there, then gone before what
# the uninstallation left is judged.
wine reg query "HKLM\\$runtime_key" /v RuntimeLib "$REG_VIEW" >/dev/null 2>&1 ||
  fail "the uninstallation removed the Java runtime's registration"
wine reg delete 'HKLM\SOFTWARE\Obel' /f "$REG_VIEW" >/dev/null 2>&1 || true # (judged below)
settle
snapshot after
# Windows Installer's own folder and the keys that hold every product's records: made by the
# first installation of any package (Windows has them from the start), empty again now. A
# record of the package's inside them is judged.
sed -i '/^d \.\/windows\/Installer$/d' "$work/after.files"
grep -Ev '\\\\Installer\\\\(Features|Products|UpgradeCodes)\]$|\\\\UserData\\\\S-1-5-18\\\\(Components|Products)\]$' \
  "$work/after.keys" >"$work/after.keys.own" || true # (nothing: judged below)
mv "$work/after.keys.own" "$work/after.keys"
check_nothing_left before after

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
