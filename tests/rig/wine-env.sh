# Sourced by the rig's Wine scripts: which Wine runs a build tree's programs, and whether this
# machine can run it at all (the one place that says why a tree's Wine tests are skipped).
#
# Debian's `wine` command always starts through the 32-bit loader, even for a 64-bit program, and
# some machines of this kind cannot run 32-bit Linux programs: each tree names the loader of its
# own word size instead (QUILLET_WINE_BITS, which ctest sets). QUILLET_WINE32 and QUILLET_WINE64
# name other loaders; a QUILLET_WINE32 that cannot be run stands for a machine without 32-bit
# programs (tests/rig/README.md).

# The exit status of a skipped Wine test: its SKIP_RETURN_CODE in cmake/Testing.cmake.
rig_skip_status=77
rig_no32_reason="this machine cannot run 32-bit programs"

# rig_wine_init RIG_DIR BITS: sets rig_dir, rig_wine (the loader), rig_wineserver and Wine's
# environment for the tree whose rig directory is RIG_DIR.
rig_wine_init() {
  rig_dir=$1 rig_wine_bits=$2
  case $rig_wine_bits in
    32) rig_wine=${QUILLET_WINE32:-/usr/lib/wine/wine} ;;
    64) rig_wine=${QUILLET_WINE64:-/usr/lib/wine/wine64} ;;
    *) echo "rig: QUILLET_WINE_BITS is '$rig_wine_bits', not 32 or 64" >&2; exit 2 ;;
  esac
  # Both loaders talk to the 64-bit server (the prefix is a 64-bit one). Debian's `wineserver`
  # picks it when it is installed; named here, the 32-bit one is never tried.
  rig_wineserver=wineserver
  [ -x /usr/lib/wine/wineserver64 ] && rig_wineserver=/usr/lib/wine/wineserver64
  export WINEPREFIX="$rig_dir/prefix"
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# Where .ci/install-deps keeps why wine32 could not be installed (a mirror without its 32-bit
# index); absent when it was.
rig_wine32_unavailable="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/wine32-unavailable"

# Finds out whether this machine runs the tree's loader and keeps the answer in the rig
# directory (empty: it does; else the reason why not). Only the 32-bit loader is asked: it
# answering --version is enough, and a kernel without 32-bit programs refuses it ("Exec format
# error"). A loader that is not there at all is no such machine but a missing package: its
# tests run and fail, unless the set-up recorded that the package could not be had.
rig_wine_probe() {
  mkdir -p "$rig_dir"
  : >"$rig_dir/wine-skip.tmp"
  if [ "$rig_wine_bits" = 32 ] && [ -e "$rig_wine" ] && ! "$rig_wine" --version >/dev/null 2>&1; then
    echo "$rig_no32_reason" >"$rig_dir/wine-skip.tmp"
  elif [ "$rig_wine_bits" = 32 ] && [ ! -e "$rig_wine" ] && [ -s "$rig_wine32_unavailable" ]; then
    head -n 1 "$rig_wine32_unavailable" >"$rig_dir/wine-skip.tmp"
  fi
  mv -f "$rig_dir/wine-skip.tmp" "$rig_dir/wine-skip"
}

# Ends every wineserver of the prefix (the prefix saved) and starts a persistent one; false when
# it does not start. Any other server (the one that made the prefix, or one that a program
# started) ends whenever no program runs: each program would start the server and Wine's
# services anew, and one that starts just as the server ends can be lost with it.
rig_wineserver_restart() {
  "$rig_wineserver" -k 2>/dev/null || true
  "$rig_wineserver" -w
  setsid "$rig_wineserver" -p </dev/null >/dev/null 2>&1
}

# Ends the calling script, reported by ctest as skipped, with the reason on one line when this
# machine cannot run the tree's programs. The answer is the fixture's of this test run (asked
# here only when no test run has asked yet).
rig_wine_gate() {
  [ -f "$rig_dir/wine-skip" ] || rig_wine_probe
  if [ -s "$rig_dir/wine-skip" ]; then
    echo "skipped: $(cat "$rig_dir/wine-skip")"
    exit "$rig_skip_status"
  fi
}
