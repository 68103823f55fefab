#!/usr/bin/env bash
# A short game of the Windows program under wine, with ALSA's null device as
# the sound card: Space cuts the introduction short, the first round begins,
# Escape during its first exchange reaches the play-again question, N answers
# it, and the program ends with status 0.
#
# What the program plays is seen in wine's file trace: every sound is read
# from its file when it starts, so the order of the files opened is the order
# of what the player hears.
#
#   windows_game.sh PATH/TO/grumbosh.exe
source "$(dirname "$0")/windows_common.sh"
here=$(cd "$(dirname "$0")" && pwd)

use_sound_device
start_display
start_game +file
window=$(find_window main 60) || fail "no main window"
wait_for_log 'CreateFileW L"sounds/intro.wav"' 30 || fail "the introduction was never played"
sleep 1
xdotool windowfocus --sync "$window"
hold_key space 0.3

# The introduction lasts 44 s; cut short, the round begins at once.
wait_for_log 'CreateFileW L"sounds/round.wav"' 10 || fail "Space did not cut the introduction short"
eval "$(xdotool getwindowgeometry --shell "$window")"
screenshot "$work/round.ppm"
python3 "$here/windows_window_check.py" "$work/round.ppm" "$X" "$Y" "$WIDTH" "$HEIGHT" --boxes filled:0 ||
  fail "the round box does not show the round"

# After the taunt the first exchange polls the keyboard: hold Escape until
# the question starts, and let go while it is still being asked.
wait_for_log 'CreateFileW L"sounds/grumbo0' 15 || fail "no taunt in the first round"
xdotool keydown Escape
wait_for_log 'CreateFileW L"sounds/playagain.wav"' 15 || { xdotool keyup Escape; fail "Escape did not reach the question"; }
xdotool keyup Escape
opened_sounds | grep -q BrokToof.wav && fail "the game was lost instead of left with Escape"
sleep 0.2
opened_sounds | grep -q '^sounds/no.wav$' && fail "the question was answered before N"

# playagain.wav lasts 3.2 s; N counts once the question polls.
xdotool keydown n
wait_for_log 'CreateFileW L"sounds/no.wav"' 15 || { xdotool keyup n; fail "N did not answer the question"; }
xdotool keyup n
wait_for_end 20 || fail "the program did not end within 20 s of the answer"
[ "$end_status" = 0 ] || fail "exit status $end_status"

heard=$(opened_sounds | tr '\n' ' ')
expected_tail="sounds/playagain.wav sounds/no.wav sounds/seeya.wav "
case "$heard" in
  *"$expected_tail") ;;
  *) fail "the sounds heard end in: $heard" ;;
esac
echo "PASS: intro cut short, round one, Escape, the question, N, status 0 ($heard)"
