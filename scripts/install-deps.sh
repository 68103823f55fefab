#!/usr/bin/env bash
# Installs the Debian packages that are missing, for what is asked:
#
#   scripts/install-deps.sh play       building and running the game
#   scripts/install-deps.sh test       the tests of the Linux build (and play)
#   scripts/install-deps.sh windows    cross-compiling and testing the Windows build
#   scripts/install-deps.sh latency    bench/latency/run.sh: private sound servers (and play)
#   scripts/install-deps.sh package    building and checking the Debian package (and play)
#   scripts/install-deps.sh web        scripts/build-web.sh: the game for a web browser
#   scripts/install-deps.sh webtest    scripts/test-web.sh: the site played in headless Chromium (and web)
#
# Several may be named. Uses sudo when not run as root. Packages come with
# their recommendations, as the builds were made and tested with them.
set -euo pipefail

play=(build-essential cmake ninja-build pkg-config
      libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev libxres-dev libpulse-dev fonts-liberation)
test=("${play[@]}" googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
      xvfb xauth xdotool x11-utils xfonts-base imagemagick sox python3)
windows=(g++-mingw-w64-x86-64 wine wine64 build-essential cmake ninja-build googletest python3 sox
         pulseaudio pulseaudio-utils libasound2-plugins
         xvfb xauth xdotool x11-utils imagemagick)
latency=("${play[@]}" pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon
         libpulse-dev libxtst-dev xvfb xauth xdotool sox)
package=("${play[@]}" dpkg-dev file imagemagick lintian desktop-file-utils)
web=(emscripten cmake ninja-build googletest python3)
webtest=("${web[@]}" chromium sox build-essential)
# Node 18 or later runs puppeteer-core; Debian's own is taken only when none is there,
# since a newer Node from elsewhere brings its own npm, which Debian's npm would conflict with.
node_major=$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)
{ [ "$node_major" -ge 18 ] && command -v npm; } >/dev/null || webtest+=(nodejs npm)

packages=()
for need in "$@"; do
  case "$need" in
    play) packages+=("${play[@]}") ;;
    test) packages+=("${test[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    latency) packages+=("${latency[@]}") ;;
    package) packages+=("${package[@]}") ;;
    web) packages+=("${web[@]}") ;;
    webtest) packages+=("${webtest[@]}") ;;
    *) echo "usage: $0 play|test|windows|latency|package|web|webtest ..." >&2; exit 2 ;;
  esac
done
[ ${#packages[@]} -gt 0 ] || { echo "usage: $0 play|test|windows|latency|package|web|webtest ..." >&2; exit 2; }

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
