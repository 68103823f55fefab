#!/usr/bin/env bash
# The keyboard opened at the background level (as at start-up, flags 10) goes
# on reading keys while another program's window has the focus, and reads
# never fail for it.
#   window_background.sh PROBE X11_HELPER
# PROBE: tests/sdl's window_probe; X11_HELPER: tests/sdl's x11_helper.
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 2 ] || fail "usage: $0 PROBE X11_HELPER"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

open_window "$1"
window=$WINDOW
wait_for_line ready
xdotool windowfocus --sync "$window"
xdotool keydown Left; wait_for_line "down 203"; xdotool keyup Left; wait_for_line "up 203"

# Another program's window takes the focus.
"$2" window "another program" >"$WORK/helper.out" 2>"$WORK/helper.err" &
HELPER_PID=$!
for _ in $(seq 100); do [ -s "$WORK/helper.out" ] && break; sleep 0.05; done
other=$(head -n 1 "$WORK/helper.out")
[ -n "$other" ] || fail "the other window did not appear"
[ "$(xdotool getwindowfocus)" -eq "$((other))" ] || fail "the other window does not have the focus"

xdotool keydown space; wait_for_line "down 57"; xdotool keyup space; wait_for_line "up 57"
xdotool keydown Right; wait_for_line "down 205"; xdotool keyup Right; wait_for_line "up 205"
[ "$(xdotool getwindowfocus)" -eq "$((other))" ] || fail "the focus came back to our window"
grep -q '^failed' "$WORK/program.out" && fail "a background read failed"

xdotool key Escape
wait_for_line "down 1"
wait_for_exit 5
status=$EXIT_STATUS
[ "$status" -eq 0 ] || fail "exit status $status"
echo "keys read in the background while another window had the focus"
