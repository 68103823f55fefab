#!/usr/bin/env bash
# Runs a command of the Windows build (ctest) the way scripts/test-windows.sh
# runs its tests: wine with a prefix of its own, kept in the build folder so
# that it is made only once, ALSA's null device as the sound card, and a
# private Xvfb display. The prefix's wineserver is ended afterwards.
#
#   under_wine.sh BUILD_FOLDER COMMAND [ARG...]
set -euo pipefail
build=$(readlink -f "$1")
shift

export WINEPREFIX="$build/mutate-wine/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine writes file names in the locale's character set.
export LC_ALL=C.UTF-8
export HOME="$build/mutate-wine/home"
mkdir -p "$HOME"
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
  timeout 60 wineserver -w
fi

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
