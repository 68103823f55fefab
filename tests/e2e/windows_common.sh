# Shared by the end-to-end tests of the Windows program (windows_*.sh): each
# runs grumbosh.exe under wine on a private Xvfb display, and drives it with
# xdotool as a player would. Sourced, with the program's path as $1.
#
# WINEPREFIX may name a prepared prefix (scripts/test-windows.sh makes one);
# without it the test makes its own in its temporary folder and ends its
# wineserver afterwards. Only processes this test started are ended.
set -euo pipefail

program=$(readlink -f "$1")
[ -f "$program" ] || { echo "no program at $1" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/grumbosh-e2e.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
own_prefix=0
game_pid=""
xvfb_pid=""

cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill -9 "$game_pid" 2>/dev/null || true; fi
  if [ "$own_prefix" = 1 ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -f "$work/game.log" ]; then
    echo "--- the program's output (its file and window traces left out):" >&2
    grep -v ':trace:' "$work/game.log" | tail -20 >&2 || true
  fi
  exit 1
}

# Wine settings for a display with no window manager, and the ALSA driver
# only, so that the sound device is the one the test's HOME describes.
configure_prefix() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
}

if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$work/prefix"
  own_prefix=1
  HOME="$work" wineboot -i >/dev/null 2>&1
  HOME="$work" configure_prefix
  timeout 60 wineserver -w
fi

# A home with ALSA's null device as the default, or with no sound device.
use_sound_device() {
  export HOME="$work/home-sound"
  mkdir -p "$HOME"
  printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
}
use_no_sound_device() {
  export HOME="$work/home-silent"
  mkdir -p "$HOME"
}

start_display() {
  local fifo="$work/display"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r -t 30 number <"$fifo" || fail "Xvfb did not start"
  export DISPLAY=":$number"
}

# Starts the program from its own folder with the given wine trace channels,
# its output in $work/game.log. A wineserver still lingering from an earlier
# program holds that program's display, and the screen's size with it: the
# program starts once it has gone (wine ends it three seconds after its last
# program; the test bounds the wait).
start_game() {
  local channels=${1:-}
  timeout 30 wineserver -w || fail "another program of the wine prefix is still running"
  (cd "$(dirname "$program")" && WINEDEBUG="-all${channels:+,$channels}" exec wine "$program" >"$work/game.log" 2>&1) &
  game_pid=$!
}

# The id of a visible window named Grumbosh whose size is, or is not, the
# main window's outer size ("main" or "other"); waits up to $2 seconds.
find_window() {
  local which=$1 seconds=$2 id geometry
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended early"
    for id in $(xdotool search --onlyvisible --name '^Grumbosh$' 2>/dev/null); do
      geometry=$(xdotool getwindowgeometry "$id" | awk '/Geometry/ {print $2}')
      if [ "$which" = main ] && [ "$geometry" = "$main_geometry" ]; then echo "$id"; return 0; fi
      if [ "$which" = other ] && [ "$geometry" != "$main_geometry" ]; then echo "$id"; return 0; fi
    done
    sleep 0.2
  done
  return 1
}
# 540 x 47 client pixels at 96 dpi in wine's thin frame and caption.
main_geometry=546x72

# Waits up to $2 seconds for a line matching $1 in the program's output.
wait_for_log() {
  local pattern=$1 seconds=$2
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    grep -q -- "$pattern" "$work/game.log" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# The sound files the program has opened, in order, as wine's file trace
# shows them.
opened_sounds() {
  grep -o 'trace:file:CreateFileW L"sounds/[^"]*"' "$work/game.log" | sed 's/.*L"//; s/"$//' || true
}

# Waits up to $1 seconds for the program to end and sets end_status to its
# exit status. Not in a subshell: only this shell can wait for its child.
end_status=""
wait_for_end() {
  local seconds=$1
  local deadline=$((SECONDS + seconds))
  while kill -0 "$game_pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
  end_status=0
  wait "$game_pid" || end_status=$?
  game_pid=""
}

screenshot() {
  import -window root -depth 8 "ppm:$1"
}

hold_key() {
  local key=$1 seconds=$2
  xdotool keydown "$key"
  sleep "$seconds"
  xdotool keyup "$key"
}
