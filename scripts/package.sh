#!/usr/bin/env bash
# Builds the Debian package of the Linux program with Debian's own compiler
# and linker flags (hardened), and checks it with lintian and
# desktop-file-validate:
#
#   scripts/package.sh [BUILD_FOLDER]                      (default: build-package)
#   scripts/package.sh --install-and-play E2E_TOOLS [BUILD_FOLDER]
#
# The package is BUILD_FOLDER/grumbosh_VERSION_ARCH.deb; install it with
# apt install ./BUILD_FOLDER/grumbosh_*.deb. An error or a warning from
# lintian fails the script.
#
# With --install-and-play the package is then installed with apt-get (by
# root, as in CI, or through sudo), the end-to-end game scenario
# (tests/e2e/e2e.sh, with the tools built in E2E_TOOLS, such as
# build/tests/e2e) plays the installed program from another folder, and the
# package is purged: no file of it may be left, and of its folders only
# those other packages share. An installed grumbosh is replaced and purged.
set -euo pipefail
cd "$(dirname "$0")/.."
tools=""
if [ "${1:-}" = --install-and-play ]; then
  tools=$(realpath "${2:?the folder of the end-to-end tools}")
  shift 2
fi
build=${1:-build-package}
jobs=${GRUMBOSH_JOBS:-2}

for tool in cmake ninja dpkg-buildflags dpkg-shlibdeps file convert lintian desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh package" >&2; exit 1; }
done

# Debian's flags with every hardening feature, their optimisation level
# included; CMake takes CXXFLAGS and LDFLAGS from the environment when it
# first configures a build folder. No debugging information: the program is
# stripped when it is packed.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DGRUMBOSH_PACKAGE=ON -DGRUMBOSH_TESTS=OFF -DGRUMBOSH_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target grumbosh grumbosh_package_files -j "$jobs"
(cd "$build" && cpack -G DEB >/dev/null)

deb=$(realpath "$build"/grumbosh_*.deb)
desktop-file-validate packaging/grumbosh.desktop
lintian --tag-display-limit 0 --fail-on error,warning "$deb"
echo "Debian package: $deb"
[ -n "$tools" ] || exit 0

echo "== Installing the package, playing it from another folder, removing it"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
listed=$(mktemp)
trap 'rm -f "$listed"' EXIT
dpkg -L grumbosh >"$listed"
status=0
# Players find it in the PATH a login shell gives a user.
found=$($sudo setpriv --reuid=nobody --regid=nogroup --clear-groups env -i sh -lc 'command -v grumbosh') || true
[ "$found" = /usr/games/grumbosh ] || { echo "FAIL: a player's PATH finds grumbosh at '$found'" >&2; status=1; }
repo=$PWD
(cd /tmp && bash "$repo/tests/e2e/e2e.sh" linux game /usr/games/grumbosh "$tools") || status=1

$sudo env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq grumbosh
! dpkg -s grumbosh >/dev/null 2>&1 || { echo "FAIL: grumbosh is still known to dpkg" >&2; status=1; }
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 ||
      { echo "FAIL: left after removal: $path" >&2; status=1; }
  fi
done <"$listed"
[ $status -eq 0 ] && echo "The installed package played and was removed cleanly"
exit $status
