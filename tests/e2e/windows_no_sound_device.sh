#!/usr/bin/env bash
# The Windows program under wine with no sound device at all: the window
# opens, then the sound-driver message with only OK; Return closes it and
# the program ends with status 0, having played nothing.
#
#   windows_no_sound_device.sh PATH/TO/grumbosh.exe
source "$(dirname "$0")/windows_common.sh"

use_no_sound_device
start_display
# The window trace shows the texts the program's windows are given.
start_game +win,+file
here=$(cd "$(dirname "$0")" && pwd)
find_window main 60 >/dev/null || fail "no main window"
box=$(find_window other 30) || fail "no sound-driver message"

eval "$(xdotool getwindowgeometry --shell "$box")"
screenshot "$work/box.ppm"
expected="Sound driver error. Please update your sound card drivers and make sure you have at least DirectX 7.0 installed.  For more information, please refer to https://grumbosh.example.org or contact support@grumbosh.example.org."
grep -qF "set_window_text L\"$expected\"" "$work/game.log" || fail "the message box does not say: $expected"
# Its text is drawn: dark pixels in the box's upper part, above the button.
python3 -c "
import sys
sys.path.insert(0, '$here')
from windows_window_check import Image, dark_pixels
image = Image('$work/box.ppm')
print(dark_pixels(image, $X + 8, $Y + 30, $WIDTH - 16, ($HEIGHT - 30) // 2))
" >"$work/dark" || fail "cannot read the screenshot"
[ "$(cat "$work/dark")" -gt 200 ] || fail "the message box shows no text ($(cat "$work/dark") dark pixels)"

xdotool windowfocus --sync "$box"
xdotool key Return
wait_for_end 20 || fail "the program did not end within 20 s of OK"
[ "$end_status" = 0 ] || fail "exit status $end_status after the sound-driver message"
opened_sounds | grep -q . && fail "sounds were opened: $(opened_sounds | tr '\n' ' ')"
echo "PASS: no sound device: the sound-driver message, OK, status 0, nothing played"
