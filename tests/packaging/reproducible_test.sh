#!/usr/bin/env bash
# Reproducible release: the committed HEAD of the source tree, cloned twice into folders of
# different names and path lengths, configured with this tree's preset (each its own build folder
# inside its clone) and built apart in time and under different umasks, gives the same bytes in
# every file that ships: the programs, the libraries, the message catalog, the pictures, the
# sample's jar, the compressed documents and everything in packages/. A file that differs is
# named, with its first differing bytes as a hint (cmp -l: offset from 1, the two bytes in octal).
# Usage: reproducible_test.sh PRESET   (linux, win32 or win64)
# QUILLET_REPRO_KEEP=1 keeps both clones for a closer look (diffoscope, objdump).
# SOURCE_DATE_EPOCH is taken out of the environment, so that both builds take their time from the
# commit, as a build from a clone does by default. Runs no Windows program.
set -euo pipefail
preset=${1:?preset}
source_dir=${QUILLET_SOURCE_DIR:?}
source "$source_dir/tests/rig/procs.sh"
unset SOURCE_DATE_EPOCH

work=$(mktemp -d)
if [ -n "${QUILLET_REPRO_KEEP:-}" ]; then
  rig_at_exit 'echo "the builds are kept in $work"'
else
  rig_at_exit 'rm -rf "$work"'
fi

head=$(git -C "$source_dir" rev-parse HEAD)
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
  echo "note: the working tree has uncommitted changes; this test builds the committed HEAD ${head:0:12}"
else
  echo "building ${head:0:12} twice"
fi

# The release targets of each platform, built and then packed (CPack's `package` target alone:
# the tests and the benchmarks are no part of a release).
targets=(quillet lanyard korbmsgs sample_quillet)
if [ "$preset" = linux ]; then
  targets+=(classlib quillet_release_docs)
fi

# build DIR UMASK: clones HEAD into DIR and makes the release there, in DIR/build/PRESET, with one
# job and the file creation mask UMASK (the two builds run side by side: the machine's two cores,
# and each build's serial steps, the configuration and the packing, overlap with the other's
# compiling).
build() {
  local dir=$1 started=$SECONDS log=$1.log
  umask "$2"
  git clone -q --shared --no-checkout "$source_dir" "$dir"
  git -C "$dir" checkout -q --detach "$head"
  if ! (
    cd "$dir"
    cmake --preset "$preset" -DCMAKE_SKIP_PACKAGE_ALL_DEPENDENCY=ON &&
      cmake --build "build/$preset" -j 1 --target "${targets[@]}" &&
      cmake --build "build/$preset" -j 1 --target package
  ) >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "FAIL: the build in $dir failed"
    return 1
  fi
  echo "built in $dir ($((SECONDS - started)) s)"
}

a=$work/a
b=$work/second-clone-with-a-longer-name
build "$a" 0022 &
pid_a=$!
# Started a few seconds later, so that a time with second granularity differs between the builds;
# by a builder whose new files only they may read.
sleep 3
build "$b" 0077 &
pid_b=$!
status=0
wait $pid_a || status=1
wait $pid_b || status=1
[ $status = 0 ] || exit 1

# The files that ship, relative to the build folder: every file of packages/, and the build's own
# release files (the installers hold stripped copies; these are what a debugger loads).
release_files() { # BUILD
  (
    cd "$1"
    find packages -type f
    find launcher bridge classlib sample packaging -maxdepth 3 -type f \( \
      -name quillet -o -name quillet.exe -o -name 'liblanyard.so' -o -name lanyard.dll \
      -o -name libclasslib.so -o -name KORBMSGS.MSG -o -name dorn.quillet.jar -o -name '*.gz' \
      -o -path 'launcher/pictures/*' \)
  ) | LC_ALL=C sort
}
ta=$a/build/$preset tb=$b/build/$preset
files_a=$(release_files "$ta")
files_b=$(release_files "$tb")
failures=0
# What must be among them: a file that moved would otherwise just go uncompared.
if [ "$preset" = linux ]; then
  expected=(launcher/quillet bridge/liblanyard.so classlib/libclasslib.so 'packages/quillet_*.deb')
else
  expected=(launcher/quillet.exe bridge/lanyard.dll 'packages/quillet-*.exe')
fi
expected+=(classlib/messages/korbmsgs.catalog/KORBMSGS.MSG sample/dorn.quillet.jar)
for pattern in "${expected[@]}"; do
  grep -qx "${pattern//\*/.*}" <<<"$files_a" || { echo "FAIL: no $pattern"; failures=$((failures + 1)); }
done
if [ "$files_a" != "$files_b" ]; then
  echo "FAIL: the builds made different files:"
  diff <(echo "$files_a") <(echo "$files_b") || true
  failures=$((failures + 1))
fi
count=0
while read -r file; do
  [ -f "$tb/$file" ] || continue
  count=$((count + 1))
  if ! cmp -s "$ta/$file" "$tb/$file"; then
    echo "FAIL: $file differs ($(cmp -l "$ta/$file" "$tb/$file" 2>/dev/null | wc -l || true) bytes; offset, octal values):"
    (cmp -l "$ta/$file" "$tb/$file" 2>&1 || true) | head -n 8 | sed 's/^/    /'
    failures=$((failures + 1))
  fi
done <<<"$files_a"
echo "$count files compared:"
sed 's/^/    /' <<<"$files_a"
if [ $failures -gt 0 ]; then
  echo "FAIL: $failures differences"
  exit 1
fi
echo "the two builds are identical"
