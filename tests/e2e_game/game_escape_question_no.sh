#!/usr/bin/env bash
# The real program from start to end: Escape cuts the introduction short,
# round 1 begins, Escape during its first exchange brings the question, N
# ends the program with status 0. The recorded output must hold, in this
# order: the introduction's start (and not its later part), "Round", "one",
# a taunt, the question, "No" and "See you".
# Usage: game_escape_question_no.sh GRUMBOSH AUDIO_MATCH SOUNDS_DIR
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$@"
fi
shift
grumbosh=$1 audio_match=$2 sounds=$3

work=$(mktemp -d)
trap '[ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"

duration() { python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate())' "$1"; }
round=$(duration "$sounds/round.wav")
one=$(duration "$sounds/numbers/1.wav")
longest_taunt=0
for taunt in "$sounds"/grumbo0?.wav; do
  longest_taunt=$(python3 -c "print(max($longest_taunt, $(duration "$taunt")))")
done

# A key held long enough for a poll to see it, as a person's press is.
tap() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; }

"$grumbosh" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
xdotool windowfocus --sync "$window"

sleep 1.5
tap Escape   # cuts the introduction short; round 1 begins at once
# Hold Escape from within the round's introduction until well after the first
# exchange has begun (it begins after "Round", "one" and the taunt), and let go
# before the question has finished: it lasts longer than the longest taunt
# exceeds the shortest, plus this margin.
sleep 0.85
xdotool keydown Escape
sleep "$(python3 -c "print($round + $one + $longest_taunt + 0.2)")"
xdotool keyup Escape
sleep 3.0    # the question is heard to its end
tap n

status=0
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end after N" >&2
  exit 1
fi
wait "$pid" || status=$?
pid=""
echo "exit status $status"
[ "$status" -eq 0 ]

taunts=$(ls "$sounds"/grumbo0?.wav | paste -sd'|')
"$audio_match" "$work/out.raw" 22050 \
  "$sounds/intro.wav@0+1" "!$sounds/intro.wav@6+2" \
  "$sounds/round.wav" "$sounds/numbers/1.wav" "$taunts" \
  "$sounds/playagain.wav" "$sounds/no.wav" "$sounds/seeya.wav"
