#!/usr/bin/env bash
# Without a sound device the window opens, then the sound-driver message: a box
# with the product title as caption that stays until OK is pressed; pressing
# it (Return) ends the program with status 0.
#   window_no_sound.sh PROGRAM
# PROGRAM: the game or tests/sdl's window_probe. SDL_AUDIODRIVER is set to a
# driver that does not exist.
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 1 ] || fail "usage: $0 PROGRAM"
export SDL_AUDIODRIVER=nonexistent

open_window "$1"
window=$WINDOW

# SDL draws its message box from a child process; only the window tree shows it.
box=""
for _ in $(seq 100); do
  box=$(xwininfo -root -tree | awk -v main="$window" '
    /"Grumbosh"/ { id = $1; if (strtonum_ok(id) != main + 0) print id }
    function strtonum_ok(h,   i, n, c) { n = 0; h = tolower(substr(h, 3)); for (i = 1; i <= length(h); i++) { c = index("0123456789abcdef", substr(h, i, 1)) - 1; n = n * 16 + c } return n }' | head -n 1)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "no message box titled Grumbosh"
read -r bx by bw bh < <(window_geometry "$box")
[ "$bw" -gt 100 ] && [ "$bh" -gt 40 ] || fail "message box is only ${bw}x${bh}"
[ "$bx" -ge 0 ] && [ "$by" -ge 0 ] && [ $((bx + bw)) -le "$SCREEN_WIDTH" ] && [ $((by + bh)) -le "$SCREEN_HEIGHT" ] ||
  fail "message box ${bw}x${bh}+$bx+$by is not wholly on the screen"
sleep 1
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended before OK was pressed"
grep -q '^ready' "$WORK/program.out" && fail "the keyboard was opened without a sound device"

xdotool windowfocus --sync "$box"
xdotool key Return
wait_for_exit 10
status=$EXIT_STATUS
[ "$status" -eq 0 ] || fail "exit status $status after OK"
echo "sound-driver message ${bw}x${bh} at $bx,$by; OK ended with status 0"
