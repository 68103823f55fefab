#!/usr/bin/env bash
# The Windows program's window under wine: it opens centred with its three
# labels and three empty white text boxes where the form's layout puts them,
# and closing it ends the program with status 0.
#
#   windows_window.sh PATH/TO/grumbosh.exe
source "$(dirname "$0")/windows_common.sh"
here=$(cd "$(dirname "$0")" && pwd)

use_sound_device
start_display
start_game
window=$(find_window main 60) || fail "no main window"
sleep 1  # the introduction is playing; the window is drawn by now

eval "$(xdotool getwindowgeometry --shell "$window")"
screenshot "$work/window.ppm"
python3 "$here/windows_window_check.py" "$work/window.ppm" "$X" "$Y" "$WIDTH" "$HEIGHT" ||
  fail "the window's pixels are not the form's layout"
# Centred on the 1280 x 1024 screen.
[ $((X - (1280 - WIDTH) / 2)) -ge -1 ] && [ $((X - (1280 - WIDTH) / 2)) -le 1 ] || fail "not centred across: x $X"
[ $((Y - (1024 - HEIGHT) / 2)) -ge -1 ] && [ $((Y - (1024 - HEIGHT) / 2)) -le 1 ] || fail "not centred down: y $Y"

# Closing the window (Alt+F4, as the system menu's Close) ends the program.
xdotool windowfocus --sync "$window"
xdotool key alt+F4
wait_for_end 20 || fail "the program did not end within 20 s of closing its window"
[ "$end_status" = 0 ] || fail "exit status $end_status after closing the window"
echo "PASS: the window shows its layout, centred, and closing it ends the program with status 0"
