#!/usr/bin/env bash
# Closing the main window (the title bar's close button) ends the program at
# once with status 0.
#   window_close.sh PROGRAM X11_HELPER
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 2 ] || fail "usage: $0 PROGRAM X11_HELPER"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

open_window "$1"
window=$WINDOW
sleep 0.5
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended by itself"
"$2" close "$window"
wait_for_exit 5
status=$EXIT_STATUS
[ "$status" -eq 0 ] || fail "exit status $status after closing the window"
echo "closing the window ended the program with status 0"
