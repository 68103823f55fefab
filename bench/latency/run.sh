#!/usr/bin/env bash
# Key-to-silence latency of the game where players hear it: a private
# PulseAudio server and a private PipeWire server, each with a null sink at
# the game's 22,050 Hz, recorded by latency_probe. Per server, the game (as
# a player's desktop starts it: it plays to the server itself) and a typical
# SDL game (1,024-sample buffer, SDL's choice of driver) each play the
# introduction, Escape is pressed, and the time from the X server's handling
# of the key to the first sample that is no longer the introduction is taken,
# TRIALS times, with the sink's own latency beside it. Then a whole game,
# lost at its first swing, is played while two other processes keep both
# cores busy, and its recording is checked: the introduction whole, sample
# for sample, and the rest in order. Beside it, the server on its own under
# the same load: queued_intro hands it the whole introduction at once, at the
# game's period, so what that recording lacks the server lost by itself.
#
#   bench/latency/run.sh [TRIALS [SERVER...]]   (default: 12 pulseaudio pipewire)
#
#   WHOLE_GAMES=N   N whole games, and N times the server on its own (default 1)
#   LOAD=copy       the load copies memory in the kernel (dd to /dev/null)
#                   instead of spinning
#
# Nothing of the user's is touched: the servers, their configuration, the
# session bus and the X display are private and end with the script.
set -euo pipefail
cd "$(dirname "$0")/../.."
trials=${1:-12}
servers=("${@:2}")
[ ${#servers[@]} -gt 0 ] || servers=(pulseaudio pipewire)
scripts/install-deps.sh latency

build=$(pwd)/build-latency
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGRUMBOSH_TESTS=OFF -DGRUMBOSH_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target grumbosh grumbosh_sounds >/dev/null
c++ -std=c++20 -O2 -Wall -Wextra -o "$build/latency_probe" bench/latency/latency_probe.cpp \
  $(pkg-config --cflags --libs libpulse-simple x11 xtst) -pthread
c++ -std=c++20 -O2 -Wall -Wextra -o "$build/typical_sdl_game" bench/latency/typical_sdl_game.cpp \
  $(pkg-config --cflags --libs sdl2)
c++ -std=c++20 -O2 -Wall -Wextra -o "$build/queued_intro" bench/latency/queued_intro.cpp \
  $(pkg-config --cflags --libs libpulse)
c++ -std=c++20 -O2 -o "$build/audio_match" tests/e2e/audio_match.cpp
game=$(readlink -f "$build/grumbosh") sounds=$(readlink -f "$build/sounds")
intro=$sounds/intro.wav

work=$(mktemp -d) pids=()
start() { "$@" & pids+=($!); }
stop_servers() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_servers; kill $xvfb_pid; rm -rf "$work"' EXIT
within() { local end=$((SECONDS + $1)); shift; until "$@" >/dev/null 2>&1; do [ $SECONDS -lt $end ] || return 1; sleep 0.1; done; }
step() { echo "== $*" >&2; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
within 10 test -s "$work/display"
export DISPLAY=:$(cat "$work/display")

# Each server runs in a runtime folder of its own, with its own session bus.
fresh_runtime() {
  export XDG_RUNTIME_DIR=$work/$1 HOME=$work/$1 XDG_CONFIG_HOME=$work/$1/config
  mkdir -p "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
}

start_pulseaudio() {
  fresh_runtime pulseaudio
  export PROBE_BLOCK_FRAMES=32
  mkdir -p "$XDG_RUNTIME_DIR/pulse"
  # Shared memory off: 16.1 aborted once on a client's disconnect with it on.
  start pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
    -L "module-native-protocol-unix socket=$XDG_RUNTIME_DIR/pulse/native auth-anonymous=1" \
    -L "module-null-sink sink_name=bench rate=22050 channels=2 format=s16le norewinds=1" 2>"$work/pulseaudio.log"
  within 10 pactl info
}

start_pipewire() {
  fresh_runtime pipewire
  # PipeWire runs the whole graph at the smallest period a client asks for:
  # the probe asks for none smaller than the game's.
  export PROBE_BLOCK_FRAMES=128
  export PIPEWIRE_RUNTIME_DIR=$XDG_RUNTIME_DIR
  # WirePlumber needs a session bus.
  start dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus"
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
  # The graph at the game's rate, and without the larger quanta PipeWire
  # takes on a virtual machine, which this one may look like.
  mkdir -p "$XDG_CONFIG_HOME/pipewire"
  for conf in pipewire pipewire-pulse; do
    sed -e '/vm.overrides = {/,/}/d' -e 's/#default.clock.rate .*/default.clock.rate = 22050/' \
      -e 's/#default.clock.allowed-rates .*/default.clock.allowed-rates = [ 22050 ]/' \
      "/usr/share/pipewire/$conf.conf" >"$XDG_CONFIG_HOME/pipewire/$conf.conf"
  done
  within 10 test -S "$XDG_RUNTIME_DIR/bus"
  start pipewire 2>"$work/pipewire.log"
  within 10 test -S "$XDG_RUNTIME_DIR/pipewire-0"
  start wireplumber 2>"$work/wireplumber.log"
  start pipewire-pulse 2>"$work/pipewire-pulse.log"
  within 10 pactl info
  pactl load-module module-null-sink sink_name=bench rate=22050 channels=2 format=s16le >/dev/null
  within 10 sh -c 'pactl list short sinks | grep -q bench'
  pactl set-default-sink bench
  sleep 1
}

# trial DRIVER PROGRAM...: one key-to-silence figure in milliseconds.
trial() {
  local driver=$1; shift
  env ${driver:+SDL_AUDIODRIVER=$driver} "$@" >/dev/null 2>&1 &
  local program=$!
  local window
  window=$(xdotool search --sync --onlyvisible --pid "$program" 2>/dev/null | head -n 1)
  xdotool windowfocus --sync "$window"
  "$build/latency_probe" key bench "$intro" 2>>"$work/probe.log" || echo failed
  # What the sink holds beyond what the probe sees: the recording is taken as
  # the sink renders, and a sound card would play that much later.
  { pactl list sinks || true; } | awk '/^\tLatency:/ {print $2 / 1000; exit}' >>"$work/sink-$label-$who"
  kill "$program" 2>/dev/null; wait "$program" 2>/dev/null || true
}

# measure LABEL DRIVER: TRIALS figures for the game, then for the typical game.
measure() {
  local label=$1
  for who in game typical; do
    local cmd=("$game")
    [ $who = game ] || cmd=("$build/typical_sdl_game" "$intro")
    : >"$work/probe.log"
    for ((t = 0; t < trials; t++)); do trial "$2" "${cmd[@]}"; done >"$work/$1-$who"
    summary "$1" "$who"
    sed 's/.*; //' "$work/probe.log" | sort | uniq -c | sed 's/^/      /' | tee -a "$work/results"
    sort -n "$work/sink-$1-$who" | awk '{v[n++] = $1} END {printf "      latency of the sink itself after each trial: median %.1f ms (%.1f-%.1f)\n", v[int((n - 1) / 2)], v[0], v[n - 1]}' |
      tee -a "$work/results"
  done
}
summary() {
  sort -n "$work/$1-$2" | awk -v path="$1" -v who="$2" '
    /failed/ {failed++; next}
    {v[n++] = $1}
    END {
      m = n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2
      printf "%-28s %-8s median %6.1f ms  range %5.1f-%5.1f ms  (%d trials, %d failed)\n", path, who, m, v[0], v[n - 1], n, failed
    }' | tee -a "$work/results"
}

# Two processes that keep both cores busy, in the array `load`.
start_load() {
  load=()
  for _ in 1 2; do
    if [ "${LOAD:-spin}" = copy ]; then
      (exec dd if=/dev/zero of=/dev/null bs=32M 2>/dev/null) &
    else
      (while :; do :; done) &
    fi
    load+=($!)
  done
}

# whole_game LABEL DRIVER: a game lost at its first swing, under load.
whole_game() {
  local load
  start_load
  env ${2:+SDL_AUDIODRIVER=$2} "$game" >/dev/null 2>&1 &
  local program=$!
  "$build/latency_probe" whole bench "$intro" "$work/whole.raw" 75 >"$work/whole.txt" &
  local probe=$!
  local window
  window=$(xdotool search --sync --onlyvisible --pid "$program" | head -n 1)
  # The question comes about 62 s in; N then ends the program.
  sleep 66; xdotool windowfocus --sync "$window" keydown n sleep 0.2 keyup n
  wait "$probe" || true
  kill "${load[@]}"; kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true
  sox -t raw -r 22050 -e signed -b 16 -c 1 "$work/whole.raw" -r 8000 -t f32 "$work/heard"
  for name in round numbers/1 BrokToof toround finalscore points agility playagain; do
    sox "$sounds/$name.wav" -r 8000 -t f32 "$work/${name#*/}"
  done
  (cd "$work" && "$build/audio_match" 8000 heard round BrokToof toround 1 finalscore points agility playagain) \
    >"$work/whole-order.txt" || true
  echo "$1 under load: $(cat "$work/whole.txt"); after it, $(grep -c '^ok' "$work/whole-order.txt") of 8 recordings in order" |
    tee -a "$work/results"
}

# server_alone LABEL: the introduction handed to the server whole, under
# the same load, and a third process busy in the game's place (the game's
# waits keep a core busy).
server_alone() {
  local load
  start_load
  (while :; do :; done) & load+=($!)
  "$build/latency_probe" whole bench "$intro" "$work/whole.raw" 50 >"$work/whole.txt" &
  local probe=$!
  sleep 0.5
  # 128: the game's period.
  "$build/queued_intro" "$work/intro-stereo.raw" 128 >"$work/underflows"
  wait "$probe" || true
  kill "${load[@]}"
  echo "$1 on its own under load: $(cat "$work/whole.txt"); it ran out of the introduction $(cat "$work/underflows") time(s) before its end" |
    tee -a "$work/results"
}
sox "$intro" -r 22050 -e signed -b 16 -c 2 -t raw "$work/intro-stereo.raw"

games() {
  for ((g = 1; g <= ${WHOLE_GAMES:-1}; g++)); do
    whole_game "$1" ""
    server_alone "$1"
  done
}

for server in "${servers[@]}"; do
  step "$server"
  case $server in
    pulseaudio)
      start_pulseaudio
      measure "PulseAudio" ""
      games "PulseAudio" ;;
    pipewire)
      start_pipewire
      measure "PipeWire" ""
      games "PipeWire" ;;
  esac
  stop_servers
done

echo "== Key to silence, $trials trials each"
cat "$work/results"
