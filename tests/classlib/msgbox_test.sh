#!/usr/bin/env bash
# Real message boxes, read and pressed with tests/rig/boxdriver: titles, icons, texts, button
# sets, default buttons, keys and the close box, the answers, the no-display form, and (X11)
# boxes drawn with the server's core fonts or, with no font at all, written out.
# Usage: msgbox_test.sh BOXSHOW (boxshow.exe runs under Wine, boxshow on a private Xvfb).
set -euo pipefail
boxshow=$1
rig=${QUILLET_SOURCE_DIR:?}/tests/rig
source "$rig/stage.sh"
rig_stage "$boxshow" "$0" "$@"
tmp=$(mktemp -d)
rig_at_exit 'rm -rf "$tmp"'
failures=0 n=0 pid=
fonts=() # what runs the box on X11: "$rig/with-fonts" WHICH -- to take its fonts away

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { if [ "$platform" = win ]; then "$rig/wine-run" "$boxshow" "$@"; else "${fonts[@]}" "$boxshow" "$@"; fi; }
# Shows a box in the background; its output goes to $out.
start() { n=$((n + 1)); out=$tmp/box$n.out; run "$@" >"$out" 2>"$out.err" & pid=$!; }
# The box (by title, or any box with "-") must show exactly the expected lines.
expect_box() {
  local title=$1 expected=$2 got
  if [ "$title" = - ]; then got=$("$rig/boxdriver" wait --timeout 30) || true; else got=$("$rig/boxdriver" wait --title "$title" --timeout 30) || true; fi
  [ "$got" = "$expected" ] || fail "box '$title' shows:"$'\n'"$got"$'\n'"expected:"$'\n'"$expected"
}
driver() { "$rig/boxdriver" "$@" || fail "boxdriver $* failed"; }
# The program must end, within 30 seconds, and print the response.
expect_response() {
  rig_wait "$pid" 30 || fail "the box did not end within 30 s (ended by the test)"
  grep -Eqx "response: ($1)" <<<"$(tr -d '\r' <"$out")" ||
    fail "response '$(tr -d '\r' <"$out")' (status $rig_status), expected $1; stderr: $(cat "$out.err")"
}

echo "--- severity informational: icon, text lines, one OK"
start --title "Info box" --severity 0 'line one\nline two'
expect_box "Info box" $'title: Info box\nicon: information\ntext: line one\ntext: line two\nbutton: OK (default)'
driver press --title "Info box" --button OK
expect_response ok

echo "--- buttonsEnterCancel: OK is reported as enter, Cancel as cancel"
start --title "Enter cancel" --style 0xF "Proceed?"
expect_box "Enter cancel" $'title: Enter cancel\ntext: Proceed?\nbutton: OK (default)\nbutton: Cancel'
driver press --title "Enter cancel" --button OK
expect_response enter
start --title "Enter cancel" --style 0xF "Proceed?"
driver press --title "Enter cancel" --button Cancel
expect_response cancel

echo "--- buttonsCancel: one OK button that answers cancel; buttonsEnter: enter"
start --title "Cancel only" --style 0x1D "Stop"
expect_box "Cancel only" $'title: Cancel only\nicon: error\ntext: Stop\nbutton: OK (default)'
driver press --title "Cancel only" --button OK
expect_response cancel
start --title "Enter only" --style 0xE "Go"
expect_box "Enter only" $'title: Enter only\ntext: Go\nbutton: OK (default)'
driver key --title "Enter only" --key Return
expect_response enter

echo "--- a help id adds Help, which does not end the box"
start --title "With help" --style 0x0 --help-id 77 "Help me"
expect_box "With help" $'title: With help\ntext: Help me\nbutton: OK (default)\nbutton: Help'
driver press --title "With help" --button Help
sleep 1
kill -0 "$pid" 2>/dev/null && "$rig/boxdriver" wait --title "With help" --timeout 5 >/dev/null ||
  fail "Help ended the box"
driver press --title "With help" --button OK
expect_response ok

echo "--- exceptions: unrecoverable gives OK, recoverable Retry and Cancel (Escape is Cancel)"
start --title "Fatal" --exception unrecoverable "It broke"
expect_box "Fatal" $'title: Fatal\nicon: error\ntext: It broke\nbutton: OK (default)'
driver press --title "Fatal" --button OK
expect_response ok
start --title "Recoverable" --exception recoverable "Try again?"
expect_box "Recoverable" $'title: Recoverable\nicon: error\ntext: Try again?\nbutton: Retry (default)\nbutton: Cancel'
driver key --title "Recoverable" --key Escape
expect_response cancel

echo "--- severity 5 raises before anything is shown"
start --title "Bad severity" --severity 5 "never shown"
rig_wait "$pid" 30 || true
status=$rig_status
[ "$status" = 2 ] && grep -q '^exception: IInvalidParameter' "$out" || fail "severity 5: status $status, output $(cat "$out")"
"$rig/boxdriver" wait --title "Bad severity" --timeout 1 >/dev/null 2>&1 && fail "severity 5 showed a box"

echo "--- titles: the owner's text, none for the desktop and the object window"
start --owner "frame:Owner Window" --style 0x40 "Owned"
expect_box - $'title: Owner Window\nicon: information\ntext: Owned\nbutton: OK (default)'
driver press --button OK
expect_response ok
start --owner desktop --style 0x0 "Desktop owned"
expect_box - $'title: \ntext: Desktop owned\nbutton: OK (default)'
driver press --button OK
expect_response ok
start --owner object --style 0x0 "Object owned"
expect_box - $'title: \ntext: Object owned\nbutton: OK (default)'
driver press --button OK
expect_response ok

echo "--- default button, keys and the close box as Windows has them"
start --title "Yes no" --style 0x124 "Sure?"
expect_box "Yes no" $'title: Yes no\nicon: question\ntext: Sure?\nbutton: Yes\nbutton: No (default)'
driver key --title "Yes no" --key Return
expect_response no
start --title "Ok close" --style 0x0 "Close me"
driver close --title "Ok close"
# Windows answers OK for a box with only OK; Wine 8 answers Cancel.
if [ "$platform" = win ]; then expect_response "ok|cancel"; else expect_response ok; fi
start --title "Three" --style 0x3 "Save?"
driver close --title "Three"
expect_response cancel
start --title "Retry" --style 0x2 "Abort, retry, ignore?"
expect_box "Retry" $'title: Retry\ntext: Abort, retry, ignore?\nbutton: Abort (default)\nbutton: Retry\nbutton: Ignore'
driver press --title "Retry" --button Ignore
expect_response ignore

echo "--- a text longer and taller than the screen still gives a box that answers"
long=$(printf 'x%.0s' $(seq 20000))$(printf '\\nline %d' $(seq 500))
start --title "Long" --style 0x1 "$long"
got=$("$rig/boxdriver" wait --title "Long" --timeout 30) || true
case $got in *$'text: line 500\nbutton: OK (default)\nbutton: Cancel') ;; *) fail "long text box: $(printf '%s' "$got" | tail -3)" ;; esac
driver press --title "Long" --button Cancel
expect_response cancel

echo "--- a platform error record is shown as a fatal error"
start --title "System" --error 2
got=$("$rig/boxdriver" wait --title "System" --timeout 30) || true
case $got in *$'icon: error\ntext: '?*$'\nbutton: OK (default)') ;; *) fail "error record box: $got" ;; esac
driver press --title "System" --button OK
expect_response ok

if [ "$platform" = win ]; then
  echo "--- the library's private queue message survives the box"
  start --title "Private" --style 0x0 --private "Queue"
  driver press --title "Private" --button OK
  expect_response ok
  grep -q '^private: 7 8' <<<"$(tr -d '\r' <"$out")" || fail "private message: $(cat "$out")"
else
  # Connections are kept: one closed after Xft drew on it leaves libXrender a stale entry, which
  # a new connection at the same address would use. The window ids tell the connection: its
  # client's id base (the bits above the server's 21-bit resource mask).
  echo "--- boxes in a row: each shows and answers, all on one kept connection"
  start --title "Again" --times 3 "Once more"
  bases=()
  for i in 1 2 3; do
    expect_box "Again" $'title: Again\nicon: information\ntext: Once more\nbutton: OK (default)'
    id=$(xdotool search --name '^Again$' 2>/dev/null | head -n 1) || true
    bases+=("$(( ${id:-0} >> 21 ))")
    driver press --title "Again" --button OK
    for _ in $(seq 50); do [ "$(grep -c '^response: ok$' "$out")" -ge "$i" ] && break; sleep 0.1; done
  done
  expect_response ok
  [ "$(grep -c '^response: ok$' "$out")" = 3 ] || fail "boxes in a row answered: $(cat "$out")"
  [ "${bases[0]}" != 0 ] && [ "${bases[0]}" = "${bases[1]}" ] && [ "${bases[1]}" = "${bases[2]}" ] ||
    fail "boxes in a row on connections ${bases[*]} (a new one for each box)"

  echo "--- no display: the box is one line on standard error, answered by its first button"
  err=$(env -u DISPLAY "$boxshow" --title "No display" --style 0x4 'Yes or no' 2>&1 >"$tmp/nd.out") || true
  [ "$err" = "No display: Yes or no" ] || fail "no-display line: '$err'"
  grep -qx 'response: yes' "$tmp/nd.out" || fail "no-display response: $(cat "$tmp/nd.out")"
  env -u DISPLAY "$boxshow" --style 0xD 'c' >"$tmp/nd.out" 2>/dev/null || true # (judged by its answer)
  grep -qx 'response: cancel' "$tmp/nd.out" || fail "no-display buttonsCancel: $(cat "$tmp/nd.out")"
  env -u DISPLAY "$boxshow" --exception recoverable 'Retry?' >"$tmp/nd.out" 2>"$tmp/nd.err" || true
  grep -qx 'response: retry' "$tmp/nd.out" && [ "$(cat "$tmp/nd.err")" = ": Retry?" ] ||
    fail "no-display exception: $(cat "$tmp/nd.out" "$tmp/nd.err")"
  status=0; DISPLAY=:999 "$boxshow" --desktop-size >"$tmp/nd.out" 2>/dev/null || status=$?
  [ "$status" = 2 ] && grep -q '^exception: IInvalidRequest: XOpenDisplay: cannot open display ":999"' "$tmp/nd.out" ||
    fail "desktop size without display: $(cat "$tmp/nd.out")"
  grep -qx 'desktop: 1280x1024' <<<"$("$boxshow" --desktop-size)" || fail "desktop size on Xvfb"
  echo "--- a box the platform refuses (no such owner, no such button set): showMessageBox raises;"
  echo "    show writes the box to standard error and answers as its first button"
  for args in "--owner bogus" "--style 0x7"; do
    status=0; "$boxshow" $args --raw --title Refused 'x' >"$tmp/rf.out" 2>/dev/null || status=$?
    [ "$status" = 2 ] && grep -qx 'exception: IInvalidRequest: MessageBoxIndirect:No error text is available.' "$tmp/rf.out" ||
      fail "refused box ($args): status $status, $(cat "$tmp/rf.out")"
    # (The exception's record goes to standard error first.)
    status=0; timeout 20 "$boxshow" $args --title Refused 'x' >"$tmp/rf.out" 2>"$tmp/rf.err" || status=$?
    [ "$status" = 0 ] && grep -qx 'response: ok' "$tmp/rf.out" && [ "$(tail -n 1 "$tmp/rf.err")" = "Refused: x" ] ||
      fail "refused box shown ($args): status $status, $(cat "$tmp/rf.out" "$tmp/rf.err")"
  done
  # The box's outer size (bw bh) and its text window on the screen (tx ty tw th); a screenshot
  # in $tmp/shot.png (kept in SCREENSHOT_DIR when that is set, as NAME.png).
  look_at_box() { # TITLE NAME
    local box text
    box=$(xdotool search --name "^$1\$" | head -1)
    [ -n "$box" ] || return 1
    read -r bw bh < <(xwininfo -id "$box" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
    # (A name with line ends spans lines of the list: the id is on the first.)
    text=$(xwininfo -children -id "$box" | awk '/^ +0x[0-9a-f]+ / {id = $1} /\("text" "Static"\)/ {print id}')
    read -r tx ty tw th < <(xwininfo -id "$text" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
                                                     /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
    import -window root "$tmp/shot.png"
    [ -z "${SCREENSHOT_DIR:-}" ] || { mkdir -p "$SCREENSHOT_DIR"; cp "$tmp/shot.png" "$SCREENSHOT_DIR/$2.png"; }
  }
  # The share, and the number, of dark pixels in a rectangle (WxH+X+Y) of the screenshot.
  ink() { convert "$tmp/shot.png" -crop "$1" +repage -colorspace gray -threshold 50% -format '%[fx:1-mean]' info:; }
  dark() { convert "$tmp/shot.png" -crop "$1" +repage -colorspace gray -threshold 50% -precision 16 -format '%[fx:round((1-mean)*w*h)]' info:; }

  echo "--- a word of 5,000 and one of 300,000 characters: cut into the lines of a box on the screen,"
  echo "    with Xft's fonts and with the server's core fonts"
  # Measured in 16 bits, the first came out as a box of 180 x 95 with nothing readable, and the
  # second ended the process inside Xlib.
  for which in xft core; do
    fonts=()
    [ "$which" = core ] && fonts=("$rig/with-fonts" core --)
    for count in 5000 300000; do
      start --title "Word $count" --style 0x0 --repeat "$count" x
      expect_box "Word $count" "title: Word $count"$'\n'"text: $(head -c "$count" /dev/zero | tr '\0' x)"$'\n'"button: OK (default)"
      if ! look_at_box "Word $count" "word-$count-$which"; then fail "word of $count ($which): no box"; rig_wait "$pid" 30 || true; continue; fi
      if (( ${bw:-0} >= 400 && bw <= 1280 && ${bh:-0} >= 300 && bh <= 1024 && ${th:-0} >= 20 * 12 )); then
        first=$(ink "${tw}x12+${tx}+${ty}") || true
        last=$(ink "${tw}x12+${tx}+$((ty + th - 14))") || true
        awk -v a="$first" -v b="$last" 'BEGIN { exit !(a > 0.05 && b > 0.05) }' ||
          fail "word of $count ($which): nothing to read in the first or last line (ink $first, $last)"
      else
        fail "word of $count ($which): a box of ${bw:-?} x ${bh:-?} with a text of ${tw:-?} x ${th:-?}"
      fi
      driver press --title "Word $count" --button OK
      expect_response ok
    done
  done

  echo "--- no font from fontconfig: the server's core fonts (all it has, or its built-in \"fixed\""
  echo "    alone) write every line; characters a Latin-1 font lacks come out plain"
  for which in core fixed; do
    fonts=("$rig/with-fonts" "$which" --)
    start --title "Core $which" --style 0x34 'Première ligne, “quoted” – dashed\nsecond line'
    expect_box "Core $which" "title: Core $which"$'\nicon: warning\ntext: Première ligne, “quoted” – dashed\ntext: second line\nbutton: Yes (default)\nbutton: No'
    if look_at_box "Core $which" "core-$which"; then
      # Both lines are written: dark pixels in the upper and in the lower half of the text.
      upper=$(dark "${tw}x$((th / 2))+${tx}+${ty}") || true
      lower=$(dark "${tw}x$((th / 2))+${tx}+$((ty + th / 2))") || true
      (( upper > 100 && lower > 30 )) || fail "core fonts ($which): text not drawn (dark pixels $upper above, $lower below)"
    else
      fail "core fonts ($which): no box"
    fi
    driver key --title "Core $which" --key Return
    expect_response yes
  done

  echo "--- no font at all: the box is written to standard error and answered by its first button"
  status=0
  timeout 20 "$rig/with-fonts" none -- "$boxshow" --title "No font" --style 0x4 'Yes or no' >"$tmp/nf.out" 2>"$tmp/nf.err" || status=$?
  [ "$status" = 0 ] && grep -qx 'response: yes' "$tmp/nf.out" && [ "$(cat "$tmp/nf.err")" = "No font: Yes or no" ] ||
    fail "no font: status $status, $(cat "$tmp/nf.out" "$tmp/nf.err")"
  fonts=()
fi

echo "$failures failure(s)"
[ "$failures" = 0 ] || exit 1
