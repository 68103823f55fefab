#!/usr/bin/env bash
# Keys typed into the focused main window reach the 256-byte key state under
# their DirectInput codes, and Escape ends the probe with status 0.
#   window_keys.sh PROBE
# PROBE: tests/sdl's window_probe, which prints "down CODE" / "up CODE".
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 1 ] || fail "usage: $0 PROBE"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

open_window "$1"
window=$WINDOW
wait_for_line ready
xdotool windowfocus --sync "$window"

# key name (X keysym) and its DirectInput code
for pair in Left:203 Right:205 Up:200 Down:208 space:57 Return:28 a:30 1:2 F12:88 KP_Enter:156 \
            Home:199 Delete:211 Shift_L:42 Control_L:29; do
  name=${pair%%:*} code=${pair##*:}
  xdotool keydown "$name"
  wait_for_line "down $code"
  xdotool keyup "$name"
  wait_for_line "up $code"
done
# xdotool presses left Shift along with the right one; the right one still
# has a code of its own.
xdotool keydown Shift_R
wait_for_line "down 54"
xdotool keyup Shift_R
wait_for_line "up 54"
grep -q '^failed' "$WORK/program.out" && fail "a read failed while the window had the focus"

xdotool key Escape
wait_for_line "down 1"
wait_for_exit 5
status=$EXIT_STATUS
[ "$status" -eq 0 ] || fail "exit status $status after Escape"
echo "keys reached the key state; Escape ended with status 0"
