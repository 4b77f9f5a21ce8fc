#!/usr/bin/env bash
# quillet where fontconfig finds no font (Linux): its messages come as boxes drawn with the X
# server's core fonts, read and photographed, and pressed; with no font at all they come on
# standard error; the splash shows (without text) and the application runs with the real JVM.
# Every end is an orderly one with its own status, never an abort.
# Environment: QUILLET, LANYARD, JDK_HOME, STARTER_JAR; SKIP_VM=1 where no VM may be created
# (sanitizers); SCREENSHOT_DIR (optional) keeps the screenshots.
set -euo pipefail
launcher_script=$0
source "$(dirname "$0")/lib.sh"

install_quillet
cp "$LANYARD" "$app/liblanyard.so"
cp "$STARTER_JAR" "$run/dorn.quillet.jar"
"$QUILLET_SOURCE_DIR/tools/quillet-register" "$JDK_HOME" "$work/runtime.reg" >/dev/null
printf 'Windows Registry Editor Version 5.00\n' >"$work/empty.reg"
n=0

# start REGISTRY FONTS ARGS...: quillet from its folder in the run folder, with that registry
# file and the fonts `with-fonts FONTS` leaves, on $DISPLAY; sets pid, out, err and display.
start() {
  local registry=$1 fonts=$2
  shift 2
  n=$((n + 1))
  out=$work/run$n.out err=$work/run$n.err
  rm -f "$run"/main-started "$run"/release-* "$run"/setrc-done
  display=$DISPLAY
  (cd "$run" && exec "$rig/with-fonts" "$fonts" -- env -u LD_LIBRARY_PATH IREGISTRY="$registry" \
     QUILLET_TEST_DIR="$run" QUILLET_TEST_EXIT_CODE=7 PATH=/usr/bin:/bin "$app/quillet" "$@" >"$out" 2>"$err") &
  pid=$!
}
driver() { DISPLAY=$display "$rig/boxdriver" "$@"; }
# quillet ends by itself within 60 seconds with the status expected (not the abort's 134).
expect_end() {
  await_quillet "$pid" 60 || fail "quillet did not end within 60 s (ended by the test)"
  [ "$status" = "$1" ] || fail "exit status $status, expected $1; stderr: $(head -c 2000 "$err")"
}
# Looks at the screen: $work/shot.png, kept in SCREENSHOT_DIR as NAME.png.
screenshot() {
  if ! import -display "$display" -window root "$work/shot.png"; then fail "no screenshot of $display"; return 0; fi
  [ -z "${SCREENSHOT_DIR:-}" ] || { mkdir -p "$SCREENSHOT_DIR"; cp "$work/shot.png" "$SCREENSHOT_DIR/$1.png"; }
}
# The dark pixels of a rectangle (W H X Y) of the screenshot.
dark() {
  convert "$work/shot.png" -crop "$1x$2+$3+$4" +repage -colorspace gray -threshold 50% -precision 16 \
    -format '%[fx:round((1-mean)*w*h)]' info:
}
# The box shows the lines expected and each of its text lines is drawn: dark pixels in every
# line's band of the text window. Then OK.
expect_drawn_box() { # TITLE EXPECTED SCREENSHOT_NAME
  local got lines text x y w h band i
  got=$(driver wait --title "$1" --timeout 60) || true
  [ "$got" = "$2" ] || fail "box shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$2"
  text=$(driver window --title "$1" | awk '$1 == "child:" && $2 == "Static" && $7 != "icon:error" && $7 != "icon:warning" { print; exit }') || true
  read -r _ _ x y w h _ <<<"$text"
  if [ -z "$text" ]; then fail "no text window in the box"; return; fi
  lines=$(grep -c '^text: ' <<<"$2")
  screenshot "$3"
  band=$(( h / lines ))
  for i in $(seq 0 $((lines - 1))); do
    (( $(dark "$w" "$band" "$x" $((y + i * band))) > 30 )) || fail "line $((i + 1)) of the text is not drawn"
  done
  driver press --title "$1" --button OK >/dev/null || fail "could not press OK"
}

source "$rig/boxes.sh"
not_installed=$not_installed_box

begin "not installed: the box in the server's core fonts"
start "$work/empty.reg" core
expect_drawn_box Quillet "$not_installed" nofont-not-installed
expect_end 3

# /ajs: the display is checked before the route matters, and no VM is needed (the sanitizers'
# run has none).
begin "a display of 800 x 600: the box in the server's core fonts"
# A display of its own, kept until a line comes through the fifo.
mkfifo "$work/hold"
"$rig/with-xvfb" -s 800x600x24 -- bash -c 'echo "$DISPLAY" >"$1"; read -r _ <"$2"' _ "$work/small" "$work/hold" &
holder=$!
for _ in $(seq 100); do [ -s "$work/small" ] && break; sleep 0.1; done
DISPLAY=$(cat "$work/small") start "$work/runtime.reg" core /ajs
expect_drawn_box "Quillet - Tessaran" "title: Quillet - Tessaran
icon: warning
text: Your video mode is set to 800x600 or less resolution. This is not supported by Quillet
button: OK (default)" nofont-small-display
expect_end 9
# Opened for reading too, the fifo takes the line even from a holder that has gone.
echo 1<>"$work/hold"
rig_wait "$holder" 10 || fail "the display of 800 x 600 was still held 10 s after its release (ended by the test)"

begin "no font at all: the message on standard error, and quillet ends"
start "$work/empty.reg" none
expect_end 3
expected="Quillet: The Obel Java v6 environment has not yet been installed on your system.No previous Obel Java version found.
Please refer to the Web site where you got Quillet from to find instructions on how
 to obtain the Obel Java Runtime environment. This package is required by Quillet."
[ "$(cat "$err")" = "$expected" ] || fail "standard error:"$'\n'"$(cat "$err")"

if [ "${SKIP_VM:-0}" != 1 ]; then
  begin "the splash without fonts, and the application runs"
  start "$work/runtime.reg" core
  for _ in $(seq 600); do [ -e "$run/main-started" ] && break; kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if [ -e "$run/main-started" ]; then
    got=$(driver window --title Tessaran --timeout 30) || true
    grep -qx 'visible: yes' <<<"$got" || fail "the splash is not shown: $got"
    screenshot nofont-splash
    # The status line is red with "Please wait..." in white, and every line of the panel is
    # written, in the server's core fonts.
    read -r _ _ sx sy sw sh _ <<<"$(awk '$1 == "child:" && $2 == "IInfoArea"' <<<"$got")"
    colours=$(convert "$work/shot.png" -crop "${sw:-1}x${sh:-1}+${sx:-0}+${sy:-0}" +repage -format %c histogram:info:-) || true
    red=$(awk '/#FF0000/ { sub(":", "", $1); print $1 }' <<<"$colours")
    white=$(awk '/#FFFFFF/ { sub(":", "", $1); print $1 }' <<<"$colours")
    (( ${red:-0} * 2 > ${sw:-0} * ${sh:-0} )) || fail "no red status line in the splash"
    (( ${white:-0} > 20 )) || fail "no white text in the status line (${white:-0} white pixels)"
    while read -r _ _ lx ly lw lh text; do
      (( $(dark "$lw" "$lh" "$lx" "$ly") > 10 )) || fail "the panel's line '$text' is not written"
    done < <(awk '$1 == "child:" && $2 == "Static"' <<<"$got")
    touch "$run/release-main" "$run/release-setrc" "$run/release-exit"
    expect_end 7
  else
    fail "main did not start; stderr: $(head -c 2000 "$err")"
    rig_end "$pid"
  fi
fi

echo "$failures failures"
[ "$failures" = 0 ] || exit 1
