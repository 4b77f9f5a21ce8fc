#!/usr/bin/env bash
# Authenticode signing of the Windows release: with a throw-away certificate named by
# QUILLET_SIGN_CERT and QUILLET_SIGN_KEY, cpack signs quillet.exe and lanyard.dll before they go
# into the installers, and the installers themselves (NSIS and MSI); each carries a valid
# signature by that certificate, and one changed byte breaks the installers'. Without the variables the release is unsigned and
# says so. Runs no Windows program.
set -euo pipefail
build=${QUILLET_BUILD_DIR:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillet test signing" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

# pack NAME [VARIABLE=VALUE...]: the installer made from the build tree into $work/NAME.
pack() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  if ! (cd "$work/$name" && env "$@" cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/$name/pack") \
    >"$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    fail "$name: cpack failed"
    return 1
  fi
}
# verify FILE: osslsigncode's verdict on FILE against the throw-away certificate.
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }

echo "--- signed"
if pack signed QUILLET_SIGN_CERT="$work/cert.pem" QUILLET_SIGN_KEY="$work/key.pem"; then
  mapfile -t staged < <(find "$work/signed/pack/_CPack_Packages" -path '*/NSIS/quillet-*/quillet/*' \( -name quillet.exe -o -name lanyard.dll \))
  installer=$(ls "$work"/signed/packages/quillet-*.exe 2>/dev/null || true)
  msi=$(ls "$work"/signed/packages/quillet-*.msi 2>/dev/null || true)
  [ "${#staged[@]}" = 2 ] || fail "staged programs: '${staged[*]}'"
  [ -n "$installer" ] || fail "no installer"
  [ -n "$msi" ] || fail "no MSI"
  # What the MSI installs is the signed programs. (Its folders have blanks: Program Files.)
  inside=()
  if [ -n "$msi" ]; then
    mkdir "$work/extracted"
    (cd "$work/extracted" && msiextract "$msi" >/dev/null) || fail "msiextract failed"
    mapfile -t inside < <(find "$work/extracted" \( -name quillet.exe -o -name lanyard.dll \))
    [ "${#inside[@]}" = 2 ] || fail "programs in the MSI: '${inside[*]}'"
  fi
  for file in "${staged[@]}" "${inside[@]}" $installer $msi; do
    if verify "$file"; then
      grep -q "CN=Quillet test signing" "$work/verify.log" || fail "$(basename "$file"): not signed by the test certificate"
    else
      fail "$(basename "$file"): $(tail -3 "$work/verify.log")"
    fi
  done
  # One byte changed in the middle of the signed installer: the signature no longer holds.
  if [ -n "$installer" ]; then
    cp "$installer" "$work/changed.exe"
    size=$(stat -c %s "$work/changed.exe")
    printf '\x5a' | dd of="$work/changed.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
    cmp -s "$installer" "$work/changed.exe" && printf '\xa5' | dd of="$work/changed.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
    if verify "$work/changed.exe"; then fail "a changed installer still verifies"; fi
  fi
  # The MSI's signature covers its streams, not the compound file's free space: the byte changed
  # is one of the embedded cabinet's file table, a little after its header.
  if [ -n "$msi" ]; then
    cp "$msi" "$work/changed.msi"
    cab=$(grep -obUaP 'MSCF\x00\x00\x00\x00' "$msi" | head -n 1 | cut -d: -f1) || true # (judged below)
    if [ -n "$cab" ]; then
      printf '\x5a' | dd of="$work/changed.msi" bs=1 seek=$((cab + 100)) conv=notrunc status=none
      cmp -s "$msi" "$work/changed.msi" && printf '\xa5' | dd of="$work/changed.msi" bs=1 seek=$((cab + 100)) conv=notrunc status=none
      if verify "$work/changed.msi"; then fail "a changed MSI still verifies"; fi
    else
      fail "no cabinet in the MSI"
    fi
  fi
fi

echo "--- unsigned"
if pack unsigned -u QUILLET_SIGN_CERT -u QUILLET_SIGN_KEY; then
  grep -q "Unsigned release: QUILLET_SIGN_CERT and QUILLET_SIGN_KEY are not set" "$work/unsigned.log" ||
    fail "cpack did not say the release is unsigned"
  for installer in "$work"/unsigned/packages/quillet-*.exe "$work"/unsigned/packages/quillet-*.msi; do
    [ -f "$installer" ] || { fail "no unsigned $installer"; continue; }
    if verify "$installer"; then fail "an unsigned $(basename "$installer") verifies"; fi
  done
fi

echo "--- a certificate that is not there"
if (cd "$work" && env QUILLET_SIGN_CERT="$work/none.pem" QUILLET_SIGN_KEY="$work/key.pem" \
    cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/missing") >"$work/missing.log" 2>&1; then
  fail "cpack made a package with a missing certificate"
fi
grep -q "none.pem does not exist" "$work/missing.log" || fail "the missing certificate is not named: $(tail -3 "$work/missing.log")"

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
