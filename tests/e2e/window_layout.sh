#!/usr/bin/env bash
# The main window as it first appears: 540 x 47 pixels centred on the screen,
# the three labels' text on the window's grey, three white sunken text boxes,
# empty.
#   window_layout.sh PROGRAM
# PROGRAM: the game or tests/sdl's window_probe. SDL_AUDIODRIVER defaults to
# dummy, so that the program gets past opening its sound device.
source "$(dirname "$0")/window_lib.sh"
[ $# -eq 1 ] || fail "usage: $0 PROGRAM"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

open_window "$1"
window=$WINDOW
read -r x y w h < <(window_geometry "$window")
[ "$w" -eq 540 ] && [ "$h" -eq 47 ] || fail "window is ${w}x${h}, not 540x47"
cx=$(( (SCREEN_WIDTH - w) / 2 )); cy=$(( (SCREEN_HEIGHT - h) / 2 ))
[ $((x - cx)) -ge -1 ] && [ $((x - cx)) -le 1 ] && [ $((y - cy)) -ge -1 ] && [ $((y - cy)) -le 1 ] ||
  fail "window at $x,$y, not centred at $cx,$cy"
[ "$(xdotool getwindowname "$window")" = "Grumbosh" ] || fail "title is '$(xdotool getwindowname "$window")'"

# The first drawing may follow the mapping by a moment.
sleep 0.5
screenshot_pixels "$x" "$y" "$w" "$h" "$WORK/pixels.txt"
[ "$(wc -l <"$WORK/pixels.txt")" -eq $((w * h)) ] || fail "screenshot has $(wc -l <"$WORK/pixels.txt") pixels"

# Rectangles in pixels: the layout's twips divided by 15.
awk '
  function byte(c, i) { return index("0123456789ABCDEF", substr(c, i, 1)) * 16 + index("0123456789ABCDEF", substr(c, i + 1, 1)) - 17 }
  function dark(c) { return byte(c, 1) < 96 && byte(c, 3) < 96 && byte(c, 5) < 96 }
  function count_dark(l, t, w, h,   x, y, n) { n = 0; for (y = t; y < t + h; y++) for (x = l; x < l + w; x++) n += dark(p[x, y]); return n }
  function count_not(colour, l, t, w, h,   x, y, n) { n = 0; for (y = t; y < t + h; y++) for (x = l; x < l + w; x++) n += (p[x, y] != colour); return n }
  { p[$1, $2] = toupper($3) }
  END {
    bad = 0
    split("Round:,Score:,Agility:", names, ",")
    split("8 188 365", ll, " "); split("62 55 54", lw, " ")
    for (i = 1; i <= 3; i++) {
      n = count_dark(ll[i], 12, lw[i], 24)
      if (n < 30) { print "label " names[i] " shows " n " dark pixels"; bad = 1 }
    }
    split("76 248 424", bl, " ")
    for (i = 1; i <= 3; i++) {
      l = bl[i]; t = 8; w = 105; h = 32
      n = count_not("FFFFFF", l + 2, t + 2, w - 4, h - 4)
      if (n > 0) { print "text box " i " has " n " pixels that are not white inside"; bad = 1 }
      # A sunken edge: darker than the field at the top and left, lighter at the bottom and right.
      if (p[l, t + 10] == "FFFFFF" || p[l + 1, t + 10] == "FFFFFF" || p[l + 10, t] == "FFFFFF") { print "text box " i " has no shadowed top-left edge"; bad = 1 }
      if (p[l + w - 1, t + 10] != "FFFFFF" || p[l + 10, t + h - 1] != "FFFFFF") { print "text box " i " has no lit bottom-right edge"; bad = 1 }
    }
    # The window grey around the controls: above them, and between each label and its box.
    grey = p[0, 0]
    if (grey == "FFFFFF" || dark(grey)) { print "window background is " grey; bad = 1 }
    n = count_not(grey, 0, 0, 540, 7)
    if (n > 0) { print n " pixels above the controls differ from the window grey"; bad = 1 }
    n = count_not(grey, 0, 41, 540, 6)
    if (n > 0) { print n " pixels below the controls differ from the window grey"; bad = 1 }
    exit bad
  }' "$WORK/pixels.txt" || fail "the window does not look as laid out"
echo "window ${w}x${h} at $x,$y; labels and empty boxes as laid out"
