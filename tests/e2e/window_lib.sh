# Shared by the window tests: a display server of our own, the program under
# test started on it, its window found, and what a screenshot shows.
# Sourced, not run. Needs Xvfb, xdotool, xwininfo (x11-utils) and import
# (imagemagick); SDL's message boxes need the fonts of xfonts-base.

set -euo pipefail

# Under the address sanitizer: the desktop libraries SDL loads (D-Bus, X
# extensions it unloads again, fontconfig) keep allocations for the life of
# the process, which the leak checker would report at exit. Leaks of our own
# are checked by the unit tests under the offscreen driver.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

SCREEN_WIDTH=1280
SCREEN_HEIGHT=1024
WORK="$(mktemp -d)"
XVFB_PID=""
PROGRAM_PID=""
HELPER_PID=""

cleanup() {
  local status=$?
  for pid in "$PROGRAM_PID" "$HELPER_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  if [ "$status" -ne 0 ] && [ -d "$WORK" ]; then
    for log in "$WORK"/*.out "$WORK"/*.err; do
      [ -s "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
    done
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A display of our own: Xvfb picks a free number and tells us through a pipe.
start_display() {
  Xvfb -displayfd 7 -screen 0 "${SCREEN_WIDTH}x${SCREEN_HEIGHT}x24" -nolisten tcp 7>"$WORK/display" \
    2>"$WORK/xvfb.err" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
  done
  [ -s "$WORK/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$WORK/display")"
}

# start_program BINARY [ARG...]: runs it with its output in $WORK/program.out.
start_program() {
  "$@" >"$WORK/program.out" 2>"$WORK/program.err" &
  PROGRAM_PID=$!
}

# The program's visible window (there is no window manager to reparent it).
program_window() {
  timeout 10 xdotool search --sync --onlyvisible --pid "$PROGRAM_PID" | head -n 1
}

# open_window BINARY [ARG...]: a display of its own, the program started on
# it, and its window in $WINDOW.
open_window() {
  start_display
  start_program "$@"
  WINDOW=$(program_window) || true
  [ -n "$WINDOW" ] || fail "no window"
}

# wait_for_line PATTERN [SECONDS]: until a whole line of the program's output matches.
wait_for_line() {
  local pattern=$1 seconds=${2:-5}
  for _ in $(seq $((seconds * 20))); do
    grep -qx -- "$pattern" "$WORK/program.out" && return 0
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.05
  done
  grep -qx -- "$pattern" "$WORK/program.out" || fail "no line '$pattern' from the program"
}

# wait_for_exit [SECONDS]: sets EXIT_STATUS to the program's exit status, or
# fails if it keeps running.
wait_for_exit() {
  local seconds=${1:-10}
  for _ in $(seq $((seconds * 20))); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$PROGRAM_PID" 2>/dev/null && fail "the program did not end"
  EXIT_STATUS=0
  wait "$PROGRAM_PID" || EXIT_STATUS=$?
  PROGRAM_PID=""
}

# window_geometry WINDOW: "X Y WIDTH HEIGHT" of its client area on the screen.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                           /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# screenshot_pixels X Y WIDTH HEIGHT FILE: one line "x y RRGGBB" a pixel,
# relative to the rectangle's top left.
screenshot_pixels() {
  import -window root -crop "$3x$4+$1+$2" +repage -depth 8 txt:- |
    sed -n 's/^\([0-9]*\),\([0-9]*\): .*#\([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]\).*/\1 \2 \3/p' >"$5"
}
