#!/usr/bin/env bash
# Cross-compiles the Windows program with mingw-w64, warnings as errors, and
# packs grumbosh-windows.zip: grumbosh.exe (statically linked, so it needs
# nothing but Windows) and its sounds folder.
#
#   scripts/build-windows.sh [BUILD_FOLDER]     (default: build-windows)
#
# The test programs are built too; scripts/test-windows.sh runs them under
# wine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
jobs=${GRUMBOSH_JOBS:-2}

command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null || {
  echo "mingw-w64 is missing: run scripts/test-windows.sh, or apt-get install g++-mingw-w64-x86-64" >&2
  exit 1
}

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGRUMBOSH_BACKEND=win32 -DGRUMBOSH_WERROR=ON -DGRUMBOSH_BENCHMARKS=OFF \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
cmake --build "$build" -j "$jobs"

# The package: the program without its debugging information, and the sounds.
stage="$build/package"
rm -rf "$stage" "$build/grumbosh-windows.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/grumbosh.exe" "$build/grumbosh.exe"
cp -r "$build/sounds" "$stage/sounds"
(cd "$stage" && python3 -m zipfile -c ../grumbosh-windows.zip grumbosh.exe sounds)
echo "Windows program: $build/grumbosh-windows.zip"
