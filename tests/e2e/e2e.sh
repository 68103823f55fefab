#!/usr/bin/env bash
# End-to-end checks of the real program, the same for the Linux build and the
# Windows build under wine. Each run has a display of its own (Xvfb), is driven
# by xdotool as a player would, and what it plays is recorded: by SDL's disk
# audio driver, or, under wine, through ALSA into a PulseAudio null sink.
#
#   e2e.sh linux|windows SCENARIO PROGRAM TOOLS
#     layout      the window's size, place and controls, by a screenshot's pixels;
#                 then closing the window ends the program with status 0
#     layout_144dpi   (linux) the same on a desktop scaled to 150 %
#     game        Escape cuts the introduction short, Escape in round 1 brings the
#                 question, N ends with status 0; checked in the recording
#     game_server (linux) the same, played by the program straight to a sound server
#     no_sound    no sound device: the sound-driver message, OK, status 0
#     lost_device (linux) the sound server is lost and back during the introduction
#     lost_device_server  (linux) the same, the program playing straight to the server
#     keys, keys_foreground   (linux) window_probe reads keys with the focus and
#                 without, its keyboard opened at the background or foreground level
#     box_focus   (linux) a missing sound's message box, its text whole; the music
#                 silent while another program's window or none is in front, not the box
#   TOOLS: the folder of audio_match, and for linux of window_probe, x11_close and message_spy.
set -euo pipefail
# The program is started by the path given (an installed launcher, a link);
# its sounds are beside the file that path leads to.
platform=$1 scenario=$2 program=$(realpath -s "$3") tools=$4
sounds=$(dirname "$(readlink -f "$3")")/sounds work=$(mktemp -d) pids=()
finish() {
  local status=$?
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  [ "$platform" = linux ] || wineserver -k || true
  [ $status -eq 0 ] || grep -v -h ':trace:' "$work"/*.log | tail -n 30 >&2 || true
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to $1 seconds for the command that follows to succeed.
within() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.1; done; }
start() { "$@" & pids+=($!); }

# -noreset: the X resources set before a program starts outlive the moment no client is connected.
start Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log"
within 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
client=(0 0 540x47)  # the client area's place in the program's X window, and that window's size
dpi=96
if [ "$platform" = windows ]; then
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 HOME=$work XDG_RUNTIME_DIR=$work
  export WINEPREFIX=${WINEPREFIX:-$work/prefix}  # scripts/test-windows.sh makes one for all tests
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
  # A wineserver left from an earlier program would hold that program's display.
  timeout 30 wineserver -w || true
  client=(3 22 546x72)  # wine draws the frame inside the X window
fi

# windows main|other: the program's main window (known by its size) or its
# first other one, among the viewable top-level windows titled Grumbosh, as
# "ID WIDTH HEIGHT X Y".
windows() {
  kill -0 "$program_pid" || fail "the program ended"
  xwininfo -root -children | awk '/"Grumbosh"/ {g = $(NF - 1); gsub(/[x+]/, " ", g); print $1, g}' | while read -r id geometry; do
    ! xwininfo -id "$id" | grep -q IsViewable || echo "$id $geometry"
  done | awk -v main="${client[2]/x/ }" -v want="$1" '(($2 " " $3) == main) == (want == "main") {print; exit}' | grep .
}
wait_window() { within 30 windows "$1" >"$work/$1" || fail "no $1 window"; read -r "${@:2}" _ <"$work/$1"; }

# pulse: a private PulseAudio server whose one output, a null sink, is recorded into $work/heard.raw.
pulse() {
  start env HOME="$work" XDG_RUNTIME_DIR="$work" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-null-sink sink_name=heard" --load="module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" >>"$work/pulse.log" 2>&1
  server_pid=${pids[-1]}
  export PULSE_SERVER=unix:$work/pulse.socket
  within 10 pactl stat >/dev/null 2>&1 || fail "PulseAudio did not start"
  start parec -d heard.monitor --raw --format=s16le --rate=22050 --channels=2 --latency-msec=20 >"$work/heard.raw" 2>>"$work/pulse.log"
}

# launch sound|silent|pulse|server [ARGUMENT...]: starts the program, with or without a sound
# device, and waits for its main window. What it plays goes to $work/heard.raw
# (16-bit stereo, 22,050 Hz); the text of its message boxes to $work/program.log.
# The Linux program plays through SDL's disk audio driver, or (pulse) through a server of ours,
# or (server) to that server itself, as it does when SDL_AUDIODRIVER is not set.
launch() {
  local device=$1
  if [ "$platform" = linux ]; then
    [ "$device" = sound ] && export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/heard.raw || export SDL_AUDIODRIVER=none
    [ "$device" != pulse ] || { pulse; export SDL_AUDIODRIVER=pulseaudio PULSE_LATENCY_MSEC=100; }
    [ "$device" != server ] || { pulse; unset SDL_AUDIODRIVER; }
    start env LD_PRELOAD="$tools/libmessage_spy.so" "$program" "${@:2}" >"$work/program.log" 2>&1
  else
    if [ "$device" = sound ]; then
      pulse
      printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' >"$HOME/.asoundrc"
    fi
    # The window trace shows the texts windows are given.
    start env -C "$(dirname "$program")" WINEDEBUG=-all,+win wine "$program" "${@:2}" >"$work/program.log" 2>&1
  fi
  program_pid=${pids[-1]}
  wait_window main window width height x y
}

# Waits for the program to end with status 0.
expect_end() {
  within 20 eval '! kill -0 $program_pid 2>/dev/null' || fail "the program did not end $1"
  wait "$program_pid" || fail "exit status $? $1"
}
heard() { sox -t raw -r 22050 -e signed -b 16 -c 2 -L "$work/heard.raw" "$@"; }
loud() { heard -n stat 2>&1 | awk '/Maximum amplitude/ {exit $3 < 0.05}'; }
# clip NAME SOUND [EFFECT...]: a sound file as the matcher reads it (8,000 Hz mono raw float),
# as heard -r 8000 -c 1 -t f32 makes the recording.
clip() { sox "$sounds/$2.wav" -r 8000 -c 1 -t f32 "$work/$1" "${@:3}"; }

layout() {
  launch sound
  (((2 * x + width - 1280) ** 2 + (2 * y + height - 1024) ** 2 <= 8)) || fail "not centred on the screen: at $x,$y"
  sleep 1  # drawn by now
  # The client area's pixels, "X Y GREY" a line, against the form's layout in
  # twips (15 to a pixel at 96 dots per inch), each label followed by its box:
  # dark pixels (text) only inside the controls, each label's from its left
  # edge; each box empty, white up to its sunken edges.
  local area=$(((8100 * dpi + 720) / 1440))x$(((705 * dpi + 720) / 1440))
  import -window root -crop "$area+$((x + client[0]))+$((y + client[1]))" -colorspace gray -depth 8 txt:- |
    awk -F '[^0-9]+' -v dpi="$dpi" -v controls="120 180 930 360 1140 120 1575 480 2820 180 825 360 3720 120 1575 480
                                  5475 180 810 360 6360 120 1575 480" '
    function run(x, y, dx, dy) { while (grey[x + dx, y + dy] == 255) { x += dx; y += dy } return dx ? x : y }
    function bad(what) { print what; failed = 1 }
    NR > 1 { grey[$1, $2] = $(NF - 1) }
    END {
      n = split(controls, c); for (i in c) c[i] = int((c[i] * dpi + 720) / 1440)
      for (xy in grey) if (grey[xy] < 100) {
        split(xy, p, SUBSEP); found = 0
        for (k = 1; k < n; k += 4) if (p[1] >= c[k] && p[1] < c[k] + c[k+2] && p[2] >= c[k+1] && p[2] < c[k+1] + c[k+3]) {
          found = 1; dark[k]++; if (!(k in left) || p[1] < left[k]) left[k] = p[1]
          if (!(k in top) || p[2] < top[k]) top[k] = p[2]; if (p[2] > bottom[k]) bottom[k] = p[2]
        }
        if (!found) bad("dark pixel outside the controls at " p[1] "," p[2])
      }
      # The capitals of "Round:", 13 pixels high in the font of 13.5 points at 96 dots per inch.
      if ((bottom[1] - top[1] + 1 - 13 * dpi / 96) ^ 2 > 1) bad("\"Round:\" is " bottom[1] - top[1] + 1 " pixels high")
      for (k = 1; k < n; k += 8) {
        if (dark[k] < 30 || left[k] > c[k] + 3) bad("label at " c[k] ": " dark[k] " dark pixels, from x " left[k])
        x = c[k+4] + int(c[k+6] / 2); y = c[k+5] + int(c[k+7] / 2)
        edges = run(x, y, -1, 0) - c[k+4] " " c[k+4] + c[k+6] - run(x, y, 1, 0) " " run(x, y, 0, -1) - c[k+5] " " c[k+5] + c[k+7] - run(x, y, 0, 1)
        if (edges !~ /^[1-3] [1-3] [1-3] [1-3]$/) bad("box at " c[k+4] ": white inside edges of " edges " pixels (left right top bottom)")
      }
      exit failed
    }' || fail "the window's pixels are not its layout"
  kill -0 "$program_pid" || fail "the program ended by itself"
  if [ "$platform" = linux ]; then "$tools/x11_close" "$window"; else xdotool windowfocus --sync "$window" key alt+F4; fi
  expect_end "after its window was closed"
}

# Xft.dpi is how a desktop asks its programs to scale.
layout_144dpi() {
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi: 144"
  dpi=144 client=(0 0 810x71)
  layout
}

game() {
  launch "${1:-sound}"
  xdotool windowfocus --sync "$window"
  within 30 loud || fail "the introduction was not heard"
  # Escape cuts the introduction short; Escape held from the first round's
  # announcement into its first exchange, let go while the question is still
  # asked; N held from then on, so that it answers whenever the question has
  # been heard, however slow the machine.
  xdotool sleep 1 keydown Escape sleep 0.15 keyup Escape sleep 0.85 keydown Escape sleep \
    "$(soxi -DT "$sounds"/{round,numbers/1,grumbo05}.wav | awk '{print $1 + 0.2}')" keyup Escape sleep 0.5 keydown n
  expect_end "after N"
  xdotool keyup n
  sleep 0.5
  heard -r 8000 -c 1 -t f32 "$work/heard"
  clip intro_start intro trim 0 1
  clip intro_later intro trim 6 2
  for name in round numbers/1 playagain no seeya grumbo00 grumbo01 grumbo02 grumbo03 grumbo04 grumbo05; do clip "${name#*/}" "$name"; done
  (cd "$work" && "$tools/audio_match" 8000 heard intro_start '!intro_later' round 1 \
    'grumbo00|grumbo01|grumbo02|grumbo03|grumbo04|grumbo05' playagain no seeya) || fail "not heard in this order"
}

no_sound() {
  launch silent
  wait_window other box
  sleep 1
  kill -0 "$program_pid" || fail "the program ended before OK"
  local message="Sound driver error. Please update your sound card drivers and make sure you have at least DirectX \
7.0 installed.  For more information, please refer to https://grumbosh.example.org or contact support@grumbosh.example.org."
  tr -d '\n' <"$work/program.log" | grep -qF "$message" || fail "the message box does not say: $message"
  xdotool windowfocus --sync "$box" key Return
  expect_end "after OK"
}

# The round's sound is missing: its message box opens while the music plays,
# another program's window in front; Return closes it, leaving no window in front.
box_focus() {
  mkdir "$work/game" && cp -r "$program" "$sounds" "$work/game" && rm "$work/game/sounds/round.wav"
  program=$work/game/$(basename "$program")
  launch sound
  xdotool windowfocus --sync "$window"
  within 30 eval 'heard -n stat 2>&1 | awk "/Maximum amplitude/ {exit \$3 < 0.05}"' || fail "the introduction was not heard"
  start xmessage -title other "another program"
  within 10 xdotool search --limit 1 --onlyvisible --name '^other$' >"$work/another" || fail "no other window"
  xdotool windowfocus --sync "$(cat "$work/another")"
  xdotool keydown Escape sleep 0.15 keyup Escape  # read from the background
  wait_window other box
  [[ $(tr -d '\n' <"$work/program.log") == *"message box: An error has occurred in this application.  Procedure: \
PlaySound.  Error Number: -2147024894 - "*".  Please e-mail support@grumbosh.example.org with this information."* ]] ||
    fail "the message box does not give the game's text"
  # The loudest sample of a second's recording, from a moment after the change.
  loudest() {
    local from
    sleep 0.3 && from=$(stat -c %s "$work/heard.raw") && sleep 1
    head -c "$(stat -c %s "$work/heard.raw")" "$work/heard.raw" | tail -c +$((from + 1)) |
      sox -t raw -r 22050 -e signed -b 16 -c 2 -L - -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'
  }
  for step in "windowfocus --sync $box:loud" "windowfocus --sync $(cat "$work/another"):silent" \
              "windowfocus --sync $box:loud" "key Return:silent"; do
    xdotool ${step%:*}
    awk -v level="$(loudest)" -v want="${step#*:}" 'BEGIN { exit (level > 0.01) != (want == "loud") }' ||
      fail "not ${step#*:} after xdotool ${step%:*}"
  done
}

# Keys reach window_probe's key state under their DirectInput codes while its
# window has the focus; while another program's has it, they still do at the
# background level, and at the foreground level the keyboard is lost until
# the focus is back.
keys() {
  program=$tools/window_probe
  launch sound "$@"
  xdotool windowfocus --sync "$window"
  seen() { tail -n 1 "$work/program.log" | grep -qx "$1"; }
  press() {
    xdotool keydown "${1%:*}" && within 5 seen "down ${1#*:}" && xdotool keyup "${1%:*}" && within 5 seen "up ${1#*:}" ||
      fail "${1%:*} was not read as ${1#*:}"
  }
  for key in Left:203 Up:200 Right:205 Down:208 space:57 Return:28 Shift_L:42 Shift_R:54 Control_L:29 y:21 n:49; do press $key; done
  start xmessage -title other "another program"
  within 10 xdotool search --onlyvisible --name '^other$' windowfocus --sync || fail "no other window"
  if [ "${1:-}" = --foreground ]; then
    within 5 grep -qx "failed -2147024866" "$work/program.log" || fail "the keyboard was not lost with the focus"
    xdotool keydown space sleep 0.3 keyup space sleep 0.2
    ! seen "up 57" || fail "a key was read without the focus"
    xdotool windowfocus --sync "$window"
  fi
  press Right:205
}

# The sound server goes away two seconds into the introduction and is back
# five seconds later. The introduction then goes on where those seconds have
# brought it: a second of it from the tenth on is heard, but neither its start
# nor its sixth second, which it would play had it waited for the device.
lost_device() {
  launch "${1:-pulse}"
  xdotool windowfocus --sync "$window"
  within 30 loud || fail "the introduction was not heard"
  sleep 2; kill "$server_pid"; sleep 5; pulse; sleep 8
  heard -r 8000 -c 1 -t f32 "$work/heard"
  clip start intro trim 0 2; clip sixth intro trim 5 1; for s in {9..15}; do clip "s$s" intro trim "$s" 1; done
  (cd "$work" && "$tools/audio_match" 8000 heard '!start' '!sixth' "$(printf 's%s|' {9..15})") || fail "the introduction did not go on"
}

case $scenario in
  keys_foreground) keys --foreground ;;
  *_server) "${scenario%_server}" server ;;
  *) "$scenario" ;;
esac
