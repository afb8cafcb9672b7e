#!/usr/bin/env bash
# The desktop program end to end, as a user meets it, on a virtual X screen
# (Xvfb): tarnwick-gui started on a simulated board, a firmware file dropped
# onto it from another program, the chip written through the real tarnwick
# and stopped once mid-write (Esc), written again and verified, a picture of
# the screen saved and checked, and the program quit.
#
#   gui_e2e_test.sh TARNWICK_GUI TARNWICK DRAG_SOURCE WORK_DIR
#
# It needs a tarnwick that writes --json events; with one whose --help does
# not mention --json it exits 77 (skipped, with the reason). Every wait is
# for a state (a window, its title, a line of the drag source, a file),
# bounded. The picture is WORK_DIR/screen.png.
set -euo pipefail
gui=$1 tarnwick=$2 drag_source=$3 work=$4

if ! "$tarnwick" --help 2>&1 | grep -q -- '--json'; then
  echo "skipped: $tarnwick does not write --json events yet (its --help does not mention --json); this test runs once it does"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/home" "$work/board"
log=$work/steps.log
: >"$log"
say() { echo "gui-e2e: $*" | tee -a "$log"; }

xvfb_pid="" gui_pid="" drag_pid=""
cleanup() {
  for pid in $drag_pid $gui_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

fail() {
  say "FAILED: $*${window:+ (title: $(title))}"
  [ -z "${DISPLAY:-}" ] || import -window root "$work/failed.png" 2>/dev/null || true
  echo "--- tarnwick-gui's output:"; cat "$work/gui.out" 2>/dev/null || true
  exit 1
}

# Waits up to SECONDS for COMMAND to succeed.
wait_for() {  # wait_for WHAT SECONDS COMMAND...
  local what=$1 deadline=$((SECONDS + $2))
  shift 2
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || fail "no $what within the time allowed"
    sleep 0.2
  done
}

title() { xdotool getwindowname "$window" 2>/dev/null; }
title_matches() { [[ $(title) =~ $1 ]]; }
said() { grep -qx "$1" "$work/drag.out"; }

# A virtual screen of its own.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 30 display <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$display
say "Xvfb on $DISPLAY"

# A firmware image: 4 KB of random bytes, raw.
head -c 4096 /dev/urandom >"$work/fw.bin"

# The program, with fresh settings, in English.
started=$(date +%s%N)
env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LANG=C.UTF-8 \
  LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb \
  "$gui" --tarnwick "$tarnwick" --sim "$work/board" >"$work/gui.out" 2>&1 &
gui_pid=$!
wait_for "tarnwick-gui window" 60 xdotool search --onlyvisible --name '^Tarnwick'
window=$(xdotool search --onlyvisible --name '^Tarnwick' | head -n 1)
say "window shown after $(( ($(date +%s%N) - started) / 1000000 )) ms"
# Idle once its first run (it asks tarnwick which ports it finds) ended.
wait_for "an idle window" 60 title_matches '^Tarnwick$'

# The drop: pressed on the drag source, carried onto the window, released.
"$drag_source" "$work/fw.bin" >"$work/drag.out" 2>&1 &
drag_pid=$!
wait_for "drag source" 30 said shown
xdotool mousemove 40 40 mousedown 1
wait_for "drag to begin" 30 said dragging
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 3))
# Each nudge is a pointer motion for the drag; the window accepts on one.
nudge_until_accepted() { said accepted || { xdotool mousemove_relative 1 0; false; }; }
wait_for "the window to accept the drop" 30 nudge_until_accepted
xdotool mouseup 1
wait_for "the drop" 30 said dropped
wait_for "fw.bin in the window" 30 title_matches '^Tarnwick - fw\.bin$'
# Only now: the window fetched the file's name from the source's selection.
kill "$drag_pid"
drag_pid=""
say "dropped fw.bin"

# Write, stopped by Esc once it is under way.
xdotool windowfocus --sync "$window"
xdotool key ctrl+w
wait_for "a write under way (10 %)" 120 title_matches 'Programming ([1-9][0-9])%$'
say "stopping at: $(title)"
xdotool key Escape
wait_for "the write to stop" 60 title_matches 'Write stopped$'
[ -f "$work/board/simchip.bin" ] || fail "no simulated chip saved after the stop"
cmp -s -n 16 "$work/fw.bin" "$work/board/simchip.bin" ||
  fail "the stopped write did not program the first bytes"
! cmp -s "$work/fw.bin" "$work/board/simchip.bin" ||
  fail "the stopped write programmed everything: it did not stop"
say "stopped: partly programmed"

# Written again to the end, then verified.
xdotool key ctrl+w
wait_for "the write to pass" 300 title_matches 'Write passed$'
cmp -s "$work/fw.bin" "$work/board/simchip.bin" ||
  fail "the chip does not hold fw.bin after the write"
xdotool key ctrl+y
wait_for "the verify to pass" 120 title_matches 'Verify passed$'
say "written and verified"

# The picture, checked: the chip map and the hex view in the data colour,
# nothing in the colour of a failure but the legend's small square.
import -window root "$work/screen.png"
pixels() {  # pixels COLOUR: how many pixels of the screen have that colour
  convert "$work/screen.png" -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)]' info:
}
data=$(pixels '#9FD0FF') failed=$(pixels '#E84040')
say "screen: $data pixels in the data colour, $failed in the failure colour"
[ "$data" -gt 100000 ] && [ "$failed" -lt 300 ] ||
  fail "the picture does not show a written chip ($work/screen.png)"

memory=$(awk '/^VmHWM|^VmRSS/ {printf "%s %d MB  ", $1, $2 / 1024}' "/proc/$gui_pid/status")
say "memory of tarnwick-gui: $memory"

# Quit: the program ends by itself.
xdotool key ctrl+q
wait_for "tarnwick-gui to end" 60 bash -c "! kill -0 $gui_pid"
wait "$gui_pid" && code=0 || code=$?
gui_pid=""
[ "$code" -eq 0 ] || fail "tarnwick-gui exited $code"
say "passed; the picture: $work/screen.png"
