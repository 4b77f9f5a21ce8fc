#!/usr/bin/env bash
# The Debian package as its users get it: made by CPack from this build tree, its files, their
# modes and its dependencies checked, lintian run over it, then installed with dpkg into a
# throw-away root (this machine's system under an overlay, in a mount namespace of the test's
# own) where the installed `quillet` starts the sample application with the real JVM, through
# the command on PATH and through the desktop entry, using the registry file that the
# installation wrote. A second installation keeps that file; a purge removes everything the
# package brought, and the registry file too unless it was changed.
# Needs root (dpkg, mounts); elsewhere it is skipped with the reason.
set -euo pipefail
build=${QUILLET_BUILD_DIR:?} source_dir=${QUILLET_SOURCE_DIR:?}
rig=$source_dir/tests/rig
skip_status=77

if [ -z "${DEB_TEST_INNER:-}" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "skipped: installing the package into a throw-away root needs root"
    exit $skip_status
  fi
  if ! unshare -m true 2>/dev/null; then
    echo "skipped: no mount namespace of the test's own (unshare -m) on this machine"
    exit $skip_status
  fi
  # The namespace takes the throw-away root's mounts with it when the test ends, however it ends.
  DEB_TEST_INNER=1 exec unshare -m --propagation private "$rig/with-xvfb" -- bash "$0" "$@"
fi

source "$rig/procs.sh"
work=$(mktemp -d)
# (What runs in the root is ended before: its mounts are then free to go.)
rig_at_exit 'umount -R "$work/root" 2>/dev/null; rm -rf "$work"'
failures=0 case=
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }
begin() { case=$1; echo "--- $case"; }

begin "package"
if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pack") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack made no package"
  exit 1
fi
deb=$(ls "$work"/packages/quillet_*_amd64.deb 2>/dev/null | head -n 1) || true
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no quillet_*_amd64.deb"; exit 1; }
echo "$(basename "$deb")"

# --- what the package holds ----------------------------------------------------------------------
begin "contents"
got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3)
expected=$(sort -k3 <<'EOF'
-rwxr-xr-x root/root ./usr/bin/quillet
-rw-r--r-- root/root ./usr/lib/quillet/KORBMSGS.MSG
-rw-r--r-- root/root ./usr/lib/quillet/dorn.quillet.jar
-rw-r--r-- root/root ./usr/lib/quillet/libclasslib.so
-rw-r--r-- root/root ./usr/lib/quillet/liblanyard.so
-rwxr-xr-x root/root ./usr/lib/quillet/quillet
-rwxr-xr-x root/root ./usr/sbin/quillet-register
-rw-r--r-- root/root ./usr/share/applications/quillet.desktop
-rw-r--r-- root/root ./usr/share/doc/quillet/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/quillet/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/quillet.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/quillet.png
-rw-r--r-- root/root ./usr/share/lintian/overrides/quillet
-rw-r--r-- root/root ./usr/share/man/man1/quillet.1.gz
-rw-r--r-- root/root ./usr/share/man/man8/quillet-register.8.gz
EOF
)
[ "$got" = "$expected" ] || fail "files and modes differ from what is expected:"$'\n'"$(diff <(echo "$expected") <(echo "$got"))"
dpkg-deb -x "$deb" "$work/x"
for f in usr/lib/quillet/quillet usr/lib/quillet/liblanyard.so usr/lib/quillet/libclasslib.so; do
  sections=$(readelf -S -W "$work/x/$f" 2>&1)
  grep -Eq '\.symtab|\.debug_' <<<"$sections" && fail "$f is not stripped"
done
# The program and the bridge need the one shared class library beside them, and search nowhere
# but there: no library search path of the build machine.
for f in usr/lib/quillet/quillet usr/lib/quillet/liblanyard.so; do
  dynamic=$(readelf -d "$work/x/$f")
  grep -q 'NEEDED.*\[libclasslib.so\]' <<<"$dynamic" || fail "$f does not use the shared class library"
  paths=$(grep -E 'RPATH|RUNPATH' <<<"$dynamic" | sed 's/.*\[\(.*\)\]$/\1/') || true # (none: judged below)
  [ "$paths" = '$ORIGIN' ] || fail "$f searches '$paths', not \$ORIGIN alone"
done
# The icon is the program's own, transparent where its mask is.
if ! ae=$(compare -metric AE "$build/launcher/pictures/quillet.ico" \
            "$work/x/usr/share/icons/hicolor/32x32/apps/quillet.png" null: 2>&1) || [ "$ae" != 0 ]; then
  fail "the 32x32 PNG is not the program's icon ($ae pixels differ)"
fi
desktop=$work/x/usr/share/applications/quillet.desktop
grep -qx 'Path=/usr/lib/quillet' "$desktop" || fail "the desktop entry does not start in /usr/lib/quillet"
grep -qx 'Exec=/usr/lib/quillet/quillet' "$desktop" || fail "the desktop entry does not start the program"
grep -qx 'Icon=quillet' "$desktop" || fail "the desktop entry's icon is not quillet"

begin "dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(sed 's/, /\n/g' <<<"$depends" | sed 's/ (.*//')
for d in libx11-6 libxft2 libfontconfig1 fonts-liberation 'default-jre | java17-runtime' libstdc++6; do
  grep -qxF "$d" <<<"$names" || fail "no dependency on $d"
done

begin "lintian"
if ! lintian --fail-on error "$deb" >"$work/lintian" 2>&1; then
  fail "lintian reports errors"
fi
grep -v 'running with root privileges' "$work/lintian" || true # (shown, not judged)

# --- installed into a throw-away root --------------------------------------------------------------
root=$work/root
mkdir -p "$work/upper" "$work/ovwork" "$root"
if ! mount -t overlay overlay -o "lowerdir=/,upperdir=$work/upper,workdir=$work/ovwork" "$root" 2>"$work/mount.log"; then
  echo "skipped: no overlay file system for a throw-away root: $(cat "$work/mount.log")"
  exit $skip_status
fi
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --rbind /sys "$root/sys"
mount -t tmpfs tmpfs "$root/tmp"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
mount -t tmpfs tmpfs "$root/run"
cp "$deb" "$root/tmp/quillet.deb"
in_root() { chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
              HOME=/root LANG=C.UTF-8 "$@"; }
# A user starts the program, not root: nobody, with a home of its own in the root's /tmp.
mkdir -p "$root/tmp/home"
chown 65534:65534 "$root/tmp/home"
as_user() { chroot --userspec=65534:65534 "$root" env -i PATH=/usr/local/bin:/usr/bin:/bin \
              HOME=/tmp/home LANG=C.UTF-8 DISPLAY="$DISPLAY" "$@"; }
dpkg_in_root() { # ARGS...: dpkg in the root, its output kept for a failure
  in_root dpkg "$@" >"$work/dpkg.log" 2>&1 || { fail "dpkg $*: $(tail -n 20 "$work/dpkg.log")"; return 1; }
}
registry=$root/etc/obel/registry.reg

begin "installation"
# A system where quillet was never installed (this machine may have a registry file of its own).
rm -rf "$root/etc/obel" "$root/var/lib/quillet"
java=$(readlink -f /usr/bin/java)
java_home=${java%/bin/java}
if dpkg_in_root -i /tmp/quillet.deb; then
  [ -f "$registry" ] || fail "the installation wrote no $registry: $(cat "$work/dpkg.log")"
  grep -qxF "\"RuntimeLib\"=\"$java_home/lib/server/libjvm.so\"" "$registry" 2>/dev/null ||
    fail "the registry file does not name the default runtime's libjvm.so ($java_home): $(cat "$registry" 2>&1)"
  grep -qxF "\"JavaHome\"=\"$java_home\"" "$registry" 2>/dev/null || fail "the registry file's JavaHome is not $java_home"
fi

# Starts COMMAND in the root, presses the sample's Done button and checks the start and the end.
sample_run() { # LABEL COMMAND (run by sh in the root)
  begin "$1"
  rm -f "$work/out" "$work/err"
  as_user sh -c "$2" >"$work/out" 2>"$work/err" &
  local pid=$! id= i
  for i in $(seq 600); do
    id=$(xdotool search --onlyvisible --name '^Quillet sample application$' 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    fail "the sample's window did not show; out: $(head -c 2000 "$work/out"); err: $(head -c 2000 "$work/err")"
    rig_end "$pid"
    return 0
  fi
  sleep 0.5 # the window's first paint
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - 28)) click 1
  rig_wait "$pid" 30 || fail "quillet did not end within 30 s of Done (ended by the test)"
  local rc=$rig_status
  [ $rc = 0 ] || fail "exit status $rc; err: $(head -c 2000 "$work/err")"
  grep -q '^Quillet sample started with \[~CVersion\]' "$work/out" ||
    fail "the sample did not start with the launcher's argument: $(head -c 2000 "$work/out")"
  # The sample signals the launcher through the bridge, which the JVM loads from the
  # program's directory.
  if grep -q 'no launcher to signal' "$work/err"; then fail "the sample found no bridge: $(head -c 2000 "$work/err")"; fi
}

if [ -x "$root/usr/bin/quillet" ]; then
  sample_run "the quillet command, from another directory" 'cd / && exec quillet'
  path=$(sed -n 's/^Path=//p' "$root/usr/share/applications/quillet.desktop")
  exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/quillet.desktop")
  sample_run "the desktop entry" "cd '$path' && exec $exec_line"
fi

begin "upgrade keeps the registry file"
if [ -f "$registry" ]; then
  printf '\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\Other]\n"Kept"="yes"\n' >>"$registry"
  cp "$registry" "$work/registry.changed"
  dpkg_in_root -i /tmp/quillet.deb && { cmp -s "$registry" "$work/registry.changed" || fail "the registry file was rewritten"; }
  begin "purge keeps a changed registry file"
  dpkg_in_root --purge quillet && { cmp -s "$registry" "$work/registry.changed" || fail "the changed registry file is gone"; }
  [ -e "$root/usr/lib/quillet" ] && fail "/usr/lib/quillet is left after the purge"
  rm -rf "$root/etc/obel"
fi

begin "purge leaves nothing behind"
if dpkg_in_root -i /tmp/quillet.deb && dpkg_in_root --purge quillet; then
  # What the root holds now that this system did not: dpkg's own records and the caches that
  # other packages' triggers rebuild are not the package's.
  left=$(cd "$work/upper" && find . -mindepth 1 \( -type f -o -type l \) |
         grep -Ev '^\./(var/lib/dpkg|var/log|var/cache|tmp|run)/|^\./usr/share/icons/hicolor/icon-theme\.cache$|^\./usr/share/applications/mimeinfo\.cache$|^\./etc/ld\.so\.cache$' |
         sort) || true # (nothing: the answer wanted)
  [ -z "$left" ] || fail "left behind: $left"
  for d in etc/obel var/lib/quillet usr/lib/quillet usr/share/doc/quillet; do
    [ -e "$root/$d" ] && fail "/$d is left"
  done
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
