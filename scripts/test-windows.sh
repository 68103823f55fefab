#!/usr/bin/env bash
# The Windows build's checks: installs what is missing (mingw-w64, wine,
# Xvfb, xdotool, ...), cross-compiles with warnings as errors, then under
# wine runs the game's simulated-machine tests, the wave reader's tests, the
# Windows backend's own tests and the end-to-end tests of grumbosh.exe on a
# private Xvfb display, and prints a summary.
#
#   scripts/test-windows.sh [BUILD_FOLDER]     (default: build-windows)
#
# Wine gets a prefix of its own in a temporary folder, ALSA's null device as
# the sound card (no sound card is needed), and its wineserver is ended at
# the end. Nothing outside the build folder and that temporary folder is
# written.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}

scripts/install-deps.sh windows

echo "== Cross-compiling the Windows program"
scripts/build-windows.sh "$build"

work=$(mktemp -d "${TMPDIR:-/tmp}/grumbosh-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine writes file names in the locale's character set; in a bare C locale a
# name outside ASCII cannot be made at all.
export LC_ALL=C.UTF-8
export HOME="$work/home"
mkdir -p "$HOME"
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
finish() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

echo "== Making a wine prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
# Its desktop was made without a display; the tests' programs must not find
# it still running, or their windows cannot be created.
timeout 60 wineserver -w

status=0
echo "== Tests under wine"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -LE e2e -j 2 --timeout 300 | tee "$work/unit.log" || status=1
echo "== End-to-end tests of grumbosh.exe under wine and Xvfb"
ctest --test-dir "$build" --output-on-failure -L e2e --timeout 300 | tee "$work/e2e.log" || status=1

count() { sed -n "s/.* tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p" "$1" | tail -1; }
read -r unit_failed unit_total <<<"$(count "$work/unit.log")"
read -r e2e_failed e2e_total <<<"$(count "$work/e2e.log")"
failed=$(( ${unit_failed:-1} + ${e2e_failed:-1} ))
total=$(( ${unit_total:-0} + ${e2e_total:-0} ))
echo "== Summary: $build/grumbosh-windows.zip built; unit tests ${unit_total:-?} (${unit_failed:-?} failed), end-to-end ${e2e_total:-?} (${e2e_failed:-?} failed)"
skipped=$(cat "$work/unit.log" "$work/e2e.log" | grep -c '(Skipped)$' || true)
echo "windows: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
exit $status
