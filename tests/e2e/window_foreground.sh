#!/usr/bin/env bash
# The keyboard opened at the foreground level (as when the game opens it
# again, flags 6) is taken away when our window loses the focus: the next read
# fails with DIERR_INPUTLOST (-2147024866), keys pressed meanwhile are not
# seen, and once the focus is back the keyboard opens again and reads keys.
#   window_foreground.sh PROBE X11_HELPER
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 2 ] || fail "usage: $0 PROBE X11_HELPER"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

open_window "$1" --foreground
window=$WINDOW
wait_for_line ready
# Not acquired until our window has had the focus.
xdotool windowfocus --sync "$window"
xdotool keydown Left; wait_for_line "down 203"; xdotool keyup Left; wait_for_line "up 203"
: >"$WORK/program.out.mark"
lines_before=$(grep -c . "$WORK/program.out")

"$2" window "another program" >"$WORK/helper.out" 2>"$WORK/helper.err" &
HELPER_PID=$!
wait_for_line "failed -2147024866"
xdotool keydown space; sleep 0.3; xdotool keyup space; sleep 0.2
tail -n +$((lines_before + 1)) "$WORK/program.out" | grep -q '^down' && fail "a key was read without the focus"

xdotool windowfocus --sync "$window"
xdotool keydown Right; wait_for_line "down 205"; xdotool keyup Right; wait_for_line "up 205"
xdotool key Escape
wait_for_line "down 1"
wait_for_exit 5
status=$EXIT_STATUS
[ "$status" -eq 0 ] || fail "exit status $status"
echo "foreground keyboard lost with the focus and read again once it came back"
